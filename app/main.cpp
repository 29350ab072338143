// orv-console: the window on the console object, the serial port on Qt.
#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/socket.h>
#include <unistd.h>

#include "app/command_line.h"
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

QStringList Arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// Ends the program here when the command line says so; true to go on.
bool Proceed(const orv::app::CommandLine& line, int* status) {
    if (!line.exit_code) return true;
    std::fputs(line.message.c_str(), *line.exit_code == 0 ? stdout : stderr);
    *status = *line.exit_code;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // --help, --version and a bad --port answer before there is any window,
    // or any display to put one on.
    int status = 0;
    if (!Proceed(orv::app::ParseCommandLine(Arguments(argc, argv), true), &status)) return status;
    QApplication app(argc, argv);
    const orv::app::CommandLine line = orv::app::ParseCommandLine(QApplication::arguments(), false);
    if (!Proceed(line, &status)) return status;
    QApplication::setStyle("Fusion");
    QFont font("Verdana");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    QApplication::setFont(font);

    // config.dat and the comN links live in the folder the console starts in.
    std::error_code ec;
    const std::filesystem::path start_dir = std::filesystem::current_path(ec);
    orv::serial::QtSerialPort port(start_dir);
    for (const auto& [number, device] : line.ports) port.MapPort(number, device);
    orv::Main_Page console(port, start_dir);
    console.Form_Load();

    orv::app::MainWindow window(console);
    QuitOnSignals(app, window);
    window.Refresh();
    window.show();
    window.StartTimer();
    return app.exec();
}
