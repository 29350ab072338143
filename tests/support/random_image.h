#pragma once
// A calibration image of random bytes, the same for the same seed: tests
// that must hold for any image run over a few of them.
#include <cstdint>
#include <random>

#include "core/calibration/image.h"

namespace orv::test {

inline Image RandomImage(unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Image image{};
    for (auto& b : image) b = static_cast<std::uint8_t>(byte(gen));
    return image;
}

}  // namespace orv::test
