// Map files on disk: the console's own format, what reading accepts, and the
// atomic write under every save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/atomic_file.h"
#include "core/files/map_file.h"
#include "core/files/map_report.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"

using namespace orv;
using orv::test::RandomImage;
using orv::test::ScratchDir;

TEST(MapFile, WrittenAsOneDecimalLinePerByteWithCrLf) {
    Image image{};
    image[0] = 0;
    image[1] = 255;
    image[2] = 7;
    image[1836] = 100;
    const std::string text = FormatMapFile(image);
    EXPECT_EQ(text.substr(0, 11), "0\r\n255\r\n7\r\n");
    EXPECT_EQ(text.substr(text.size() - 8), "0\r\n100\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1837);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 1837);
    EXPECT_EQ(text.size(), 1834 * 3 + 13u);  // 1,834 lines "0\r\n", then 255, 7 and 100
}

TEST(MapFile, ReadingTakesCommasBlanksBareLineFeedsAndShortFiles) {
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
        {"1\r\n2\r\n3\r\n", {1, 2, 3}},
        {"1,2,3", {1, 2, 3}},
        {"1 2   3\r\n", {1, 2, 3}},
        {"1\n2\n3\n", {1, 2, 3}},
        {"  1, 2\n 3", {1, 2, 3}},
    };
    ScratchDir dir;
    for (const auto& [content, values] : cases) {
        dir.WriteFile("a.map", content);
        ValueList read = ReadMapFile(dir.path() / "a.map");
        EXPECT_EQ(read.error, "") << content;
        EXPECT_EQ(read.values, values) << content;
        Image image;
        image.fill(9);
        ApplyMapValues(image, read.values);
        EXPECT_EQ(image[values.size()], 9) << "the tail keeps its bytes: " << content;
    }
}

TEST(MapFile, FilesThatCannotBeUsedSayWhy) {
    ScratchDir dir;
    std::string full;
    for (int i = 0; i < 1837; ++i) full += "1\r\n";
    std::filesystem::create_directory(dir.path() / "folder.map");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1\r\n256\r\n", "not a byte value: \"256\""},
        {"1,-1", "not a byte value: \"-1\""},
        {"1\r\nabc\r\n", "not a byte value: \"abc\""},
        {full + "1\r\n", "more than 1837 values"},
        {"", "no values"},
        {"\r\n\r\n", "no values"},
        {" \n,", "no values"},
    };
    for (const auto& [content, error] : cases) {
        dir.WriteFile("bad.map", content);
        EXPECT_EQ(ReadMapFile(dir.path() / "bad.map").error, error);
    }
    EXPECT_EQ(ReadMapFile(dir.path() / "none.map").error, "cannot be opened");
    EXPECT_EQ(ReadMapFile(dir.path() / "folder.map").error, "is a folder, not a file");
    dir.WriteFile("full.map", full);
    EXPECT_EQ(ReadMapFile(dir.path() / "full.map").values.size(), 1837u);
}

TEST(MapFile, SavedFileReadsBackToTheSameImage) {
    ScratchDir dir;
    const Image image = RandomImage(3);
    ASSERT_EQ(WriteMapFile(dir.path() / "r.map", image), "");
    Image back{};
    ApplyMapValues(back, ReadMapFile(dir.path() / "r.map").values);
    EXPECT_EQ(back, image);
}

TEST(AtomicFile, AFailedWriteLeavesThePreviousFileWhole) {
    ScratchDir dir;
    dir.WriteFile("a.map", "old\r\n");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.path() / "missing" / "a.map", "new", &error));
    EXPECT_EQ(error, "No such file or directory");
    // A folder in the way of the rename: the write fails and leaves no temporary.
    std::filesystem::create_directory(dir.path() / "taken.map");
    dir.WriteFile("taken.map/inside", "x");
    EXPECT_FALSE(WriteFileAtomically(dir.path() / "taken.map", "new", &error));
    EXPECT_NE(error, "");
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    EXPECT_EQ(entries, 2);  // a.map and the folder
    EXPECT_EQ(dir.ReadFile("a.map"), "old\r\n");
}

TEST(AtomicFile, NeverWritesThroughAPlantedLinkAndKeepsPermissions) {
    ScratchDir dir;
    dir.WriteFile("victim", "precious");
    // The first names the temporary could take are links to the victim.
    const std::string pid = std::to_string(::getpid());
    for (int n = 0; n < 5; ++n)
        std::filesystem::create_symlink(dir.path() / "victim",
                                        dir.path() / ("a.map.tmp" + pid + "-" + std::to_string(n)));
    dir.WriteFile("a.map", "old");
    ::chmod((dir.path() / "a.map").c_str(), 0640);
    EXPECT_TRUE(WriteFileAtomically(dir.path() / "a.map", "new"));
    EXPECT_EQ(dir.ReadFile("victim"), "precious");
    EXPECT_EQ(dir.ReadFile("a.map"), "new");
    struct stat st {};
    ::stat((dir.path() / "a.map").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(MapReport, PathReplacesTheFileNamesExtensionOnly) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"/home/t/car.map", "/home/t/car.txt"},
        {"car.map", "car.txt"},
        {"/home/t/a.b.map", "/home/t/a.b.txt"},
        {"/home/t.v2/car", std::nullopt},  // the dot is in a folder name
        {"/home/t.v2/car.map", "/home/t.v2/car.txt"},
        {"/home/t/car", std::nullopt},
        {"/home/t/car.", "/home/t/car.txt"},
        {"/home/t/notes.txt", std::nullopt},  // the report would overwrite the map
    };
    for (const auto& [map, report] : cases) EXPECT_EQ(ReportPath(map), report) << map;
}
