// The real window, offscreen, on the real serial port against orv-sim at the
// line's pace: an upload, a map saved with its report and loaded back, and a
// recording captured from the running engine and played back.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include <gtest/gtest.h>

#include "app/bar_face.h"
#include "app/dial_face.h"
#include "app/main_window.h"
#include "core/files/map_file.h"
#include "core/page/main_page.h"
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

// The window on orv-sim through COM 1, polling, with the sample calibration
// loaded from a map file; `sim_args` are the simulator's own.
struct SimWindow {
    explicit SimWindow(std::vector<std::string> sim_args) {
        dir = tmp.path().toStdString();
        sim_args.insert(sim_args.end(), {"--baud", "19200", "--link", (dir / "com1").string()});
        std::string error;
        started = sim.Start(sim_args, &error);
        EXPECT_TRUE(started) << error;
        std::filesystem::copy_file(ORV_SAMPLE_MAP, dir / "car.map");
        std::ofstream(dir / "config.dat", std::ios::binary) << "1,\"" << (dir / "car.map").string() << "\",\"\"\r\n";
        console.Form_Load();
        window.Refresh();
        window.show();
        window.StartTimer();
    }
    std::string Text(const char* name) { return window.ControlAs<QLineEdit>(name)->text().toStdString(); }
    std::string Status() { return window.statusBar()->currentMessage().mid(10).toStdString(); }
    bool Live() {
        return WaitFor([&] { return Text("Text3") == "Connected" && Text("rpm") != "\u2014"; }, 5000);
    }
    bool Idle() {
        return WaitFor([&] { return !console.comm.Transferring(); }, 10000);
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
    orvtest::SimProcess sim;
    bool started = false;
    serial::QtSerialPort port{tmp.path().toStdString()};
    Main_Page console{port, tmp.path().toStdString()};
    MainWindow window{console};
};

// Download asks first, naming what goes where; Cancel writes nothing. The
// read-back catches a byte the controller programmed wrong, which a plain
// download cannot see; either way the gauges come back by themselves.
TEST(WindowOnSimulator, DownloadAsksFirstAndItsReadBackNamesAWrongByte) {
    SimWindow s({"--corrupt-program", "1000"});
    ASSERT_TRUE(s.started);
    ASSERT_TRUE(s.Live());
    auto* edit = s.window.ControlAs<QRadioButton>("edit");
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(8, edit->height() / 2));
    auto* download = s.window.ControlAs<QPushButton>("download");
    struct Case {
        bool go, verify;
        std::string status;
    };
    const Case cases[] = {
        {false, true, "Download cancelled: nothing was written to the controller"},
        {true, true,
         "Download written, but the read-back differs at 0xE3E8: written 0x00, read back 0xFF; download again"},
        {true, false, "Download finished: 1,836 bytes written"},  // the wrong byte goes unseen
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.status);
        const unsigned long replies = s.console.link.replies;
        s.console.cal.mem_image.fill(0);
        QTest::mouseClick(download, Qt::LeftButton);
        QMessageBox* question = s.window.downloadQuestion();
        ASSERT_NE(question, nullptr);
        EXPECT_TRUE(question->isVisible());
        EXPECT_NE(question->text().indexOf("Write the calibration in memory to the controller on COM 1 ("), -1);
        EXPECT_NE(question->text().indexOf("Map file: car.map"), -1) << question->text().toStdString();
        // Nothing goes out while the question stands.
        QTest::qWait(300);
        EXPECT_FALSE(s.console.comm.Transferring());
        auto* verify = question->findChild<QCheckBox*>("VerifyAfterDownload");
        EXPECT_TRUE(verify->isChecked() || &k != &cases[0]);  // on by default
        verify->setChecked(k.verify);
        if (k.go) question->findChild<QPushButton*>("DownloadConfirm")->click();
        else question->button(QMessageBox::Cancel)->click();
        ASSERT_TRUE(s.Idle());
        // The window shows it with the next tick.
        EXPECT_TRUE(WaitFor([&] { return s.Status() == k.status; }, 1000)) << s.Status();
        EXPECT_GT(s.console.link.replies, replies);
        EXPECT_TRUE(s.Live());
    }
    // After a download the question counts what changed since.
    s.console.cal.mem_image[5] = 1;
    QTest::mouseClick(download, Qt::LeftButton);
    ASSERT_NE(s.window.downloadQuestion(), nullptr);
    EXPECT_NE(s.window.downloadQuestion()->text().indexOf("1 byte differs from the last upload or download."), -1);
    s.window.downloadQuestion()->button(QMessageBox::Cancel)->click();
}

// The adapter pulled out: the read-outs and needles show no reading, and the
// status bar says since when and why.
TEST(WindowOnSimulator, ALostLinkShowsNoReadingAndSaysWhy) {
    SimWindow s({});
    ASSERT_TRUE(s.started);
    ASSERT_TRUE(s.Live());
    EXPECT_FALSE(s.window.ControlAs<DialFace>("Picture4")->NoReading());
    s.sim.Stop();
    ASSERT_TRUE(WaitFor([&] { return s.Text("Text3") == "OffLine"; }, 3000));
    for (const char* readout : {"rpm", "pressure", "air", "water", "tps", "advance", "bank1", "duty1", "batt"})
        EXPECT_EQ(s.Text(readout), "\u2014") << readout;
    EXPECT_TRUE(s.window.ControlAs<DialFace>("Picture4")->NoReading());
    EXPECT_TRUE(s.window.ControlAs<BarFace>("Injector1")->NoReading());
    EXPECT_EQ(s.Status().rfind("No live data: ", 0), 0u) << s.Status();
    EXPECT_NE(s.Status().find("press Connect"), std::string::npos);
    EXPECT_EQ(s.window.statusBar()->currentMessage().mid(2, 1), ":");  // the time it happened
}

}  // namespace
}  // namespace orv::app::test
