#include "core/recorder/recording.h"

#include <algorithm>
#include <cmath>

#include "core/common/numbers.h"
#include "core/files/value_list.h"

namespace orv {

void StoreSample(const LiveValues& v, std::span<std::uint8_t, kRecSampleSize> at) {
    at[0] = v.live_rpm;
    at[1] = v.live_pressure;
    at[2] = v.live_tps;
    at[3] = v.live_air;
    at[4] = v.live_water;
    at[5] = v.live_tinj1;
    at[6] = v.live_tinj2;
    at[7] = v.live_advance;
    at[8] = v.live_batt;
}

void LoadSample(std::span<const std::uint8_t, kRecSampleSize> at, LiveValues& v) {
    // The eight readings in the live block's order; the battery where the
    // block carries it, and no version. The advance as it was stored: the
    // console kept it after the no-ignition rule.
    DecodeLiveBlock(at.first<kLiveBlockShort>(), kLiveBlockShort, v);
    v.live_advance = at[7];
    v.live_batt = at[8];
}

double PlayableEnd(double rec_count) { return std::min(rec_count, static_cast<double>(kRecMaxSamples)); }

int WholeSamples(double rec_count) { return static_cast<int>(std::max(0.0, std::floor(PlayableEnd(rec_count)))); }

std::string FormatRecording(std::span<const std::uint8_t> buffer, double rec_count) {
    // The count came from a whole number of values; rounding undoes the division.
    const long values = std::lround(std::max(0.0, rec_count) * kRecSampleSize);
    return FormatValueList(buffer.data(), std::min(static_cast<std::size_t>(values), buffer.size()));
}

std::string LoadRecording(const std::filesystem::path& path, RecorderState& rec) {
    std::error_code ec;
    // Anything else that is there (a FIFO, a folder) the reader names.
    if (!std::filesystem::exists(path, ec)) return "no such file";
    ValueList list = ReadValueFile(path, kRecBufferSize);
    if (list.error.starts_with("cannot open")) return "the file cannot be read";
    if (!list.error.empty()) return list.error;
    // The buffer past the file keeps its contents: a sample cut short plays
    // its tail from the recording before.
    std::copy(list.values.begin(), list.values.end(), rec.rec_buffer.begin());
    rec.rec_count = static_cast<double>(list.values.size()) / kRecSampleSize;
    return {};
}

std::string FormatRecordingCsv(std::span<const std::uint8_t> buffer, int samples) {
    std::string out =
        "time_s,rpm,pressure_bar,throttle_pct,air_c,water_c,bank1_ms,bank2_ms,advance_deg,battery_v\r\n";
    auto tenths = [](long v) { return Format(v / 10.0, "#0.0"); };
    const int fit = static_cast<int>(buffer.size()) / kRecSampleSize;
    for (int k = 0; k < std::min(samples, fit); ++k) {
        const std::uint8_t* s = buffer.data() + k * kRecSampleSize;
        out += tenths(k) + ',' + Str(s[0] * 100L) + ',' + tenths(s[1] - kPressureOffset) + ',' + Str(s[2]) + ',' +
               Str(s[3] - kTemperatureOffset) + ',' + Str(s[4] - kTemperatureOffset) + ',' + tenths(s[5]) + ',' +
               tenths(s[6]) + ',' + Str(s[7] - kAdvanceOffset) + ',' + tenths(s[8]) + "\r\n";
    }
    return out;
}

}  // namespace orv
