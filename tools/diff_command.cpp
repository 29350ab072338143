// orvtool diff: every byte two map files hold differently, grouped by slot,
// table set and table, in the units the console shows them in.
#include <algorithm>
#include <memory>

#include "core/files/map_compare.h"
#include "tools/commands.h"
#include "tools/tool_files.h"

namespace orv::tool {

void AddDiff(CLI::App& app) {
    struct Options {
        std::string a, b;
        bool allow_short = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("diff", "Every difference between two map files; exit 0 when equal, 1 when different");
    sub->add_option("A", o->a, "First map file")->required();
    sub->add_option("B", o->b, "Second map file")->required();
    AddAllowShort(*sub, o->allow_short, "only the bytes both files hold are compared, and the lengths");
    sub->callback([o] {
        const MapRead a = ReadMap(o->a, o->allow_short);
        MapRead b = ReadMap(o->b, o->allow_short);
        // As the console compares with a short map: it says nothing of the
        // bytes past its end.
        const int held = std::min(a.length, b.length);
        std::copy(a.image.begin() + held, a.image.end(), b.image.begin() + held);
        std::string text = DiffText(a.image, b.image);
        if (a.length != b.length)
            text += "length\n  values: " + std::to_string(a.length) + " -> " + std::to_string(b.length) + "\n";
        Emit("", text);
        ExitStatus() = text.empty() ? 0 : 1;
    });
}

}  // namespace orv::tool
