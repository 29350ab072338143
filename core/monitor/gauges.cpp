// Needles, bars and the grid cursors that follow the engine.
#include <algorithm>
#include <cmath>

#include "core/common/numbers.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {
constexpr int kNeedleLength = 1150;  // twips
constexpr int kFlankOffset = 10;     // twips beside the pivot
constexpr double kPi = 3.14;         // the dial faces were drawn for this value
constexpr double kQuarterTurn = 1.57;
constexpr double kTpsBarScale = 27.75;      // twips per percent: 2775 at full throttle
constexpr double kInjectorBarScale = 14.55; // twips per percent duty: 1455 at 100 %
constexpr int kVisibleRows = 10;
}  // namespace

void Main_Page::write_analog_hand(int i, int /*x1*/, int /*y1*/, int h, int rsize, int rini, std::uint8_t maxval,
                                  long xval) {
    if (i < 0 || i > 4 || maxval == 0) return;
    // The product in double: exact for every byte and every 16-bit value, and
    // no argument at all can overflow it (a 64-bit integer product could).
    double deg = static_cast<double>(xval) * rsize / maxval + rini;
    double theta = (deg - 360) * kPi / 180;
    form::Line& hand = form.rpmhand[i];
    double px = hand.X1, py = hand.Y1;
    hand.Y2 = static_cast<float>(py + h * std::sin(theta));
    hand.X2 = static_cast<float>(px + h * std::cos(theta));
    form::Line& l1 = form.line1[i];
    l1.X2 = hand.X2;
    l1.Y2 = hand.Y2;
    l1.Y1 = static_cast<float>(py + kFlankOffset * std::sin(theta - kQuarterTurn));
    l1.X1 = static_cast<float>(px + kFlankOffset * std::cos(theta - kQuarterTurn));
    form::Line& l2 = form.line2[i];
    l2.X2 = hand.X2;
    l2.Y2 = hand.Y2;
    l2.Y1 = static_cast<float>(py + kFlankOffset * std::sin(theta + kQuarterTurn));
    l2.X1 = static_cast<float>(px + kFlankOffset * std::cos(theta + kQuarterTurn));
}

void Main_Page::Show_Gauges() {
    write_analog_hand(4, 0, 0, kNeedleLength, 87, 192, 45, 85L - live_advance);
    write_analog_hand(0, 0, 0, kNeedleLength, 175, 182, 150, live_rpm);
    write_analog_hand(1, 0, 0, kNeedleLength, 170, 184, 50, live_pressure);
    write_analog_hand(2, 0, 0, kNeedleLength, 173, 184, 150, live_air);
    write_analog_hand(3, 0, 0, kNeedleLength, 173, 184, 150, live_water);
}

void Main_Page::Show_Bars() {
    auto shown = [](const form::TextBox& box) { return ParseNumber(box.Text).value_or(0.0); };
    form.tps_bar.Height = static_cast<float>(live_tps * kTpsBarScale);
    form.tinj1.Height = static_cast<float>(shown(form.duty1) * kInjectorBarScale);
    form.tinj2.Height = static_cast<float>(shown(form.duty2) * kInjectorBarScale);
}

void Main_Page::Show_Live_Cell(int index, long value) {
    if (index < 0 || index > 4) return;
    form::Grid& grid = form.datatable[index];
    // A reading past the last breakpoint keeps the cursor on the last row.
    int row = static_cast<int>(std::clamp<long>(value + 1, 1, grid.Rows() - 1));
    grid.Row = row;
    form.Text1[index].Text = grid.Text();
    if (row > grid.TopRow + kVisibleRows - 1) grid.TopRow = row - (kVisibleRows - 1);
    if (row < grid.TopRow) grid.TopRow = row;
}

}  // namespace orv
