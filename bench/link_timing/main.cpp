// Link timing against orv-sim at 19,200 baud: upload, download, live polling
// and the host cycle, each against the time its bytes take on the wire.
//   orv_link_timing [SECONDS]      seconds of polling and of host cycle (default 5)
// Exit status 0 when every target is met.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "headless_console.h"

namespace {

constexpr double kBytesPerSecond = 19200.0 / 10;

struct Figure {
    const char* what;
    double measured, wire;  // seconds, or a rate per second
    bool rate;
};

bool Report(const Figure& f, double target) {
    const double share = f.rate ? f.measured / f.wire : f.wire / f.measured;
    const bool ok = share >= target;
    std::printf("%-14s %8.3f %s  (wire %8.3f; %5.1f %% of the wire's pace; target >= %.0f %%)  %s\n", f.what,
                f.measured, f.rate ? "/s" : "s ", f.wire, 100 * share, 100 * target, ok ? "PASS" : "FAIL");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::stod(argv[1]) : 5.0;
    QTemporaryDir store;
    orv::e2e::HeadlessConsole c({"--baud", "19200", "--eeprom", store.filePath("eeprom.map").toStdString()});
    if (!c.started) {
        std::fprintf(stderr, "link_timing: %s\n", c.error().c_str());
        return 1;
    }
    orv::Main_Page& p = c.page();
    auto transferring = [&] { return p.Transferring() != orv::TransferUnderWay::None; };
    c.RunUntil([&] { return c.decoded > 10; }, 5);
    bool ok = true;

    // Polling: a 3-byte read and a 10-byte reply each.
    int from = c.decoded;
    QElapsedTimer t;
    t.start();
    c.RunFor(seconds);
    ok &= Report({"live polling", (c.decoded - from) / (t.elapsed() / 1000.0), kBytesPerSecond / 13, true}, 0.95);

    // Upload: 30 reads of 3 bytes, each answered by 64.
    p.form.edit.UserClick();
    t.restart();
    p.form.upload.UserClick();
    c.RunUntil([&] { return !transferring(); }, 20);
    // Every block is read twice, the second time once the line has been
    // quiet for a whole tick (0.1 to 0.2 s): the target allows both.
    const double upload = t.elapsed() / 1000.0, upload_wire = 30 * 67 / kBytesPerSecond;
    ok &= Report({"upload", upload, (29 + 30) * 67 / kBytesPerSecond + 0.2, false}, 0.95);
    std::printf("%-14s %8.3f s   (wire %8.3f for one read of each block; %5.1f %% of the wire's pace)\n", "", upload,
                upload_wire, 100 * upload_wire / upload);

    // Download: 117 writes (4, 7, 67, 4 bytes a block; a last 4) and their 2-byte replies.
    t.restart();
    p.form.download.UserClick();
    c.RunUntil([&] { return !transferring(); }, 20);
    const double download_wire = (29 * (4 + 7 + 67 + 4) + 4 + 117 * 2) / kBytesPerSecond;
    // orv-sim programs a block as soon as it has it; a real EEPROM adds its own time.
    ok &= Report({"download", t.elapsed() / 1000.0, download_wire, false}, 0.95);

    // Host cycle: a live read (3 + 10) and a host write (12 + 2).
    p.form.monitor.UserClick();
    p.form.Host.UserClick();
    c.RunFor(0.5);
    from = c.decoded;
    t.restart();
    c.RunFor(seconds);
    ok &= Report({"host cycle", (c.decoded - from) / (t.elapsed() / 1000.0), kBytesPerSecond / 27, true}, 0.90);
    p.form.remote.UserClick();
    c.RunFor(0.3);

    const auto stats = c.StopSim();
    std::printf("orv-sim: requests %llu, replies %llu, violations %llu, malformed %llu; misread live blocks %d\n",
                stats ? static_cast<unsigned long long>(stats->requests) : 0ULL,
                stats ? static_cast<unsigned long long>(stats->replies) : 0ULL,
                stats ? static_cast<unsigned long long>(stats->violations) : 0ULL,
                stats ? static_cast<unsigned long long>(stats->malformed) : 0ULL, c.misread);
    ok &= stats && stats->violations == 0 && c.misread == 0;
    return ok ? 0 : 1;
}
