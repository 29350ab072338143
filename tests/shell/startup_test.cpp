#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

namespace {

std::string Lines(int count, int value) {
    std::string s;
    for (int i = 0; i < count; ++i) s += std::to_string(value) + "\r\n";
    return s;
}

}  // namespace

TEST(StartUp, ControlsComeUpInMonitorRemoteBankOne) {
    Console c;
    c.StartUp(1);
    auto& f = c.page.form;
    EXPECT_TRUE(f.remote.Value());
    EXPECT_TRUE(f.monitor.Value());
    EXPECT_TRUE(f.bank1mem.Value());
    EXPECT_TRUE(f.mem1.Value());
    for (form::Control* ctl : std::initializer_list<form::Control*>{&f.loadmem, &f.savemem, &f.upload, &f.download,
                                                                    &f.injection, &f.common, &f.Access,
                                                                    &f.HScroll1[0], &f.Text1[4]})
        EXPECT_FALSE(ctl->Enabled);
    EXPECT_TRUE(f.Advancer.Visible);
    EXPECT_EQ(f.Text3.Text, "Connected ");
    EXPECT_EQ(f.chrono.Text, "0.0");
    EXPECT_EQ(f.datatable[1].Cell(0, 0), "PRES");
    EXPECT_EQ(f.datatable[1].Cell(51, 0), "4.0");
    EXPECT_EQ(f.datatable[0].Cell(0, 1), "TINJ");
    EXPECT_EQ(f.pressure.Text, "0.0");
    EXPECT_EQ(f.air.Text, "-20");
    // The first tick refills the grids that the bank selection flagged.
    EXPECT_TRUE(c.page.cal.reload_tables);
    c.page.Timer1_Timer();
    EXPECT_FALSE(c.page.cal.reload_tables);
}

TEST(StartUp, MapFileFillsTheLeadingImageBytes) {
    Console c;
    c.dir.WriteFile("short.map", "7\r\n8\n9, 10\r\n");
    c.dir.WriteFile("config.dat", "1,\"" + (c.dir.path() / "short.map").string() + "\",\"\"\r\n");
    c.page.Form_Load();
    EXPECT_EQ(c.page.cal.mem_image[0], 7);
    EXPECT_EQ(c.page.cal.mem_image[3], 10);
    EXPECT_EQ(c.page.cal.mem_image[4], 0);
    EXPECT_EQ(c.page.form.mapfile.Text, (c.dir.path() / "short.map").string());
}

TEST(StartUp, MapFileThatDoesNotReadCleanlyIsLeftOutWhole) {
    for (std::string content : {Lines(1838, 1), Lines(10, 1) + "300\r\n", Lines(10, 1) + "abc\r\n",
                                std::string("\x01\x02\xff", 3)}) {
        Console c;
        c.dir.WriteFile("bad.map", content);
        c.dir.WriteFile("config.dat", "1,\"" + (c.dir.path() / "bad.map").string() + "\",\"\"\r\n");
        c.page.Form_Load();
        EXPECT_EQ(c.page.cal.mem_image[0], 0);
        EXPECT_TRUE(c.port.IsOpen());  // the console starts all the same
    }
}

TEST(StartUp, RecordingCountKeepsItsFraction) {
    for (auto [values, count] : {std::pair{90, 10.0}, std::pair{91, 91 / 9.0}, std::pair{0, 0.0}}) {
        Console c;
        c.dir.WriteFile("a.rec", Lines(values, 5));
        c.dir.WriteFile("config.dat", "1,\"\",\"" + (c.dir.path() / "a.rec").string() + "\"\r\n");
        c.page.Form_Load();
        EXPECT_DOUBLE_EQ(c.page.rec.rec_count, count);
        EXPECT_EQ(c.page.rec.rec_buffer[0], values ? 5 : 0);
    }
}

TEST(StartUp, MissingFilesNamedInConfigStartEmpty) {
    Console c;
    c.dir.WriteFile("config.dat", "2,\"/nonexistent/x.map\",\"/nonexistent/y.rec\"\r\n");
    c.page.Form_Load();
    EXPECT_EQ(c.page.rec.rec_count, 0);
    EXPECT_EQ(c.port.opened_port, 2);
    EXPECT_EQ(c.dir.ReadFile("config.dat"), "2,\"/nonexistent/x.map\",\"/nonexistent/y.rec\"\r\n");
}

// Any of the three files a FIFO, a folder or a device: refused at once, as an
// unreadable file is, and the console starts all the same.
TEST(StartUp, SpecialFilesAreRefusedWithoutWaiting) {
    enum Which { kConfig, kMap, kRec };
    for (Which which : {kConfig, kMap, kRec}) {
        for (const char* kind : {"fifo", "folder", "/dev/null"}) {
            Console c;
            std::filesystem::path special = kind[0] == '/' ? std::filesystem::path(kind) : c.dir.path() / "special";
            if (kind == std::string("fifo")) {
                ASSERT_EQ(::mkfifo(special.c_str(), 0600), 0);
            }
            if (kind == std::string("folder")) std::filesystem::create_directory(special);
            const std::string name = "\"" + special.string() + "\"";
            if (which == kConfig) std::filesystem::create_symlink(special, c.dir.path() / "config.dat");
            else c.dir.WriteFile("config.dat", which == kMap ? "3," + name + ",\r\n" : "3,," + name + "\r\n");
            c.page.Form_Load();
            EXPECT_EQ(c.port.opened_port, which == kConfig ? 0 : 3) << which << kind;
            EXPECT_EQ(c.page.rec.rec_count, 0) << which << kind;
            EXPECT_EQ(c.page.cal.mem_image[0], 0) << which << kind;
            if (which == kMap) {
                EXPECT_NE(c.page.form.Notice, "") << kind;
            }
        }
    }
}

// A first start (no config.dat) opens the given map as if config.dat named
// it, and writes nothing until a port is chosen; a later start keeps to what
// config.dat says, and a map that is not there leaves an empty image.
TEST(StartUp, FirstStartOpensTheFirstMap) {
    struct Case {
        const char* what;
        std::string config;  // empty: none
        bool map_there;
        int image0;
        std::string mapfile;  // the map box's text; "*": the first map
    };
    const Case cases[] = {
        {"first start", "", true, 7, "*"},
        {"config.dat without a map", "0,\"\",\"\"\r\n", true, 0, ""},
        {"map missing", "", false, 0, "*"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Console c;
        const std::string first = (c.dir.path() / "sample.map").string();
        if (k.map_there) c.dir.WriteFile("sample.map", Lines(1837, 7));
        if (!k.config.empty()) c.dir.WriteFile("config.dat", k.config);
        c.page.first_map = first;
        c.page.Form_Load();
        EXPECT_EQ(c.page.cal.mem_image[0], k.image0);
        EXPECT_EQ(c.page.form.mapfile.Text, k.mapfile == "*" ? first : k.mapfile);
        EXPECT_EQ(c.page.form.Notice.empty(), k.map_there || !k.config.empty());
        EXPECT_FALSE(c.page.CalibrationUnsaved());
        EXPECT_EQ(std::filesystem::exists(c.dir.path() / "config.dat"), !k.config.empty());
        if (k.config.empty()) {
            c.page.form.COM.SetListIndex(2);
            EXPECT_EQ(c.dir.ReadFile("config.dat"), "3,\"" + first + "\",\r\n");
        }
    }
}
