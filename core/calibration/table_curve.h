#pragma once
// A table of the viewed set as a curve: one point per entry, the axis value
// against the entry's value, both in the units the grid shows. The window's
// table plots draw it; it is read from the image alone.
#include <span>
#include <vector>

#include "core/calibration/image.h"
#include "core/calibration/table_coding.h"

namespace orv {

struct CurvePoint {
    double x, y;
    friend bool operator==(const CurvePoint&, const CurvePoint&) = default;
};

struct TableCurve {
    std::vector<CurvePoint> points;  // entry k is point k
    const char* axis_title;          // "RPM x1000", "PRES (bar)", ...
    const char* value_title;         // "TINJ (ms)", "GAIN (%)", "ADV (deg)"
    ValueRange x_range;              // first and last axis value
    ValueRange y_range;              // what the table can hold in this view
};

// The bytes of table t of the viewed set of the active slot, as the grid
// reads them.
std::span<const std::uint8_t> ViewedTableBytes(const Image& image, int t);

// Table t of the viewed set of the active slot, coded for view v.
TableCurve CurveOf(const Image& image, TableView v, int t);

// The point of the grid's current row, or -1 when the row is no entry (the
// header row, or past the table).
int CurvePointOfRow(int t, int row);

// A vertical range that shows the curve's shape: the points' extent with a
// margin, at least `min_span` tall, never wider than what the table can hold.
ValueRange ShownRange(const TableCurve& curve, double min_span);

}  // namespace orv
