#include "core/calibration/heat_map.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orv {

namespace {

constexpr std::array<Colour, 5> kRamp{{
    {28, 42, 92},   // low: dark blue
    {17, 80, 106},  // teal
    {31, 94, 46},   // green
    {106, 84, 16},  // ochre
    {122, 30, 30},  // high: dark red
}};
constexpr Colour kLightText{242, 242, 238};
constexpr Colour kDarkText{16, 16, 16};

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Colour c) { return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b); }

}  // namespace

double HeatFraction(TableView v, int t, long b) {
    const ByteRange range = BarRange(v, t);
    if (range.hi <= range.lo) return 0;
    return std::clamp(static_cast<double>(b - range.lo) / (range.hi - range.lo), 0.0, 1.0);
}

Colour HeatColour(double fraction) {
    const double at = std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0) * (kRamp.size() - 1);
    const std::size_t k = std::min(static_cast<std::size_t>(at), kRamp.size() - 2);
    const double w = at - static_cast<double>(k);
    auto mix = [w](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * w)); };
    const Colour &lo = kRamp[k], &hi = kRamp[k + 1];
    return {mix(lo.r, hi.r), mix(lo.g, hi.g), mix(lo.b, hi.b)};
}

Colour HeatTextColour(Colour back) {
    return ContrastRatio(kLightText, back) >= ContrastRatio(kDarkText, back) ? kLightText : kDarkText;
}

double ContrastRatio(Colour a, Colour b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace orv
