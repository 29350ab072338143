// The subcommands that talk to a controller on a serial line: the console's
// own core drives the link, exactly as the window's buttons and timer do.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "core/calibration/image.h"
#include "core/files/atomic_file.h"
#include "core/files/map_file.h"
#include "core/link/live_values.h"
#include "core/recorder/recording.h"
#include "serial/headless_page.h"
#include "tools/commands.h"

namespace orv::tool {

namespace {

// Upload 2,616 bytes, download 2,010 at 19,200 baud take under 2 s each; a
// slow line stays far inside this.
constexpr double kTransferSeconds = 120;
constexpr double kAnswerSeconds = 5;
// A transfer waits for each reply with no end of its own; a reply takes
// milliseconds, so a line silent this long has lost one.
constexpr qint64 kSilentMs = 1000;
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

// The console in a private start folder: its config.dat selects port 1, and
// com1 there names the device.
class Line {
   public:
    explicit Line(const LineOptions& o) {
        std::error_code ec;
        if (!std::filesystem::exists(o.port, ec)) throw Failure("no such device: " + o.port);
        static int argc = 1;
        static char name[] = "orvtool";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc, argv);
        if (!dir_.isValid()) throw Failure("cannot make a temporary folder: " + dir_.errorString().toStdString());
        const std::filesystem::path start = dir_.path().toStdString();
        std::filesystem::create_symlink(std::filesystem::absolute(o.port), start / "com1", ec);
        if (ec) throw Failure("cannot link to " + o.port + ": " + ec.message());
        console_ = std::make_unique<serial::HeadlessPage>(start, o.baud);
        if (!page().MSComm1.IsOpen()) throw Failure("cannot open " + o.port);
        const bool answered = console_->RunUntil([this] { return page().link.replies > 0; }, kAnswerSeconds);
        if (!answered) throw Failure("no controller answers on " + o.port);
    }

    Main_Page& page() { return console_->page(); }
    serial::HeadlessPage& console() { return *console_; }

    // One whole-image transfer, started as the window's button starts it;
    // a bar on a terminal shows how far it got. A transfer stuck on a reply
    // that never came is what the window's user ends with Connect and starts
    // again; so does the tool, a few times.
    void Transfer(form::CommandButton& button, const char* what) {
        Main_Page& p = page();
        if (!p.form.edit.Value()) p.form.edit.UserClick();
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            if (attempt > 0) {
                p.form.Connect.UserClick();
                const unsigned long before = p.link.replies;
                console_->RunUntil([&] { return p.link.replies != before; }, kAnswerSeconds);
            }
            button.UserClick();
            if (RunTransfer(what)) return;
        }
        throw Failure(std::string(what) + " did not finish: the controller stopped answering");
    }

   private:
    // True when the transfer ended, false when the controller went silent.
    bool RunTransfer(const char* what) {
        Main_Page& p = page();
        const bool bar = ::isatty(STDOUT_FILENO);
        int shown = -1;
        unsigned long replies = p.link.replies;
        QElapsedTimer since_reply;
        since_reply.start();
        bool silent = false;
        const bool done = console_->RunUntil(
            [&] {
                if (p.link.replies != replies) {
                    replies = p.link.replies;
                    since_reply.restart();
                }
                silent = since_reply.elapsed() > kSilentMs;
                const bool running = serial::TransferRunning(p);
                const int percent =
                    running ? std::clamp(p.form.ProgressBar1.Value * 100 / p.form.ProgressBar1.Max, 0, 100) : 100;
                if (bar && percent != shown) {
                    shown = percent;
                    const int filled = percent * 30 / 100;
                    std::printf("\r%-8s [%s%s] %3d%%", what, std::string(filled, '#').c_str(),
                                std::string(30 - filled, ' ').c_str(), percent);
                    std::fflush(stdout);
                }
                return !running || silent;
            },
            kTransferSeconds);
        if (bar) std::printf("\n");
        return done && !silent;
    }

    std::unique_ptr<QCoreApplication> app_;
    QTemporaryDir dir_;
    std::unique_ptr<serial::HeadlessPage> console_;
};

ValueList ReadMap(const std::string& path) {
    ValueList map = ReadMapFile(path);
    if (!map.error.empty()) throw Failure("map file " + path + ": " + map.error);
    return map;
}

// An output that cannot be written is refused before the line is opened, so
// no transfer or capture is made only to be lost.
void CheckOutput(const std::string& what, const std::string& path) {
    if (const std::string error = SaveTargetError(path); !error.empty())
        throw Failure(what + " " + path + " not written: " + error);
}

std::string Hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

