// SIGTERM and Ctrl+C close the window without asking; calibration changes
// nobody saved are kept in a recovery map beside config.dat.
#include <QFile>
#include <QTest>
#include <csignal>
#include <fstream>

#include "app/quit_signals.h"
#include "core/files/map_file.h"
#include "window_fixture.h"

namespace orv::app::test {

namespace {

std::vector<std::filesystem::path> Recoveries(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> found;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().starts_with("recovery-")) found.push_back(e.path());
    return found;
}

}  // namespace

TEST_F(WindowTest, NothingIsKeptWithoutChangesAndNothingWrittenOver) {
    EXPECT_EQ(KeepUnsavedCalibration(console, dir).line, "");
    EXPECT_TRUE(Recoveries(dir).empty());

    console.cal.mem_image[3] = 77;
    const KeptCalibration first = KeepUnsavedCalibration(console, dir);
    const KeptCalibration second = KeepUnsavedCalibration(console, dir);
    EXPECT_FALSE(first.lost || second.lost);
    EXPECT_NE(first.line, second.line);
    EXPECT_EQ(Recoveries(dir).size(), 2u);

    const KeptCalibration nowhere = KeepUnsavedCalibration(console, dir / "gone");
    EXPECT_TRUE(nowhere.lost);
    EXPECT_NE(nowhere.line.find("unsaved calibration changes lost: "), std::string::npos) << nowhere.line;
}

TEST_F(WindowTest, ALinkPlantedAtTheRecoveryNameIsNotWrittenThrough) {
    QFile::link("elsewhere", QDateTime::currentDateTime().toString("'recovery-'yyyyMMdd-HHmmss'.map'"));  // dangling
    console.cal.mem_image[3] = 77;
    const std::string line = KeepUnsavedCalibration(console, dir).line;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(line.substr(line.find('/'))))) << line;
}

TEST_F(WindowTest, ATerminationSignalKeepsUnsavedChangesAndClosesWithoutAsking) {
    bool asked = false;
    window->ask_save_on_close = [&] {
        asked = true;
        return QMessageBox::Cancel;
    };
    console.cal.mem_image[3] = 77;
    console.cal.mem_image[slot::kModeFlags] |= 0x01;  // a view the grids show, not saved
    int status = -1;
    QuitOnSignals(*qApp, *window, console, dir, [&](int s) { status = s; });
    ::testing::internal::CaptureStderr();
    std::raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
    const std::string told = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(asked);
    EXPECT_EQ(status, 0);
    const auto kept = Recoveries(dir);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(told, "orv-console: unsaved calibration changes kept in " + kept[0].string() + "\n");
    Image saved = console.cal.mem_image;
    ClearViewBits(saved);
    const ValueList read = ReadMapFile(kept[0]);
    EXPECT_EQ(read.values, std::vector<std::uint8_t>(saved.begin(), saved.end()));
}

}  // namespace orv::app::test
