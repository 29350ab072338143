// orvtool lint: what the console would show differently from what a map file
// holds, one finding a line; exit 1 when there is any.
#include <memory>
#include <sstream>

#include "core/files/map_file.h"
#include "core/settings/settings_coding.h"
#include "tools/commands.h"
#include "core/files/map_layout.h"
#include "tools/tool_files.h"

namespace orv::tool {

namespace {

// Far more values than any map file: a longer file is not a map at all.
constexpr std::size_t kMostValuesRead = 16 * kImageSize;

struct SettingLimit {
    int rel, max;
};
constexpr std::array<SettingLimit, 6> kSettingLimits{{
    {slot::kRpmSwitch, kRpmSwitchMax},
    {slot::kWaterSwitch, kWaterSwitchMax},
    {slot::kDeltaTps, kDeltaTpsMax},
    {slot::kWindowSize, kWindowSizeMax},
    {slot::kLoadTime, kLoadTimeMax},
    {slot::kLimiter, kLimiterMax},
}};

std::string At(int addr) { return " (byte " + std::to_string(addr) + "): "; }

// Only the bytes the file holds: a short file leaves the rest of the
// console's image as it was, which the file cannot be blamed for.
void LintSlot(std::ostringstream& out, const Image& image, int held, int k) {
    const int base = k * kSlotSize;
    const std::string name = "slot " + std::to_string(k + 1) + " ";
    const int cyl = image[base + slot::kCylMode] & kCylCodeMask;
    if (cyl > kCylinderCodeMax && base + slot::kCylMode < held)
        out << name << "cylinders" << At(base + slot::kCylMode) << "code " << cyl << " outside 0.."
            << kCylinderCodeMax << ", shown as " << CylinderCountText(cyl) << "\n";
    for (const SettingLimit& s : kSettingLimits) {
        const int b = image[base + s.rel];
        if (b > s.max && base + s.rel < held) out << name << SettingName(s.rel) << At(base + s.rel) << b << " outside 0.." << s.max << "\n";
    }
    const int view = image[base + slot::kModeFlags] & kViewSelMask;
    if (view != 0)
        out << name << "view" << At(base + slot::kModeFlags) << "view bits " << (view >> 1) << (view & 1)
            << " set, a saved map carries 00\n";
    for (const SetPart& set : kSetParts) {
        for (int t = 0; t < kTableCount; ++t) {
            const ByteRange range = BarRange(set.view, t);
            const int first = base + set.offset + kTableOffset[t];
            for (int r = 0; r < kTableEntries[t]; ++r) {
                const int b = image[first + r];
                if ((b >= range.lo && b <= range.hi) || first + r >= held) continue;
                out << name << set.name << " " << kAxes[t].name << " row " << r + 1 << " (" << AxisText(t, r) << ")"
                    << At(first + r) << b << " outside " << range.lo << ".." << range.hi << "\n";
            }
        }
    }
}

}  // namespace

void AddLint(CLI::App& app) {
    auto map = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("lint", "What the console would show differently from what MAP holds; exit 1 when anything is found");
    sub->add_option("MAP", *map, "Map file")->required();
    sub->callback([map] {
        // Read past the map's length, so that a longer file is a finding and
        // not a read error.
        const ValueList values = ReadValueFile(*map, kMostValuesRead);
        if (!values.error.empty()) throw Failure(*map + ": " + values.error);
        std::ostringstream out;
        if (values.values.size() != static_cast<std::size_t>(kImageSize))
            out << "length: " << values.values.size() << " values, a map holds " << kImageSize << "\n";
        Image image{};
        ApplyMapValues(image, values.values);
        const int active = image[kActiveSlotByte];
        if (active > kSlotCount - 1)
            out << "active slot" << At(kActiveSlotByte) << active << " names no slot, read as Mem 1\n";
        const int held = static_cast<int>(values.values.size());
        for (int k = 0; k < kSlotCount; ++k) LintSlot(out, image, held, k);
        Emit("", out.str());
        ExitStatus() = out.str().empty() ? 0 : 1;
    });
}

}  // namespace orv::tool
