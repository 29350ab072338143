#pragma once
// Tables as clipboard text, for spreadsheets and text editors, and back.
//
// A copy is a naming line ("RPM / bank 1 injection (ms)") and one line per
// row: the axis value, a tab, the table value, both as the grid shows them.
// A whole set is its five tables so, a blank line between them.
//
// What a paste reads:
// - Lines end in LF, CR LF or CR. On each line the fields are separated by
//   tabs if it has any, else by semicolons, else by spaces; a line of commas
//   alone is one number when it reads as one ("1,5" is 1.5, "1,234,567" has
//   thousands), fields otherwise ("3.0,12.5").
// - Within a field the decimal mark is a point or a comma. With both, the
//   later one is the decimal mark and the other groups thousands in threes
//   ("1,234.5" and "1.234,5" are both 1234.5); a lone comma is always the
//   decimal mark, so "1,234" is 1.234. Exponents, "inf" and "nan" read as
//   numbers.
// - A line whose fields are all numbers holds one value, or an axis value and
//   the table value: the value is then the second, and the axis is not
//   looked at (rows are placed from where the paste starts, so a range pastes
//   into another one). Three numbers or more, an empty cell beside a number,
//   or NaN on a line refuse the paste.
// - Any other line is a naming or heading line; those before the values are
//   skipped. Blank lines are skipped before and after the values, never
//   between two of them; text after the values refuses the paste, so that
//   nothing is pasted in part.
// - Values are coded as a typed entry is; a value the box would refuse
//   (infinities included) is brought to its nearest limit and counted.
// - Text over kMaxPasteBytes, text holding control characters (binary data),
//   more values than the rows there are to fill, or no values at all: the
//   paste is refused whole, with the reason.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/calibration/image.h"
#include "core/calibration/table_coding.h"

namespace orv {

constexpr std::size_t kMaxPasteBytes = 4u << 20;

// The naming line of table t of set `set` (kSetBank1, kSetBank2,
// kSetIgnition): "RPM / bank 1 injection (ms)", "PRES / ignition correction
// (degrees)".
std::string TableTitle(int set, int t);

// "bank 1", "bank 2", "ignition".
const char* TableSetName(int set);
// The set the grids show, as the image's view bits name it.
int ViewedSetOf(const Image& image);

// Rows of table t as a message names them: "RPM row 3", "PRES rows 3 to 14".
std::string TableRowsText(int t, int first_row, int last_row);

// The copy of rows first_row..last_row (1: the first) of table t of set
// `set`, whose stored bytes (entry 0 first) are `table`.
std::string TableCopyText(std::span<const std::uint8_t> table, int set, int t, int first_row, int last_row);

// The copy of the whole set `set` of the slot block starting at `slot_start`.
std::string SetCopyText(const Image& image, int slot_start, int set);

struct TablePaste {
    bool ok = false;
    std::string refusal;  // why, when not ok: "12 values from row 25 run past ..."
    int first_row = 0, last_row = 0;
    std::vector<std::uint8_t> bytes;  // for first_row..last_row
    int clamped = 0;
};

// Pasted text into table t of set `set`, whose selected rows are
// sel_first..sel_last. One row selected: the values go from it down, as many
// rows as there are values. A range: one value fills it all; more go from
// its first row and must fit in it.
TablePaste PasteIntoTable(std::string_view text, int set, int t, int sel_first, int sel_last);

struct SetPaste {
    bool ok = false;
    std::string refusal;
    std::array<std::vector<std::uint8_t>, kTableCount> bytes;  // each table whole
    int values = 0, clamped = 0;
};

// Pasted text holding a whole set (the five tables, each under its naming
// line) into set `set`. The tables' units must be the set's: fuel tables go
// into bank 1 or bank 2, ignition tables into ignition.
SetPaste PasteIntoSet(std::string_view text, int set);

}  // namespace orv
