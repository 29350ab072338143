// A long run of the real window, offscreen, on the real serial port against
// orv-sim at 19,200 baud with every line fault on: Connect pressed every few
// seconds, a download and an upload every minute, host mode on and off, and
// the simulator hung up and started again. Everything goes through the
// window's own widgets. At the end it prints what went wrong and what the
// console cost; bench/soak.sh runs it.
//   orv_soak MINUTES SAMPLE_MAP WORK_DIR
// Exit status 0 when nothing went wrong.
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/files/map_file.h"
#include "core/link/live_values.h"
#include "core/page/main_page.h"
#include "serial/qt_serial_port.h"
#include "sim_process.h"
#include "soak_log.h"
#include "testing/scripted_file_dialog.h"

namespace fs = std::filesystem;

namespace {

using orv::kCalibrationBytes;  // what the controller stores; the image's last byte is the console's

struct Usage {
    double cpu_seconds = 0;
    long rss_kb = 0, peak_kb = 0;
};

Usage Measure() {
    Usage u;
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    u.cpu_seconds = static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
                    static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    std::ifstream in("/proc/self/status");
    for (std::string key; in >> key;) {
        if (key == "VmRSS:") in >> u.rss_kb;
        if (key == "VmHWM:") in >> u.peak_kb;
        in.ignore(1 << 12, '\n');
    }
    return u;
}

bool SameCalibration(const orv::Image& image, const std::vector<std::uint8_t>& values) {
    return values.size() >= kCalibrationBytes && std::equal(values.begin(), values.begin() + kCalibrationBytes, image.begin());
}

class Soak {
   public:
    Soak(fs::path dir, fs::path sample) : dir_(std::move(dir)), sample_(std::move(sample)) {}

    int Run(double minutes);

   private:
    bool StartSim();
    void StopSim();
    void Click(const char* name);
    bool Transferring() const { return console_->Transferring() != orv::TransferUnderWay::None; }
    // Presses the button until the transfer runs to its end (a lost reply
    // stalls it: then Connect, as the user would, and again).
    bool Transfer(const char* button);
    void WaitUntil(qint64 ms);
    void Tally(const char* what, int minute, bool same) {
        same ? ++exact : ++wrong;
        if (!same) std::fprintf(stderr, "orv_soak: minute %d: %s not byte-exact\n", minute, what);
    }

    fs::path dir_, sample_;
    orvtest::SimProcess sim_;
    int sim_runs_ = 0;
    std::vector<fs::path> sim_logs_;
    orv::Main_Page* console_ = nullptr;
    orv::app::MainWindow* window_ = nullptr;
    orv::test::ScriptedFileDialog dialog_;
    QElapsedTimer clock_;
    bool pressing_connect_ = true;

   public:
    int sim_crashes = 0, connects = 0, misread = 0, decoded = 0;
    int transfers = 0, exact = 0, wrong = 0, retries = 0, unverified = 0;
    int hangups = 0, host_switches = 0;
    std::vector<long> rss_samples;
    Usage start_usage, end_usage;
};

bool Soak::StartSim() {
    const fs::path log = dir_ / ("sim-" + std::to_string(++sim_runs_) + ".log");
    sim_logs_.push_back(log);
    std::string error;
    const bool ok = sim_.Start({"--baud", "19200", "--link", (dir_ / "com1").string(), "--calibration", sample_.string(),
                                "--eeprom", (dir_ / "eeprom.map").string(), "--log", log.string(), "--drop-every",
                                "211", "--truncate-every", "53", "--noise-every", "47", "--late-every",
                                "89", "--late-ms", "250", "--seed",
                                std::to_string(sim_runs_)},
                               &error);
    if (!ok) std::fprintf(stderr, "orv_soak: orv-sim: %s\n", error.c_str());
    return ok;
}

void Soak::StopSim() {
    if (sim_.Stop() != 0) ++sim_crashes;
}

void Soak::Click(const char* name) {
    auto* b = window_->ControlAs<QAbstractButton>(name);
    if (!b) {
        std::fprintf(stderr, "orv_soak: no button %s\n", name);
        std::exit(1);
    }
    const bool marked = b->isCheckable() && !qobject_cast<QPushButton*>(b);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, marked ? QPoint(8, b->height() / 2) : b->rect().center());
}

