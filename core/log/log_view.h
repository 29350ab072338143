#pragma once
// What the log viewer draws and reads out, free of the window so benchmarks
// and tests reach it: the rows inside a span, min/max per pixel column, the
// value under the cursor, statistics of a span, and the time the engine
// spent on each row of each table.
#include <array>
#include <cstddef>
#include <vector>

#include "core/calibration/image.h"
#include "core/log/log_data.h"
#include "core/monitor/table_lookup.h"

namespace orv {

// Rows [first, last) whose time lies in [t0, t1].
struct RowSpan {
    std::size_t first = 0, last = 0;
};
RowSpan RowsIn(const LogData& log, double t0, double t1);

// The row shown at time t: the last at or before t (the first row before the
// log starts); rows() when the log is empty.
std::size_t RowAt(const LogData& log, double t);

// One pixel column of a channel over [t0, t1] split in `columns` columns:
// its smallest and largest value and whether any row falls in it. Drawing a
// vertical stroke from min to max per column shows every spike of any number
// of rows with never more points than pixels.
struct ColumnRange {
    float min = 0, max = 0;
    bool any = false;
};
std::vector<ColumnRange> Decimate(const LogData& log, int channel, double t0, double t1, int columns);
// The same for any series sharing the log's time axis (a recomputed output).
std::vector<ColumnRange> Decimate(const std::vector<double>& time, const std::vector<float>& values, double t0,
                                  double t1, int columns);

struct SpanStats {
    double min = 0, max = 0, mean = 0;
    std::size_t count = 0;  // 0: no row in the span (min, max and mean mean nothing)
};
SpanStats StatsOf(const LogData& log, int channel, double t0, double t1);
// The same for any series of one value per row of the log (a recomputed output).
SpanStats StatsOf(const LogData& log, const std::vector<float>& values, double t0, double t1);

// OperatingRows (core/monitor/table_lookup.h): the grid rows the monitor's
// cursors stand on for a row's live values.

// Seconds spent on each grid row of each table over [t0, t1]: a row counts
// until the next row's time, except across a gap (a gap marker, or more than
// kHitGapSeconds without a row), which counts for nothing. hits[t][k] is grid
// row k + 1 of table t.
constexpr double kHitGapSeconds = 0.5;
using TableHits = std::array<std::vector<double>, kTableCount>;
TableHits CountTableHits(const LogData& log, double t0, double t1);

}  // namespace orv
