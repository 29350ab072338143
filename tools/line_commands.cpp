// The subcommands that talk to a controller on a serial line: the link
// engine on the serial port, driven by Qt's event loop with a tick every
// 100 ms, exactly as the window drives it, with no window and no files.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>

#include "core/calibration/image.h"
#include "core/common/numbers.h"
#include "core/files/atomic_file.h"
#include "core/files/map_file.h"
#include "core/files/read_file.h"
#include "core/link/link.h"
#include "core/link/live_values.h"
#include "core/log/live_log.h"
#include "serial/qt_serial_port.h"
#include "tools/commands.h"

namespace orv::tool {

namespace {

// A transfer that runs this long has a line far slower than any the
// controller has; the link itself gives up on a silent one in seconds.
constexpr double kTransferSeconds = 120;
constexpr double kAnswerSeconds = 5;
// A controller that answered seconds ago, then stopped in a transfer: Connect
// hears it again within two asks, or it is not coming back soon.
constexpr double kAnswerAgainSeconds = 1.6;
constexpr int kAttempts = 3;

struct LineOptions {
    std::string port;
    int baud = 19200;
};

// A number above zero, said in one line when it is not.
const CLI::Validator kPositive(
    [](std::string& text) {
        double v = 0;
        std::istringstream in(text);
        if (!(in >> v) || !in.eof() || !(v > 0)) return "not a number above zero: " + text;
        return std::string();
    },
    "POSITIVE");

void AddLineOptions(CLI::App* sub, LineOptions& o) {
    sub->add_option("--port", o.port, "Serial device, e.g. /dev/ttyUSB0 or a pseudo-terminal")->required();
    sub->add_option("--baud", o.baud, "Line speed (the controller's line runs at 19200)")
        ->check(kPositive);
}

volatile std::sig_atomic_t interrupted = 0;

// The link on the device, polling once the controller has answered. The
// event loop sleeps until the port or the tick has something.
class Line {
   public:
    Line(const LineOptions& o, Image& image) : port_(std::filesystem::path()), link_(port_, image) {
        std::error_code ec;
        if (!std::filesystem::exists(o.port, ec)) throw Failure("no such device: " + o.port);
        static int argc = 1;
        static char name[] = "orvtool";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc, argv);
        port_.MapPort(1, std::filesystem::absolute(o.port));
        port_.SetBaudRate(o.baud);
        port_.on_comm = [this](CommEvent e) {
            link_.OnComm(e);
            Check();
        };
        port_.on_notice = [](const std::string& message) { std::fprintf(stderr, "orvtool: %s\n", message.c_str()); };
        QObject::connect(&tick_, &QTimer::timeout, [this] {
            link_.Tick();
            Check();
        });
        link_.state().comm_port = 1;
        link_.Start();
        if (!port_.IsOpen()) throw Failure("cannot open " + o.port);
        tick_.start(100);
        if (!RunUntil([this] { return link_.state().replies > 0; }, kAnswerSeconds))
            throw Failure("no controller answers on " + o.port);
    }
    ~Line() {
        tick_.stop();
        port_.on_comm = nullptr;
        link_.Stop();
    }

    Link& link() { return link_; }

    // Runs the event loop until `done` holds after an event, or `seconds`
    // have passed; false on the deadline.
    bool RunUntil(const std::function<bool()>& done, double seconds) {
        if (done()) return true;
        QEventLoop loop;
        bool met = false;
        done_ = [&] {
            if (!done()) return;
            met = true;
            loop.quit();
        };
        // A deadline past what a timer holds (about 24 days, or a monitor
        // with no --seconds) is no deadline: `done` ends the loop.
        if (const double ms = seconds * 1000; ms < std::numeric_limits<int>::max())
            QTimer::singleShot(static_cast<int>(std::max(ms, 0.0)), &loop, &QEventLoop::quit);
        loop.exec();
        done_ = nullptr;
        return met;
    }

