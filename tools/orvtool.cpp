// orvtool: reports, calculations, comparisons and transfers of the console,
// for scripts and terminals.
#include "orv_version.h"
#include "tools/commands.h"

int main(int argc, char** argv) {
    using namespace orv::tool;
    CLI::App app{"orvtool: the ORV console's work from the command line", "orvtool"};
    BuildApp(app);
#ifdef ORVTOOL_LINE_COMMANDS
    AddUpload(app);
    AddDownload(app);
    AddMonitor(app);
#endif
    app.set_version_flag("--version", std::string("orvtool ") + orv::kVersion);
    return Run(app, argc, argv);
}
