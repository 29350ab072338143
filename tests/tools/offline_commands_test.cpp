// The offline subcommands against the console itself: the report a save
// writes, the calculated output and duty cycles at a live point, the CSV
// export; diff and lint on prepared maps; short maps as the console loads
// them; and every failure and usage error one line, exit 2, nothing written.
#include <gtest/gtest.h>

#include <random>

#include "core/common/numbers.h"
#include "core/files/map_file.h"
#include "core/recorder/recording.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"
#include "testing/scripted_file_dialog.h"
#include "tests/support/odd_files.h"
#include "tests/tools/run_tool.h"

using namespace orv;
using orv::test::Console;
using orv::test::RandomImage;
using orv::test::RunTool;
using orv::test::ScriptedFileDialog;

namespace {

struct ToolConsole : Console {
    ScriptedFileDialog dialog;
    explicit ToolConsole(const Image& image) {
        page.file_dialog = &dialog;
        StartUp(1);
        page.cal.mem_image = image;
        page.Show_Mem_Slot();
        page.Show_Settings();
    }
    std::string Path(const std::string& name) const { return (dir.path() / name).string(); }
};

Image SampleImage() {
    const ValueList v = ReadMapFile(ORV_SAMPLE_MAP);
    EXPECT_EQ(v.error, "");
    Image image{};
    ApplyMapValues(image, v.values);
    return image;
}

}  // namespace

TEST(OfflineCommands, ReportIsWhatASaveWritesBesideTheMap) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        for (bool ignition : {true, false}) {
            ToolConsole c(RandomImage(seed));
            c.page.form.Advancer.Visible = ignition;
            c.dialog.answers.push_back(c.Path("car.map"));
            c.page.savemem_Click();
            const std::string expected = c.dir.ReadFile("car.txt");
            ASSERT_FALSE(expected.empty());

            std::vector<std::string> args{"report", c.Path("car.map")};
            if (!ignition) args.push_back("--no-ignition");
            const auto run = RunTool(args);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out, expected) << "seed " << seed << " ignition " << ignition;

            args.insert(args.end(), {"-o", c.Path("out.txt")});
            const auto to_file = RunTool(args);
            EXPECT_EQ(to_file.status, 0);
            EXPECT_EQ(to_file.out, "");
            EXPECT_EQ(c.dir.ReadFile("out.txt"), expected);
        }
    }
}

TEST(OfflineCommands, CalcIsTheConsolesOutputAtTheLivePoint) {
    struct Case {
        unsigned seed;
        int cyl_mode;  // of the active slot; -1 keeps the random byte
        int active;    // image byte 157
    };
    const Case cases[] = {{11, -1, 0}, {12, 0x02, 0}, {13, 0x82, 1}, {14, 0x85, 2},
                          {15, 0x80, 3}, {16, 0x84, 7}, {17, 0x9F, 0}, {18, 0x03, 2}};
    for (const Case& k : cases) {
        Image image = RandomImage(k.seed);
        image[kActiveSlotByte] = static_cast<std::uint8_t>(k.active);
        if (k.cyl_mode >= 0) image[SlotStart(image[kActiveSlotByte]) + slot::kCylMode] = static_cast<std::uint8_t>(k.cyl_mode);
        ToolConsole c(image);
        ASSERT_EQ(WriteMapFile(c.Path("m.map"), image), "");
        std::mt19937 gen(k.seed);
        for (int point = 0; point < 6; ++point) {
            // Mostly inside the tables, now and then past their ends.
            std::uniform_int_distribution<int> in(0, point == 5 ? 255 : 90);
            LiveValues& live = c.page.live;
            live.live_rpm = static_cast<std::uint8_t>(in(gen));
            live.live_pressure = static_cast<std::uint8_t>(in(gen));
            live.live_tps = static_cast<std::uint8_t>(in(gen));
            live.live_air = static_cast<std::uint8_t>(in(gen));
            live.live_water = static_cast<std::uint8_t>(in(gen));
            c.page.Calc_Map_Output(-1);
            live.live_tinj1 = c.page.calc.op_tinj1;
            live.live_tinj2 = c.page.calc.op_tinj2;
            c.page.Calc_Duty_Cycle();
            const CalculatedOutputs& calc = c.page.calc;
            const std::string raw = "tinj1=" + std::to_string(calc.op_tinj1) + " tinj2=" + std::to_string(calc.op_tinj2) +
                                    " advance=" + std::to_string(calc.op_advance) + " duty1=" + c.page.form.duty1.Text +
                                    " duty2=" + c.page.form.duty2.Text + "\n";
            // In the units the console shows under the tables.
            const std::string units = "tinj1=" + Format(calc.op_tinj1 / 10.0, "#0.0") + " ms, tinj2=" +
                                      Format(calc.op_tinj2 / 10.0, "#0.0") + " ms, advance=" +
                                      std::to_string(calc.op_advance - kAdvanceOffset) + " deg, duty1=" +
                                      c.page.form.duty1.Text + " %, duty2=" + c.page.form.duty2.Text + " %\n";
            std::vector<std::string> args{"calc", c.Path("m.map"), "--rpm", std::to_string(live.live_rpm), "--pressure",
                                          std::to_string(live.live_pressure), "--tps", std::to_string(live.live_tps), "--air",
                                          std::to_string(live.live_air), "--water", std::to_string(live.live_water)};
            const auto run = RunTool(args);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out, units) << "seed " << k.seed << " point " << point;
            args.push_back("--raw");
            EXPECT_EQ(RunTool(args).out, raw) << "seed " << k.seed << " point " << point;
        }
    }
}

