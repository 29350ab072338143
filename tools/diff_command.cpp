// orvtool diff: every byte two map files hold differently, grouped by slot,
// table set and table, in the units the console shows them in.
#include <memory>

#include "core/files/map_compare.h"
#include "tools/commands.h"
#include "tools/tool_files.h"

namespace orv::tool {

void AddDiff(CLI::App& app) {
    struct Options {
        std::string a, b;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("diff", "Every difference between two map files; exit 0 when equal, 1 when different");
    sub->add_option("A", o->a, "First map file")->required();
    sub->add_option("B", o->b, "Second map file")->required();
    sub->callback([o] {
        const Image a = ReadMap(o->a);
        const Image b = ReadMap(o->b);
        const std::string text = DiffText(a, b);
        Emit("", text);
        ExitStatus() = text.empty() ? 0 : 1;
    });
}

}  // namespace orv::tool
