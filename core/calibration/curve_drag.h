#pragma once
// A table's curve shaped by hand on its plot: the pointer's travel from
// where it was pressed, in the table's own unit, moves the rows it holds by
// whole steps of the table's bar. Each move is worked out from the bytes the
// press found, so a drag back to where it began gives them back exactly,
// even after some rows were held at a limit on the way.
#include <cstdint>
#include <span>

#include "core/calibration/range_edit.h"
#include "core/calibration/table_coding.h"

namespace orv {

// The whole steps of grid t's bar in view v nearest to `travel` (ms,
// percent or degrees); 0 for a travel that is no number.
long DragSteps(TableView v, int t, double travel);

// The held rows' bytes (as the press found them) after the pointer moved
// `travel`: each row moves by DragSteps, and a row that would pass the bar's
// range stops at its end (counted in `clamped`). No step: the bytes as they
// were, even one outside the range (a foreign map's).
RangeEditResult DragRows(std::span<const std::uint8_t> pressed, TableView v, int t, double travel);

// The entry of grid t nearest to axis value x (0: the first), kept within
// the table; -1 for an x that is no number.
int NearestEntry(int t, double x);

}  // namespace orv
