// orv-console: the window on the console object, the serial port on Qt.
#include <QApplication>
#include <cstdio>
#include <filesystem>

#include "app/command_line.h"
#include "app/log_viewer/log_viewer_entry.h"
#include "app/look.h"
#include "app/main_window.h"
#include "app/port_choice.h"
#include "app/quit_signals.h"
#include "app/user_folder.h"
#include "core/page/main_page.h"
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
    QApplication::setApplicationName(QStringLiteral("orv-console"));
    const orv::app::CommandLine line = orv::app::ParseCommandLine(QApplication::arguments(), false);
    if (!Proceed(line, &status)) return status;
    orv::app::ApplyProgramLook();

    // config.dat, ports.ini and the comN links live in the folder the console
    // starts in, or with --user-folder (the desktop entry) in the user's own.
    const orv::app::StartFolder folder = orv::app::EnterStartFolder(line.user_folder);
    if (!folder.error.empty())
        std::fprintf(stderr, "orv-console: the user's folder: %s; working in \"%s\"\n", folder.error.c_str(),
                     folder.path.c_str());
    const std::filesystem::path& start_dir = folder.path;
    orv::serial::QtSerialPort port(start_dir);
    // The ports dialog's choices, and over them this run's --port.
    for (const auto& [number, device] : orv::app::ReadPortMap(start_dir)) port.MapPort(number, device);
    for (const auto& [number, device] : line.ports) port.MapPort(number, device);
    orv::Main_Page console(port, start_dir);
    console.first_map =
        orv::app::FindSampleMap(std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())).string();
    console.Form_Load();
    if (!folder.error.empty())
        console.form.Tell(
            "The user's folder: " + folder.error + "; config.dat is kept in \"" + start_dir.string() + "\".",
            orv::form::Form::NoticeKind::Failed);
    orv::app::TellPortAtStart(console, port);

    orv::app::MainWindow window(console);
    orv::app::QuitOnSignals(app, window, console, start_dir);
    window.Refresh();
    window.show();
    if (!line.log_file.empty()) orv::app::OpenLogViewer(window, line.log_file);
    window.StartTimer();
    return app.exec();
}
