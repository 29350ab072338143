#pragma once
// Two calibration images compared byte by byte: the differences as orvtool
// diff prints them, and a reference map beside the console's image, whose
// differing cells and settings the window marks with the reference's value.
#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>

#include "core/calibration/image.h"
#include "core/calibration/table_coding.h"

namespace orv {

struct ImageDifferences {
    std::bitset<kImageSize> differs;
    std::array<int, kSlotCount> per_slot{};
    int trailing = 0;  // the byte after the four slot blocks
    int Total() const { return static_cast<int>(differs.count()); }
};

// Only the leading `length` bytes are compared. With `ignore_view_bits` the
// table set a slot's grids show does not count: it is no calibration.
ImageDifferences CompareImages(const Image& a, const Image& b, int length = kImageSize, bool ignore_view_bits = false);

// Every difference, grouped by slot, table set and table, then the settings,
// in the units the console shows; empty when the images are equal.
std::string DiffText(const Image& a, const Image& b);

// A map file read for comparison only: it is never written, loaded or sent.
struct MapReference {
    std::string path;
    Image image{};
    int length = 0;  // values the file held; a short file says nothing of the rest
};

// Reads the map file at `path` into `out`; empty, or the reason (and `out`
// as it was).
std::string ReadReference(const std::string& path, MapReference& out);

// The reference's text for row `row` (1: the first) of grid t in view v,
// when its byte differs from the image's; nothing when it does not.
std::optional<std::string> ReferenceCellText(const Image& image, const MapReference& ref, TableView v, int t, int row);

// The same for a settings control of the active slot, by its name ("RPMAcc"
// or "TRPMAcc", "FullSel", "igninv", "mem3", ...); nothing for a control that
// shows no byte, or whose byte agrees.
std::optional<std::string> ReferenceSettingText(const Image& image, const MapReference& ref, std::string_view control);

// "Differences from "b.map": Mem 1: 0, Mem 2: 3, Mem 3: 0, Mem 4: 0".
std::string ReferenceStatus(const Image& image, const MapReference& ref);

}  // namespace orv
