// Logs read back: what is whole is kept, what is not is skipped and said,
// and each row gives back the live bytes it was written from.
#include <gtest/gtest.h>

#include <fstream>

#include "core/log/live_log.h"
#include "core/log/log_data.h"
#include "tests/log/log_fixture.h"
#include "tests/support/console_fixture.h"
#include "tests/support/odd_files.h"

using namespace orv;

namespace {

const std::string kFull = orv::test::kEarlierLogHeader;
const std::string kTen = LiveLogHeader(LogColumns::Channels);
// 3,000 rpm, 0.5 bar, 20 %, 30 and 80 degrees, 3.4 and 3.5 ms, 12 degrees, 13.8 V.
const std::string kCells = "3000,0.5,20,30,80,3.4,3.5,12,13.8";
const std::string kStamp = "2026-12-08 14:03:27.415";

std::string Row(const char* t, const std::string& marker = "") { return std::string(t) + "," + kCells + "," + kStamp + "," + marker + "\r\n"; }
std::string Note(const char* t, const std::string& marker) { return std::string(t) + ",,,,,,,,,," + kStamp + "," + marker + "\r\n"; }

struct ReadCase {
    const char* what;
    std::string text;
    std::size_t rows;
    long skipped;            // rows skipped
    std::string said;        // in the summary, or the error when `error`
    bool error = false;
    std::size_t markers = 0;
};

}  // namespace

TEST(LogData, EveryInputKeepsWhatIsWholeAndSaysWhatItSkipped) {
    const std::string whole = kFull + Row("0.000") + Row("0.007", "1") + Note("0.010", kGapLinkLost) + Row("2.500");
    std::string lf = whole;
    std::erase(lf, '\r');
    std::string many_bad = kFull + Row("0.000");
    for (int k = 0; k < 5; ++k) many_bad += "0.1," + kCells.substr(0, kCells.size() - 4) + "abc," + kStamp + ",\r\n";
    const ReadCase cases[] = {
        {"a whole console log", whole, 3, 0, "3 rows, 0:00:02", false, 2},
        {"LF line ends", lf, 3, 0, "3 rows, 0:00:02", false, 2},
        {"the last line cut", kFull + Row("0.000") + Row("0.007") + "0.014,3000,0.", 2, 1,
         "2 rows, 0:00:00; 1 row skipped: the last line is cut short (row 4)"},
        {"the file empty", "", 0, 0, "the file is empty", true},
        {"blank lines only", "\r\n \r\n", 0, 0, "the file is empty", true},
        {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), 0, 0, "not a log: the file holds binary data", true},
        {"no header", "0.000," + kCells + "\r\n", 0, 0, "not a log: the first line is \"0.000,3000,0.5,20,30,80,...\"", true},
        {"another table", "a,b,c\r\n1,2,3\r\n", 0, 0, "not a log: the first line is \"a,b,c\"", true},
        {"a column missing", "time_s,rpm,pressure_bar,throttle_pct,air_c,bank1_ms,bank2_ms,advance_deg,battery_v\r\n", 0, 0,
         "not a log: no column \"water_c\"", true},
        {"columns missing", "time_s,rpm,stamp\r\n", 0, 0, "not a log: no columns \"pressure_bar\", \"throttle_pct\"", true},
        {"a header only", kFull, 0, 0, "0 rows"},
        {"an unknown column", "lambda," + kTen + "0.98,0.000," + kCells + "\r\n", 1, 0, "1 row, 0:00:00; column \"lambda\" ignored"},
        {"a row short of cells", kFull + Row("0.000") + "0.1," + kCells + "\r\n" + Row("0.2"), 2, 1,
         "1 row skipped: row 3 has 10 cells, 12 expected"},
        {"a row with a cell too many", kFull + Row("0.000") + "0.1," + kCells + ",x," + kStamp + ",\r\n", 1, 1,
         "row 3 has 13 cells, 12 expected"},
        {"a cell not a number", kFull + "0.000,3000,abc,20,30,80,3.4,3.5,12,13.8,,\r\n" + Row("0.1"), 1, 1,
         "row 2: \"abc\" is not a number"},
        {"not a finite number", kFull + "0.000,inf,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n" + "nan," + kCells + ",,\r\n", 0, 2,
         "row 2: \"inf\" is not a number; row 3: \"nan\" is not a number"},
        {"a value missing", kFull + "0.000,,0.5,20,30,80,3.4,3.5,12,13.8,,\r\n", 0, 1, "row 2: no rpm"},
        {"no time", kFull + "," + kCells + ",,\r\n", 0, 1, "row 2: no time"},
        {"a row of nothing", kFull + Note("0.000", ""), 0, 1, "row 2 has no values"},
        {"time going back", kFull + Row("0.100") + Row("0.050") + Row("0.200"), 2, 1,
         "row 3: time 0.050 goes back (0.100 before it)"},
        {"a marker going back", kFull + Row("0.100") + Note("0.050", "1"), 1, 1, "row 3: time 0.050 goes back", false, 0},
        {"many bad rows, counted", many_bad, 1, 5, "5 rows skipped: row 3: \"abc\" is not a number; row 4: "},
        {"a mark a spreadsheet adds", "\xEF\xBB\xBF" + kTen + "0.0," + kCells + "\r\n", 1, 0, "1 row"},
        {"times far apart", kTen + "0," + kCells + "\r\n1e300," + kCells + "\r\n", 2, 0, "2 rows, 277777777777:46:40"},
        {"monitor --csv", kTen + "0.000," + kCells + "\r\n" + "0.007," + kCells + "\r\n", 2, 0, "2 rows"},
        {"a recording", "30\r\n15\r\n20\r\n50\r\n100\r\n34\r\n35\r\n57\r\n138\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n1\r\n2\r\n", 2, 1,
         "2 rows, 0:00:00; 1 row skipped: the last 2 values are no whole sample"},
        {"a recording with a stray word", "30 15 20 50 100 34 35 57 138\nx 1", 1, 1, "value 10: not a byte value: \"x\""},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const LogData log = ParseLog(c.text);
        EXPECT_EQ(log.rows(), c.rows);
        EXPECT_EQ(log.rows_skipped, c.skipped);
        EXPECT_EQ(log.markers.size(), c.markers);
        ASSERT_EQ(log.channels.size(), std::size_t{kLogChannels});
        for (const LogChannel& ch : log.channels) EXPECT_EQ(ch.values.size(), log.rows());
        EXPECT_EQ(log.error.empty(), !c.error) << log.error;
        const std::string summary = log.Summary();
        EXPECT_NE(summary.find(c.said), std::string::npos) << summary;
        for (std::size_t i = 1; i < log.rows(); ++i) EXPECT_LE(log.time[i - 1], log.time[i]);
    }
}

