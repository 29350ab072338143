#include "tools/commands.h"

namespace orv::tool {

void AddReport(CLI::App& app) { app.add_subcommand("report", "not built yet"); }

}  // namespace orv::tool
