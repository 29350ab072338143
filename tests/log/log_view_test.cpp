// What the log viewer draws and reads out, on a small log whose answers are
// known: the rows of a span, the row under the cursor, min/max per pixel
// column, a span's statistics and the time spent on each table row.
#include <gtest/gtest.h>

#include <random>

#include "core/log/live_log.h"
#include "core/log/log_view.h"
#include "tests/log/log_fixture.h"

using namespace orv;

namespace {

// Eight rows at 10 a second with two gaps: 1.2 s of silence after 0.3 s,
// and a gap row at 1.65 s. 1,000 and 3,000 rpm stand on RPM rows 3 and 7.
const LogData& Known() {
    static const LogData log = ParseLog(orv::test::kEarlierLogHeader +
                                        "0.0,1000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n"
                                        "0.1,1000,0.6,20,30,80,3.4,3.5,12,13.8,,\r\n"
                                        "0.2,3000,0.7,20,30,80,3.4,3.5,12,13.8,,1\r\n"
                                        "0.3,3000,0.8,20,30,80,3.4,3.5,12,13.8,,\r\n"
                                        "1.5,1000,0.9,20,30,80,3.4,3.5,12,13.8,,\r\n"
                                        "1.6,1000,1.0,20,30,80,3.4,3.5,12,13.8,,\r\n"
                                        "1.65,,,,,,,,,,,gap: link lost\r\n"
                                        "2.0,3000,1.1,20,30,80,3.4,3.5,12,13.8,,\r\n"
                                        "2.1,3000,1.2,20,30,80,3.4,3.5,12,13.8,,\r\n");
    return log;
}

LogData Random(std::size_t rows, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> step(0.0, 0.02);
    std::uniform_real_distribution<float> value(-50, 50);
    LogData log = ParseLog(LiveLogHeader(LogColumns::Channels));
    double t = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        t += i % 97 == 0 ? 0.0 : step(gen);  // some rows share a time
        log.time.push_back(t);
        for (LogChannel& ch : log.channels) ch.values.push_back(value(gen));
    }
    return log;
}

}  // namespace

TEST(LogView, TheLogReadsAsDescribed) {
    ASSERT_EQ(Known().rows(), 8u) << Known().Summary();
    ASSERT_EQ(Known().markers.size(), 2u);
}

TEST(LogView, RowsOfASpanAndTheRowUnderTheCursor) {
    const struct {
        double t0, t1;
        std::size_t first, last;
    } spans[] = {{0.0, 2.1, 0, 8}, {0.05, 0.25, 1, 3}, {0.1, 0.1, 1, 2}, {0.35, 1.4, 4, 4},
                 {-5, -1, 0, 0},   {3, 9, 8, 8},       {1.0, 0.5, 4, 4}};
    for (const auto& s : spans) {
        const RowSpan got = RowsIn(Known(), s.t0, s.t1);
        EXPECT_EQ(got.first, s.first) << s.t0 << ".." << s.t1;
        EXPECT_EQ(got.last, s.last) << s.t0 << ".." << s.t1;
    }
    const struct {
        double t;
        std::size_t row;
    } cursors[] = {{-1, 0}, {0.0, 0}, {0.05, 0}, {0.1, 1}, {1.0, 3}, {1.65, 5}, {2.1, 7}, {99, 7}};
    for (const auto& c : cursors) EXPECT_EQ(RowAt(Known(), c.t), c.row) << c.t;
    EXPECT_EQ(RowAt(LogData{}, 1.0), 0u);
}

TEST(LogView, EachPixelColumnHoldsItsRowsExtremes) {
    // Four columns of 0.5 s over 0..2 s: the pressure rises row by row.
    const std::vector<ColumnRange> cols = Decimate(Known(), kChPressure, 0.0, 2.0, 4);
    const struct {
        float min, max;
        bool any;
    } want[] = {{0.5f, 0.8f, true}, {0, 0, false}, {0, 0, false}, {0.9f, 1.1f, true}};
    ASSERT_EQ(cols.size(), 4u);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(cols[c].any, want[c].any) << c;
        EXPECT_FLOAT_EQ(cols[c].min, want[c].min) << c;
        EXPECT_FLOAT_EQ(cols[c].max, want[c].max) << c;
    }
    // Nothing to draw: no columns, an empty or reversed span, a channel the log has not.
    for (const auto& none : {Decimate(Known(), kChRpm, 0, 2, 0), Decimate(Known(), kChRpm, 1, 1, 3),
                             Decimate(Known(), kChRpm, 2, 1, 3), Decimate(Known(), kLogChannels, 0, 2, 3),
                             Decimate(Known(), -1, 0, 2, 3)})
        for (const ColumnRange& c : none) EXPECT_FALSE(c.any);
}

