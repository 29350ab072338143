// The simulator's own engine: a repeating drive cycle and the controller's
// outputs computed from the calibration image by linear interpolation.
#pragma once

#include <cstdint>

#include "sim/calibration.h"

namespace orvsim {

inline constexpr double kCyclePeriod = 20.0;  // seconds

struct Operating {
  double rpm = 0;
  double pressure_bar = 0;  // relative to atmosphere
  double throttle_pct = 0;
  double air_c = 0;
  double water_c = 0;
  double battery_v = 0;
};

// Engine state `now` seconds after start; `seed` only shapes the battery noise.
Operating DriveCycle(double now, std::uint32_t seed);

struct Outputs {
  std::uint8_t bank1 = 0;    // 0.1 ms
  std::uint8_t bank2 = 0;    // 0.1 ms
  std::uint8_t advance = 0;  // degrees + 45, 0..90
};

Outputs ComputeOutputs(const CalibrationImage& image, const Operating& op);

// Raw manifold pressure byte: bar * 10 + 10, clamped to 0..255.
double RawPressure(double bar);

}  // namespace orvsim
