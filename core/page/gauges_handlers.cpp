// Needles, bars and the grid cursors that follow the engine.
#include <algorithm>
#include <cmath>

#include "core/common/numbers.h"
#include "core/monitor/gauge_geometry.h"
#include "core/page/main_page.h"

namespace orv {

void Main_Page::write_analog_hand(int i, int /*x1*/, int /*y1*/, int h, int rsize, int rini, std::uint8_t maxval,
                                  long xval) {
    if (i < 0 || i >= kGaugeCount || maxval == 0) return;
    // In double: exact for every byte and every 16-bit value, and no argument
    // at all can overflow it (a 64-bit integer product could).
    const double theta = NeedleAngle({rsize, rini, maxval}, static_cast<double>(xval));
    form::Line& hand = form.rpmhand[i];
    const double px = hand.X1, py = hand.Y1;
    hand.Y2 = static_cast<float>(py + h * std::sin(theta));
    hand.X2 = static_cast<float>(px + h * std::cos(theta));
    // The flanks run from beside the pivot to the needle's tip.
    auto flank = [&](form::Line& l, double side) {
        l.X2 = hand.X2;
        l.Y2 = hand.Y2;
        l.Y1 = static_cast<float>(py + kNeedleFlank * std::sin(theta + side));
        l.X1 = static_cast<float>(px + kNeedleFlank * std::cos(theta + side));
    };
    flank(form.line1[i], -kQuarterTurn);
    flank(form.line2[i], kQuarterTurn);
}

void Main_Page::ShowNeedles() {
    auto needle = [this](Gauge g, long raw) {
        const GaugeSweep& s = kGaugeSweep[g];
        write_analog_hand(g, 0, 0, kNeedleLength, s.rsize, s.rini, static_cast<std::uint8_t>(s.maxval), raw);
    };
    // The advance dial reads downward from +40 degrees.
    needle(kGaugeAdvance, kAdvanceDialTop - live.live_advance);
    needle(kGaugeRpm, live.live_rpm);
    needle(kGaugePressure, live.live_pressure);
    needle(kGaugeAir, live.live_air);
    needle(kGaugeWater, live.live_water);
}

void Main_Page::ShowBars() {
    // The injector bars show the duty the boxes show: only Calc_Duty_Cycle
    // writes those, and no one can type into them.
    auto shown = [](const form::TextBox& box) { return ParseNumber(box.Text).value_or(0.0); };
    form.tps_bar.Height = static_cast<float>(live.live_tps * (kTpsBarFull / 100.0));
    form.tinj1.Height = static_cast<float>(shown(form.duty1) * (kInjectorBarFull / 100.0));
    form.tinj2.Height = static_cast<float>(shown(form.duty2) * (kInjectorBarFull / 100.0));
}

void Main_Page::Show_Live_Cell(int index, long value) {
    if (index < 0 || index >= kTableCount) return;
    form::Grid& grid = form.datatable[index];
    // A reading past the last breakpoint keeps the cursor on the last row.
    const int row = static_cast<int>(std::clamp<long>(value + 1, 1, grid.Rows() - 1));
    grid.Row = row;
    ShowCurrentRow(index);
    if (row > grid.TopRow + grid.VisibleRows - 1) grid.TopRow = row - (grid.VisibleRows - 1);
    if (row < grid.TopRow) grid.TopRow = row;
}

}  // namespace orv
