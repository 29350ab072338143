#pragma once
// A recording as data and as files, free of the window so that the
// command-line companion can read, write and export recordings too. A sample
// is nine live bytes in the live block's order: rpm, pressure, throttle, air,
// water, bank 1 and bank 2 injection times, advance, battery.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "core/link/live_values.h"
#include "core/recorder/recorder_state.h"

namespace orv {

constexpr int kRecMaxSamples = 600;

// One sample from the live values into the buffer at `at`, and back; the
// version is not recorded and is left as it is.
void StoreSample(const LiveValues& v, std::span<std::uint8_t, kRecSampleSize> at);
void LoadSample(std::span<const std::uint8_t, kRecSampleSize> at, LiveValues& v);

// Where playback ends: rec_count, but never past the last whole sample the
// buffer holds (a file of 5,401 values counts 600.111 samples).
double PlayableEnd(double rec_count);
// Whole samples of a recording, within the buffer.
int WholeSamples(double rec_count);

// The file's text: 9 x rec_count values (a count with a fraction keeps the
// values it was read with), one per line, CR LF.
std::string FormatRecording(std::span<const std::uint8_t> buffer, double rec_count);

// Reads a recording file into `rec`: the whole file is checked first, and
// only a clean one replaces the leading buffer bytes and rec_count (the
// recorder's state and position stay). Empty on success, else the reason.
std::string LoadRecording(const std::filesystem::path& path, RecorderState& rec);

// A table of `samples` whole samples, a header line then one row per sample:
// time in seconds and every recorded value in engineering units. CR LF.
std::string FormatRecordingCsv(std::span<const std::uint8_t> buffer, int samples);

}  // namespace orv
