// orvtool replay against orvtool calc: every row of a log recomputed as calc
// computes its live point, with the active slot's cylinder settings; bad logs
// and maps are one line, exit 2, nothing written.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "core/files/map_file.h"
#include "core/log/live_log.h"
#include "tests/log/log_fixture.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"
#include "tests/tools/run_tool.h"

using namespace orv;
using orv::test::RunTool;

namespace {

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream s(line);
    for (std::string cell; std::getline(s, cell, ',');) cells.push_back(cell);
    return cells;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A log of `rows` live points, mostly inside the tables, now and then past
// their ends, a marker and a gap among them.
std::string RandomLog(unsigned seed, int rows, std::vector<LiveValues>& points) {
    std::mt19937 gen(seed);
    std::string text = orv::test::kEarlierLogHeader;
    for (int k = 0; k < rows; ++k) {
        std::uniform_int_distribution<int> in(0, k % 5 == 4 ? 255 : 90);
        LiveValues v;
        for (std::uint8_t* b : {&v.live_rpm, &v.live_pressure, &v.live_tps, &v.live_air, &v.live_water, &v.live_tinj1,
                                &v.live_tinj2, &v.live_advance, &v.live_batt})
            *b = static_cast<std::uint8_t>(in(gen));
        points.push_back(v);
        const std::string t = std::to_string(k * 0.007);
        text += t + "," + LiveChannelCells(v) + ",2026-12-08 14:03:27.415," + (k == 3 ? "1" : "") + "\r\n";
        if (k == 5) text += t + ",,,,,,,,,,2026-12-08 14:03:27.415,gap: transfer\r\n";
    }
    return text;
}

}  // namespace

TEST(ReplayCommand, EveryRowIsWhatCalcGivesAtItsLivePoint) {
    const struct {
        unsigned seed;
        int cyl_mode;  // of the active slot
        int active;
    } cases[] = {{21, 0x02, 0}, {22, 0x82, 1}, {23, 0x85, 3}, {24, 0x9F, 2}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.seed);
        test::ScratchDir dir;
        Image image = test::RandomImage(k.seed);
        image[kActiveSlotByte] = static_cast<std::uint8_t>(k.active);
        image[SlotStart(image[kActiveSlotByte]) + slot::kCylMode] = static_cast<std::uint8_t>(k.cyl_mode);
        const std::string map = (dir.path() / "m.map").string(), log = (dir.path() / "drive.csv").string();
        ASSERT_EQ(WriteMapFile(map, image), "");
        std::vector<LiveValues> points;
        dir.WriteFile("drive.csv", RandomLog(k.seed, 10, points));

        const auto run = RunTool({"replay", log, map});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(lines.size(), points.size() + 1);
        EXPECT_EQ(lines[0],
                  "time_s,rpm,pressure_bar,throttle_pct,air_c,water_c,bank1_ms,bank2_ms,advance_deg,battery_v,"
                  "duty1_pct,duty2_pct,calc_bank1_ms,calc_bank2_ms,calc_advance_deg,calc_duty1_pct,calc_duty2_pct");
        for (std::size_t i = 0; i < points.size(); ++i) {
            const LiveValues& v = points[i];
            const std::vector<std::string> cells = Cells(lines[i + 1]);
            ASSERT_EQ(cells.size(), 17u) << lines[i + 1];
            std::string channels = cells[1];
            for (int c = 2; c <= 9; ++c) channels += "," + cells[c];
            EXPECT_EQ(channels, LiveChannelCells(v));
            // calc --raw: injection in 0.1 ms, advance as its byte.
            const std::string replayed = "tinj1=" + std::to_string(std::lround(std::stod(cells[12]) * 10)) +
                                         " tinj2=" + std::to_string(std::lround(std::stod(cells[13]) * 10)) +
                                         " advance=" + std::to_string(std::stol(cells[14]) + kAdvanceOffset) +
                                         " duty1=" + cells[15] + " duty2=" + cells[16] + "\n";
            const auto calc = RunTool({"calc", map, "--rpm", std::to_string(v.live_rpm), "--pressure",
                                       std::to_string(v.live_pressure), "--tps", std::to_string(v.live_tps), "--air",
                                       std::to_string(v.live_air), "--water", std::to_string(v.live_water), "--raw"});
            EXPECT_EQ(replayed, calc.out) << "row " << i;
        }
    }
}

TEST(ReplayCommand, SkippedRowsAreSaidOnStandardErrorAndTheRestWritten) {
    test::ScratchDir dir;
    const std::string map = ORV_SAMPLE_MAP, out = (dir.path() / "out.csv").string();
    std::vector<LiveValues> points;
    dir.WriteFile("drive.csv", RandomLog(5, 4, points) + "0.5,abc\r\n0.6,3000");
    const auto run = RunTool({"replay", (dir.path() / "drive.csv").string(), map, "-o", out});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "orvtool: " + (dir.path() / "drive.csv").string() +
                           ": 4 rows, 0:00:00; 2 rows skipped: row 6 has 2 cells, 12 expected; the last line is cut "
                           "short (row 7)\n");
    EXPECT_EQ(Lines(dir.ReadFile("out.csv")).size(), 5u);
    // "-" and no -o are standard output, with the same text.
    const auto dash = RunTool({"replay", (dir.path() / "drive.csv").string(), map, "-o", "-"});
    EXPECT_EQ(dash.out, dir.ReadFile("out.csv"));
}

