#pragma once
// The controller's live block and the live values decoded from it. Form-free:
// the console's Handle_Live, the recorder and the command-line tool share it.
#include <cstdint>
#include <span>
#include <string>

#include "core/common/units.h"

namespace orv {

// Live block lengths: firmware from version 0.4 on sends battery and version
// bytes after the eight readings.
constexpr std::uint8_t kLiveBlockLong = 10;
constexpr std::uint8_t kLiveBlockShort = 8;

// An advance byte above this: the controller drives no ignition.
constexpr std::uint8_t kNoIgnitionAbove = 90;
// Older firmware has no battery and version bytes.
constexpr std::uint8_t kMinVersion = 4;

struct LiveValues {
    std::uint8_t live_rpm = 0;            // 100 rpm
    std::uint8_t live_pressure = kPressureOffset;
    std::uint8_t live_tps = 0;            // percent
    std::uint8_t live_air = 0;
    std::uint8_t live_water = 0;
    std::uint8_t live_tinj1 = 0;          // 0.1 ms
    std::uint8_t live_tinj2 = 0;
    std::uint8_t live_advance = kAdvanceOffset;
    std::uint8_t live_batt = 0;           // 0.1 V
    std::uint8_t live_version = 0;        // version x 10
    // Whether the last block said the controller drives ignition.
    bool ignition = true;
};

// Writes the readings of a live block into v: the eight readings always, the
// battery and version bytes only when the block is the long one. A block
// shorter than eight bytes changes nothing. An advance byte that says "no
// ignition" is kept as no advance (0 degrees) and clears `ignition`: every
// reader of the live values (read-outs, recorder, log, orvtool) sees the same.
void DecodeLiveBlock(std::span<const std::uint8_t> block, std::uint8_t live_len, LiveValues& v);

// Whether a short block reads as the block before it moved on by a stray
// byte or two at its front. The readings change little in the milliseconds
// between two blocks while neighbouring readings differ, so a shifted block
// lies closer to its predecessor moved on than to it in place. The short
// block has no version byte to tell it by.
bool LooksShifted(std::span<const std::uint8_t> previous, std::span<const std::uint8_t> block);

// The controller reports "no ignition" with an advance byte out of range.
constexpr bool HasIgnition(std::uint8_t advance) { return advance <= kNoIgnitionAbove; }

// The readings in the read-outs' units: engine speed in 1,000 rpm, pressure
// in bar, throttle in percent, temperatures and advance in degrees, injection
// times in ms, battery in volts.
struct LiveReadings {
    double rpm, pressure, tps, air, water, tinj1, tinj2, advance, batt;
};
LiveReadings ReadingsOf(const LiveValues& v);

// The numeric read-outs, as the window shows them.
struct LiveTexts {
    std::string rpm, pressure, tps, air, water, bank1, bank2, advance, batt, version;
};
LiveTexts FormatLive(const LiveValues& v);

}  // namespace orv
