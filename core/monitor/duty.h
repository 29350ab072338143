#pragma once
// Injector duty cycle: open time as a share of two crankshaft revolutions.
#include "core/calibration/image.h"

namespace orv {

// Duty in percent, at most 100, for engine speed (100 rpm) and injection time
// (0.1 ms). In "Full" mode every cylinder's injection counts.
long DutyCycle(long rpm, long tinj, bool full, long cylinders);

// What the duty takes from a slot's settings block: the count the cylinder
// box shows for the stored code (a code no control writes counts 1), and
// whether "Full" is set.
struct CylinderSettings {
    long cylinders = 1;
    bool full = false;
};
CylinderSettings CylindersAt(const Image& image, int slot_base);
// Those of the image's active slot: the duty `orvtool calc` prints and a
// replay computes.
CylinderSettings ActiveCylinders(const Image& image);

inline long DutyCycle(long rpm, long tinj, const CylinderSettings& c) { return DutyCycle(rpm, tinj, c.full, c.cylinders); }

}  // namespace orv
