// orvtool diff: every byte two map files hold differently, grouped by slot,
// table set and table, in the units the console shows them in.
#include <memory>
#include <sstream>

#include "tools/commands.h"
#include "tools/map_layout.h"
#include "tools/tool_files.h"

namespace orv::tool {

namespace {

// Collects the lines of one group and prints its heading before the first.
class Group {
   public:
    Group(std::ostringstream& out, std::string heading) : out_(out), heading_(std::move(heading)) {}
    void Line(const std::string& line) {
        if (!started_) out_ << heading_ << "\n";
        started_ = true;
        out_ << "  " << line << "\n";
    }
    bool started() const { return started_; }

   private:
    std::ostringstream& out_;
    std::string heading_;
    bool started_ = false;
};

// "a -> b", with the bytes when the texts alone would not tell them apart.
std::string Change(const std::string& a, const std::string& b, int byte_a, int byte_b) {
    std::string s = a + " -> " + b;
    if (a == b) s += " (bytes " + std::to_string(byte_a) + " -> " + std::to_string(byte_b) + ")";
    return s;
}

}  // namespace

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
        std::ostringstream out;
        bool any = false;
        for (int k = 0; k < kSlotCount; ++k) {
            const int base = k * kSlotSize;
            const std::string slot_name = "slot " + std::to_string(k + 1);
            for (const SetPart& set : kSetParts) {
                for (int t = 0; t < kTableCount; ++t) {
                    Group g(out, slot_name + ", " + set.name + ", " + kAxes[t].name + " table");
                    const int first = base + set.offset + kTableOffset[t];
                    for (int r = 0; r < kTableBytes[t]; ++r) {
                        const int addr = first + r;
                        if (a[addr] == b[addr]) continue;
                        std::string line = "row " + std::to_string(r + 1) + " (" + AxisText(t, r) + "): ";
                        line += Change(CellText(set.view, t, a[addr]), CellText(set.view, t, b[addr]), a[addr], b[addr]);
                        // The byte past the grid's last row: the lookup may read it, no grid shows it.
                        if (r >= kTableEntries[t]) line += " [not shown]";
                        g.Line(line);
                    }
                    any = any || g.started();
                }
            }
            Group g(out, slot_name + ", settings");
            for (int rel = slot::kCylMode; rel <= slot::kModeFlags; ++rel) {
                const int addr = base + rel;
                if (a[addr] == b[addr]) continue;
                // Only slot block 0's active-slot byte names a slot; elsewhere it is a plain byte.
                auto text = [&](std::uint8_t v) { return k > 0 && rel == slot::kActiveSlot ? std::to_string(v) : SettingText(rel, v); };
                g.Line(SettingName(rel) + ": " + Change(text(a[addr]), text(b[addr]), a[addr], b[addr]));
            }
            any = any || g.started();
        }
        Group tail(out, "trailing byte");
        if (a[kImageSize - 1] != b[kImageSize - 1])
            tail.Line("byte " + std::to_string(kImageSize - 1) + ": " + std::to_string(a[kImageSize - 1]) + " -> " +
                      std::to_string(b[kImageSize - 1]));
        any = any || tail.started();
        Emit("", out.str());
        ExitStatus() = any ? 1 : 0;
    });
}

}  // namespace orv::tool