TEST(OfflineCommands, CalcBreakdownShowsRowsValuesAndResults) {
    // Bank 1: rpm 33 reads rows 7-8 (40, 50): 46; pressure byte 100 (+10 %)
    // makes 50.6 -> 51; the other gains neutral.
    Image image{};
    for (const int set : {slot::kBank1Set, slot::kBank2Set})
        for (int t = 1; t < kTableCount; ++t)
            for (int r = 0; r < kTableBytes[t]; ++r) image[set + kTableOffset[t] + r] = 90;
    for (int t = 0; t < kTableCount; ++t)
        for (int r = 0; r < kTableBytes[t]; ++r) image[slot::kIgnitionSet + kTableOffset[t] + r] = 45;
    image[6] = 40;
    image[7] = 50;
    image[kTableOffset[1] + 20] = 100;
    ToolConsole c(image);
    ASSERT_EQ(WriteMapFile(c.Path("b.map"), image), "");
    const auto run = RunTool({"calc", c.Path("b.map"), "--rpm", "33", "--pressure", "20", "--tps", "0", "--air", "0",
                              "--water", "0", "--breakdown"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find("bank 2\n")),
              "tinj1=5.1 ms, tinj2=0.0 ms, advance=0 deg, duty1=14 %, duty2=0 %\n"
              "bank 1\n"
              "  RPM  rows 7-8 (3.0 + 3/5)     byte  46 = 4.6 ms    -> 46 = 4.6 ms\n"
              "  PRES row 21 (1.0)             byte 100 = 10 %      -> 51 = 5.1 ms\n"
              "  TPS  row 1 (0)                byte  90 = 0 %       -> 51 = 5.1 ms\n"
              "  AIR  row 1 (-20)              byte  90 = 0 %       -> 51 = 5.1 ms\n"
              "  WAT  row 1 (-20)              byte  90 = 0 %       -> 51 = 5.1 ms\n");
    EXPECT_NE(run.out.find("\nignition\n  RPM  rows 7-8 (3.0 + 3/5)     byte  45 = 0 deg     -> 45 = 0 deg\n"),
              std::string::npos);
}

TEST(OfflineCommands, DiffNamesEachDifferenceInTheConsolesUnits) {
    const Image a = SampleImage();
    Image b = a;
    b[3] = static_cast<std::uint8_t>(a[3] + 5);                     // slot 1 bank 1 RPM row 4
    b[kSlotSize + slot::kCylMode] = 0x83;                           // slot 2: 5 cylinders, Full
    b[3 * kSlotSize + slot::kIgnitionSet + kTableOffset[1] + 51] = 7;  // past the pressure grid
    b[kImageSize - 1] = 9;
    ToolConsole c(a);
    ASSERT_EQ(WriteMapFile(c.Path("a.map"), a), "");
    ASSERT_EQ(WriteMapFile(c.Path("b.map"), b), "");

    const auto same = RunTool({"diff", c.Path("a.map"), c.Path("a.map")});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "");
    const auto run = RunTool({"diff", c.Path("a.map"), c.Path("b.map")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "slot 1, bank 1, RPM table\n"
              "  row 4 (1.5): 2.7 -> 3.2\n"
              "slot 2, settings\n"
              "  cylinders: 4 -> 5 Full\n"
              "slot 4, ignition, PRES table\n"
              "  row 52 (4.1): " + std::to_string(a[3 * kSlotSize + slot::kIgnitionSet + 32 + 51] - 45) +
                  " -> -38 [not shown]\n"
              "trailing byte\n"
              "  byte 1836: " + std::to_string(a[kImageSize - 1]) + " -> 9\n");
}

