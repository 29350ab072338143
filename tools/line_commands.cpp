// The subcommands that talk to a controller on a serial line.
#include "tools/commands.h"

namespace orv::tool {

void AddUpload(CLI::App& app) { app.add_subcommand("upload", "not built yet"); }
void AddDownload(CLI::App& app) { app.add_subcommand("download", "not built yet"); }
void AddMonitor(CLI::App& app) { app.add_subcommand("monitor", "not built yet"); }

}  // namespace orv::tool
