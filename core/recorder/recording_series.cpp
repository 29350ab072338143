#include "core/recorder/recording_series.h"

#include <algorithm>
#include <cmath>

#include "core/link/live_values.h"
#include "core/recorder/recording.h"

namespace orv {

RecordingSeries SeriesOf(std::span<const std::uint8_t> buffer, int samples) {
    const int n = std::clamp(samples, 0, static_cast<int>(buffer.size()) / kRecSampleSize);
    RecordingSeries s;
    s.time.reserve(static_cast<std::size_t>(n));
    for (auto& v : s.values) v.reserve(static_cast<std::size_t>(n));
    LiveValues live;
    for (int k = 0; k < n; ++k) {
        // Through the playback's own path: a plotted sample reads as the
        // read-outs show it when played.
        LoadSample(buffer.subspan(static_cast<std::size_t>(k) * kRecSampleSize).first<kRecSampleSize>(), live);
        const LiveReadings r = ReadingsOf(live);
        s.time.push_back(k * kSampleSeconds);
        const double row[kChannelCount] = {r.rpm, r.pressure, r.tps, r.air, r.water, r.tinj1, r.tinj2, r.advance, r.batt};
        for (int c = 0; c < kChannelCount; ++c) s.values[c].push_back(row[c]);
    }
    return s;
}

int RecordedSamples(const RecorderState& rec) {
    return rec.recording ? std::clamp(rec.rec_index, 0, kRecMaxSamples) : WholeSamples(rec.rec_count);
}

int SampleAt(double seconds) {
    if (!(seconds > 0)) return 0;  // NaN too
    const long k = std::lround(std::min(seconds, kRecMaxSamples * kSampleSeconds) / kSampleSeconds);
    return static_cast<int>(std::min<long>(k, kRecMaxSamples));
}

}  // namespace orv