    // One whole-image transfer; a bar on a terminal shows how far it got. A
    // transfer the link gave up is what the window's user ends with Connect
    // and starts again; so does the tool, a few times: a download from the
    // block where it stopped, and one whose blocks were all written but not
    // read back, with the read-back alone. The verify result of a download
    // that asked for one. `known`: what an upload may find the controller
    // holds.
    std::optional<VerifyResult> Transfer(TransferKind kind, bool verify, const char* what,
                                         const Image* known = nullptr) {
        const bool bar = ::isatty(STDOUT_FILENO);
        int shown = -1;
        bool finished = false, stalled = false;
        std::optional<VerifyResult> result;
        std::string why;
        int from = 0;
        Link::Events& e = link_.events;
        e.transfer_progress = [&](TransferKind, int position) {
            const int percent = std::clamp(position * 100 / transfer::kEndOfArea, 0, 100);
            if (!bar || percent == shown) return;
            shown = percent;
            const int filled = percent * 30 / 100;
            std::printf("\r%-8s [%s%s] %3d%%", what, std::string(filled, '#').c_str(),
                        std::string(30 - filled, ' ').c_str(), percent);
            std::fflush(stdout);
        };
        e.transfer_finished = [&](TransferKind, const std::optional<VerifyResult>& v) {
            finished = true;
            result = v;
        };
        e.transfer_stalled = [&](TransferKind, int at, const std::string& message) {
            stalled = true;
            why = message;
            from = at;
        };
        const auto read_back_owed = [&] { return finished && result && !result->unfinished.empty(); };
        for (int attempt = 0; attempt < kAttempts && (!finished || read_back_owed()); ++attempt) {
            if (attempt > 0) {
                // A port that failed (a line hung up, an adapter gone) is
                // not tried again: nothing would answer.
                if (!port_.IsOpen()) break;
                link_.Connect();
                const unsigned long before = link_.state().replies;
                // Nor is a controller that does not answer Connect.
                if (!RunUntil([&] { return link_.state().replies != before; }, kAnswerAgainSeconds)) break;
            }
            const bool read_back_only = read_back_owed();
            finished = stalled = false;
            if (read_back_only) link_.StartVerify();
            else if (kind == TransferKind::Upload) link_.StartUpload(known);
            else link_.StartDownload(verify, from);
            RunUntil([&] { return finished || stalled; }, kTransferSeconds);
        }
        e.transfer_progress = nullptr;
        e.transfer_finished = nullptr;
        e.transfer_stalled = nullptr;
        if (bar) std::printf("\n");
        if (!finished)
            throw Failure(std::string(what) + " did not finish: " +
                          (why.empty() ? std::string("the controller stopped answering") : why));
        return result;
    }

   private:
    void Check() {
        if (done_) done_();
    }

    std::unique_ptr<QCoreApplication> app_;
    serial::QtSerialPort port_;
    Link link_;
    QTimer tick_;
    std::function<void()> done_;
};

ValueList ReadMap(const std::string& path) {
    ValueList map = ReadMapFile(path);
    if (!map.error.empty()) throw Failure("map file " + path + ": " + map.error);
    return map;
}

// An output that cannot be written is refused before the line is opened, so
// no transfer or capture is made only to be lost.
void CheckOutput(const std::string& what, const std::string& path) {
    if (const std::string error = NotRegularFileError(path); !error.empty())
        throw Failure(what + " " + path + " not written: " + error);
}

std::string Hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

}  // namespace

