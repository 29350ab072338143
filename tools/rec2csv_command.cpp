#include "tools/commands.h"

namespace orv::tool {

void AddRec2Csv(CLI::App& app) { app.add_subcommand("rec2csv", "not built yet"); }

}  // namespace orv::tool
