// The tuner's tools: undo of a whole-image change with the window's refresh,
// the differences of two images, and what a long history holds in memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "core/calibration/edit_history.h"
#include "core/files/map_compare.h"
#include "core/page/main_page.h"

namespace {

class NullPort : public orv::SerialPort {
   public:
    bool Open(int) override { return false; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    bool Write(const orv::Bytes&) override { return false; }
    std::size_t InBufferCount() const override { return 0; }
    orv::Bytes Input() override { return {}; }
    void SetInBufferSize(std::size_t) override {}
};

orv::Image Random(unsigned seed) {
    std::mt19937 gen(seed);
    orv::Image image{};
    for (auto& b : image) b = static_cast<std::uint8_t>(gen());
    return image;
}

// Every byte of the image different from the one before: a map load's worst.
orv::Image Other(const orv::Image& image) {
    orv::Image other = image;
    for (auto& b : other) b = static_cast<std::uint8_t>(b ^ 0x01);
    return other;
}

struct Console {
    NullPort port;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orv-bench-history-" + std::to_string(::getpid()));
    orv::Main_Page page{port, (std::filesystem::create_directories(dir), dir)};
    ~Console() { std::filesystem::remove_all(dir); }
};

// One undo (or redo) of a step that changed all 1,837 bytes, with the
// refresh that follows it: slot, settings, the five grids.
void BM_UndoWholeImageAndRefresh(benchmark::State& state) {
    Console c;
    c.page.Form_Load();
    c.page.form.edit.UserClick();
    const orv::Image loaded = Other(c.page.cal.mem_image);
    c.page.RunEvent([&] { c.page.cal.mem_image = loaded; });
    bool back = true;
    for (auto _ : state) {
        if (!(back ? c.page.Undo() : c.page.Redo())) state.SkipWithError("nothing to undo");
        back = !back;
        benchmark::DoNotOptimize(c.page.cal.mem_image.data());
    }
}
BENCHMARK(BM_UndoWholeImageAndRefresh)->Unit(benchmark::kMicrosecond);

void BM_CompareImages(benchmark::State& state) {
    const orv::Image a = Random(1), b = Random(2);
    for (auto _ : state) {
        orv::ImageDifferences d = orv::CompareImages(a, b, orv::kImageSize, true);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_CompareImages);

// 10,000 single-byte edits; the counter is the history's footprint in bytes.
void BM_HistoryOfTenThousandEdits(benchmark::State& state) {
    std::size_t footprint = 0;
    for (auto _ : state) {
        orv::EditHistory h;
        orv::Image a = Random(3);
        for (int i = 0; i < 10000; ++i) {
            orv::Image b = a;
            b[(i * 31) % orv::kImageSize] ^= 0x5A;
            h.Record(a, b);
            a = b;
        }
        footprint = h.Footprint();
    }
    state.counters["footprint_bytes"] = static_cast<double>(footprint);
}
BENCHMARK(BM_HistoryOfTenThousandEdits)->Unit(benchmark::kMillisecond);

}  // namespace
