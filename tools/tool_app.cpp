// orvtool's command line, built apart from main so that it can be driven
// from elsewhere too.
#include <iostream>
#include <new>

#include "tools/commands.h"

namespace orv::tool {

namespace {

// A script reads one line of standard error: a message from CLI11 or a file
// name with a line break in it stays on that line.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

bool IsSubcommand(const CLI::App& app, const std::string& name) {
    return !app.get_subcommands([&](const CLI::App* sub) { return sub->check_name(name); }).empty();
}

}  // namespace

int& ExitStatus() {
    static int status = 0;
    return status;
}

void BuildApp(CLI::App& app) {
    app.require_subcommand(1);
    AddReport(app);
    AddCalc(app);
    AddDiff(app);
    AddRec2Csv(app);
    AddLint(app);
    AddReplay(app);
}

int Run(CLI::App& app, int argc, const char* const* argv) {
    if (argc < 2) {
        std::cerr << app.help();
        return kUsageError;
    }
    // CLI11 would call an unknown first word a missing subcommand.
    if (const std::string first = argv[1]; !IsSubcommand(app, first) && !app.get_option_no_throw(first)) {
        std::cerr << "orvtool: no subcommand \"" << OneLine(first) << "\" (orvtool --help lists them)\n";
        return kUsageError;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
        std::cerr << "orvtool: " << OneLine(e.what()) << "\n";
        return kUsageError;
    } catch (const Failure& f) {
        std::cerr << "orvtool: " << OneLine(f.what()) << "\n";
        return f.code;
    } catch (const std::bad_alloc&) {
        // The readers keep their memory to a few times what they keep; this
        // is the last resort, a message instead of an abort.
        std::cerr << "orvtool: out of memory: the input is too large for this machine\n";
        return kUsageError;
    }
    return ExitStatus();
}

}  // namespace orv::tool
