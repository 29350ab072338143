#include "core/calibration/curve_drag.h"

#include <algorithm>
#include <cmath>

namespace orv {

long DragSteps(TableView v, int t, double travel) {
    // One byte is one step of every table's bar.
    const double step = CellValue(v, t, 1) - CellValue(v, t, 0);
    const double steps = travel / step;
    // Beyond any bar's whole range is as good as its end.
    if (!std::isfinite(steps)) return 0;
    return std::lround(std::clamp(steps, -1000.0, 1000.0));
}

RangeEditResult DragRows(std::span<const std::uint8_t> pressed, TableView v, int t, double travel) {
    const long steps = DragSteps(v, t, travel);
    if (steps == 0) {
        RangeEditResult same;
        same.ok = !pressed.empty();
        same.bytes.assign(pressed.begin(), pressed.end());
        return same;
    }
    return EditRange(pressed, v, t, RangeOp::Step, static_cast<double>(steps));
}

int NearestEntry(int t, double x) {
    if (t < 0 || t >= kTableCount || !std::isfinite(x)) return -1;
    const double k = std::round((x - kAxes[t].start) / kAxes[t].step);
    return static_cast<int>(std::clamp(k, 0.0, static_cast<double>(kTableEntries[t] - 1)));
}

}  // namespace orv
