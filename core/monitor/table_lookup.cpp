#include "core/monitor/table_lookup.h"

#include <algorithm>

#include "core/common/numbers.h"
#include "core/common/units.h"

namespace orv {

namespace {
constexpr long kMinAdvance = 40, kMaxAdvance = 85;  // -5 .. +40 degrees
// A fuel correction byte g scales the time by (g + 10) / 100: 90 is neutral.
constexpr long kGainBias = 100 - kFuelGainOffset;
}  // namespace

LookupPoint LivePoint(const LiveValues& v) {
    return {{{v.live_rpm / 5, v.live_rpm % 5, 5},
             {v.live_pressure, 0, 1},
             {v.live_tps / 5, v.live_tps % 5, 5},
             {v.live_air / 10, v.live_air % 10, 10},
             {v.live_water / 10, v.live_water % 10, 10}}};
}

std::array<int, kTableCount> OperatingRows(const LiveValues& v) {
    const LookupPoint at = LivePoint(v);
    std::array<int, kTableCount> rows{};
    for (int t = 0; t < kTableCount; ++t) {
        const long reading = at[t].index * at[t].step + at[t].remainder;
        const long entry = RoundHalfEven(static_cast<double>(reading) / at[t].step);
        rows[t] = static_cast<int>(std::clamp<long>(entry + 1, 1, kTableEntries[t]));
    }
    return rows;
}

LookupPoint RowPoint(const std::array<int, kTableCount>& rows) {
    LookupPoint p;
    for (int t = 0; t < kTableCount; ++t) p[t].index = std::max(rows[t] - 1, 0);
    return p;
}

long TableLookup(const Image& image, int t, int set, const TablePoint& at) {
    const int addr = TableAddr(image, t, set);
    TablePoint p = at;
    const long last = kTableBytes[(t >= 1 && t < kTableCount) ? t : 0] - 1;
    if (p.index >= last) {
        p.index = last;
        p.remainder = 0;
    }
    const long e = image[addr + p.index];
    if (p.remainder <= 0) return e;
    const long n = image[addr + p.index + 1];
    if (e >= n) return e - Int(static_cast<double>(p.remainder * (e - n)) / p.step);
    return e + Int(static_cast<double>(p.remainder * (n - e)) / p.step);
}

std::array<TableContribution, kTableCount> FuelBreakdown(const Image& image, int set, const LookupPoint& p) {
    std::array<TableContribution, kTableCount> c;
    long out = TableLookup(image, 0, set, p[0]);
    c[0] = {out, out};
    for (int t = 1; t < kTableCount; ++t) {
        const long g = TableLookup(image, t, set, p[t]);
        out = RoundHalfEven(static_cast<double>(out * (g + kGainBias)) / 100);
        c[t] = {g, out};
    }
    return c;
}

std::array<TableContribution, kTableCount> AdvanceBreakdown(const Image& image, const LookupPoint& p) {
    std::array<TableContribution, kTableCount> c;
    long adv = TableLookup(image, 0, kSetIgnition, p[0]);
    c[0] = {adv, adv};
    for (int t = 1; t < kTableCount; ++t) {
        const long a = TableLookup(image, t, kSetIgnition, p[t]);
        adv += a - kAdvanceOffset;
        c[t] = {a, adv};
    }
    return c;
}

MapOutput CalcOutput(const Image& image, const LookupPoint& p) {
    auto fuel = [&](int set) {
        return static_cast<std::uint8_t>(std::min(FuelBreakdown(image, set, p).back().result, 255L));
    };
    const long adv = AdvanceBreakdown(image, p).back().result;
    return {fuel(kSetBank1), fuel(kSetBank2), static_cast<std::uint8_t>(std::clamp(adv, kMinAdvance, kMaxAdvance))};
}

}  // namespace orv
