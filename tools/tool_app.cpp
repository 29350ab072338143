// orvtool's command line, built apart from main so that it can be driven
// from elsewhere too.
#include "tools/commands.h"

namespace orv::tool {

int& ExitStatus() {
    static int status = 0;
    return status;
}

void BuildApp(CLI::App& app) {
    app.require_subcommand(1);
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
}

}  // namespace orv::tool