volatile std::sig_atomic_t interrupted = 0;

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
    sub->add_option("--base", o->base, "Map file whose last value (which the controller does not hold) is kept");
    sub->callback([o] {
        CheckOutput("map file", o->out);
        Image image{};
        if (!o->base.empty()) ApplyMapValues(image, ReadMap(o->base).values);
        Line line(o->line);
        Main_Page& p = line.page();
        p.cal.mem_image = image;
        line.Transfer(p.form.upload, "upload");
        // Saved as the window saves a map: every view field on "Bank 1".
        Image saved = p.cal.mem_image;
        ClearViewBits(saved);
        if (const std::string error = WriteMapFile(o->out, saved); !error.empty())
            throw Failure("map file " + o->out + " not written: " + error);
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
    sub->callback([o] {
        const ValueList map = ReadMap(o->map);
        Line line(o->line);
        Main_Page& p = line.page();
        ApplyMapValues(p.cal.mem_image, map.values);
        line.Transfer(p.form.download, "download");
        if (!o->verify) return;
        // What was programmed: the image as the transfer sent it (on the bank 1 view).
        const Image sent = p.cal.mem_image;
        // What was read back, as the last block left it: at the upload's end
        // the console shows the slot the image names and writes a number
        // outside 0..3 in byte 157 back as the slot it shows.
        Image back{};
        const int watch = p.AddListener([&] {
            if (serial::TransferRunning(p)) back = p.cal.mem_image;
        });
        line.Transfer(p.form.upload, "verify");
        p.RemoveListener(watch);
        for (int i = 0; i < kImageSize - 1; ++i) {
            if (back[i] != sent[i])
                throw Failure("verify failed at " + Hex(0xE000 + i) + ": programmed " + std::to_string(sent[i]) +
                                  ", read back " + std::to_string(back[i]),
                              1);
        }
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
        Line line(o->line);
        Main_Page& p = line.page();
        const bool tty = ::isatty(STDOUT_FILENO);
        std::string csv;
        long polls = 0;
        unsigned long seen = p.link.replies;
        QElapsedTimer clock;
        clock.start();
        // Each live block as a recorder sample, in the recorder's CSV columns;
        // the time is the block's own, not the recorder's 0.1 s steps.
        p.AddListener([&] {
            if (p.link.replies == seen) return;
            seen = p.link.replies;
            const std::size_t n = p.link.rx_data.size();
            if (n != kLiveBlockLong && n != kLiveBlockShort) return;
            ++polls;
            if (o->csv.empty()) return;
            std::array<std::uint8_t, kRecSampleSize> sample{};
            StoreSample(p.live, sample);
            const std::string table = FormatRecordingCsv(sample, 1);
            const std::size_t row = table.find("\r\n") + 2;
            if (csv.empty()) csv = table.substr(0, row);
            char time[32];
            std::snprintf(time, sizeof time, "%.3f", static_cast<double>(clock.nsecsElapsed()) / 1e9);
            csv += time + table.substr(table.find(',', row));
        });
        std::signal(SIGINT, [](int) { interrupted = 1; });
        std::signal(SIGTERM, [](int) { interrupted = 1; });
        const double limit = o->seconds > 0 ? o->seconds : 1e12;
        QElapsedTimer shown;
        shown.start();
        auto readout = [&] {
            const LiveTexts t = FormatLive(p.live);
            std::ostringstream s;
            // Under 80 columns, or a terminal wraps it and \r no longer rewrites it.
            s << "rpm " << t.rpm << "k bar " << t.pressure << " tps " << t.tps << "% air " << t.air << "C water "
              << t.water << "C inj " << t.bank1 << "/" << t.bank2 << "ms adv " << t.advance << " " << t.batt << "V";
            return s.str();
        };
        line.console().RunUntil(
            [&] {
                if (o->csv.empty() && shown.elapsed() >= 100) {
                    shown.restart();
                    if (tty) std::printf("\r%-79s", readout().c_str());
                    else std::printf("%s\n", readout().c_str());
                    std::fflush(stdout);
                }
                return interrupted != 0 || clock.elapsed() >= limit * 1000;
            },
            limit + 1);
        if (tty && o->csv.empty()) std::printf("\n");
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        std::fprintf(stderr, "monitor: %ld polls in %.2f s (%.1f/s)\n", polls, elapsed, polls / elapsed);
        if (o->csv.empty()) return;
        if (csv.empty()) throw Failure("no live data from the controller on " + o->line.port);
        std::string error;
        if (!WriteFileAtomically(o->csv, csv, &error)) throw Failure("CSV file " + o->csv + " not written: " + error);
    });
}

}  // namespace orv::tool
