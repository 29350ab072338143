#pragma once
// How the settings bytes of a slot read: the texts beside the settings bars,
// and in the memory map report.
#include <string>

namespace orv {

// Cylinder count for cylinder codes 0..5; a code no control writes reads "1".
std::string CylinderCountText(int code);
// rpm_switch, load_time, limiter: b / 10, "#0.0".
std::string TenthsText(int b);
// water_switch: b x 5 - 20 degrees.
std::string WaterSwitchText(int b);

}  // namespace orv
