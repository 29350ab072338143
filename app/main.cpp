// orv-console: the window on the console object, the serial port on Qt.
#include <QApplication>
#include <cstdio>
#include <filesystem>

#include "app/command_line.h"
#include "app/look.h"
#include "app/main_window.h"
#include "app/quit_signals.h"
#include "core/shell/main_page.h"
#include "serial/qt_serial_port.h"

namespace {

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
    orv::app::ApplyProgramLook();

    // config.dat and the comN links live in the folder the console starts in.
    std::error_code ec;
    const std::filesystem::path start_dir = std::filesystem::current_path(ec);
    orv::serial::QtSerialPort port(start_dir);
    for (const auto& [number, device] : line.ports) port.MapPort(number, device);
    orv::Main_Page console(port, start_dir);
    console.Form_Load();

    orv::app::MainWindow window(console);
    orv::app::QuitOnSignals(app, window, console, start_dir);
    window.Refresh();
    window.show();
    window.StartTimer();
    return app.exec();
}
