#pragma once
// orv-console's command line: --port N=DEVICE (repeatable) names the device
// behind list entry "COM N" for this run; --user-folder starts the console
// in the user's own folder for it (the desktop entry's way); --log FILE opens
// the log viewer on a log as the console starts; --help and --version. Everything the console keeps between runs is in its folder.
#include <QStringList>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orv::app {

struct CommandLine {
    std::map<int, std::string> ports;  // port number -> device
    bool user_folder = false;          // the user's own folder, not the working one
    // The log the viewer opens, made absolute where the console was started
    // (the user's folder may be entered after).
    std::string log_file;
    // Set when the program ends here: 0 after --help or --version, 2 on a
    // bad argument, with `message` to print (stdout for 0, stderr else).
    std::optional<int> exit_code;
    std::string message;
};

// One --port value, "N=DEVICE" with N from 1 to 7; nothing and the reason
// when it is not one.
std::optional<std::pair<int, std::string>> ParsePortMapping(std::string_view value, std::string* error);

// args[0] is the program. Before the toolkit has taken its own arguments
// (-platform offscreen, -style ...) options it does not know are let pass,
// so that --help, --version and a bad --port answer without a display;
// afterwards every argument must be the console's.
CommandLine ParseCommandLine(const QStringList& args, bool toolkit_args_left);

}  // namespace orv::app
