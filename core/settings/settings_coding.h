#pragma once
// How the settings bytes of a slot read: the texts beside the settings bars,
// and in the memory map report.
#include <string>

namespace orv {

// The largest byte each settings bar writes (every bar starts at 0); a stored
// byte above it is shown at the bar's end.
constexpr int kCylinderCodeMax = 5;
constexpr int kRpmSwitchMax = 150;
constexpr int kWaterSwitchMax = 30;
constexpr int kDeltaTpsMax = 99;
constexpr int kWindowSizeMax = 90;
constexpr int kLoadTimeMax = 70;
constexpr int kLimiterMax = 150;

// Cylinder count for cylinder codes 0..5; a code no control writes reads "1".
std::string CylinderCountText(int code);
// rpm_switch, load_time, limiter: b / 10, "#0.0".
std::string TenthsText(int b);
// water_switch: b x 5 - 20 degrees.
std::string WaterSwitchText(int b);

}  // namespace orv
