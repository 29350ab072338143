#include "core/calibration/range_edit.h"

#include <cmath>

#include "core/common/numbers.h"

namespace orv {

namespace {

// A table's unit as bytes: byte = value x scale + offset. Mirrors the typed
// entry's coding.
struct Coding {
    int scale, offset;
};

Coding CodingOf(TableView v, int t) {
    if (v == TableView::Ignition) return {1, kAdvanceOffset};
    return t == 0 ? Coding{10, 0} : Coding{1, kFuelGainOffset};
}

// Rounds n / d (d > 0) to the nearest whole number, halves to even, exactly.
long RationalHalfEven(long n, long d) {
    long q = n / d, r = n % d;
    if (r < 0) {
        --q;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q & 1))) ++q;
    return q;
}

}  // namespace

RangeEditResult EditRange(std::span<const std::uint8_t> stored, TableView v, int t, RangeOp op, double value) {
    RangeEditResult result;
    const bool valueless = op == RangeOp::Interpolate || op == RangeOp::Smooth;
    if (stored.empty() || (!valueless && !std::isfinite(value))) return result;
    const Coding c = CodingOf(v, t);
    const ByteRange range = BarRange(v, t);
    const long n = static_cast<long>(stored.size());
    result.bytes.reserve(stored.size());
    auto keep = [&](long b) {
        if (b < range.lo || b > range.hi) {
            ++result.clamped;
            b = b < range.lo ? range.lo : range.hi;
        }
        result.bytes.push_back(static_cast<std::uint8_t>(b));
    };
    for (long k = 0; k < n; ++k) {
        const long b = stored[k];
        if (op == RangeOp::Interpolate) {
            // All codings are straight lines, so the line through the two end
            // values is the line through their bytes: worked out exactly.
            const long first = stored.front(), last = stored.back();
            keep(n == 1 ? b : RationalHalfEven(first * (n - 1) + (last - first) * k, n - 1));
            continue;
        }
        if (op == RangeOp::Smooth) {
            // The mean of three values is the value of the mean of their
            // bytes, the codings being straight lines: exact in bytes too.
            keep(k == 0 || k == n - 1 ? b : RationalHalfEven(stored[k - 1] + b + stored[k + 1], 3));
            continue;
        }
        double y = 0;
        switch (op) {
            case RangeOp::Scale: y = c.offset + (b - c.offset) * value / 100.0; break;
            case RangeOp::Offset: y = b + value * c.scale; break;
            case RangeOp::Set: y = c.offset + value * c.scale; break;
            case RangeOp::Step: y = b + std::trunc(value); break;
            case RangeOp::Interpolate:
            case RangeOp::Smooth: break;
        }
        if (!std::isfinite(y)) return RangeEditResult{};
        // Decimal arguments carry binary noise (1.15 x 10 = 11.499999999999998):
        // settle it, so that a half is decided on the decimal value meant.
        if (std::fabs(y) < 1e9) y = std::nearbyint(y * 1e6) / 1e6;
        keep(y < range.lo ? range.lo - 1 : (y > range.hi ? range.hi + 1 : RoundHalfEven(y)));
    }
    result.ok = true;
    return result;
}

}  // namespace orv