TEST(OfflineCommands, LintFindsWhatTheConsoleWouldShowDifferently) {
    struct Case {
        int addr, value;  // -1: one value appended to the file
        const char* expected;
    };
    const Case cases[] = {
        {0, -1, ""},
        {150, 77, "slot 1 cylinders (byte 150): code 77 outside 0..5, shown as 1\n"},
        {150, 0x85, ""},
        {kSlotSize + 156, 200, "slot 2 limiter (byte 615): 200 outside 0..150\n"},
        {152, 31, "slot 1 water switch (byte 152): 31 outside 0..30\n"},
        {158, 0x01, "slot 1 view (byte 158): view bits 01 set, a saved map carries 00\n"},
        {309, 30, "slot 1 ignition RPM row 1 (0.0) (byte 309): 30 outside 40..85\n"},
        {32 + 50, 181, "slot 1 bank 1 PRES row 51 (4.0) (byte 82): 181 outside 0..180\n"},
        {32 + 51, 181, ""},  // past the grid: no control shows it
        {157, 4, "active slot (byte 157): 4 names no slot, read as Mem 1\n"},
        {-1, 0, "length: 1838 values, a map holds 1837\n"},
    };
    ToolConsole c(SampleImage());
    for (const Case& k : cases) {
        Image image = SampleImage();
        std::string text;
        if (k.addr >= 0) {
            if (k.value >= 0) image[k.addr] = static_cast<std::uint8_t>(k.value);
            text = FormatMapFile(image);
        } else {
            text = FormatMapFile(image) + "0\r\n";
        }
        c.dir.WriteFile("l.map", text);
        const auto run = RunTool({"lint", c.Path("l.map")});
        EXPECT_EQ(run.out, k.expected) << k.addr;
        EXPECT_EQ(run.status, *k.expected ? 1 : 0) << k.addr;
    }
    c.dir.WriteFile("short.map", "1\r\n2\r\n");
    EXPECT_EQ(RunTool({"lint", c.Path("short.map")}).out, "length: 2 values, a map holds 1837\n");
}