void Soak::WaitUntil(qint64 ms) {
    while (clock_.elapsed() < ms) QTest::qWait(static_cast<int>(std::min<qint64>(100, ms - clock_.elapsed())));
}

bool Soak::Transfer(const char* button) {
    ++transfers;
    pressing_connect_ = false;
    bool done = false;
    for (int attempt = 0; attempt < 6 && !done; ++attempt) {
        if (attempt > 0) {
            ++retries;
            Click("Connect");
            ++connects;
            QTest::qWait(500);
        }
        Click(button);
        // Download asks first; the soak times the transfer alone.
        if (QMessageBox* question = window_->downloadQuestion()) {
            question->findChild<QCheckBox*>("VerifyAfterDownload")->setChecked(false);
            question->findChild<QPushButton*>("DownloadConfirm")->click();
        }
        // Upload asks over changes not saved (the soak's image is cleared before each).
        if (QMessageBox* question = window_->uploadQuestion()) question->findChild<QPushButton*>("UploadConfirm")->click();
        if (!Transferring()) break;  // the button is off: nothing started
        unsigned long replies = console_->link.replies;
        QElapsedTimer quiet;
        quiet.start();
        while (Transferring() && quiet.elapsed() < 2000) {
            QTest::qWait(50);
            if (console_->link.replies != replies) {
                replies = console_->link.replies;
                quiet.restart();
            }
        }
        done = !Transferring();
    }
    pressing_connect_ = true;
    return done;
}

