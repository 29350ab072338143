#include "tools/commands.h"

namespace orv::tool {

void AddCalc(CLI::App& app) { app.add_subcommand("calc", "not built yet"); }

}  // namespace orv::tool
