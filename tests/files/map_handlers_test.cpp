// Load and Save as the user meets them: the dialog's questions, the link
// closed around the file work, the display after a load, and every failure
// told in the window with the image and the files left as they were.
#include <gtest/gtest.h>

#include <functional>

#include "core/files/map_file.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"
#include "testing/scripted_file_dialog.h"
#include "tests/support/odd_files.h"

using namespace orv;
using orv::test::Console;
using orv::test::RandomImage;
using orv::test::ScriptedFileDialog;
namespace test = orv::test;

namespace {

// A console after start-up on port 1, its dialog scripted.
struct MapConsole : Console {
    ScriptedFileDialog dialog;
    MapConsole() {
        page.file_dialog = &dialog;
        StartUp(1);
    }
    std::string Path(const std::string& name) const { return (dir.path() / name).string(); }
    void Answer(const std::string& name) { dialog.answers.push_back(Path(name)); }
    std::string Lines(int count, int value) const {
        std::string s;
        for (int i = 0; i < count; ++i) s += std::to_string(value) + "\r\n";
        return s;
    }
};

}  // namespace

TEST(MapHandlers, DialogsAskAsTheConsoleAlwaysHas) {
    MapConsole c;
    c.page.loadmem_Click();
    c.page.savemem_Click();
    ASSERT_EQ(c.dialog.asked.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const FileDialogRequest& r = c.dialog.asked[i];
        EXPECT_EQ(r.title, i == 0 ? "Load" : "Save");
        EXPECT_EQ(r.filter, "*.map");
        EXPECT_EQ(r.file_name, "*.map");
        EXPECT_EQ(r.default_ext, "map");
        EXPECT_EQ(r.init_dir, std::filesystem::current_path().string());
        EXPECT_EQ(c.dialog.asked_to_save[i], i == 1);
    }
}

TEST(MapHandlers, CancelChangesNothing) {
    for (bool save : {false, true}) {
        MapConsole c;
        c.page.form.bank2mem.SetValue(true);  // view bits 01 in slot 0
        const Image before = c.page.cal.mem_image;
        const std::string config = c.dir.ReadFile("config.dat");
        const int opens = c.port.open_count;
        save ? c.page.savemem_Click() : c.page.loadmem_Click();
        EXPECT_EQ(c.page.cal.mem_image, before);
        EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
        EXPECT_EQ(c.page.form.Notice, "");
        EXPECT_TRUE(c.port.IsOpen());  // the link runs again as before the dialog
        EXPECT_EQ(c.port.open_count, opens + 1);
    }
}

TEST(MapHandlers, SaveWritesMapReportAndConfigAndKeepsTheView) {
    MapConsole c;
    c.page.cal.mem_image = RandomImage(5);
    c.page.cal.mem_image[157] = 1;
    c.page.Show_Mem_Slot();
    c.page.Show_Settings();
    const Image shown = c.page.cal.mem_image;
    ASSERT_TRUE(c.page.CalibrationUnsaved());
    const int opens = c.port.open_count;
    c.Answer("car.v1.map");
    c.page.savemem_Click();

    Image expected = shown;
    for (int b : {0, 459, 918, 1377}) expected[b + 158] &= 0xFC;
    EXPECT_EQ(c.dir.ReadFile("car.v1.map"), FormatMapFile(expected));
    EXPECT_EQ(c.page.cal.mem_image, shown);  // the grids keep the table set they show
    EXPECT_EQ(c.dir.ReadFile("car.v1.txt").rfind("ORV - TALPA-01\r\n \r\nFile " + c.Path("car.v1.map") + "\r\n", 0), 0u);
    EXPECT_EQ(c.dir.ReadFile("config.dat"), "1,\"" + c.Path("car.v1.map") + "\",\"\"\r\n");
    EXPECT_EQ(c.page.form.mapfile.Text, c.Path("car.v1.map"));
    EXPECT_EQ(c.page.config.cfg_map_file, c.Path("car.v1.map"));
    EXPECT_FALSE(c.page.CalibrationUnsaved());
    EXPECT_EQ(c.port.open_count, opens + 1);
    EXPECT_TRUE(c.port.IsOpen());
}

