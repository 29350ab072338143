// A first start that leads somewhere: the folder the console keeps its files
// in, the sample map it opens, and the port chosen in File > Ports…, kept in
// ports.ini and opened, or refused with the reason.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QtGlobal>
#include <fstream>
#include <random>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/port_choice.h"
#include "app/user_folder.h"
#include "core/shell/main_page.h"
#include "serial/qt_serial_port.h"

namespace orv::app::test {
namespace {

namespace fs = std::filesystem;

// A fresh folder that is the working folder for the test, with
// XDG_DATA_HOME pointing into it.
class Scratch : public ::testing::Test {
   protected:
    Scratch() : previous_(fs::current_path()), data_home_(qgetenv("XDG_DATA_HOME")) {
        dir = fs::temp_directory_path() / ("orv_first_start_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        fs::current_path(dir);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "data").string()));
    }
    ~Scratch() override {
        fs::current_path(previous_);
        if (data_home_.isNull()) qunsetenv("XDG_DATA_HOME");
        else qputenv("XDG_DATA_HOME", data_home_);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static void Write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    fs::path dir;

   private:
    fs::path previous_;
    QByteArray data_home_;
};

using StartFolderTest = Scratch;

TEST_F(StartFolderTest, TheDesktopEntrysOptionGoesWithTheOthers) {
    const CommandLine line = ParseCommandLine({"orv-console", "--port", "1=/dev/ttyUSB0", "--user-folder"}, false);
    EXPECT_FALSE(line.exit_code) << line.message;
    EXPECT_TRUE(line.user_folder);
    EXPECT_EQ(line.ports.size(), 1u);
    EXPECT_FALSE(ParseCommandLine({"orv-console"}, false).user_folder);
    EXPECT_EQ(ParseCommandLine({"orv-console", "--user-folder=x"}, false).exit_code, 2);
}

TEST_F(StartFolderTest, TheUsersFolderIsMadeAndWorkedIn) {
    const StartFolder chosen = EnterStartFolder(true);
    EXPECT_EQ(chosen.error, "");
    EXPECT_EQ(chosen.path, dir / "data" / "orv-console");
    EXPECT_TRUE(fs::is_directory(chosen.path));
    EXPECT_EQ(fs::current_path(), chosen.path);
    // A second start finds it there.
    EXPECT_EQ(EnterStartFolder(true).path, chosen.path);
}

TEST_F(StartFolderTest, FromAShellTheWorkingFolderIsKept) {
    const StartFolder chosen = EnterStartFolder(false);
    EXPECT_EQ(chosen.error, "");
    EXPECT_EQ(chosen.path, dir);
    EXPECT_FALSE(fs::exists(dir / "data"));
}

TEST_F(StartFolderTest, AUsersFolderThatCannotBeMadeLeavesTheWorkingFolder) {
    Write(dir / "data", "a file where the data folder belongs");
    const StartFolder chosen = EnterStartFolder(true);
    EXPECT_NE(chosen.error.find("cannot be made"), std::string::npos) << chosen.error;
    EXPECT_EQ(chosen.path, dir);
    EXPECT_EQ(fs::current_path(), dir);
}

TEST_F(StartFolderTest, TheSampleMapIsFoundInstalledElseInTheSourceTree) {
    const fs::path installed = dir / "usr" / ORV_INSTALL_DATADIR_FOR_TESTS / "orv-console" / "sample.map";
    const fs::path source = dir / "src" / "samples" / "sample.map";
    const struct {
        const char* what;
        bool installed, source;
        fs::path found;
    } cases[] = {
        {"both", true, true, installed},
        {"installed only", true, false, installed},
        {"source only", false, true, source},
        {"neither", false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "usr");
        fs::remove_all(dir / "src");
        fs::create_directories(dir / "usr" / "bin");
        if (c.installed) Write(installed, "1\n");
        if (c.source) Write(source, "1\n");
        EXPECT_EQ(FindSampleMap(dir / "usr" / "bin", source), c.found);
    }
    EXPECT_EQ(FindSampleMap(dir / "usr" / "bin", {}), fs::path());
}

using PortMapTest = Scratch;

TEST_F(PortMapTest, StableNamesPointAtTheirDevices) {
    Write(dir / "dev" / "ttyUSB0", "");
    Write(dir / "dev" / "ttyUSB1", "");
    const fs::path by_id = dir / "by-id";
    fs::create_directories(by_id);
    fs::create_symlink("../dev/ttyUSB0", by_id / "usb-FTDI_b-if00");
    fs::create_symlink("../dev/ttyUSB0", by_id / "usb-FTDI_a-if00");  // a second name: the smaller is kept
    fs::create_symlink(dir / "dev" / "ttyUSB1", by_id / "usb-Prolific-if00");
    fs::create_symlink("../dev/gone", by_id / "usb-unplugged");
    const auto canonical = [](const fs::path& p) { return fs::canonical(p).string(); };
    EXPECT_EQ(StableNames(by_id), (std::map<std::string, std::string>{
                                      {canonical(dir / "dev" / "ttyUSB0"), (by_id / "usb-FTDI_a-if00").string()},
                                      {canonical(dir / "dev" / "ttyUSB1"), (by_id / "usb-Prolific-if00").string()},
                                  }));
    EXPECT_TRUE(StableNames(dir / "nowhere").empty());
}

TEST_F(PortMapTest, ChoicesAreKeptInPortsIniAndReadBack) {
    std::string error;
    EXPECT_TRUE(SavePortMapping(dir, 2, "/dev/serial/by-id/usb-FTDI_a-if00", &error)) << error;
    EXPECT_TRUE(SavePortMapping(dir, 7, "/dev/ttyUSB1", &error)) << error;
    EXPECT_TRUE(SavePortMapping(dir, 2, "/dev/ttyACM0", &error)) << error;  // chosen again: replaced
    EXPECT_EQ(ReadPortMap(dir), (std::map<int, std::string>{{2, "/dev/ttyACM0"}, {7, "/dev/ttyUSB1"}}));
    EXPECT_FALSE(fs::exists(dir / "config.dat"));  // config.dat is not touched

    // What is no mapping of COM 1..7 is left out.
    Write(dir / "odd" / kPortsFile, "[ports]\ncom0=/dev/a\ncom8=/dev/b\ncom3=\nfoo=/dev/c\ncom4=/dev/ttyS9\n");
    EXPECT_EQ(ReadPortMap(dir / "odd"), (std::map<int, std::string>{{4, "/dev/ttyS9"}}));
    EXPECT_TRUE(ReadPortMap(dir / "none").empty());
}

TEST_F(PortMapTest, AFolderThatCannotTakePortsIniSaysSo) {
    fs::create_directories(dir / "ro" / kPortsFile);  // a folder where the file belongs
    std::string error;
    EXPECT_FALSE(SavePortMapping(dir / "ro", 1, "/dev/ttyUSB0", &error));
    EXPECT_NE(error.find("cannot be written"), std::string::npos) << error;
}

// The console on the real serial port and its window, in the scratch folder.
class ChosenPortTest : public Scratch {
   protected:
    ChosenPortTest() {
        console.Form_Load();
        window = std::make_unique<MainWindow>(console);
    }
    ~ChosenPortTest() override {
        window.reset();
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
    }
    // A pseudo-terminal's device, as a serial device stands in for one.
    std::string Pty() {
        char name[256] = {};
        EXPECT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        return name;
    }
    std::string ConfigDat() const {
        std::ifstream in(dir / "config.dat");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    serial::QtSerialPort port{dir};
    Main_Page console{port, dir};
    std::unique_ptr<MainWindow> window;

   private:
    int master_ = -1, slave_ = -1;
};

TEST_F(ChosenPortTest, AStartWithoutAPortSaysHowToChooseOne) {
    TellPortAtStart(console, port);
    EXPECT_EQ(console.form.Notice, kChoosePortHint);
    // A message start-up left is not hidden.
    console.form.Notice = "Map file \"x\" not loaded: gone";
    TellPortAtStart(console, port);
    EXPECT_EQ(console.form.Notice, "Map file \"x\" not loaded: gone");
}

TEST_F(ChosenPortTest, ARememberedPortThatDoesNotOpenSaysWhy) {
    port.MapPort(3, dir / "no-such-device");
    console.form.COM.SetListIndex(2);
    console.form.Notice.clear();
    TellPortAtStart(console, port);
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Failed);
    EXPECT_NE(console.form.Notice.find("COM 3 (" + (dir / "no-such-device").string() + ") cannot be opened: "),
              std::string::npos)
        << console.form.Notice;
    EXPECT_NE(console.form.Notice.find("plugged in"), std::string::npos) << console.form.Notice;
}

TEST_F(ChosenPortTest, AChosenPortIsMappedKeptSelectedAndOpened) {
    const std::string device = Pty();
    EXPECT_EQ(UseChosenPort(console, window->binding(), port, 2, device), "");
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Device(2), device);
    EXPECT_EQ(console.form.COM.ListIndex(), 1);
    EXPECT_EQ(ConfigDat().substr(0, 2), "2,");
    EXPECT_EQ(ReadPortMap(dir), (std::map<int, std::string>{{2, device}}));
    EXPECT_EQ(console.form.Notice, "COM 2 is " + device);
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Done);

    // The same entry again, on another device: opened again there.
    const std::string other = Pty();
    EXPECT_EQ(UseChosenPort(console, window->binding(), port, 2, other), "");
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Device(2), other);
}

TEST_F(ChosenPortTest, AChosenPortThatCannotBeOpenedSaysWhyAndIsStillKept) {
    const std::string device = (dir / "ttyUSB9").string();
    const std::string why = UseChosenPort(console, window->binding(), port, 4, device);
    EXPECT_NE(why.find("COM 4 (" + device + ") cannot be opened: "), std::string::npos) << why;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(console.form.Notice, why);
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Failed);
    EXPECT_EQ(console.form.Text3.Text, "OffLine");
    // Plugged in later, Connect opens it without choosing again.
    EXPECT_EQ(ReadPortMap(dir), (std::map<int, std::string>{{4, device}}));
}

}  // namespace
}  // namespace orv::app::test
