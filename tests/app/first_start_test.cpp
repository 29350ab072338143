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
#include "core/page/main_page.h"
#include "serial/qt_serial_port.h"

namespace orv::app::test {
namespace {

namespace fs = std::filesystem;

// A fresh working folder, with XDG_DATA_HOME pointing into it.
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

TEST_F(StartFolderTest, TheDesktopEntrysFolderIsMadeAShellsIsKept) {
    EXPECT_TRUE(ParseCommandLine({"orv-console", "--port", "1=/dev/ttyUSB0", "--user-folder"}, false).user_folder);
    EXPECT_FALSE(ParseCommandLine({"orv-console"}, false).user_folder);
    const struct {
        const char* what;
        bool user_folder, data_is_a_file;
        fs::path path;  // relative to dir
        bool failed;
    } cases[] = {
        {"from a shell", false, false, "", false},
        {"from the menu", true, false, "data/orv-console", false},
        {"from the menu again", true, false, "data/orv-console", false},
        {"the data folder a file", true, true, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::current_path(dir);
        if (c.data_is_a_file) {
            fs::remove_all(dir / "data");
            Write(dir / "data", "a file where the data folder belongs");
        }
        const StartFolder chosen = EnterStartFolder(c.user_folder);
        EXPECT_EQ(chosen.error.empty(), !c.failed) << chosen.error;
        EXPECT_EQ(chosen.path, c.path.empty() ? dir : dir / c.path);
        EXPECT_EQ(fs::current_path(), chosen.path);
    }
}

TEST_F(StartFolderTest, TheSampleMapIsFoundInstalledElseInTheSourceTree) {
    const fs::path installed = dir / "usr" / ORV_INSTALL_DATADIR_FOR_TESTS / "orv-console" / "sample.map";
    const fs::path source = dir / "src" / "samples" / "sample.map";
    const struct {
        bool installed, source;
        fs::path found;
    } cases[] = {{true, true, installed}, {false, true, source}, {false, false, {}}};
    for (const auto& c : cases) {
        fs::remove_all(dir / "usr");
        fs::remove_all(dir / "src");
        fs::create_directories(dir / "usr" / "bin");
        if (c.installed) Write(installed, "1\n");
        if (c.source) Write(source, "1\n");
        EXPECT_EQ(FindSampleMap(dir / "usr" / "bin", source), c.found);
    }
}

using PortMapTest = Scratch;

TEST_F(PortMapTest, StableNamesPointAtTheirDevices) {
    Write(dir / "dev" / "ttyUSB0", "");
    const fs::path by_id = dir / "by-id";
    fs::create_directories(by_id);
    fs::create_symlink("../dev/ttyUSB0", by_id / "usb-FTDI_b-if00");
    fs::create_symlink("../dev/ttyUSB0", by_id / "usb-FTDI_a-if00");  // a second name: the smaller is kept
    fs::create_symlink("../dev/gone", by_id / "usb-unplugged");
    EXPECT_EQ(StableNames(by_id), (std::map<std::string, std::string>{{fs::canonical(dir / "dev" / "ttyUSB0").string(),
                                                                       (by_id / "usb-FTDI_a-if00").string()}}));
}

TEST_F(PortMapTest, ChoicesAreKeptInPortsIniAndReadBack) {
    std::string error;
    EXPECT_TRUE(SavePortMapping(dir, 2, "/dev/serial/by-id/usb-FTDI_a-if00", &error)) << error;
    EXPECT_TRUE(SavePortMapping(dir, 7, "/dev/ttyUSB1", &error)) << error;
    EXPECT_TRUE(SavePortMapping(dir, 2, "/dev/ttyACM0", &error)) << error;  // chosen again: replaced
    EXPECT_EQ(ReadPortMap(dir), (std::map<int, std::string>{{2, "/dev/ttyACM0"}, {7, "/dev/ttyUSB1"}}));
    EXPECT_FALSE(fs::exists(dir / "config.dat"));

    // What is no mapping of COM 1..7 is left out.
    Write(dir / "odd" / kPortsFile, "[ports]\ncom0=/dev/a\ncom8=/dev/b\ncom3=\nfoo=/dev/c\ncom4=/dev/ttyS9\n");
    EXPECT_EQ(ReadPortMap(dir / "odd"), (std::map<int, std::string>{{4, "/dev/ttyS9"}}));

    fs::create_directories(dir / "ro" / kPortsFile);  // a folder where the file belongs
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
        for (int fd : fds_) ::close(fd);
    }
    // A pseudo-terminal's device, standing in for a serial device.
    std::string Pty() {
        char name[256] = {};
        int master = -1, slave = -1;
        EXPECT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        fds_.insert(fds_.end(), {master, slave});
        return name;
    }

    serial::QtSerialPort port{dir};
    Main_Page console{port, dir};
    std::unique_ptr<MainWindow> window;

   private:
    std::vector<int> fds_;
};

TEST_F(ChosenPortTest, StartUpSaysHowToChooseAPortOrWhyTheOneRememberedFailed) {
    TellPortAtStart(console, port);
    EXPECT_EQ(console.form.Notice, kChoosePortHint);
    console.form.Notice = "Map file \"x\" not loaded: gone";  // what start-up said stays
    TellPortAtStart(console, port);
    EXPECT_EQ(console.form.Notice, "Map file \"x\" not loaded: gone");

    port.MapPort(3, dir / "gone");
    console.form.COM.SetListIndex(2);
    console.form.Notice.clear();
    TellPortAtStart(console, port);
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Failed);
    EXPECT_EQ(console.form.Notice.rfind("COM 3 (" + (dir / "gone").string() + ") cannot be opened: ", 0), 0u)
        << console.form.Notice;
    EXPECT_NE(console.form.Notice.find("plugged in"), std::string::npos) << console.form.Notice;
}

TEST_F(ChosenPortTest, AChosenPortIsMappedKeptSelectedAndOpened) {
    const std::string device = Pty();
    EXPECT_EQ(UseChosenPort(console, window->binding(), port, 2, device), "");
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Device(2), device);
    EXPECT_EQ(console.form.COM.ListIndex(), 1);
    EXPECT_EQ(console.config.cfg_port, 2);
    EXPECT_EQ(ReadPortMap(dir), (std::map<int, std::string>{{2, device}}));
    EXPECT_EQ(console.form.Notice, "COM 2 is " + device);

    // The entry already chosen, on another device: opened again there.
    const std::string other = Pty();
    EXPECT_EQ(UseChosenPort(console, window->binding(), port, 2, other), "");
    EXPECT_EQ(port.Device(2), other);
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(ChosenPortTest, AChosenPortThatCannotBeOpenedSaysWhyAndIsStillKept) {
    const std::string device = (dir / "ttyUSB9").string();
    const std::string why = UseChosenPort(console, window->binding(), port, 4, device);
    EXPECT_EQ(why.rfind("COM 4 (" + device + ") cannot be opened: ", 0), 0u) << why;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(console.form.Notice, why);
    EXPECT_EQ(console.form.KindOfNotice(), form::Form::NoticeKind::Failed);
    // Plugged in later, Connect opens it without choosing again.
    EXPECT_EQ(ReadPortMap(dir), (std::map<int, std::string>{{4, device}}));
}

}  // namespace
}  // namespace orv::app::test