TEST(MapHandlers, LoadFillsTheImageAndTheDisplay) {
    MapConsole c;
    Image file{};
    file.fill(90);
    file[157] = 2;                      // slot 2: "Mem 3"
    file[918 + 150] = 0x84;             // 6 cylinders, Full
    file[918 + 158] = 0x08 | 0x01;      // bank 2 off, view bits on bank 2
    file[918 + 0] = 52;                 // first injection time 5.2 ms
    c.dir.WriteFile("in.map", FormatMapFile(file));
    c.page.cal.mem_image[1836] = 1;
    c.Answer("in.map");
    c.page.loadmem_Click();
    const auto& f = c.page.form;
    EXPECT_TRUE(f.mem3.Value());
    EXPECT_EQ(c.page.cal.slot_base, 918);
    EXPECT_EQ(f.ncylinder.Text, "6");
    EXPECT_TRUE(f.ignsel.Value());
    EXPECT_TRUE(f.bank1mem.Value());  // bank 2 off: the grids go back to bank 1
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "5.2");
    EXPECT_EQ(f.mapfile.Text, c.Path("in.map"));
    EXPECT_EQ(c.dir.ReadFile("config.dat"), "1,\"" + c.Path("in.map") + "\",\"\"\r\n");
    EXPECT_EQ(c.page.cal.mem_image[1836], 90);
    EXPECT_FALSE(c.page.CalibrationUnsaved());
    EXPECT_TRUE(c.port.IsOpen());
}

TEST(MapHandlers, ShortFileKeepsTheTailAndOtherLayoutsLoadAlike) {
    for (const std::string content : {"7\r\n8\r\n9\r\n", "7,8,9", "7 8\n9\n"}) {
        MapConsole c;
        c.page.cal.mem_image.fill(200);
        c.dir.WriteFile("s.map", content);
        c.Answer("s.map");
        c.page.loadmem_Click();
        EXPECT_EQ(c.page.form.Notice, "") << content;
        EXPECT_EQ(c.page.cal.mem_image[0], 7);
        EXPECT_EQ(c.page.cal.mem_image[2], 9);
        EXPECT_EQ(c.page.cal.mem_image[3], 200) << content;
    }
}

TEST(MapHandlers, AFailedLoadLeavesEverythingAndSaysSo) {
    MapConsole probe;
    const struct {
        std::optional<std::string> content;  // none: no such file
        std::string reason;
    } cases[] = {
        {std::nullopt, "cannot be opened"},
        {"1\r\n2\r\n300\r\n", "not a byte value: \"300\""},
        {"1\r\nx\r\n", "not a byte value: \"x\""},
        {probe.Lines(1838, 3), "more than 1837 values"},
        {"", "no values"},
        {"\r\n\r\n", "no values"},
    };
    for (const auto& k : cases) {
        MapConsole c;
        c.page.cal.mem_image = RandomImage(9);
        c.page.cal.mem_image[157] = 0;
        c.page.form.bank2mem.SetValue(true);
        const Image before = c.page.cal.mem_image;
        if (k.content) c.dir.WriteFile("bad.map", *k.content);
        c.Answer("bad.map");
        c.page.loadmem_Click();
        EXPECT_EQ(c.page.cal.mem_image, before) << k.reason;
        EXPECT_EQ(c.page.form.Notice, "Map file \"" + c.Path("bad.map") + "\" not loaded: " + k.reason);
        EXPECT_EQ(c.page.config.cfg_map_file, "");
        EXPECT_EQ(c.page.form.mapfile.Text, "");
        EXPECT_TRUE(c.port.IsOpen()) << "the link runs again";
    }
}

TEST(MapHandlers, AFailedSaveSaysSoAndKeepsTheChangesUnsaved) {
    MapConsole c;
    const std::string config = c.dir.ReadFile("config.dat");
    c.Answer("missing/a.map");
    c.page.cal.mem_image[3] = 4;
    c.page.savemem_Click();
    EXPECT_EQ(c.page.form.Notice, "Map file \"" + c.Path("missing/a.map") + "\" not saved: No such file or directory");
    EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
    EXPECT_EQ(c.page.form.mapfile.Text, "");
    EXPECT_TRUE(c.page.CalibrationUnsaved());
    EXPECT_TRUE(c.port.IsOpen());
}