TEST(LogView, DecimationMissesNoRowAndCountsNoneTwice) {
    const LogData log = Random(20000, 7);
    const struct {
        double t0, t1;
        int columns;
    } views[] = {{0, log.time.back(), 1600}, {12.5, 13.0, 1600}, {40, 41, 7}, {-3, 500, 1}, {50, 50.001, 300}};
    for (const auto& v : views) {
        const std::vector<ColumnRange> got = Decimate(log, kChAir, v.t0, v.t1, v.columns);
        // Row by row: the column its time falls in, the span's end in the last.
        std::vector<ColumnRange> want(static_cast<std::size_t>(v.columns));
        const double width = (v.t1 - v.t0) / v.columns;
        for (std::size_t i = 0; i < log.rows(); ++i) {
            const double t = log.time[i];
            if (t < v.t0 || t > v.t1) continue;
            int c = 0;
            while (c + 1 < v.columns && t >= v.t0 + width * (c + 1)) ++c;
            ColumnRange& r = want[static_cast<std::size_t>(c)];
            const float x = log.channels[kChAir].values[i];
            r = r.any ? ColumnRange{std::min(r.min, x), std::max(r.max, x), true} : ColumnRange{x, x, true};
        }
        for (int c = 0; c < v.columns; ++c) {
            ASSERT_EQ(got[c].any, want[c].any) << v.t0 << " column " << c;
            ASSERT_EQ(got[c].min, want[c].min) << v.t0 << " column " << c;
            ASSERT_EQ(got[c].max, want[c].max) << v.t0 << " column " << c;
        }
    }
}

TEST(LogView, StatisticsOfTheVisibleSpan) {
    const struct {
        int channel;
        double t0, t1;
        std::size_t count;
        double min, max, mean;
    } cases[] = {
        {kChRpm, 0, 2.1, 8, 1000, 3000, 2000},   {kChRpm, 0.0, 0.15, 2, 1000, 1000, 1000},
        {kChPressure, 0.2, 1.5, 3, 0.7, 0.9, 0.8}, {kChBattery, 1.9, 9, 2, 13.8, 13.8, 13.8},
        {kChRpm, 0.35, 1.4, 0, 0, 0, 0},         {kLogChannels, 0, 2.1, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const SpanStats s = StatsOf(Known(), c.channel, c.t0, c.t1);
        EXPECT_EQ(s.count, c.count) << c.channel << " " << c.t0;
        EXPECT_NEAR(s.min, c.min, 1e-5) << c.channel << " " << c.t0;
        EXPECT_NEAR(s.max, c.max, 1e-5) << c.channel << " " << c.t0;
        EXPECT_NEAR(s.mean, c.mean, 1e-5) << c.channel << " " << c.t0;
    }
}

TEST(LogView, TheMonitorsCursorRowsForAReading) {
    const struct {
        std::uint8_t rpm, pressure, tps, air, water;
        std::array<int, kTableCount> rows;
    } cases[] = {
        {0, 0, 0, 0, 0, {1, 1, 1, 1, 1}},
        {12, 14, 12, 25, 35, {3, 15, 3, 3, 5}},  // 2.5 and 3.5 entries: halves to even
        {13, 50, 13, 26, 34, {4, 51, 4, 4, 4}},
        {150, 51, 100, 150, 150, {31, 51, 21, 16, 16}},
        {255, 255, 255, 255, 255, {31, 51, 21, 16, 16}},  // past the last entry: the last row
    };
    for (const auto& c : cases) {
        LiveValues v;
        v.live_rpm = c.rpm, v.live_pressure = c.pressure, v.live_tps = c.tps, v.live_air = c.air, v.live_water = c.water;
        EXPECT_EQ(OperatingRows(v), c.rows) << int{c.rpm};
    }
}

TEST(LogView, TableHitsCountTimeOnEachRowButNotAcrossGaps) {
    const struct {
        double t0, t1;
        double rpm_row3, rpm_row7;
    } cases[] = {
        // 0.3 s on 1,000 rpm and 0.2 s on 3,000: the 1.2 s silence, the
        // gap row and the last row count for nothing.
        {0, 2.1, 0.3, 0.2},
        {0.05, 0.25, 0.15, 0.05},
        {0.3, 1.55, 0.05, 0},
        {1.6, 2.05, 0, 0.05},
        {5, 9, 0, 0},
    };
    for (const auto& c : cases) {
        const TableHits hits = CountTableHits(Known(), c.t0, c.t1);
        for (int t = 0; t < kTableCount; ++t) ASSERT_EQ(hits[t].size(), std::size_t(kTableEntries[t]));
        EXPECT_NEAR(hits[0][2], c.rpm_row3, 1e-9) << c.t0;
        EXPECT_NEAR(hits[0][6], c.rpm_row7, 1e-9) << c.t0;
        // Every table saw the same time, the throttle all of it on row 5 (20 %).
        double rpm = 0, tps = 0;
        for (double s : hits[0]) rpm += s;
        for (double s : hits[2]) tps += s;
        EXPECT_NEAR(rpm, c.rpm_row3 + c.rpm_row7, 1e-9);
        EXPECT_NEAR(hits[2][4], tps, 1e-9);
        EXPECT_NEAR(tps, rpm, 1e-9);
    }
}
