#pragma once
// A table's cells coloured by their value: a ramp of dark colours from the
// lowest byte the table's bar reaches to the highest, so that a table's
// shape and its spikes show at a glance. The text on every colour of the
// ramp keeps a contrast of 4.5:1 at least.
#include "core/calibration/table_coding.h"

namespace orv {

// A colour by its red, green and blue components, 0..255.
struct Colour {
    int r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

// Where stored byte b of grid t in view v lies on its bar's range: 0 at the
// bar's low end, 1 at its high end, a byte beyond either end at that end.
double HeatFraction(TableView v, int t, long b);

// The ramp: dark blue through teal, green and ochre to dark red.
Colour HeatColour(double fraction);

// The text for a cell coloured `back`: light or dark, whichever reads better.
Colour HeatTextColour(Colour back);

// The contrast of two colours as the accessibility guidelines define it:
// 1 for equal colours up to 21 for black on white.
double ContrastRatio(Colour a, Colour b);

}  // namespace orv
