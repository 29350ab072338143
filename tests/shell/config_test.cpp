#include <gtest/gtest.h>

#include "core/shell/config.h"
#include "tests/support/console_fixture.h"
#include "tests/support/odd_files.h"

using namespace orv;
using orv::test::Console;
using orv::test::ScratchDir;

TEST(Config, WrittenAsOneListOutputLine) {
    EXPECT_EQ(FormatConfig({3, "C:\\maps\\a.map", "C:\\rec\\b.rec"}), "3,\"C:\\maps\\a.map\",\"C:\\rec\\b.rec\"\r\n");
    EXPECT_EQ(FormatConfig({1, "", ""}), "1,,\r\n");  // empty values are nothing between commas
    EXPECT_EQ(FormatConfig({0, "/m.map", ""}), ",\"/m.map\",\r\n");
}

TEST(Config, ReadsListInputFields) {
    struct Case {
        std::string content;
        int port;
        std::string map, rec;
    };
    const std::vector<Case> cases = {
        {"3,\"C:\\maps\\a.map\",\"C:\\rec\\b.rec\"\r\n", 3, "C:\\maps\\a.map", "C:\\rec\\b.rec"},
        {"7,\"/a,b.map\",\"/r.rec\"\n", 7, "/a,b.map", "/r.rec"},  // commas inside quotes; LF only
        {"  2 ,  \"/x.map\",\"\"", 2, "/x.map", ""},                 // leading blanks; no line end
        {"1,\"\",\"\"\r\n", 1, "", ""},
        {",\"/m.map\",\"/r.rec\"\r\n", 0, "/m.map", "/r.rec"},     // empty port field
        {"", 0, "", ""},
        {"9,\"/m.map\",\"\"\r\n", 0, "/m.map", ""},                // no such port
        {"0,\"\",\"\"\r\n", 0, "", ""},
        {"-3,\"\",\"\"\r\n", 0, "", ""},
        {"2.5,\"\",\"\"\r\n", 0, "", ""},
        {"COM1,\"a\",\"b\"\r\n", 0, "a", "b"},
        {"4,\"unterminated", 4, "unterminated", ""},
        {std::string("\x00\xff\x01,\x80", 5), 0, "\x80", ""},
        {"5,\"/m.map\",\"/r.rec\"\r\nsecond line ignored\r\n", 5, "/m.map", "/r.rec"},
        // A quote inside a name ends nothing: the field closes at the quote before a comma.
        {"1,\"m\"q.map\",\"\"\r\n", 1, "m\"q.map", ""},
        {"1,\"m\"q.map\",\"/r.rec\"\r\n", 1, "m\"q.map", "/r.rec"},
        {"2,\"a\" \"b.map\" , \"c\"d\"\r\n", 2, "a\" \"b.map", "c\"d"},
        {"3,\"\"\"\",\"\"", 3, "\"\"", ""},
    };
    for (const Case& c : cases) {
        ConfigValues v = ParseConfig(c.content);
        EXPECT_EQ(v.cfg_port, c.port) << c.content;
        EXPECT_EQ(v.cfg_map_file, c.map) << c.content;
        EXPECT_EQ(v.cfg_rec_file, c.rec) << c.content;
    }
}

TEST(Config, RoundTripGivesTheIdenticalLine) {
    for (const ConfigValues& v : {ConfigValues{3, "/home/t/maps/x, y.map", "/r.rec"}, ConfigValues{1, "", ""},
                                  ConfigValues{7, "C:\\a b\\c.map", ""}}) {
        std::string line = FormatConfig(v);
        ConfigValues back = ParseConfig(line);
        EXPECT_EQ(back.cfg_port, v.cfg_port);
        EXPECT_EQ(back.cfg_map_file, v.cfg_map_file);
        EXPECT_EQ(back.cfg_rec_file, v.cfg_rec_file);
        EXPECT_EQ(FormatConfig(back), line);
    }
    // A file that held "" for an empty value gets it back; one that held nothing, nothing.
    for (const char* line : {"1,\"\",\"\"\r\n", "1,,\r\n", "2,\"/m.map\",\r\n", "2,,\"\"\r\n", ",\"\",\r\n",
                             "1,\"m\"q.map\",\"\"\r\n", "1,\"m\"q.map\",\"/r.rec\"\r\n"})
        EXPECT_EQ(FormatConfig(ParseConfig(line)), line);
}

TEST(Config, NamesTheLineCannotCarryAreKnown) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/t/x, y.map", ""}, {"/a b/c.map", ""}, {"my \"best\",tune.map", "a double quote"},
        {"a\nb.rec", "a line break"}, {"a\rb.rec", "a line break"},
    };
    for (const auto& [name, unfit] : cases) {
        EXPECT_EQ(ConfigCannotHold(name), unfit) << name;
        // What it accepts is read back as written.
        if (unfit.empty()) {
            EXPECT_EQ(ParseConfig(FormatConfig({1, name, name})).cfg_rec_file, name);
        }
    }
}

