#include "sim/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>


namespace orvsim {
namespace {

// Every gain neutral (90), every correction neutral (45), base tables 8*k.
CalibrationImage Flat() {
  CalibrationImage image{};
  for (std::size_t set : {kBank1Set, kBank2Set, kIgnitionSet}) {
    const std::uint8_t neutral = set == kIgnitionSet ? 45 : 90;
    std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(set), kTableSetSize, neutral);
    for (std::size_t k = 0; k < kBySpeed.size; ++k) image[set + k] = static_cast<std::uint8_t>(8 * k);
  }
  return image;
}

Operating At(double rpm, double bar, double water) {
  return {.rpm = rpm, .pressure_bar = bar, .throttle_pct = 50, .air_c = 20, .water_c = water, .battery_v = 14};
}

TEST(Model, InterpolatesTheActiveSlotTables) {
  CalibrationImage image = Flat();
  // Bank 1 pressure gain at raw 20 (+1.0 bar): +10 %, at raw 21: +30 %.
  image[kBank1Set + kByPressure.offset + 20] = 100;
  image[kBank1Set + kByPressure.offset + 21] = 120;
  // Ignition: +4 deg from the water table at 80 degC (entry 10).
  image[kIgnitionSet + kByWaterTemp.offset + 10] = 49;

  struct Case {
    const char* name;
    Operating op;
    int bank1, bank2, advance;
  };
  const std::vector<Case> cases = {
      {"on a grid point", At(1000, 0, 20), 16, 16, 16},
      {"between speed points", At(1250, 0, 20), 20, 20, 20},
      {"below the first point", At(-100, 0, 20), 0, 0, 0},
      {"past the last point, advance limited", At(20000, 0, 20), 248, 248, 90},
      {"pressure gain on bank 1 only", At(1000, 1.0, 20), 18, 16, 16},
      {"between pressure points", At(1000, 1.05, 20), 19, 16, 16},
      {"ignition correction", At(1000, 0, 80), 16, 16, 20},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const Outputs out = ComputeOutputs(image, k.op);
    EXPECT_EQ(out.bank1, k.bank1);
    EXPECT_EQ(out.bank2, k.bank2);
    EXPECT_EQ(out.advance, k.advance);
  }
}

}  // namespace
}  // namespace orvsim
