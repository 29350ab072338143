// The log viewer's core on an hour's drive at the line's rate (520,000 rows):
// opening the file (with the memory it leaves resident), min/max per pixel
// column of all nine channels over the whole hour and zoomed in, the time on
// each table row, and the whole log recomputed with a calibration. A bare
// loop over the same bytes, counting line ends, is the floor to read against.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/files/read_file.h"
#include "core/log/live_log.h"
#include "core/log/log_replay.h"
#include "core/log/log_view.h"

namespace {

constexpr std::size_t kHourRows = 520000;
constexpr int kColumns = 1600;

// An hour of driving: the engine speed wanders between idle and the
// limiter, the rest follows it with some noise; a marker every few minutes
// and a lost link now and then.
const std::filesystem::path& HourLog() {
    static const std::filesystem::path path = [] {
        const auto p = std::filesystem::temp_directory_path() / ("orv-bench-log-" + std::to_string(::getpid()) + ".csv");
        std::ofstream out(p, std::ios::binary);
        out << orv::LiveLogHeader(orv::LogColumns::Full);
        std::mt19937 gen(42);
        std::normal_distribution<double> noise(0, 1);
        double rpm = 9, load = 0.3;
        std::string chunk;
        int marker = 0;
        for (std::size_t i = 0; i < kHourRows; ++i) {
            rpm = std::clamp(rpm + noise(gen) * 0.4, 8.0, 65.0);
            load = std::clamp(load + noise(gen) * 0.02, 0.0, 1.0);
            orv::LiveValues v;
            v.live_rpm = static_cast<std::uint8_t>(rpm);
            v.live_pressure = static_cast<std::uint8_t>(4 + load * 20);
            v.live_tps = static_cast<std::uint8_t>(load * 100);
            v.live_air = static_cast<std::uint8_t>(45 + i / 40000);
            v.live_water = static_cast<std::uint8_t>(std::min<std::size_t>(60 + i / 2000, 110));
            v.live_tinj1 = static_cast<std::uint8_t>(20 + load * 90 + noise(gen));
            v.live_tinj2 = static_cast<std::uint8_t>(v.live_tinj1 + 1);
            v.live_advance = static_cast<std::uint8_t>(45 + 30 - load * 20);
            v.live_batt = static_cast<std::uint8_t>(138 + noise(gen));
            char time[32];
            std::snprintf(time, sizeof time, "%.3f,", static_cast<double>(i) / 145);
            chunk += time + orv::LiveChannelCells(v) + ",2026-12-08 14:03:27.415,";
            if (i % 30000 == 29999) chunk += std::to_string(++marker);
            chunk += ",remote,,,\r\n";
            if (i % 100000 == 50000) chunk += std::string(time) + ",,,,,,,,,2026-12-08 14:03:27.415,gap: link lost,,,,\r\n";
            if (chunk.size() > (1 << 20)) {
                out << chunk;
                chunk.clear();
            }
        }
        out << chunk;
        std::atexit([] { std::filesystem::remove(HourLog()); });
        return p;
    }();
    return path;
}

const orv::LogData& Hour() {
    static const orv::LogData log = orv::ReadLog(HourLog());
    return log;
}

orv::Image Calibration() {
    std::mt19937 gen(7);
    orv::Image image{};
    for (auto& b : image) b = static_cast<std::uint8_t>(gen());
    image[orv::kActiveSlotByte] = 0;
    return image;
}

// Kilobytes of a /proc/self/status line ("VmHWM:", "VmRSS:").
double StatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::strlen(key)));
    return 0;
}

void BM_LogRead(benchmark::State& state) {
    const auto& path = HourLog();
    std::size_t rows = 0;
    for (auto _ : state) {
        const orv::LogData log = orv::ReadLog(path);
        rows = log.rows();
        state.counters["rss_mb"] = StatusKb("VmRSS:") / 1024;
        benchmark::DoNotOptimize(log.time.data());
    }
    if (rows < kHourRows || !orv::ReadLog(path).skipped.empty()) state.SkipWithError("the hour's log did not read whole");
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["peak_mb"] = StatusKb("VmHWM:") / 1024;
    state.counters["file_mb"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
}
BENCHMARK(BM_LogRead)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor: the same file read in one go and its line ends counted.
void BM_LogReadBareLoop(benchmark::State& state) {
    const auto& path = HourLog();
    for (auto _ : state) {
        const orv::FileText file = orv::ReadRegularFile(path, std::size_t{1} << 30);
        std::size_t lines = 0;
        for (const char c : file.text) lines += c == '\n';
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_LogReadBareLoop)->Unit(benchmark::kMillisecond)->Iterations(5);

// A redraw: every channel's min/max per column over the span shown.
void DecimateAll(benchmark::State& state, double t0, double t1) {
    const orv::LogData& log = Hour();
    for (auto _ : state)
        for (int c = 0; c < orv::kLogChannels; ++c) benchmark::DoNotOptimize(orv::Decimate(log, c, t0, t1, kColumns));
    state.counters["rows_shown"] = static_cast<double>(orv::RowsIn(log, t0, t1).last - orv::RowsIn(log, t0, t1).first);
}
void BM_LogDecimateWholeHour(benchmark::State& state) { DecimateAll(state, Hour().time.front(), Hour().time.back()); }
void BM_LogDecimateZoomed(benchmark::State& state) { DecimateAll(state, 1800, 1860); }
BENCHMARK(BM_LogDecimateWholeHour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogDecimateZoomed)->Unit(benchmark::kMicrosecond);

void BM_LogStatsWholeHour(benchmark::State& state) {
    const orv::LogData& log = Hour();
    for (auto _ : state)
        for (int c = 0; c < orv::kLogChannels; ++c)
            benchmark::DoNotOptimize(orv::StatsOf(log, c, log.time.front(), log.time.back()));
}
BENCHMARK(BM_LogStatsWholeHour)->Unit(benchmark::kMillisecond);

void BM_LogTableHitsWholeHour(benchmark::State& state) {
    const orv::LogData& log = Hour();
    for (auto _ : state) benchmark::DoNotOptimize(orv::CountTableHits(log, log.time.front(), log.time.back()));
}
BENCHMARK(BM_LogTableHitsWholeHour)->Unit(benchmark::kMillisecond);

void BM_LogRecomputeWholeHour(benchmark::State& state) {
    const orv::LogData& log = Hour();
    const orv::Image image = Calibration();
    for (auto _ : state) benchmark::DoNotOptimize(orv::Recompute(log, image));
    state.counters["rows"] = static_cast<double>(log.rows());
}
BENCHMARK(BM_LogRecomputeWholeHour)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