TEST(LogData, ManyRowsOfOneFaultAreCountedAndTheFirstNamed) {
    std::string text = kFull;
    for (int k = 0; k < 7; ++k) text += "0.1,1,2\r\n";
    const LogData log = ParseLog(text);
    EXPECT_EQ(log.rows_skipped, 7);
    EXPECT_EQ(log.skipped, (std::vector<std::string>{"row 2 has 3 cells, 12 expected", "row 3 has 3 cells, 12 expected",
                                                     "row 4 has 3 cells, 12 expected",
                                                     "4 more with the wrong number of cells"}));
}

TEST(LogData, ColumnsAreFoundByNameAndMarkersAndGapsKeptApart) {
    const LogData log = ParseLog(
        "marker,battery_v,advance_deg,bank2_ms,bank1_ms,water_c,air_c,throttle_pct,pressure_bar,rpm,time_s\n"
        "1,13.8,12,3.5,3.4,80,30,20,0.5,3000,1.5\n"
        "gap: transfer,,,,,,,,,,1.6\n"
        ",12.0,-5,0.0,25.5,-20,235,255,-1.0,0,9.25\n");
    ASSERT_EQ(log.rows(), 2u) << log.Summary();
    EXPECT_EQ(log.time, (std::vector<double>{1.5, 9.25}));
    EXPECT_EQ(log.channels[kChRpm].name, "rpm");
    EXPECT_EQ(log.channels[kChWater].unit, "°C");
    const std::optional<LiveValues> first = LiveAt(log, 0), second = LiveAt(log, 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(LiveChannelCells(*first), kCells);
    EXPECT_EQ(LiveChannelCells(*second), "0,-1.0,255,235,-20,25.5,0.0,-5,12.0");
    EXPECT_FALSE(LiveAt(log, 2));
    ASSERT_EQ(log.markers.size(), 2u);
    EXPECT_EQ(log.markers[0].text, "1");
    EXPECT_FALSE(log.markers[0].gap);
    EXPECT_EQ(log.markers[0].row, 0u);
    EXPECT_EQ(log.markers[1].text, "gap: transfer");
    EXPECT_TRUE(log.markers[1].gap);
    EXPECT_DOUBLE_EQ(log.markers[1].time, 1.6);
    EXPECT_EQ(log.markers[1].row, 1u);
}

TEST(LogData, EveryByteOfEveryChannelComesBackAsWritten) {
    std::string text = kFull;
    for (int b = 0; b < 256; ++b) {
        LiveValues v;
        v.live_rpm = v.live_pressure = v.live_tps = v.live_air = v.live_water = v.live_tinj1 = v.live_tinj2 =
            v.live_advance = v.live_batt = static_cast<std::uint8_t>(b);
        text += std::to_string(b) + "," + LiveChannelCells(v) + "," + kStamp + ",\r\n";
    }
    const LogData log = ParseLog(text);
    ASSERT_EQ(log.rows(), 256u) << log.Summary();
    for (int b = 0; b < 256; ++b) {
        const LiveValues v = *LiveAt(log, static_cast<std::size_t>(b));
        for (std::uint8_t got : {v.live_rpm, v.live_pressure, v.live_tps, v.live_air, v.live_water, v.live_tinj1,
                                 v.live_tinj2, v.live_advance, v.live_batt})
            ASSERT_EQ(got, b);
    }
    // A channel's bytes at once, the same; rows past the log are left as they were.
    std::vector<std::uint8_t> water(300, 7);
    LiveBytes(log, kChWater, 10, 300, water.data());
    for (int i = 0; i < 246; ++i) ASSERT_EQ(water[i], i + 10);
    EXPECT_EQ(water[246], 7);
    LiveBytes(log, kLogChannels, 0, 1, water.data());
    LiveBytes(log, kChWater, 256, 1, water.data());
    EXPECT_EQ(water[0], 10);
}

TEST(LogData, ValuesThatAreNoByteRoundAndStayInRange) {
    const LogData log = ParseLog(kTen + "0,1249,0.449,20.5,-300,9999,3.45,-1,40.4,99\r\n");
    ASSERT_EQ(log.rows(), 1u);
    const LiveValues v = *LiveAt(log, 0);
    EXPECT_EQ(v.live_rpm, 12);
    EXPECT_EQ(v.live_pressure, 14);
    EXPECT_EQ(v.live_tps, 21);  // halves away from zero
    EXPECT_EQ(v.live_air, 0);
    EXPECT_EQ(v.live_water, 255);
    EXPECT_EQ(v.live_tinj1, 35);
    EXPECT_EQ(v.live_tinj2, 0);
    EXPECT_EQ(v.live_advance, 85);
    EXPECT_EQ(v.live_batt, 255);
}

TEST(LogData, TheSummaryTellsHoursMinutesAndSeconds) {
    const LogData log = ParseLog(kTen + "10.0," + kCells + "\r\n3733.9," + kCells + "\r\n");
    EXPECT_EQ(log.Summary(), "2 rows, 1:02:03");
    EXPECT_EQ(ParseLog("30 15 20 50 100 34 35 57 138").time, std::vector<double>{0.0});
}

TEST(LogData, FilesAreReadAsTheyAreAndNeverWritten) {
    test::ScratchDir dir;
    const auto file = dir.path() / "drive.csv";
    const std::string text = kFull + Row("0.000") + Row("0.5", "1");
    std::ofstream(file, std::ios::binary) << text;
    const auto written = std::filesystem::last_write_time(file);
    const LogData log = ReadLog(file);
    EXPECT_EQ(log.rows(), 2u);
    EXPECT_EQ(log.Summary(), "2 rows, 0:00:00");
    EXPECT_EQ(std::filesystem::last_write_time(file), written);
    EXPECT_EQ(std::filesystem::file_size(file), text.size());

    EXPECT_EQ(ReadLog(dir.path() / "none.csv").error, "cannot be opened");
    for (test::OddFile kind : {test::OddFile::Fifo, test::OddFile::Folder}) {
        const auto odd = dir.path() / test::Name(kind);
        ASSERT_TRUE(test::MakeOddFile(odd, kind));
        const LogData none = ReadLog(odd);  // a FIFO is refused, not waited on
        EXPECT_FALSE(none.error.empty()) << test::Name(kind);
        EXPECT_EQ(none.Summary(), none.error);
    }
}

// A line past 1 MB is refused by its row, from memory and from a file alike (replay's tests cap the memory).
TEST(LogData, LinesPastTheLimitAreRefusedByTheirRow) {
    std::string at_limit = Row("0.3");  // padded with blanks to the longest line taken
    at_limit.insert(at_limit.find(kStamp), (1 << 20) - (at_limit.size() - 1), ' ');
    const std::string huge(3 << 20, '7');
    const ReadCase cases[] = {
        {"header", "time_s," + huge + "\r\n" + Row("0.0"), 0, 0, "not a log: row 1 is longer than 1 MB", true},
        {"row", kFull + Row("0.0") + "0.1," + huge + "\r\n" + Row("0.2"), 2, 1,
         "2 rows, 0:00:00; 1 row skipped: row 3 is longer than 1 MB"},
        {"last line", kFull + Row("0.0") + Row("0.1") + huge, 2, 1, "1 row skipped: row 4 is longer than 1 MB"},
        {"at the limit", kFull + Row("0.0") + at_limit, 2, 0, "2 rows, 0:00:00"},
        {"recording", "30\r\n" + huge + "\r\n1\r\n", 0, 2, "row 2 is longer than 1 MB; nothing after it read"},
    };
    test::ScratchDir dir;
    for (const ReadCase& c : cases) {
        std::ofstream(dir.path() / "drive.csv", std::ios::binary) << c.text;
        for (const LogData& log : {ParseLog(c.text), ReadLog(dir.path() / "drive.csv")}) {
            EXPECT_EQ(std::pair(log.rows(), log.rows_skipped), std::pair(c.rows, c.skipped)) << c.what;
            EXPECT_EQ(log.error.empty(), !c.error) << c.what;
            EXPECT_NE(log.Summary().find(c.said), std::string::npos) << log.Summary();
        }
    }
}