void AddUpload(CLI::App& app) {
    struct Options {
        LineOptions line;
        std::string out, base;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("upload", "Read the controller's calibration into a map file");
    AddLineOptions(sub, o->line);
    sub->add_option("-o,--output", o->out, "Map file to write")->required();
    sub->add_option("--base", o->base,
                    "Map file whose last value (which the controller does not hold) is kept; blocks the controller "
                    "holds as in it are read once, not twice");
    sub->callback([o] {
        CheckOutput("map file", o->out);
        Image image{};
        std::optional<Image> known;
        if (!o->base.empty()) {
            ApplyMapValues(image, ReadMap(o->base).values);
            // As the controller holds it when it was downloaded: every view
            // field on "Bank 1". A block read once that equals it is kept.
            known = image;
            ClearViewBits(*known);
        }
        {
            Line line(o->line, image);
            line.Transfer(TransferKind::Upload, false, "upload", known ? &*known : nullptr);
        }
        // Saved as the window saves a map: every view field on "Bank 1".
        ClearViewBits(image);
        if (const std::string error = WriteMapFile(o->out, image); !error.empty())
            throw Failure("map file " + o->out + " not written: " + error);
        std::printf("uploaded %s bytes from %s to %s\n", Thousands(transfer::kEndOfArea).c_str(),
                    o->line.port.c_str(), o->out.c_str());
    });
}

void AddDownload(CLI::App& app) {
    struct Options {
        LineOptions line;
        std::string map;
        bool verify = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("download", "Program a map file into the controller");
    AddLineOptions(sub, o->line);
    sub->add_option("MAP", o->map, "Map file to program")->required();
    sub->add_flag("--verify", o->verify, "Read the calibration back and compare it byte for byte");
    sub->footer(
        "Exit status: 0 written (and with --verify, read back the same); 1 the read-back differs; 2 not "
        "written, or the command cannot be run; 3 written, but the read-back could not be completed on "
        "this line");
    sub->callback([o] {
        Image image{};
        ApplyMapValues(image, ReadMap(o->map).values);
        // Programmed as the window programs it: every view field on "Bank 1".
        ClearViewBits(image);
        Line line(o->line, image);
        const std::optional<VerifyResult> check = line.Transfer(TransferKind::Download, o->verify, "download");
        if (check && !check->unfinished.empty())
            throw Failure(std::string("download written to ")
                              .append(o->line.port)
                              .append(", but not verified: ")
                              .append(check->unfinished),
                          kNotVerified);
        if (check && !check->verified)
            throw Failure("verify failed at " + Hex(kCalibrationBase + check->first_difference) + ": programmed " +
                              std::to_string(check->programmed) + ", read back " + std::to_string(check->read_back),
                          1);
        std::printf("downloaded %s bytes to %s%s\n", Thousands(transfer::kEndOfArea).c_str(), o->line.port.c_str(),
                    check ? ", verified" : "");
    });
}

void AddMonitor(CLI::App& app) {
    struct Options {
        LineOptions line;
        std::string csv;
        double seconds = 0;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("monitor", "Show or log the controller's live values");
    AddLineOptions(sub, o->line);
    sub->add_option("--csv", o->csv, "Write every live sample to this CSV file");
    sub->add_option("--seconds", o->seconds, "Stop after this long (default: at Ctrl-C)")->check(kPositive);
    sub->callback([o] {
        if (!o->csv.empty()) CheckOutput("CSV file", o->csv);
        Image image{};
        Line line(o->line, image);
        Link& link = line.link();
        const bool tty = ::isatty(STDOUT_FILENO);
        long polls = 0;
        QElapsedTimer clock;
        clock.start();
        QElapsedTimer shown;
        shown.start();
        auto readout = [&] {
            const LiveTexts t = FormatLive(link.live());
            std::ostringstream s;
            // Under 80 columns, or a terminal wraps it and \r no longer rewrites it.
            s << "rpm " << t.rpm << "k bar " << t.pressure << " tps " << t.tps << "% air " << t.air << "C water "
              << t.water << "C inj " << t.bank1 << "/" << t.bank2 << "ms adv " << t.advance << " " << t.batt << "V";
            return s.str();
        };
        link.events.live_block = [&](const Bytes&) {
            ++polls;
            if (!o->csv.empty() || shown.elapsed() < 100) return;
            shown.restart();
            if (tty) std::printf("\r%-79s", readout().c_str());
            else std::printf("%s\n", readout().c_str());
            std::fflush(stdout);
        };
        // Each live block as a row in the recorder's CSV columns, the time
        // the block's own; written as it comes, as the console logs.
        std::unique_ptr<LiveLog> log;
        if (!o->csv.empty()) {
            log = std::make_unique<LiveLog>(link);
            if (const std::string error = log->Start(o->csv, LogColumns::Channels, true); !error.empty())
                throw Failure("CSV file " + o->csv + " not written: " + error);
        }
        std::signal(SIGINT, [](int) { interrupted = 1; });
        std::signal(SIGTERM, [](int) { interrupted = 1; });
        const double limit = o->seconds > 0 ? o->seconds : 1e12;
        // The tick wakes the loop ten times a second: Ctrl-C is seen within it.
        line.RunUntil(
            [&] {
                if (log) log->Tick();
                return interrupted != 0 || clock.elapsed() >= limit * 1000;
            },
            limit + 1);
        const long rows = log ? log->Stop() : 0;
        link.events.live_block = nullptr;
        if (tty && o->csv.empty()) std::printf("\n");
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        std::fprintf(stderr, "monitor: %ld polls in %.2f s (%.1f/s)\n", polls, elapsed, polls / elapsed);
        if (!log) return;
        if (!log->error().empty()) throw Failure("CSV file " + log->error());
        if (rows == 0) {
            std::error_code ec;
            std::filesystem::remove(log->path(), ec);
            throw Failure("no live data from the controller on " + o->line.port);
        }
    });
}

}  // namespace orv::tool
