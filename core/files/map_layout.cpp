#include "core/files/map_layout.h"

#include <cstdio>

#include "core/settings/settings_coding.h"

namespace orv {

std::string SettingName(int rel) {
    switch (rel) {
        case slot::kCylMode: return "cylinders";
        case slot::kRpmSwitch: return "rpm switch";
        case slot::kWaterSwitch: return "water switch";
        case slot::kDeltaTps: return "delta tps";
        case slot::kWindowSize: return "window size";
        case slot::kLoadTime: return "load time";
        case slot::kLimiter: return "limiter";
        case slot::kActiveSlot: return "active slot";
        case slot::kModeFlags: return "mode flags";
        default: return "byte " + std::to_string(rel);
    }
}

std::string SettingText(int rel, std::uint8_t b) {
    switch (rel) {
        case slot::kCylMode: return CylinderCountText(b & kCylCodeMask) + ((b & kFullFlag) ? " Full" : "");
        case slot::kRpmSwitch:
        case slot::kLoadTime:
        case slot::kLimiter: return TenthsText(b);
        case slot::kWaterSwitch: return WaterSwitchText(b);
        case slot::kActiveSlot: return "Mem " + std::to_string(SlotStart(b) / kSlotSize + 1);
        case slot::kModeFlags: {
            // Each flag is its own bit: shown as bits, not as a number.
            char bits[9];
            for (int i = 0; i < 8; ++i) bits[i] = (b >> (7 - i)) & 1 ? '1' : '0';
            bits[8] = '\0';
            return bits;
        }
        default: return std::to_string(b);
    }
}

}  // namespace orv