TEST(OfflineCommands, Rec2CsvIsTheConsolesExport) {
    ToolConsole c(SampleImage());
    std::mt19937 gen(5);
    std::array<std::uint8_t, kRecBufferSize> buffer{};
    for (auto& b : buffer) b = static_cast<std::uint8_t>(gen() & 0xFF);
    c.dir.WriteFile("r.rec", FormatRecording(buffer, 37));
    const auto run = RunTool({"rec2csv", c.Path("r.rec"), "-o", c.Path("r.csv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(c.dir.ReadFile("r.csv"), FormatRecordingCsv(buffer, 37));
}

TEST(OfflineCommands, FailuresAreOneLineAndWriteNothing) {
    ToolConsole c(SampleImage());
    ASSERT_EQ(WriteMapFile(c.Path("ok.map"), SampleImage()), "");
    c.dir.WriteFile("bad.map", "1\r\n300\r\n");
    c.dir.WriteFile("short.map", "1\r\n2\r\n");
    c.dir.WriteFile("empty.rec", "");
    c.dir.WriteFile("out.txt", "old");
    const std::string ok = c.Path("ok.map"), bad = c.Path("bad.map"), none = c.Path("none.map"), out = c.Path("out.txt"),
                      short_map = c.Path("short.map"), no_rec = c.Path("empty.rec");
    const std::vector<std::string> point{"--pressure", "1", "--tps", "2", "--air", "3", "--water", "4"};
    auto calc = [&](const std::string& map, const std::string& rpm) {
        std::vector<std::string> a{"calc", map, "--rpm", rpm};
        a.insert(a.end(), point.begin(), point.end());
        return a;
    };
    struct Case {
        std::vector<std::string> args;
        std::string error;  // part of the one line
    };
    const Case cases[] = {
        {{"report", none, "-o", out}, none + ": cannot be opened"},
        {{"report", bad, "-o", out}, bad + ": not a byte value: \"300\""},
        {{"report", ok, "--frob", "-o", out}, "--frob"},
        {{"report"}, "MAP is required"},
        {{"rec2csv", none, "-o", out}, none + ": "},
        {{"rec2csv", bad, "-o", out}, bad + ": "},
        {calc(ok, "256"), "--rpm: Value 256 not in range 0 to 255"},
        {calc(ok, "12x"), "--rpm"},
        {calc(bad, "12"), bad + ": not a byte value"},
        {{"calc", ok, "--rpm", "1"}, "--pressure is required"},
        {{"diff", ok, none}, none + ": cannot be opened"},
        {{"lint", bad}, bad + ": not a byte value"},
        {{"lint", c.dir.path().string()}, "is a folder"},
        // A map too short to be one, unless --allow-short.
        {{"report", short_map, "-o", out}, short_map + ": 2 values, a map holds 1837 (--allow-short reads it all the same)"},
        {calc(short_map, "1"), short_map + ": 2 values, a map holds 1837"},
        {{"diff", ok, short_map}, short_map + ": 2 values, a map holds 1837"},
        // Values that no recorder wrote.
        {{"rec2csv", ok, "-o", out}, ok + ": not a recording: 1837 values, not whole samples of 9"},
        {{"rec2csv", short_map, "-o", out}, short_map + ": not a recording: 2 values, not whole samples of 9"},
        {{"rec2csv", no_rec, "-o", out}, no_rec + ": not a recording: no values"},
        // Command lines orvtool cannot run.
        {{"frobnicate", ok}, "no subcommand \"frobnicate\""},
        {{"--frob"}, "no subcommand \"--frob\""},
        {{"lint", ok, ok}, "not expected"},
        {{"diff", ok}, "B is required"},
        {{"report", ok, "-o"}, "-o"},
    };
    for (const Case& k : cases) {
        const auto run = RunTool(k.args);
        EXPECT_EQ(run.status, 2) << k.error;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("orvtool: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(k.error), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(c.dir.ReadFile("out.txt"), "old");
    }
    for (const char* sub : {"report", "calc", "diff", "rec2csv", "lint"}) {
        const auto help = RunTool({sub, "--help"});
        EXPECT_EQ(help.status, 0) << sub;
        EXPECT_NE(help.out.find(sub), std::string::npos) << sub;
    }
}

// -o writes only over a regular file and never over the file read (by its
// name, a hard link or a symbolic link): each refusal is one line, exit 2,
// and the file, node or link stays as it was.
TEST(OfflineCommands, OutputsThatAreNotARegularFileOrTheInputAreRefused) {
    ToolConsole c(SampleImage());
    ASSERT_EQ(WriteMapFile(c.Path("in.map"), SampleImage()), "");
    c.dir.WriteFile("in.rec", FormatRecording(c.page.rec.rec_buffer, 2));
    for (const char* sub : {"report", "rec2csv"}) {
        const std::string ext = std::string(sub) == "report" ? ".map" : ".rec";
        const std::string input = c.Path("in" + ext), before = c.dir.ReadFile("in" + ext);
        std::filesystem::create_hard_link(input, c.Path("hard" + ext));
        std::filesystem::create_symlink("in" + ext, c.Path("soft" + ext));
        std::vector<std::pair<std::string, std::string>> cases = {
            {input, "is the input file"}, {c.Path("hard" + ext), "is the input file"}, {c.Path("soft" + ext), "is the input file"}};
        for (const orv::test::OddFile kind : orv::test::kOddFiles) {
            const std::string out = c.Path(std::string(sub) + orv::test::Name(kind));
            if (orv::test::MakeOddFile(out, kind)) cases.emplace_back(out, "not a regular file");  // a device needs root
        }
        for (const auto& [out, error] : cases) {
            SCOPED_TRACE(std::string(sub) + " -o " + out);
            const auto type = orv::test::TypeOf(out);
            const bool link = std::filesystem::is_symlink(out);
            const auto run = RunTool({sub, input, "-o", out});
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err.rfind("orvtool: " + out + ": ", 0), 0u) << run.err;
            EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_EQ(orv::test::TypeOf(out), type);
            EXPECT_EQ(std::filesystem::is_symlink(out), link);
            EXPECT_EQ(c.dir.ReadFile("in" + ext), before);
        }
        // "-" is standard output.
        const auto dash = RunTool({sub, input, "-o", "-"});
        EXPECT_EQ(dash.status, 0) << dash.err;
        EXPECT_FALSE(dash.out.empty());
        EXPECT_EQ(dash.out, RunTool({sub, input}).out);
        EXPECT_FALSE(std::filesystem::exists(c.dir.path() / "-"));
    }
    EXPECT_EQ(orv::test::TypeOf("/dev/null"), std::filesystem::file_type::character);
}

TEST(OfflineCommands, AnEmptyMapIsRefusedByEveryReader) {
    ToolConsole c(SampleImage());
    c.dir.WriteFile("empty.map", "\r\n\r\n");
    const std::string empty = c.Path("empty.map");
    for (const bool allow_short : {false, true}) {
        for (std::vector<std::string> args :
             {std::vector<std::string>{"report", empty}, {"diff", empty, empty}, {"calc", empty, "--rpm", "1", "--pressure", "1",
                                                                                  "--tps", "1", "--air", "1", "--water", "1"}}) {
            if (allow_short) args.push_back("--allow-short");
            const auto run = RunTool(args);
            EXPECT_EQ(run.status, 2) << args[0];
            EXPECT_EQ(run.err, "orvtool: " + empty + ": no values\n");
        }
    }
}

// With --allow-short a short map reads as the console loads it into a fresh
// start: its values over the leading bytes, the rest 0. diff compares what
// both files hold, as the console compares with a short map, and names the
// lengths.
TEST(OfflineCommands, AShortMapIsReadAsTheConsoleLoadsIt) {
    const Image sample = SampleImage();
    const std::vector<std::uint8_t> head(sample.begin(), sample.begin() + 400);
    const std::string short_text = FormatValueList(head.data(), head.size());

    ToolConsole c(Image{});
    c.dir.WriteFile("short.map", short_text);
    c.dialog.answers = {c.Path("short.map"), c.Path("car.map")};
    c.page.loadmem_Click();
    c.page.savemem_Click();
    c.dir.WriteFile("car.map", short_text);
    const auto report = RunTool({"report", c.Path("car.map"), "--allow-short"});
    EXPECT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.out, c.dir.ReadFile("car.txt"));

    ASSERT_EQ(WriteMapFile(c.Path("full.map"), sample), "");
    std::vector<std::uint8_t> changed = head;
    changed[3] = static_cast<std::uint8_t>(changed[3] + 5);
    c.dir.WriteFile("changed.map", FormatValueList(changed.data(), changed.size()));
    struct Case {
        std::string a, b, expected;
    };
    const std::string lengths = "length\n  values: 1837 -> 400\n";
    const Case cases[] = {
        {"full.map", "short.map", lengths},
        {"short.map", "short.map", ""},
        {"changed.map", "full.map", "slot 1, bank 1, RPM table\n  row 4 (1.5): " + CellText(TableView::Fuel, 0, changed[3]) +
                                        " -> " + CellText(TableView::Fuel, 0, sample[3]) + "\nlength\n  values: 400 -> 1837\n"},
    };
    for (const Case& k : cases) {
        const auto run = RunTool({"diff", c.Path(k.a), c.Path(k.b), "--allow-short"});
        EXPECT_EQ(run.out, k.expected) << k.a << " " << k.b;
        EXPECT_EQ(run.status, k.expected.empty() ? 0 : 1) << run.err;
    }
}

// No arguments is a mistake in a script (a command in an empty variable):
// the subcommands go to standard error and nothing to standard output.
TEST(OfflineCommands, NoArgumentsListTheSubcommands) {
    const auto run = RunTool({});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    for (const char* sub : {"report", "calc", "diff", "rec2csv", "lint", "replay"}) EXPECT_NE(run.err.find(sub), std::string::npos) << sub;
}
