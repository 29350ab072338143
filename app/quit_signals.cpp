#include "app/quit_signals.h"

#include <QDateTime>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

#include "core/files/atomic_file.h"
#include "core/files/map_file.h"

namespace orv::app {

namespace {

int g_quit_fds[2] = {-1, -1};

// Only what is safe in a signal handler: one write to the socket the event
// loop watches, with errno as the interrupted code left it. The recovery is
// written from the event loop.
extern "C" void OnQuitSignal(int) {
    const int saved = errno;
    const char b = 1;
    [[maybe_unused]] ssize_t n = write(g_quit_fds[0], &b, 1);
    errno = saved;
}

}  // namespace

KeptCalibration KeepUnsavedCalibration(const Main_Page& console, const std::filesystem::path& dir) {
    if (!console.CalibrationUnsaved()) return {};
    Image image = console.cal.mem_image;
    ClearViewBits(image);
    // A file never written over, a link planted at the name included: an
    // older recovery may not have been looked at yet, and another console in
    // the same folder may be keeping its own in the same second.
    const std::string stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss").toStdString();
    const std::filesystem::path wanted = dir / ("recovery-" + stamp + ".map");
    std::filesystem::path path;
    if (std::string error; !WriteNewFile(wanted, FormatMapFile(image), &path, &error))
        return {"orv-console: unsaved calibration changes lost: " + wanted.string() + " not written: " + error, true};
    return {"orv-console: unsaved calibration changes kept in " + path.string()};
}

void QuitOnSignals(QApplication& app, MainWindow& window, const Main_Page& console, const std::filesystem::path& dir,
                   std::function<void(int)> quit) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_quit_fds) != 0) return;
    auto* notifier = new QSocketNotifier(g_quit_fds[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier, &window, &console, dir, quit] {
        notifier->setEnabled(false);
        const KeptCalibration kept = KeepUnsavedCalibration(console, dir);
        if (!kept.line.empty()) std::fprintf(stderr, "%s\n", kept.line.c_str());
        window.ask_save_on_close = nullptr;
        QApplication::closeAllWindows();
        quit(kept.lost ? 1 : 0);
    });
    struct sigaction sa {};
    sa.sa_handler = OnQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace orv::app
