// Map files on disk: the console's own format, what reading accepts, and the
// atomic write under every save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/files/atomic_file.h"
#include "core/files/map_file.h"
#include "core/files/map_report.h"
#include "core/files/read_file.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"
#include "tests/support/odd_files.h"

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
    EXPECT_EQ(ReadMapFile(dir.path() / "folder.map").error, "is a folder, not a regular file");
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

TEST(AtomicFile, WritesOnlyOverARegularFile) {
    using orv::test::OddFile;
    const struct {
        OddFile kind;
        std::string error;  // "@" stands for the scratch folder
    } cases[] = {
        {OddFile::Fifo, "is a FIFO, not a regular file"},
        {OddFile::Device, "is a device, not a regular file"},
        {OddFile::LinkToDevice, "links to \"/dev/null\", a device, not a regular file"},
        {OddFile::LinkToFifo, "links to \"@/out.map.target\", a FIFO, not a regular file"},
        {OddFile::Folder, "is a folder, not a regular file"},
        {OddFile::LinkToFolder, "links to \"@/out.map.target\", a folder, not a regular file"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(orv::test::Name(k.kind));
        ScratchDir dir;
        const std::filesystem::path path = dir.path() / "out.map";
        if (!orv::test::MakeOddFile(path, k.kind)) continue;  // a device node needs root
        const auto type = orv::test::TypeOf(path);
        const bool link = std::filesystem::is_symlink(path);
        std::string expected = k.error;
        if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, dir.path().string());
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(path, "new", &error));
        EXPECT_EQ(error, expected);
        EXPECT_EQ(NotRegularFileError(path), expected);
        EXPECT_EQ(orv::test::TypeOf(path), type);
        EXPECT_EQ(std::filesystem::is_symlink(path), link);
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

TEST(AtomicFile, ThroughALinkOnlyToARegularFileOrWhereOneWillBe) {
    ScratchDir dir;
    dir.WriteFile("real.map", "old");
    std::filesystem::create_symlink("real.map", dir.path() / "to-real.map");
    std::filesystem::create_symlink("later.map", dir.path() / "dangling.map");
    std::filesystem::create_symlink("loop-b", dir.path() / "loop-a");
    std::filesystem::create_symlink("loop-a", dir.path() / "loop-b");
    EXPECT_TRUE(WriteFileAtomically(dir.path() / "to-real.map", "new"));
    EXPECT_EQ(dir.ReadFile("real.map"), "new");
    // A dangling link is a name for a file not made yet, as for a shell's >.
    EXPECT_TRUE(WriteFileAtomically(dir.path() / "dangling.map", "made"));
    EXPECT_EQ(dir.ReadFile("later.map"), "made");
    for (const char* name : {"to-real.map", "dangling.map", "loop-a"})
        EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / name)) << name;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.path() / "loop-a", "x", &error));
    EXPECT_NE(error.find("a loop of links, not a regular file"), std::string::npos) << error;
}

TEST(AtomicFile, RemovesOnlyTheStaleTemporariesOfTheSameFile) {
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const std::string d = std::to_string(dead);
    const std::string own = std::to_string(::getpid()), parent = std::to_string(::getppid());
    ScratchDir dir;
    dir.WriteFile("a.map", "old");
    std::filesystem::create_directory(dir.path() / "sub");
    const struct {
        std::string name;
        bool removed;
    } cases[] = {
        {"a.map.tmp" + d + "-0", true},
        {"a.map.tmp" + d + "-17", true},
        {"a.map.tmp" + parent + "-0", false},  // its process may still be saving
        {"a.map.tmp" + own + "-99", false},
        {"b.map.tmp" + d + "-0", false},       // another file's
        {"xa.map.tmp" + d + "-0", false},
        {"a.map.tmp" + d + "-0.bak", false},
        {"a.map.tmp" + d + "-", false},
        {"a.map.tmp-" + d, false},
        {"a.map.tmp" + d, false},
        {"a.map.tmp" + d + "-1x", false},
        {"a.map.tmp+" + d + "-1", false},
        {"a.map.tmp0-1", false},
        {"a.map.tmp99999999999999999999-1", false},
        {"sub/a.map.tmp" + d + "-0", false},   // another folder's
    };
    for (const auto& k : cases) dir.WriteFile(k.name, "left");
    std::filesystem::create_directory(dir.path() / ("a.map.tmp" + d + "-5"));  // not a file a save leaves
    ASSERT_TRUE(WriteFileAtomically(dir.path() / "a.map", "new"));
    for (const auto& k : cases) EXPECT_EQ(std::filesystem::exists(dir.path() / k.name), !k.removed) << k.name;
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / ("a.map.tmp" + d + "-5")));
    EXPECT_EQ(dir.ReadFile("a.map"), "new");
}

TEST(AtomicFile, SameFileSeesThroughLinksAndHardLinks) {
    ScratchDir dir;
    dir.WriteFile("a.map", "x");
    dir.WriteFile("b.map", "x");
    std::filesystem::create_hard_link(dir.path() / "a.map", dir.path() / "hard.map");
    std::filesystem::create_symlink("a.map", dir.path() / "soft.map");
    std::filesystem::create_symlink("new.map", dir.path() / "dangling.map");
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"a.map", "a.map", true},        {"a.map", "hard.map", true},        {"soft.map", "a.map", true},
        {"./sub/../a.map", "a.map", true}, {"a.map", "b.map", false},        {"a.map", "missing.map", false},
        {"dangling.map", "new.map", true}, {"dangling.map", "a.map", false},
    };
    for (const auto& k : cases) EXPECT_EQ(SameFile(k.a, k.b), k.same) << k.a << " " << k.b;
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

// Writers racing for a name with a dangling link planted at it: each makes a file of its own and says which.
TEST(AtomicFile, NewFilesNeverReplaceWhatIsThereEvenInARace) {
    ScratchDir dir;  // the current folder
    std::filesystem::create_symlink("planted-target", "recovery.map");
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    for (int k = 0, go = 0; k < 6; ++k) {
        const std::string mine(1 << 16, static_cast<char>('a' + k));
        std::filesystem::path said;  // holds this writer's bytes, and is no link
        const auto wrote = [&] {
            return WriteNewFile("recovery.map", mine, &said) && !std::filesystem::is_symlink(said) &&
                   dir.ReadFile(said) == mine;
        };
        if (::fork() == 0) ::_exit(::read(start[0], &go, 1) == 1 && wrote() ? 0 : 1);  // all at once
    }
    ASSERT_EQ(::write(start[1], "xxxxxx", 6), 6);
    for (int k = 0, status = 0; k < 6; ++k) EXPECT_TRUE(::wait(&status) > 0 && status == 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 7);  // the link and a file each
    EXPECT_FALSE(std::filesystem::exists("recovery.map"));                             // the link still dangling
}
