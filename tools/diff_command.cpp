#include "tools/commands.h"

namespace orv::tool {

void AddDiff(CLI::App& app) { app.add_subcommand("diff", "not built yet"); }

}  // namespace orv::tool
