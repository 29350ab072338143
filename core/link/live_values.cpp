#include "core/link/live_values.h"

#include <algorithm>
#include <cstdlib>

#include "core/common/numbers.h"

namespace orv {

namespace {
// The version byte is two BCD digits: 0x21 is version 2.1.
std::uint8_t FromBcd(std::uint8_t b) { return static_cast<std::uint8_t>((b >> 4) * 10 + (b & 0x0F)); }
std::string Tenths(double v) { return Format(v, "#0.0"); }
std::string Whole(double v) { return Str(static_cast<long>(v)); }
}  // namespace

void DecodeLiveBlock(std::span<const std::uint8_t> b, std::uint8_t live_len, LiveValues& v) {
    if (b.size() < kLiveBlockShort) return;
    v.live_rpm = b[0];
    v.live_pressure = b[1];
    v.live_tps = b[2];
    v.live_air = b[3];
    v.live_water = b[4];
    v.live_tinj1 = b[5];
    v.live_tinj2 = b[6];
    v.ignition = HasIgnition(b[7]);
    v.live_advance = v.ignition ? b[7] : kAdvanceOffset;
    if (live_len == kLiveBlockLong && b.size() >= kLiveBlockLong) {
        v.live_batt = b[8];
        v.live_version = FromBcd(b[9]);
    }
}

LiveReadings ReadingsOf(const LiveValues& v) {
    LiveReadings r;
    r.rpm = v.live_rpm / 10.0;
    r.pressure = (v.live_pressure - kPressureOffset) / 10.0;
    r.tps = v.live_tps;
    r.air = v.live_air - kTemperatureOffset;
    r.water = v.live_water - kTemperatureOffset;
    r.tinj1 = v.live_tinj1 / 10.0;
    r.tinj2 = v.live_tinj2 / 10.0;
    r.advance = v.live_advance - kAdvanceOffset;
    r.batt = v.live_batt / 10.0;
    return r;
}

LiveTexts FormatLive(const LiveValues& v) {
    // The texts are the readings formatted: the plots and the read-outs
    // cannot disagree on a scale.
    const LiveReadings r = ReadingsOf(v);
    LiveTexts t;
    t.rpm = Tenths(r.rpm);
    t.pressure = Tenths(r.pressure);
    t.tps = Whole(r.tps);
    t.air = Whole(r.air);
    t.water = Whole(r.water);
    t.bank1 = Tenths(r.tinj1);
    t.bank2 = Tenths(r.tinj2);
    t.advance = Whole(r.advance);
    t.batt = Tenths(r.batt);
    t.version = Tenths(v.live_version / 10.0);
    return t;
}

bool LooksShifted(std::span<const std::uint8_t> previous, std::span<const std::uint8_t> block) {
    const std::size_t n = std::min(previous.size(), block.size());
    // The readings from `shift` on, against those of the block before, in
    // place and moved on by `shift`.
    auto distance = [&](std::size_t shift, std::size_t moved) {
        int d = 0;
        for (std::size_t i = shift; i < n; ++i) d += std::abs(block[i] - previous[i - moved]);
        return d;
    };
    // By a wide margin: a quick change of the engine's own must not pass for one.
    for (std::size_t shift : {1u, 2u})
        if (shift < n && 2 * distance(shift, shift) < distance(shift, 0)) return true;
    return false;
}

}  // namespace orv
