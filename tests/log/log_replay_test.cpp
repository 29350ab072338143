// A log replayed with a calibration: the logged duty with the active slot's
// cylinder settings, and the spans where the recomputed duty is too high,
// ended by gaps.
#include <gtest/gtest.h>

#include "core/log/live_log.h"
#include "core/log/log_replay.h"
#include "tests/log/log_fixture.h"

using namespace orv;

namespace {

LogData Rows(const std::string& rows) { return ParseLog(orv::test::kEarlierLogHeader + rows); }

}  // namespace

TEST(LogReplay, TheLoggedDutyCountsTheActiveSlotsCylinders) {
    // 3,000 rpm at 3.4 ms: 8.5 % a cylinder, 9 as the console shows it.
    const LogData log = Rows("0.0,3000,0.5,20,30,80,3.4,6.8,12,13.8,,\r\n");
    const struct {
        int cyl_mode;
        float duty1, duty2;
    } cases[] = {{0x02, 9, 17}, {0x82, 36, 68}, {0x84, 54, 100}, {0x85, 72, 100}, {0x9F, 9, 17}, {0x80, 9, 17}};
    for (const auto& k : cases) {
        Image image{};
        image[kActiveSlotByte] = 2;
        image[SlotStart(2) + slot::kCylMode] = static_cast<std::uint8_t>(k.cyl_mode);
        image[SlotStart(0) + slot::kCylMode] = 0x85;  // another slot's: not taken
        const Replay r = Recompute(log, image);
        ASSERT_EQ(r.logged_duty1_pct.size(), 1u);
        EXPECT_EQ(r.logged_duty1_pct[0], k.duty1) << k.cyl_mode;
        EXPECT_EQ(r.logged_duty2_pct[0], k.duty2) << k.cyl_mode;
        // An image of nothing but zeros: no fuel, the advance at its floor.
        EXPECT_EQ(r.bank1_ms[0], 0);
        EXPECT_EQ(r.duty2_pct[0], 0);
        EXPECT_EQ(r.advance_deg[0], -5);
    }
}

TEST(LogReplay, DutyOverTheLimitInSpansThatGapsEnd) {
    const LogData log = Rows(
        "0.0,3000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n"
        "0.1,3000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n"
        "0.2,3000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n"
        "0.3,3000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n"
        "0.35,,,,,,,,,,,gap: host mode\r\n"
        "0.4,3000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n"
        "1.5,3000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n"
        "1.6,3000,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n");
    ASSERT_EQ(log.rows(), 7u);
    Replay r;
    r.duty1_pct = {50, 90, 95, 86, 90, 99, 80};
    r.duty2_pct = {50, 50, 50, 50, 50, 50, 88};
    const struct {
        double limit;
        std::vector<std::pair<double, double>> spans;
    } cases[] = {
        {85, {{0.1, 0.3}, {0.4, 0.4}, {1.5, 1.6}}},
        {90, {{0.2, 0.2}, {1.5, 1.5}}},
        {100, {}},
        {0, {{0.0, 0.3}, {0.4, 0.4}, {1.5, 1.6}}},
    };
    for (const auto& k : cases) {
        std::vector<std::pair<double, double>> got;
        for (const TimeSpan& s : DutyOver(log, r, k.limit)) got.emplace_back(s.start, s.end);
        EXPECT_EQ(got, k.spans) << k.limit;
    }
    EXPECT_TRUE(DutyOver(log, Replay{}, 85).empty());
}

TEST(LogReplay, TheCsvKeepsTheLogsRowsAndAddsTheOutputs) {
    const LogData log = Rows("0.25,3000,0.5,20,30,80,3.4,3.5,12,13.8,,1\r\n");
    Image image{};
    const std::string csv = FormatReplayCsv(log, Recompute(log, image));
    EXPECT_EQ(csv,
              "time_s,rpm,pressure_bar,throttle_pct,air_c,water_c,bank1_ms,bank2_ms,advance_deg,battery_v,duty1_pct,"
              "duty2_pct,calc_bank1_ms,calc_bank2_ms,calc_advance_deg,calc_duty1_pct,calc_duty2_pct\r\n"
              "0.250,3000,0.5,20,30,80,3.4,3.5,12,13.8,9,9,0.0,0.0,-5,0,0\r\n");

    const LogData host =
        ParseLog(LiveLogHeader(LogColumns::Full) + "0.26,3000,0.5,20,30,80,3.4,3.5,12,13.8,,,host,4.2,4.3,-3\r\n");
    EXPECT_TRUE(FormatReplayCsv(host, Recompute(host, image))
                    .ends_with(",calc_duty2_pct,mode,imposed_bank1_ms,imposed_bank2_ms,imposed_advance_deg\r\n0.260,"
                               "3000,0.5,20,30,80,3.4,3.5,12,13.8,9,9,0.0,0.0,-5,0,0,host,4.2,4.3,-3\r\n"));
}
