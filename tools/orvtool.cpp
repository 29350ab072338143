// orvtool: reports, calculations, comparisons and transfers of the console,
// for scripts and terminals.
#include <iostream>

#include "orv_version.h"
#include "tools/commands.h"

namespace orv::tool {

int& ExitStatus() {
    static int status = 0;
    return status;
}

}  // namespace orv::tool

int main(int argc, char** argv) {
    using namespace orv::tool;
    CLI::App app{"orvtool: the ORV console's work from the command line"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("orvtool ") + orv::kVersion);
    // A bad command line is one line, like every other failure.
    app.failure_message([](const CLI::App*, const CLI::Error& e) { return std::string("orvtool: ") + e.what() + "\n"; });
    AddReport(app);
    AddCalc(app);
    AddDiff(app);
    AddRec2Csv(app);
    AddLint(app);
    AddUpload(app);
    AddDownload(app);
    AddMonitor(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const Failure& f) {
        std::cerr << "orvtool: " << f.what() << "\n";
        return f.code;
    }
    return ExitStatus();
}
