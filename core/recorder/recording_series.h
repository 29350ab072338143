#pragma once
// A recording as time series: every recorded sample decoded as the live
// read-outs decode it, one series per recorded value. The window's
// recording timeline draws it.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/recorder/recorder_state.h"

namespace orv {

// The recorded values in sample order, as series.
enum class Channel { Rpm, Pressure, Throttle, Air, Water, Bank1, Bank2, Advance, Battery, Count };
constexpr int kChannelCount = static_cast<int>(Channel::Count);

// Seconds per recorder sample.
constexpr double kSampleSeconds = 0.1;

struct RecordingSeries {
    std::vector<double> time;  // seconds, sample k at k / 10
    std::array<std::vector<double>, kChannelCount> values;
    const std::vector<double>& operator[](Channel c) const { return values[static_cast<int>(c)]; }
};

// The first `samples` samples of the buffer (no more than it holds whole).
RecordingSeries SeriesOf(std::span<const std::uint8_t> buffer, int samples);

// How many samples the recording has so far: the samples captured while a
// capture runs, the whole samples of rec_count otherwise.
int RecordedSamples(const RecorderState& rec);

// The slider position for a time on the timeline: the nearest sample,
// within the slider's 0..600.
int SampleAt(double seconds);

}  // namespace orv
