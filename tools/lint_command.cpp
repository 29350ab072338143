#include "tools/commands.h"

namespace orv::tool {

void AddLint(CLI::App& app) { app.add_subcommand("lint", "not built yet"); }

}  // namespace orv::tool
