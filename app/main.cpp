// orv-console: the window on the console object, the serial port on Qt.
#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <filesystem>
#include <sys/socket.h>
#include <unistd.h>

#include "app/main_window.h"
#include "core/shell/main_page.h"
#include "serial/qt_serial_port.h"

namespace {

int g_quit_fds[2] = {-1, -1};

extern "C" void OnQuitSignal(int) {
    const char b = 1;
    [[maybe_unused]] ssize_t n = write(g_quit_fds[0], &b, 1);
}

// SIGTERM and SIGINT close the window as the user would, so the port is
// released and everything ends in order.
void QuitOnSignals(QApplication& app, orv::app::MainWindow& window) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_quit_fds) != 0) return;
    auto* notifier = new QSocketNotifier(g_quit_fds[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier, &window] {
        notifier->setEnabled(false);
        // Nobody is there to answer the question about unsaved changes.
        window.ask_save_on_close = nullptr;
        QApplication::closeAllWindows();
        QApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = OnQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    QFont font("Verdana");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    QApplication::setFont(font);

    // config.dat and the comN links live in the folder the console starts in.
    std::error_code ec;
    const std::filesystem::path start_dir = std::filesystem::current_path(ec);
    orv::serial::QtSerialPort port(start_dir);
    orv::Main_Page console(port, start_dir);
    console.Form_Load();

    orv::app::MainWindow window(console);
    QuitOnSignals(app, window);
    window.Refresh();
    window.show();
    window.StartTimer();
    return app.exec();
}
