#pragma once
// Where the needles and bars of the monitor stand: one table that the
// console's needle arithmetic and the window's painted faces both read, so a
// change here moves the needle and the dial's marks together.
#include <array>

namespace orv {

// Gauges in the order of the needle arrays: rpm, pressure, air, water, advance.
enum Gauge { kGaugeRpm, kGaugePressure, kGaugeAir, kGaugeWater, kGaugeAdvance, kGaugeCount };

// Raw 0 sits at `rini` degrees, raw `maxval` at `rini + rsize`.
struct GaugeSweep {
    int rsize;
    int rini;
    int maxval;
};
constexpr std::array<GaugeSweep, kGaugeCount> kGaugeSweep{{
    {175, 182, 150},  // 0 .. 15,000 rpm
    {170, 184, 50},   // -1 .. 4 bar
    {173, 184, 150},  // -20 .. 130 degrees
    {173, 184, 150},
    {87, 192, 45},    // fed 85 - advance byte: +40 degrees at raw 0, -5 at raw 45
}};

// The advance dial is fed this minus the advance byte: +40 degrees at raw 0.
constexpr long kAdvanceDialTop = 85;

// Faces are laid out in twips; every needle turns about the same pivot.
constexpr int kTwipsPerPixel = 15;
constexpr int kPivotX = 1480, kPivotY = 1440;
constexpr int kNeedleLength = 1150;
constexpr int kNeedleFlank = 10;  // the flanks start this far beside the pivot

// Bars at full scale, in twips: the throttle at 100 %, an injector at 100 % duty.
constexpr int kTpsBarFull = 2775;
constexpr int kInjectorBarFull = 1455;

// The dial faces were drawn for this value of pi; marks and needles both use it.
constexpr double kNeedlePi = 3.14;
constexpr double kQuarterTurn = 1.57;

// The needle's angle (radians, clockwise from pointing right, y down) for a
// raw value: deg = raw * rsize / maxval + rini, turned by a full circle.
constexpr double NeedleAngle(const GaugeSweep& g, double raw) {
    return (raw * g.rsize / g.maxval + g.rini - 360) * kNeedlePi / 180;
}

}  // namespace orv
