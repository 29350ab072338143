#include "core/link/live_values.h"

#include "core/common/numbers.h"

namespace orv {

namespace {
// The version byte is two BCD digits: 0x21 is version 2.1.
std::uint8_t FromBcd(std::uint8_t b) { return static_cast<std::uint8_t>((b >> 4) * 10 + (b & 0x0F)); }
std::string Tenths(int v) { return Format(v / 10.0, "#0.0"); }
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
    v.live_advance = b[7];
    if (live_len == kLiveBlockLong && b.size() >= kLiveBlockLong) {
        v.live_batt = b[8];
        v.live_version = FromBcd(b[9]);
    }
}

LiveTexts FormatLive(const LiveValues& v) {
    LiveTexts t;
    t.rpm = Tenths(v.live_rpm);
    t.pressure = Tenths(v.live_pressure - kPressureOffset);
    t.tps = Str(v.live_tps);
    t.air = Str(v.live_air - kTemperatureOffset);
    t.water = Str(v.live_water - kTemperatureOffset);
    t.bank1 = Tenths(v.live_tinj1);
    t.bank2 = Tenths(v.live_tinj2);
    t.advance = Str(v.live_advance - kAdvanceOffset);
    t.batt = Tenths(v.live_batt);
    t.version = Tenths(v.live_version);
    return t;
}

}  // namespace orv