TEST(MapHandlers, ReportGoesBesideTheMapOrNowhere) {
    const struct {
        std::string map;
        std::string report;  // empty: none
    } cases[] = {
        {"dotted.dir/car", ""},
        {"dotted.dir/car.map", "dotted.dir/car.txt"},
        {"notes.txt", ""},
    };
    for (const auto& k : cases) {
        MapConsole c;
        std::filesystem::create_directory(c.dir.path() / "dotted.dir");
        c.Answer(k.map);
        c.page.savemem_Click();
        EXPECT_EQ(c.page.form.Notice, "") << k.map;
        EXPECT_EQ(c.dir.ReadFile(k.map).size(), 1837u * 3) << k.map;  // the map itself is whole
        std::size_t files = 0;
        for (auto& e : std::filesystem::recursive_directory_iterator(c.dir.path())) files += e.is_regular_file();
        EXPECT_EQ(files, k.report.empty() ? 2u : 3u) << k.map;  // config.dat, the map, the report
        if (!k.report.empty()) {
            EXPECT_EQ(c.dir.ReadFile(k.report).substr(0, 14), "ORV - TALPA-01");
        }
    }
}

TEST(MapHandlers, SaveThenLoadGivesTheSameImageButTheViewBits) {
    MapConsole c;
    const Image original = RandomImage(11);
    c.page.cal.mem_image = original;
    c.Answer("r.map");
    c.page.savemem_Click();
    c.page.cal.mem_image = RandomImage(12);
    c.Answer("r.map");
    c.page.loadmem_Click();
    Image expected = original;
    for (int b : {0, 459, 918, 1377}) expected[b + 158] &= 0xFC;
    // The load's display refresh writes the active slot and its view bits back.
    const int base = (original[157] >= 1 && original[157] <= 3) ? original[157] * 459 : 0;
    expected[157] = static_cast<std::uint8_t>(base / 459);
    expected[base + 158] = c.page.cal.mem_image[base + 158];
    EXPECT_EQ(c.page.cal.mem_image, expected);
}

TEST(MapHandlers, StartUpLoadsTheLastMapOrSkipsIt) {
    const struct {
        std::optional<std::string> content;  // none: missing
        std::uint8_t first;
        std::string notice;   // after the path
    } cases[] = {
        {"5\r\n6\r\n", 5, ""},
        {std::nullopt, 0, "\" not loaded: cannot be opened"},
        {"5\r\n256\r\n", 0, "\" not loaded: not a byte value: \"256\""},
        {"\r\n", 0, "\" not loaded: no values"},
    };
    for (const auto& k : cases) {
        Console c;
        if (k.content) c.dir.WriteFile("last.map", *k.content);
        const std::string path = (c.dir.path() / "last.map").string();
        c.dir.WriteFile("config.dat", "2,\"" + path + "\",\"\"\r\n");
        c.page.Form_Load();
        EXPECT_EQ(c.page.cal.mem_image[0], k.first);
        EXPECT_EQ(c.page.form.Notice, k.notice.empty() ? "" : "Map file \"" + path + k.notice);
        EXPECT_EQ(c.page.form.mapfile.Text, path);
        EXPECT_TRUE(c.port.IsOpen());
        EXPECT_FALSE(c.page.CalibrationUnsaved());
        EXPECT_EQ(c.dir.ReadFile("config.dat"), "2,\"" + path + "\",\"\"\r\n");  // "" kept as it was
    }
}

TEST(MapHandlers, ChangesCountUntilSavedLoadedOrTransferred) {
    MapConsole c;
    EXPECT_FALSE(c.page.CalibrationUnsaved());
    c.page.form.bank2mem.SetValue(true);  // choosing what the grids show is no change
    c.page.form.IgnMem.SetValue(true);
    EXPECT_FALSE(c.page.CalibrationUnsaved());
    c.page.form.mem2.SetValue(true);  // the active slot travels with the image
    EXPECT_TRUE(c.page.CalibrationUnsaved());
    c.page.MarkCalibrationKept();
    c.page.cal.mem_image[700] ^= 1;
    EXPECT_TRUE(c.page.CalibrationUnsaved());
    c.page.loadmem_Click();  // cancelled
    EXPECT_TRUE(c.page.CalibrationUnsaved());
}

