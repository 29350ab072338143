#pragma once
// The event recorder's buffer: up to 60 seconds of nine live values sampled
// every tick.
#include <array>
#include <cstdint>

namespace orv {

constexpr int kRecSampleSize = 9;
constexpr int kRecBufferSize = 5401;  // 600 samples of 9, and one spare

struct RecorderState {
    std::array<std::uint8_t, kRecBufferSize> rec_buffer{};
    double rec_count = 0;  // samples; keeps a fraction for a file cut mid-sample
    int rec_index = 0;
    int rec_offset = 0;
    bool recording = false;
    bool playing = false;
    bool rec_review = false;
};

}  // namespace orv
