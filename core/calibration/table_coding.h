#pragma once
// How a table byte is shown, typed and moved, for every table and view: the
// cell's text, the values a user may type and the byte each becomes, and the
// range of the table's scroll bar. The grids, the editing, the report and the
// command-line tool all read it here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/common/units.h"

namespace orv {

// A fuel view is any view in which "Ignition" is not selected; bank 1 and
// bank 2 share one coding.
enum class TableView { Fuel, Ignition };

constexpr TableView ViewOf(bool ignition_selected, bool bank1_selected) {
    return ignition_selected && !bank1_selected ? TableView::Ignition : TableView::Fuel;
}

struct ValueRange {
    double lo, hi;
};
struct ByteRange {
    int lo, hi;
};

// Text of stored byte b of grid t in view v.
std::string CellText(TableView v, int t, long b);

// What may be typed into grid t (inclusive).
ValueRange TypedRange(TableView v, int t);

// The byte a typed value is stored as (halves to even), or nothing when the
// value lies outside the typed range.
std::optional<long> TypedByte(TableView v, int t, double typed);

// The cell's text after an accepted entry: grid 0 of a fuel view in "#0.0",
// everything else exactly as typed.
std::string TypedCellText(TableView v, int t, std::string_view typed_text, double typed);

// Range of grid t's scroll bar; each typed range maps exactly onto it.
ByteRange BarRange(TableView v, int t);

}  // namespace orv
