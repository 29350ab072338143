#include "core/files/map_compare.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "core/files/map_file.h"
#include "core/files/map_layout.h"
#include "core/settings/settings_coding.h"

namespace orv {

namespace {

bool IsViewByte(int i) { return i < kSlotCount * kSlotSize && i % kSlotSize == slot::kModeFlags; }

// Collects the lines of one group and prints its heading before the first.
class Group {
   public:
    Group(std::ostringstream& out, std::string heading) : out_(out), heading_(std::move(heading)) {}
    void Line(const std::string& line) {
        if (!started_) out_ << heading_ << "\n";
        started_ = true;
        out_ << "  " << line << "\n";
    }

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

ImageDifferences CompareImages(const Image& a, const Image& b, int length, bool ignore_view_bits) {
    ImageDifferences d;
    const int n = length < 0 ? 0 : (length > kImageSize ? kImageSize : length);
    for (int i = 0; i < n; ++i) {
        std::uint8_t x = a[i] ^ b[i];
        if (ignore_view_bits && IsViewByte(i)) x &= static_cast<std::uint8_t>(~kViewSelMask);
        if (x == 0) continue;
        d.differs.set(i);
        if (i < kSlotCount * kSlotSize) ++d.per_slot[i / kSlotSize];
        else ++d.trailing;
    }
    return d;
}

std::string DiffText(const Image& a, const Image& b) {
    const ImageDifferences d = CompareImages(a, b);
    std::ostringstream out;
    if (d.Total() == 0) return {};
    for (int k = 0; k < kSlotCount; ++k) {
        const int base = k * kSlotSize;
        const std::string slot_name = "slot " + std::to_string(k + 1);
        for (const SetPart& set : kSetParts) {
            for (int t = 0; t < kTableCount; ++t) {
                Group g(out, slot_name + ", " + set.name + ", " + kAxes[t].name + " table");
                const int first = base + set.offset + kTableOffset[t];
                for (int r = 0; r < kTableBytes[t]; ++r) {
                    const int addr = first + r;
                    if (!d.differs.test(addr)) continue;
                    std::string line = "row " + std::to_string(r + 1) + " (" + AxisText(t, r) + "): ";
                    line += Change(CellText(set.view, t, a[addr]), CellText(set.view, t, b[addr]), a[addr], b[addr]);
                    // The byte past the grid's last row: the lookup may read it, no grid shows it.
                    if (r >= kTableEntries[t]) line += " [not shown]";
                    g.Line(line);
                }
            }
        }
        Group g(out, slot_name + ", settings");
        for (int rel = slot::kCylMode; rel <= slot::kModeFlags; ++rel) {
            const int addr = base + rel;
            if (!d.differs.test(addr)) continue;
            // Only slot block 0's active-slot byte names a slot; elsewhere it is a plain byte.
            auto text = [&](std::uint8_t v) { return k > 0 && rel == slot::kActiveSlot ? std::to_string(v) : SettingText(rel, v); };
            g.Line(SettingName(rel) + ": " + Change(text(a[addr]), text(b[addr]), a[addr], b[addr]));
        }
    }
    Group tail(out, "trailing byte");
    if (d.trailing)
        tail.Line("byte " + std::to_string(kImageSize - 1) + ": " + std::to_string(a[kImageSize - 1]) + " -> " +
                  std::to_string(b[kImageSize - 1]));
    return out.str();
}

std::string ReadReference(const std::string& path, MapReference& out) {
    const ValueList map = ReadMapFile(path);
    if (!map.error.empty()) return map.error;
    MapReference ref;
    ref.path = path;
    ApplyMapValues(ref.image, map.values);
    ref.length = static_cast<int>(map.values.size());
    out = std::move(ref);
    return {};
}

std::optional<std::string> ReferenceCellText(const Image& image, const MapReference& ref, TableView v, int t, int row) {
    if (t < 0 || t >= kTableCount || row < 1 || row > kTableEntries[t]) return std::nullopt;
    const int addr = MemAddr(image, t) + row - 1;
    if (addr >= ref.length || image[addr] == ref.image[addr]) return std::nullopt;
    return CellText(v, t, ref.image[addr]);
}

std::optional<std::string> ReferenceSettingText(const Image& image, const MapReference& ref, std::string_view control) {
    if (control.empty()) return std::nullopt;
    for (const SettingField& f : kSettingFields) {
        if (std::find(f.controls.begin(), f.controls.end(), control) == f.controls.end()) continue;
        const int addr = FieldAddress(f, image);
        if (addr >= ref.length || f.Get(image[addr]) == f.Get(ref.image[addr])) return std::nullopt;
        return FieldText(f, ref.image[addr]);
    }
    return std::nullopt;
}

std::string ReferenceStatus(const Image& image, const MapReference& ref) {
    const ImageDifferences d = CompareImages(image, ref.image, ref.length, true);
    std::string s = "Differences from \"" + std::filesystem::path(ref.path).filename().string() + "\":";
    for (int k = 0; k < kSlotCount; ++k)
        s += (k ? ", Mem " : " Mem ") + std::to_string(k + 1) + ": " + std::to_string(d.per_slot[k]);
    if (d.trailing) s += ", last byte: 1";
    return s;
}

}  // namespace orv
