#include "sim/engine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace orvsim {
namespace {

struct Keyframe {
  double t, rpm, throttle;
};

// Idle, a full-throttle pull to 6500 rpm, overrun, a cruise, back to idle.
constexpr std::array<Keyframe, 10> kCycle{{
    {0.0, 900, 0},
    {2.5, 900, 0},
    {3.5, 2000, 35},
    {8.5, 6500, 100},
    {10.0, 6500, 100},
    {11.0, 4200, 0},
    {12.5, 2600, 20},
    {15.5, 2600, 20},
    {17.0, 900, 0},
    {kCyclePeriod, 900, 0},
}};

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// splitmix64 finaliser: a stateless hash so the noise is a function of time.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Linear interpolation at fractional index x, clamped to the table ends.
double Lookup(const std::uint8_t* set, TableSpan table, double x) {
  const double last = static_cast<double>(table.size - 1);
  x = std::clamp(x, 0.0, last);
  const auto i = static_cast<std::size_t>(x);
  const double f = x - static_cast<double>(i);
  const double a = set[table.offset + i];
  const double b = set[table.offset + std::min(i + 1, table.size - 1)];
  return a + (b - a) * f;
}

struct Indices {
  double speed, pressure, throttle, air, water;
};

Indices IndicesFor(const Operating& op) {
  return {op.rpm / 500.0, RawPressure(op.pressure_bar), op.throttle_pct / 5.0, (op.air_c + 20.0) / 10.0,
          (op.water_c + 20.0) / 10.0};
}

double FuelTime(const std::uint8_t* set, const Indices& ix) {
  double t = Lookup(set, kBySpeed, ix.speed);
  // Gain byte g means g - 90 percent.
  for (auto [table, x] : {std::pair{kByPressure, ix.pressure}, std::pair{kByThrottle, ix.throttle},
                          std::pair{kByAirTemp, ix.air}, std::pair{kByWaterTemp, ix.water}})
    t *= std::max(0.0, 1.0 + (Lookup(set, table, x) - 90.0) / 100.0);
  return t;
}

double Advance(const std::uint8_t* set, const Indices& ix) {
  double a = Lookup(set, kBySpeed, ix.speed);
  for (auto [table, x] : {std::pair{kByPressure, ix.pressure}, std::pair{kByThrottle, ix.throttle},
                          std::pair{kByAirTemp, ix.air}, std::pair{kByWaterTemp, ix.water}})
    a += Lookup(set, table, x) - 45.0;
  return a;
}

std::uint8_t ToByte(double v, double hi) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, hi))); }

}  // namespace

double RawPressure(double bar) { return std::clamp(bar * 10.0 + 10.0, 0.0, 255.0); }

Operating DriveCycle(double now, std::uint32_t seed) {
  now = std::max(now, 0.0);
  const double t = std::fmod(now, kCyclePeriod);
  std::size_t k = 1;
  while (k + 1 < kCycle.size() && kCycle[k].t <= t) ++k;
  const Keyframe& a = kCycle[k - 1];
  const Keyframe& b = kCycle[k];
  const double f = Clamp01((t - a.t) / (b.t - a.t));

  Operating op;
  // A slight idle hunt keeps the numbers alive.
  op.rpm = a.rpm + (b.rpm - a.rpm) * f + 15.0 * std::sin(now * 4.8);
  op.throttle_pct = a.throttle + (b.throttle - a.throttle) * f;
  // Closed throttle: vacuum, deeper at speed; open throttle: boost from 2500 rpm.
  const double vacuum = -0.6 - 0.25 * Clamp01((op.rpm - 900.0) / 5600.0);
  const double boost = 1.0 * Clamp01((op.rpm - 2500.0) / 2500.0);
  op.pressure_bar = vacuum + op.throttle_pct / 100.0 * (boost - vacuum);
  // Warm-up from a 20 degC cold start.
  op.air_c = 20.0 + 15.0 * (1.0 - std::exp(-now / 300.0));
  op.water_c = 20.0 + 70.0 * (1.0 - std::exp(-now / 150.0));
  const auto tick = static_cast<std::uint64_t>(now * 4.0);
  const int noise = static_cast<int>(Mix((static_cast<std::uint64_t>(seed) << 32) ^ tick) % 3) - 1;
  op.battery_v = 13.8 + 0.1 * noise;
  return op;
}

Outputs ComputeOutputs(const CalibrationImage& image, const Operating& op) {
  const std::uint8_t* slot = image.data() + ActiveSlotOffset(image);
  const Indices ix = IndicesFor(op);
  Outputs out;
  out.bank1 = ToByte(FuelTime(slot + kBank1Set, ix), 255.0);
  out.bank2 = (slot[kModeFlags] & kFlagBank2Off) ? 0 : ToByte(FuelTime(slot + kBank2Set, ix), 255.0);
  out.advance = ToByte(Advance(slot + kIgnitionSet, ix), 90.0);
  return out;
}

}  // namespace orvsim