TEST(ReplayCommand, BadLogsAndMapsAreOneLineAndWriteNothing) {
    test::ScratchDir dir;
    std::vector<LiveValues> points;
    dir.WriteFile("ok.csv", RandomLog(9, 3, points));
    dir.WriteFile("empty.csv", "");
    dir.WriteFile("binary.csv", std::string("\x7f" "ELF\0\0\0\0", 8));
    dir.WriteFile("other.csv", "a,b,c\r\n1,2,3\r\n");
    dir.WriteFile("bad_rows.csv", orv::test::kEarlierLogHeader + "0,1,2\r\n");
    dir.WriteFile("short.map", "1\r\n2\r\n");
    dir.WriteFile("out.csv", "old");
    auto path = [&](const char* name) { return (dir.path() / name).string(); };
    // A copy: one case asks for the map itself as the output.
    std::filesystem::copy_file(ORV_SAMPLE_MAP, dir.path() / "m.map");
    const std::string ok = path("ok.csv"), map = path("m.map"), out = path("out.csv");
    const struct {
        std::vector<std::string> args;
        std::string error;  // part of the one line
    } cases[] = {
        {{"replay", path("none.csv"), map, "-o", out}, path("none.csv") + ": cannot be opened"},
        {{"replay", path("empty.csv"), map, "-o", out}, path("empty.csv") + ": the file is empty"},
        {{"replay", path("binary.csv"), map, "-o", out}, ": not a log: the file holds binary data"},
        {{"replay", path("other.csv"), map, "-o", out}, ": not a log: the first line is \"a,b,c\""},
        {{"replay", path("bad_rows.csv"), map, "-o", out},
         ": no rows to replay (0 rows; 1 row skipped: row 2 has 3 cells, 12 expected)"},
        {{"replay", dir.path().string(), map, "-o", out}, "is a folder"},
        {{"replay", ok, path("none.map"), "-o", out}, path("none.map") + ": cannot be opened"},
        {{"replay", ok, path("short.map"), "-o", out}, "2 values, a map holds 1837"},
        {{"replay", ok, path("ok.csv"), "-o", out}, "not a byte value"},
        {{"replay", ok, map, "-o", ok}, ok + ": is the input file"},
        {{"replay", ok, map, "-o", map}, map + ": is the input file"},
        {{"replay", ok, map, "-o", path("no/such/folder.csv")}, "folder.csv"},
        {{"replay", ok}, "MAP is required"},
    };
    const std::string log_before = dir.ReadFile("ok.csv"), map_before = dir.ReadFile("m.map");
    for (const auto& k : cases) {
        SCOPED_TRACE(k.error);
        const auto run = RunTool(k.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("orvtool: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(k.error), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(dir.ReadFile("out.csv"), "old");
        EXPECT_EQ(dir.ReadFile("ok.csv"), log_before);
        EXPECT_EQ(dir.ReadFile("m.map"), map_before);
    }
    const auto help = RunTool({"replay", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("LOG"), std::string::npos);
}

// Clamped values, ignored columns and a 100 MB line (under a memory cap) said in one line each; all else replayed.
TEST(ReplayCommand, WhatReplayCouldNotTakeAsLoggedIsSaidInOneLineEach) {
    const std::string kCap = "ulimit -v 122880 2>/dev/null || exit 77;";  // orvtool starts in some 55 MB
    const std::string cap = RunTool({"--version"}, kCap).status == 0 ? kCap : "";
    auto row = [](const char* rpm, const char* air, const char* advance, const std::string& more = "") {
        return std::string("0.0,") + rpm + ",1.0,0," + air + ",20,1.0,1.0," + advance + ",12.0,," + more + "\r\n";
    };
    const std::string header = orv::test::kEarlierLogHeader;
    const struct {
        std::string log, said;  // said: standard error after "orvtool: LOG: "
        std::size_t rows;
    } cases[] = {
        {header + row("25500", "235", "210") + row("0", "-20", "-45"), "", 2},
        {header + row("25600", "-300", "400") + row("-1", "20", "10"),
         "4 values out of range clamped: 2 rpm (to 0..25,500), 1 air_c (to -20..235), 1 advance_deg (to -45..210)", 2},
        {header.substr(0, header.size() - 2) + ",u0,u1,u2,u3,u4,u5,u6\r\n" + row("1000", "20", "10", ",,,,,,,"),
         "1 row, 0:00:00; columns \"u0\", \"u1\", \"u2\", \"u3\", \"u4\" and 2 more ignored", 1},
        {header + row("1000", "20", "10") + "0.1," + std::string(100 << 20, '5') + "\r\n" + row("1000", "20", "10"),
         "2 rows, 0:00:00; 1 row skipped: row 3 is longer than 1 MB", 2},
    };
    test::ScratchDir dir;
    const std::string log = (dir.path() / "drive.csv").string();
    for (const auto& k : cases) {
        dir.WriteFile("drive.csv", k.log);
        const auto run = RunTool({"replay", log, ORV_SAMPLE_MAP}, cap);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, k.said.empty() ? "" : "orvtool: " + log + ": " + k.said + "\n");
        EXPECT_EQ(Lines(run.out).size(), k.rows + 1) << k.said;
    }
}
