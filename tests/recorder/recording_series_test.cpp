// A recording as the timeline plots it: samples decoded as the read-outs
// decode them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/common/numbers.h"
#include "core/recorder/recording.h"
#include "core/recorder/recording_series.h"

using namespace orv;

TEST(RecordingSeries, SampleReadsAsTheReadOutsShowIt) {
    RecorderState rec;
    const std::uint8_t sample[9] = {0x12, 0x34, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78};
    std::copy(std::begin(sample), std::end(sample), rec.rec_buffer.begin() + 2 * 9);
    const RecordingSeries s = SeriesOf(rec.rec_buffer, 3);
    ASSERT_EQ(s.time.size(), 3u);
    EXPECT_DOUBLE_EQ(s.time[2], 0.2);
    const double expected[] = {1.8, 4.2, 0, 0, 50, 4.0, 4.5, 30, 12.0};
    for (int c = 0; c < kChannelCount; ++c) {
        ASSERT_EQ(s.values[c].size(), 3u);
        EXPECT_NEAR(s.values[c][2], expected[c], 1e-9) << "channel " << c;
    }
    // Sample 0 is all zero bytes: the offsets of each coding show.
    EXPECT_NEAR(s[Channel::Pressure][0], -1.0, 1e-9);
    EXPECT_DOUBLE_EQ(s[Channel::Air][0], -20);
    EXPECT_DOUBLE_EQ(s[Channel::Advance][0], -45);

    // The same numbers the read-outs print when the sample is played.
    LiveValues live;
    LoadSample(std::span<const std::uint8_t, 9>(sample), live);
    const LiveTexts texts = FormatLive(live);
    const std::string* shown[] = {&texts.rpm,   &texts.pressure, &texts.tps,     &texts.air, &texts.water,
                                  &texts.bank1, &texts.bank2,    &texts.advance, &texts.batt};
    for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(*ParseNumber(*shown[c]), s.values[c][2]) << *shown[c];
}

TEST(RecordingSeries, LengthFollowsTheRecorderAndStaysInTheBuffer) {
    RecorderState rec;
    EXPECT_EQ(SeriesOf(rec.rec_buffer, 700).time.size(), 600u);
    EXPECT_EQ(SeriesOf(rec.rec_buffer, -1).time.size(), 0u);
    EXPECT_EQ(SeriesOf(std::span(rec.rec_buffer).first(20), 3).time.size(), 2u);

    struct Case {
        bool recording;
        int rec_index;
        double rec_count;
        int samples;
    };
    const Case cases[] = {
        {true, 123, 600, 123},       // a capture: what it has so far
        {false, 0, 20.0 / 9, 2},     // a file cut mid-sample: the whole ones
        {false, 50, 5401.0 / 9, 600},
        {false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        rec.recording = c.recording;
        rec.rec_index = c.rec_index;
        rec.rec_count = c.rec_count;
        EXPECT_EQ(RecordedSamples(rec), c.samples) << c.rec_count;
    }
}

TEST(RecordingSeries, TimeOnTheTimelineToSliderPosition) {
    const std::pair<double, int> cases[] = {
        {0, 0}, {12.34, 123}, {12.36, 124}, {60, 600}, {61, 600}, {1e300, 600}, {-3, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (auto [seconds, sample] : cases) EXPECT_EQ(SampleAt(seconds), sample) << seconds;
}