TEST(MapHandlers, SaveRefusesWhatIsNotARegularFileAndWritesNoReport) {
    for (const test::OddFile kind : test::kOddFiles) {
        SCOPED_TRACE(test::Name(kind));
        MapConsole c;
        if (!test::MakeOddFile(c.dir.path() / "out.map", kind)) continue;  // a device node needs root
        const auto type = test::TypeOf(c.dir.path() / "out.map");
        const std::string config = c.dir.ReadFile("config.dat");
        c.page.cal.mem_image[3] = 4;
        c.Answer("out.map");
        c.page.savemem_Click();
        EXPECT_EQ(c.page.form.Notice.rfind("Map file \"" + c.Path("out.map") + "\" not saved: ", 0), 0u);
        EXPECT_NE(c.page.form.Notice.find("not a regular file"), std::string::npos) << c.page.form.Notice;
        EXPECT_EQ(test::TypeOf(c.dir.path() / "out.map"), type);
        EXPECT_FALSE(std::filesystem::exists(c.dir.path() / "out.txt"));
        EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
        EXPECT_EQ(c.page.form.mapfile.Text, "");
        EXPECT_TRUE(c.page.CalibrationUnsaved());
        EXPECT_TRUE(c.port.IsOpen());
    }
}

TEST(MapHandlers, AReportThatCannotBeWrittenLeavesTheMapSavedAndSaysWhy) {
    const auto dir = [](MapConsole& c) { return c.dir.path(); };
    const struct {
        std::function<void(MapConsole&)> make_report;  // what car.txt is
        std::string reason;
    } cases[] = {
        {[&](MapConsole& c) { test::MakeOddFile(dir(c) / "car.txt", test::OddFile::Fifo); },
         "is a FIFO, not a regular file"},
        {[&](MapConsole& c) { test::MakeOddFile(dir(c) / "car.txt", test::OddFile::LinkToDevice); },
         "links to \"/dev/null\", a device, not a regular file"},
        {[&](MapConsole& c) { std::filesystem::create_symlink("car.map", dir(c) / "car.txt"); },
         "it is the map file itself"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.reason);
        MapConsole c;
        k.make_report(c);
        c.Answer("car.map");
        c.page.savemem_Click();
        EXPECT_EQ(c.page.form.Notice, "Report \"" + c.Path("car.txt") + "\" not written: " + k.reason);
        EXPECT_EQ(c.dir.ReadFile("car.map"), FormatMapFile(c.page.cal.mem_image));
        EXPECT_EQ(c.page.config.cfg_map_file, c.Path("car.map"));
    }
}

// A save cut short must never leave a map newer than its report: the report
// goes first. A map whose own temporary cannot be made (its name too long
// for one) shows the order: the report, under a short name, is there.
TEST(MapHandlers, TheReportIsWrittenBeforeTheMap) {
    MapConsole c;
    const std::string map = "car." + std::string(250, 'm');
    c.Answer(map);
    c.page.savemem_Click();
    EXPECT_EQ(c.page.form.Notice, "Map file \"" + c.Path(map) + "\" not saved: File name too long");
    EXPECT_EQ(c.dir.ReadFile("car.txt").substr(0, 14), "ORV - TALPA-01");
    EXPECT_FALSE(std::filesystem::exists(c.dir.path() / map));
    EXPECT_EQ(c.page.config.cfg_map_file, "");
}

// config.dat holds names between double quotes on one line: a name with a
// quote or a line break is saved and loaded as chosen, but not remembered,
// and config.dat keeps every field it had.
TEST(MapHandlers, ANameConfigDatCannotHoldIsUsedAsChosenAndNotRemembered) {
    const struct {
        std::string name;
        std::string unfit;
    } cases[] = {
        {"my \"best\",tune.map", "a double quote"},
        {"two\nlines.map", "a line break"},
    };
    for (const auto& k : cases) {
        for (bool save : {true, false}) {
            SCOPED_TRACE(k.name + (save ? " save" : " load"));
            MapConsole c;
            c.dir.WriteFile("config.dat", "1,\"" + c.Path("old.map") + "\",\"" + c.Path("r.rec") + "\"\r\n");
            c.page.Read_Config();
            const std::string config = c.dir.ReadFile("config.dat");
            if (!save) {
                ASSERT_EQ(WriteMapFile(c.Path(k.name), RandomImage(4)), "");
            }
            c.Answer(k.name);
            save ? c.page.savemem_Click() : c.page.loadmem_Click();
            EXPECT_EQ(c.page.form.Notice, "\"" + c.Path(k.name) + "\" not remembered in config.dat: the name holds " + k.unfit);
            EXPECT_EQ(ReadMapFile(c.Path(k.name)).values.size(), 1837u);
            EXPECT_EQ(c.page.form.mapfile.Text, c.Path(k.name));
            EXPECT_EQ(c.page.config.cfg_map_file, c.Path("old.map"));
            EXPECT_EQ(c.dir.ReadFile("config.dat"), config);
            EXPECT_FALSE(c.page.CalibrationUnsaved());
        }
    }
}
