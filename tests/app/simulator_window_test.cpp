// The real window, offscreen, on the real serial port against orv-sim at the
// line's pace: an upload, a map saved with its report and loaded back, and a
// recording captured from the running engine and played back.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "core/files/map_file.h"
#include "core/shell/main_page.h"
#include "serial/qt_serial_port.h"
#include "sim_process.h"
#include "testing/scripted_file_dialog.h"

namespace orv::app::test {
namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
    for (int waited = 0; !done(); waited += 20) {
        if (waited > ms) return false;
        QTest::qWait(20);
    }
    return true;
}

TEST(WindowOnSimulator, UploadKeepAMapAndRecordAgainstTheController) {
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.path().toStdString();
    orvtest::SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--baud", "19200", "--link", (dir / "com1").string(), "--calibration", ORV_SAMPLE_MAP},
                          &error))
        << error;
    std::ofstream(dir / "config.dat", std::ios::binary) << "1,\"\",\"\"\r\n";
    serial::QtSerialPort port(dir);
    Main_Page console(port, dir);
    console.Form_Load();
    MainWindow window(console);
    orv::test::ScriptedFileDialog dialog;
    console.file_dialog = &dialog;
    window.Refresh();
    window.show();
    window.StartTimer();
    auto click = [&](const char* name) {
        auto* b = window.ControlAs<QAbstractButton>(name);
        ASSERT_NE(b, nullptr) << name;
        const bool marked = b->isCheckable() && !qobject_cast<QPushButton*>(b);
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, marked ? QPoint(8, b->height() / 2) : b->rect().center());
    };
    auto text = [&](const char* name) { return window.ControlAs<QLineEdit>(name)->text().toStdString(); };
    ASSERT_TRUE(WaitFor([&] { return text("version") == "2.1"; }, 5000));

    // The controller's calibration comes up and goes to a map file with its report.
    click("edit");
    click("upload");
    ASSERT_TRUE(WaitFor([&] { return text("mapfile").find("Please Wait") == std::string::npos; }, 5000));
    const auto sample = ReadMapFile(ORV_SAMPLE_MAP).values;
    ASSERT_GE(sample.size(), 1836u);
    EXPECT_TRUE(std::equal(sample.begin(), sample.begin() + 1836, console.cal.mem_image.begin()));
    dialog.answers.push_back((dir / "car.map").string());
    click("savemem");
    EXPECT_TRUE(std::filesystem::exists(dir / "car.map"));
    EXPECT_TRUE(std::filesystem::exists(dir / "car.txt"));
    const Image kept = console.cal.mem_image;
    console.cal.mem_image[0] ^= 0xFF;
    dialog.answers.push_back((dir / "car.map").string());
    click("loadmem");
    EXPECT_EQ(console.cal.mem_image, kept);
    click("monitor");

    // About a second and a half of the running engine, then played back.
    ASSERT_TRUE(WaitFor([&] { return text("Text3").rfind("Connected", 0) == 0; }, 3000));
    click("record");
    EXPECT_EQ(text("RecStatus"), "RECORD");
    QTest::qWait(1500);
    click("Stop");
    EXPECT_GE(console.rec.rec_count, 10);
    EXPECT_LE(console.rec.rec_count, 20);
    EXPECT_GT(console.rec.rec_buffer[0], 0);  // the engine turns: rpm recorded
    click("play");
    EXPECT_EQ(text("RecStatus"), "PLAY");
    EXPECT_TRUE(WaitFor([&] { return text("RecStatus") == "STOPPED"; }, 4000));

    window.close();
    sim.Stop();
    const auto stats = orvtest::ParseStatsLine(sim.last_line());
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->violations, 0u);
}

// A controller on a device of its own naming, as a USB adapter is: with
// "COM 2" mapped to the simulator's pseudo-terminal and no com2 link in the
// start-up folder, choosing COM 2 and Connect bring the live values in.
TEST(WindowOnSimulator, AMappedPortReachesTheControllerWithoutALink) {
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.path().toStdString();
    orvtest::SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--baud", "19200"}, &error)) << error;
    serial::QtSerialPort port(dir);
    port.MapPort(2, sim.device());
    Main_Page console(port, dir);
    console.Form_Load();  // no config.dat: no port chosen, nothing opened
    MainWindow window(console);
    window.Refresh();
    window.show();
    window.StartTimer();
    auto text = [&](const char* name) { return window.ControlAs<QLineEdit>(name)->text().toStdString(); };

    auto* list = window.ControlAs<QComboBox>("COM");
    ASSERT_NE(list, nullptr);
    // What the list does when the user picks "COM 2".
    list->setCurrentIndex(1);
    emit list->activated(1);
    EXPECT_TRUE(WaitFor([&] { return text("Text3") == "Connected" && text("version") == "2.1"; }, 5000))
        << text("Text3") << " / " << text("version");
    EXPECT_EQ(console.config.cfg_port, 2);
    // Connect starts again on the same device, and the replies keep coming.
    const unsigned long replies = console.link.replies;
    QTest::mouseClick(window.ControlAs<QPushButton>("Connect"), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return console.link.replies > replies + 5; }, 5000));
    // The window shows it with the next tick.
    EXPECT_TRUE(WaitFor([&] { return text("Text3") == "Connected"; }, 1000)) << text("Text3");
    EXPECT_EQ(text("version"), "2.1");
    // A pseudo-terminal is no serial adapter: nothing to say about latency.
    EXPECT_EQ(console.form.Notice, "");
}

}  // namespace
}  // namespace orv::app::test
