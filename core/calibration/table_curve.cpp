#include "core/calibration/table_curve.h"

#include <algorithm>

namespace orv {

namespace {
constexpr const char* kAxisTitles[kTableCount] = {"RPM x1000", "PRES (bar)", "TPS (%)", "AIR (\u00b0C)", "WAT (\u00b0C)"};
int Grid(int t) { return (t >= 0 && t < kTableCount) ? t : 0; }
}  // namespace

std::span<const std::uint8_t> ViewedTableBytes(const Image& image, int t) {
    t = Grid(t);
    // The address rule keeps every table inside the image; the entries the
    // grid shows are the table's first ones.
    return std::span<const std::uint8_t>(image).subspan(static_cast<std::size_t>(MemAddr(image, t)),
                                                        static_cast<std::size_t>(kTableEntries[t]));
}

TableCurve CurveOf(const Image& image, TableView v, int t) {
    t = Grid(t);
    TableCurve c;
    c.axis_title = kAxisTitles[t];
    c.value_title = v == TableView::Ignition ? "ADV (\u00b0)" : (t == 0 ? "TINJ (ms)" : "GAIN (%)");
    const std::span<const std::uint8_t> bytes = ViewedTableBytes(image, t);
    c.points.reserve(bytes.size());
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const int entry = static_cast<int>(k);
        c.points.push_back({AxisValue(t, entry), CellValue(v, t, bytes[k])});
    }
    c.x_range = {AxisValue(t, 0), AxisValue(t, kTableEntries[t] - 1)};
    c.y_range = TypedRange(v, t);
    return c;
}

int CurvePointOfRow(int t, int row) {
    const int k = row - 1;
    return (k >= 0 && k < kTableEntries[Grid(t)]) ? k : -1;
}

ValueRange ShownRange(const TableCurve& curve, double min_span) {
    if (curve.points.empty()) return curve.y_range;
    auto [lo, hi] = std::minmax_element(curve.points.begin(), curve.points.end(),
                                        [](const CurvePoint& a, const CurvePoint& b) { return a.y < b.y; });
    double low = lo->y, high = hi->y;
    const double margin = std::max((high - low) * 0.1, (min_span - (high - low)) / 2);
    low -= margin;
    high += margin;
    // Against an edge of what the table holds, the span stays and moves in.
    const ValueRange& limit = curve.y_range;
    if (low < limit.lo) {
        high = std::min(limit.hi, high + (limit.lo - low));
        low = limit.lo;
    }
    if (high > limit.hi) {
        low = std::max(limit.lo, low - (high - limit.hi));
        high = limit.hi;
    }
    return {low, high};
}

}  // namespace orv
