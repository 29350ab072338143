// The monitor's hot path: one 100 ms tick, and the table calculation alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/page/main_page.h"

namespace {

// A port that is never open: the tick's work without any link traffic.
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

// A plausible calibration in every slot: rising base times, gains around
// neutral, a modest advance curve.
void FillImage(orv::Image& image) {
    for (int s = 0; s < 4; ++s) {
        const int b = s * 459;
        for (int set : {0, 159}) {
            for (int k = 0; k < 32; ++k) image[b + set + k] = static_cast<std::uint8_t>(20 + 5 * k);
            for (int k = 32; k < 150; ++k) image[b + set + k] = static_cast<std::uint8_t>(80 + (k * 7) % 25);
        }
        for (int k = 0; k < 32; ++k) image[b + 309 + k] = static_cast<std::uint8_t>(50 + k);
        for (int k = 32; k < 150; ++k) image[b + 309 + k] = static_cast<std::uint8_t>(40 + (k * 3) % 10);
        image[b + 150] = 0x02;
        image[b + 151] = 60;
        image[b + 152] = 16;
        image[b + 153] = 20;
        image[b + 155] = 30;
        image[b + 156] = 70;
    }
}

// An empty folder to start in: no config.dat is read or written wherever
// the benchmark happens to run.
std::filesystem::path EmptyDir() {
    const auto dir = std::filesystem::temp_directory_path() / ("orv-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

struct Engine {
    NullPort port;
    const std::filesystem::path dir = EmptyDir();
    orv::Main_Page page{port, dir};
    ~Engine() { std::filesystem::remove_all(dir); }
    Engine() {
        FillImage(page.cal.mem_image);
        page.Form_Load();
        page.Timer1_Timer();
        page.live.live_rpm = 33;
        page.live.live_pressure = 27;
        page.live.live_tps = 42;
        page.live.live_air = 55;
        page.live.live_water = 103;
        page.live.live_tinj1 = 48;
        page.live.live_tinj2 = 47;
        page.live.live_advance = 70;
        page.Calc_Duty_Cycle();
    }
};

void BM_TickWithGridRefill(benchmark::State& state) {
    Engine e;
    for (auto _ : state) {
        e.page.cal.reload_tables = true;
        e.page.Timer1_Timer();
        benchmark::DoNotOptimize(e.page.form.showtinj1.Text.data());
    }
}
BENCHMARK(BM_TickWithGridRefill);

void BM_Tick(benchmark::State& state) {
    Engine e;
    for (auto _ : state) {
        e.page.Timer1_Timer();
        benchmark::DoNotOptimize(e.page.form.showtinj1.Text.data());
    }
}
BENCHMARK(BM_Tick);

void BM_CalcMapOutput(benchmark::State& state) {
    Engine e;
    for (auto _ : state) {
        e.page.Calc_Map_Output(-1);
        benchmark::DoNotOptimize(e.page.calc.op_tinj1);
    }
}
BENCHMARK(BM_CalcMapOutput);

}  // namespace
