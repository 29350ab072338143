// orvtool report: the memory map report the console writes beside a map it
// saves, from the map file alone.
#include <memory>

#include "core/files/map_report.h"
#include "tools/commands.h"
#include "tools/tool_files.h"

namespace orv::tool {

void AddReport(CLI::App& app) {
    struct Options {
        std::string map, out;
        bool no_ignition = false, allow_short = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("report", "The memory map text report of MAP, as the console writes it beside a saved map");
    sub->add_option("MAP", o->map, "Map file")->required();
    sub->add_option("-o", o->out, "Write the report to FILE instead of standard output (-: standard output)");
    sub->add_flag("--no-ignition", o->no_ignition, "As written when the advance gauge is hidden (no ignition sections)");
    AddAllowShort(*sub, o->allow_short, "over an empty image, the rest reported as 0");
    sub->callback([o] {
        Image image = ReadMap(o->map, o->allow_short).image;
        // The console reports its image as saved: every view field on bank 1.
        ClearViewBits(image);
        Emit(o->out, MapReport(image, o->map, !o->no_ignition), o->map);
    });
}

}  // namespace orv::tool
