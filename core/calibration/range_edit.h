#pragma once
// Edits of a range of rows of one table at once: a straight line between its
// first and last row, a percentage of each value, an offset in the table's
// own unit, one value for all, a few steps of the table's bar, or a moving
// average. Every
// result is stored as a typed entry would be (halves to even); a value the
// text box would refuse is brought to the nearest one it accepts, and counted.
#include <cstdint>
#include <span>
#include <vector>

#include "core/calibration/table_coding.h"

namespace orv {

enum class RangeOp {
    Interpolate,  // the value is not used
    Scale,        // percent of the present value: 110 makes each 10 % larger
    Offset,       // added, in the table's unit (ms, percent, degrees)
    Set,          // every row gets it, in the table's unit
    Step,         // moved by this many steps of the table's bar (one byte each)
    Smooth,       // each row but the two ends the mean of itself and its neighbours; the value is not used
};

struct RangeEditResult {
    bool ok = false;  // false: nothing was changed (a value that is no number, rows outside the table)
    std::vector<std::uint8_t> bytes;
    int clamped = 0;  // results brought into the accepted range
};

// The new bytes for the stored bytes of consecutive rows of table t in view v.
RangeEditResult EditRange(std::span<const std::uint8_t> stored, TableView v, int t, RangeOp op, double value);

}  // namespace orv