int Soak::Run(double minutes) {
    std::ofstream(dir_ / "config.dat", std::ios::binary) << "1,\"\",\"\"\r\n";
    if (!StartSim()) return 1;

    // Two calibrations to send in turn: the sample, and the sample with one byte changed.
    orv::Image images[2]{};
    orv::ApplyMapValues(images[0], orv::ReadMapFile(sample_).values);
    images[1] = images[0];
    images[1][200] ^= 0x01;
    const fs::path maps[2] = {dir_ / "a.map", dir_ / "b.map"};
    for (int i = 0; i < 2; ++i) orv::WriteMapFile(maps[i], images[i]);

    orv::serial::QtSerialPort port(dir_);
    orv::Main_Page console(port, dir_);
    console.Form_Load();
    orv::app::MainWindow window(console);
    console_ = &console;
    window_ = &window;
    console.file_dialog = &dialog_;
    window.ask_save_on_close = nullptr;
    // Every live block the link decodes, polled or answering a host write.
    auto check = [&](const orv::Bytes&) {
        ++decoded;
        const orv::LiveValues& v = console.comm.live();
        if (v.live_version != 21 || v.live_batt < 130 || v.live_batt > 146) ++misread;
    };
    orv::AlsoOn(console.comm.events.live_block, check);
    orv::AlsoOn(console.comm.events.host_values_sent, check);
    window.Refresh();
    window.show();
    window.StartTimer();

    QTimer connect_timer;
    QObject::connect(&connect_timer, &QTimer::timeout, [&] {
        if (!pressing_connect_) return;
        Click("Connect");
        ++connects;
    });
    connect_timer.start(4000);
    QTimer rss_timer;
    QObject::connect(&rss_timer, &QTimer::timeout, [&] { rss_samples.push_back(Measure().rss_kb); });
    rss_timer.start(10000);

    clock_.start();
    start_usage = Measure();
    // The controller holds what was last downloaded whole; unknown while a
    // download was given up half way.
    std::optional<orv::Image> controller = images[0];
    const int total = static_cast<int>(minutes);
    for (int minute = 0; minute < total; ++minute) {
        const qint64 t0 = static_cast<qint64>(minute) * 60000;
        WaitUntil(t0 + 5000);

        // The console sends its image as it stands when the download starts
        // (view bits set to bank 1): that is what the controller must hold.
        const int which = minute % 2 == 0 ? 1 : 0;
        dialog_.answers.push_back(maps[which].string());
        Click("edit");
        Click("loadmem");
        if (Transfer("download")) {
            QTest::qWait(500);  // the simulator saves its calibration area once programming ends
            const auto saved = orv::ReadMapFile(dir_ / "eeprom.map");
            const bool same = SameCalibration(console.cal.mem_image, saved.values);
            Tally("download", minute, same);
            controller = console.cal.mem_image;
        } else {
            controller.reset();
        }
        console.cal.mem_image = orv::Image{};
        if (Transfer("upload") && controller) {
            Tally("upload", minute,
                  std::equal(controller->begin(), controller->begin() + kCalibrationBytes, console.cal.mem_image.begin()));
        } else {
            ++unverified;
        }
        Click("monitor");

        if (minute % 3 == 2) {
            WaitUntil(t0 + 30000);
            ++hangups;
            StopSim();  // the line hangs up under the console
            QTest::qWait(3000);
            if (!StartSim()) return 1;
        }
        WaitUntil(t0 + 40000);
        Click("monitor");
        Click("Host");
        WaitUntil(t0 + 50000);
        Click("remote");
        host_switches += 2;
    }
    WaitUntil(static_cast<qint64>(minutes * 60000));
    end_usage = Measure();
    connect_timer.stop();
    window.close();
    StopSim();

    orv::soak::LogCounts counts;
    for (const fs::path& log : sim_logs_) counts += orv::soak::CountLog(log);
    const double wall = clock_.elapsed() / 1000.0;
    long low = 0, high = 0;
    // The first minute settles the allocator and Qt's caches; growth is what comes after.
    for (std::size_t i = 0; i < rss_samples.size(); ++i) {
        if (i < 6) continue;
        low = low == 0 ? rss_samples[i] : std::min(low, rss_samples[i]);
        high = std::max(high, rss_samples[i]);
    }
    const long growth = high - low;
    std::printf("soak: %.1f min, orv-sim started %d times, hung up %d times\n", wall / 60, sim_runs_, hangups);
    std::printf("crashes of orv-sim              %d\n", sim_crashes);
    std::printf("Connect presses                 %d\n", connects);
    std::printf("host mode switches              %d\n", host_switches);
    std::printf("requests / replies (orv-sim)    %llu / %llu\n", counts.requests, counts.replies);
    std::printf("faults: dropped, cut, noise     %llu, %llu, %llu\n", counts.dropped, counts.truncated, counts.noise);
    std::printf("lock-step violations: console's %llu (after a stray byte: %llu)\n", counts.console_violations,
                counts.noise_violations);
    std::printf("late replies, asked again once  %llu, %llu\n", counts.late, counts.late_asks);
    std::printf("live blocks decoded / misread   %d / %d\n", decoded, misread);
    std::printf("transfers: byte-exact %d, wrong %d, unverified %d, of %d (Connect and again: %d)\n", exact, wrong,
                unverified, transfers, retries);
    std::printf("CPU                             %.1f s, %.1f %% of one core\n", end_usage.cpu_seconds - start_usage.cpu_seconds,
                100 * (end_usage.cpu_seconds - start_usage.cpu_seconds) / wall);
    std::printf("RSS: peak %ld kB, after the first minute %ld..%ld kB (growth %ld kB)\n", end_usage.peak_kb, low, high,
                growth);
    const bool ok = sim_crashes == 0 && counts.console_violations == 0 && misread == 0 && wrong == 0 &&
                    exact > 0 && exact == transfers && growth < 4096;
    std::printf("soak: %s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: orv_soak MINUTES SAMPLE_MAP WORK_DIR\n");
        return 2;
    }
    const double minutes = std::stod(argv[1]);
    Soak soak(argv[3], argv[2]);
    return soak.Run(minutes);
}