// A config.dat that is no file (a link to a device, a FIFO) is left as it
// is; choosing a port says the configuration was not saved.
TEST(Config, NeverReplacesWhatIsNotARegularFile) {
    using orv::test::OddFile;
    for (const OddFile kind : {OddFile::Fifo, OddFile::Device, OddFile::LinkToDevice, OddFile::LinkToFifo}) {
        SCOPED_TRACE(orv::test::Name(kind));
        Console c;
        if (!orv::test::MakeOddFile(c.dir.path() / "config.dat", kind)) continue;  // a device node needs root
        const auto type = orv::test::TypeOf(c.dir.path() / "config.dat");
        c.page.Form_Load();
        c.page.form.COM.SetListIndex(0);
        EXPECT_EQ(orv::test::TypeOf(c.dir.path() / "config.dat"), type);
        EXPECT_EQ(c.page.form.Notice.rfind("Configuration not saved: \"" + (c.dir.path() / "config.dat").string() + "\": ", 0), 0u)
            << c.page.form.Notice;
        EXPECT_NE(c.page.form.Notice.find("not a regular file"), std::string::npos);
        EXPECT_TRUE(c.port.IsOpen());
    }
    EXPECT_EQ(orv::test::TypeOf("/dev/null"), std::filesystem::file_type::character);
}

TEST(Config, MissingFileStartsWithNothingAndIsCreatedAtFirstWrite) {
    Console c;
    c.page.Read_Config();
    EXPECT_EQ(c.page.config.cfg_port, 0);
    EXPECT_EQ(c.page.config.cfg_map_file, "");
    EXPECT_FALSE(std::filesystem::exists(c.dir.path() / "config.dat"));
    c.page.config.cfg_port = 2;
    c.page.Write_Config();
    EXPECT_EQ(c.dir.ReadFile("config.dat"), "2,,\r\n");
}

TEST(Config, HugeOrBinaryFileNeverFails) {
    Console c;
    c.dir.WriteFile("config.dat", std::string(1 << 20, '\x07'));
    c.page.Read_Config();
    EXPECT_EQ(c.page.config.cfg_port, 0);
    c.dir.WriteFile("config.dat", std::string(100000, '"'));
    c.page.Read_Config();
    EXPECT_EQ(c.page.config.cfg_port, 0);
}

TEST(Config, WrittenInTheStartUpDirectoryAfterTheWorkingDirectoryMoved) {
    Console c;
    c.dir.WriteFile("config.dat", "4,\"/m.map\",\"/r.rec\"\r\n");
    c.page.Read_Config();
    ScratchDir elsewhere;  // a file dialog moved the working directory
    c.page.config.cfg_map_file = "/other.map";
    c.page.Write_Config();
    EXPECT_EQ(c.dir.ReadFile("config.dat"), "4,\"/other.map\",\"/r.rec\"\r\n");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "config.dat"));
}

TEST(Config, ReadFromTheFolderTheConsoleWasGivenNotTheWorkingOne) {
    ScratchDir start;
    start.WriteFile("config.dat", "5,\"/a.map\",\"\"\r\n");
    ScratchDir working;  // the process has moved on
    working.WriteFile("config.dat", "2,\"/b.map\",\"\"\r\n");
    test::FakePort port;
    Main_Page page(port, start.path());
    page.Read_Config();
    EXPECT_EQ(page.config.cfg_port, 5);
    EXPECT_EQ(page.config.cfg_map_file, "/a.map");
}

TEST(Config, ALongLineIsReadWholeAndWrittenBackAsItWas) {
    for (std::size_t length : {4000u, 4096u, 5000u, 70000u}) {
        Console c;
        const std::string line =
            "2,\"/" + std::string(length, 'm') + ".map\",\"/" + std::string(length / 2, 'r') + ".rec\"\r\n";
        c.dir.WriteFile("config.dat", line);
        c.page.Form_Load();  // selecting the port rewrites the file
        EXPECT_EQ(c.page.config.cfg_map_file.size(), length + 5);
        EXPECT_EQ(c.dir.ReadFile("config.dat"), line) << length;
    }
}

// A config.dat that is a link keeps being one: the save goes to the file it
// names. And no name planted beside it, a link above all, is written through.
TEST(Config, SavedThroughALinkAndNeverThroughAPlantedTemporary) {
    Console c;
    std::filesystem::create_directory(c.dir.path() / "real");
    c.dir.WriteFile("real/config.dat", "1,,\r\n");
    c.dir.WriteFile("victim", "precious");
    std::filesystem::create_symlink("real/config.dat", c.dir.path() / "config.dat");
    for (const char* planted : {"config.dat.tmp", "real/config.dat.tmp"})
        std::filesystem::create_symlink(c.dir.path() / "victim", c.dir.path() / planted);
    c.page.Read_Config();
    EXPECT_EQ(c.page.config.cfg_port, 1);
    c.page.config.cfg_port = 6;
    c.page.Write_Config();
    EXPECT_TRUE(std::filesystem::is_symlink(c.dir.path() / "config.dat"));
    EXPECT_EQ(c.dir.ReadFile("real/config.dat"), "6,,\r\n");
    EXPECT_EQ(c.dir.ReadFile("victim"), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.dir.path() / "real"), {}), 2);  // no temporary left
}
