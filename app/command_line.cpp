#include "app/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <charconv>

#include "orv_version.h"

namespace orv::app {

namespace {
constexpr int kFirstPort = 1, kLastPort = 7;  // the list's "COM 1" .. "COM 7"
constexpr const char* kProgram = "orv-console";

CommandLine Fail(const std::string& why) {
    return {.ports = {},
            .user_folder = false,
            .log_file = {},
            .exit_code = 2,
            .message = std::string(kProgram) + ": " + why + "\nTry '" + kProgram + " --help'.\n"};
}
}  // namespace

std::optional<std::pair<int, std::string>> ParsePortMapping(std::string_view value, std::string* error) {
    const std::string quoted = "--port \"" + std::string(value) + "\": ";
    const auto eq = value.find('=');
    if (eq == std::string_view::npos) {
        *error = quoted + "expected N=DEVICE, for example --port 1=/dev/ttyUSB0";
        return std::nullopt;
    }
    const std::string_view number = value.substr(0, eq);
    int n = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() || n < kFirstPort ||
        n > kLastPort) {
        *error = quoted + "the port number must be 1 to 7, as in the list's COM 1 .. COM 7";
        return std::nullopt;
    }
    const std::string_view device = value.substr(eq + 1);
    if (device.empty()) {
        *error = quoted + "no device after '='";
        return std::nullopt;
    }
    return std::pair{n, std::string(device)};
}

CommandLine ParseCommandLine(const QStringList& args, bool toolkit_args_left) {
    QCommandLineParser parser;
    // -platform is one option of the toolkit's, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        "The ORV engine controller's console. Without --port, list entry COM N opens the device that the link "
        "comN in the start-up folder points to, else /dev/ttyS{N-1}.");
    const QCommandLineOption help({"h", "help"}, "Shows this help.");
    const QCommandLineOption version({"v", "version"}, "Shows the version.");
    const QCommandLineOption port("port",
                                  "List entry COM N opens DEVICE for this run (N 1 to 7; repeatable), for example "
                                  "--port 1=/dev/ttyUSB0.",
                                  "N=DEVICE");
    const QCommandLineOption user_folder("user-folder",
                                         "Keeps config.dat, ports.ini and the comN links in a folder of the "
                                         "user's own (~/.local/share/orv-console, made at the first start) "
                                         "instead of the folder the console starts in.");
    const QCommandLineOption log("log", "Opens the log viewer on FILE as the console starts.", "FILE");
    parser.addOption(help);
    parser.addOption(log);
    parser.addOption(user_folder);
    parser.addOption(version);
    parser.addOption(port);

    const bool parsed = parser.parse(args);
    if (!parsed && !(toolkit_args_left && !parser.unknownOptionNames().isEmpty()))
        return Fail(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        // The program's own name, whatever started it (or nothing, before
        // there is an application).
        std::string text = parser.helpText().toStdString();
        const std::string usage = "Usage: ";
        if (text.starts_with(usage)) {
            const auto end = text.find(" [options]");
            if (end != std::string::npos) text.replace(usage.size(), end - usage.size(), kProgram);
        }
        return {.ports = {}, .user_folder = false, .log_file = {}, .exit_code = 0, .message = text};
    }
    if (parser.isSet(version))
        return {.ports = {},
                .user_folder = false,
                .log_file = {},
                .exit_code = 0,
                .message = std::string(kProgram) + " " + kVersion + "\n"};
    if (!toolkit_args_left && !parser.positionalArguments().isEmpty())
        return Fail("unexpected argument \"" + parser.positionalArguments().constFirst().toStdString() + "\"");

    CommandLine out;
    out.user_folder = parser.isSet(user_folder);
    if (parser.isSet(log)) {
        const QString file = parser.value(log);
        if (file.isEmpty()) return Fail("--log: no file named");
        out.log_file = QFileInfo(file).absoluteFilePath().toStdString();
    }
    for (const QString& value : parser.values(port)) {
        std::string error;
        auto mapping = ParsePortMapping(value.toStdString(), &error);
        if (!mapping) return Fail(error);
        if (!out.ports.emplace(*mapping).second)
            return Fail("--port: port " + std::to_string(mapping->first) + " is given twice");
    }
    return out;
}

}  // namespace orv::app
