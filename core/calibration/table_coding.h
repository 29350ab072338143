#pragma once
// How a table byte is shown, typed and moved, for every table and view: the
// cell's text, the values a user may type and the byte each becomes, and the
// range of the table's scroll bar. The grids, the editing, the report and the
// command-line tool all read it here.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/calibration/image.h"
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

// The value stored byte b of grid t stands for in view v, as a number: the
// cell's text read back (ms, percent or degrees).
double CellValue(TableView v, int t, long b);

// What may be typed into grid t (inclusive).
ValueRange TypedRange(TableView v, int t);

// The byte a typed value is stored as (halves to even), or nothing when the
// value lies outside the typed range.
std::optional<long> TypedByte(TableView v, int t, double typed);

// The cell's text after an accepted entry: grid 0 of a fuel view in "#0.0",
// everything else exactly as typed.
std::string TypedCellText(TableView v, int t, std::string_view typed_text, double typed);

// Why typed text is refused for grid t: what was typed and what may be.
std::string RefusalText(TableView v, int t, std::string_view typed_text);

// Range of grid t's scroll bar; each typed range maps exactly onto it.
ByteRange BarRange(TableView v, int t);

// The axis column of grid t: its heading, the value of row 1 and the step
// from row to row, and how a message names its values: in the column's own
// unit times `scale`, followed by `unit`.
struct Axis {
    const char* name;
    double start, step;
    double scale;
    const char* unit;
};
constexpr std::array<Axis, kTableCount> kAxes{{
    {"RPM", 0.0, 0.5, 1000, "rpm"},   // the column in 1,000 rpm
    {"PRES", -1.0, 0.1, 1, "bar"},
    {"TPS", 0.0, 5.0, 1, "%"},
    {"AIR", -20.0, 10.0, 1, "\u00b0C"},
    {"WAT", -20.0, 10.0, 1, "\u00b0C"},
}};

// Value of axis row k (0: the first entry) of grid t.
double AxisValue(int t, int k);

// Text of axis row k (0: the first entry): engine speed and pressure in
// "#0.0", the others whole.
std::string AxisText(std::string_view name, double start, double step, int k);
// The same for grid t's own axis.
std::string AxisText(int t, int k);

// Rows first..last (1: the first) of grid t as a message names them, in the
// axis's own units: "2,500 to 4,500 rpm", "-0.5 to 0.0 bar", "10 %".
std::string AxisRangeText(int t, int first_row, int last_row);

}  // namespace orv
