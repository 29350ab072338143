#pragma once
// The settings block of a slot, field by field: the byte and bits each field
// lives in, how its value reads, how far the window's controls go, and which
// controls show it. The settings controls, the map comparison, orvtool's diff
// and lint, the memory map report and the tuner's tools all read this table.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/calibration/image.h"

namespace orv {

// How a field's value reads.
enum class SettingCoding {
    Cylinders,    // cylinder code 0..5: 1, 2, 4, 5, 6, 8 cylinders; any other code reads 1
    Tenths,       // v / 10, "#0.0"
    WaterSwitch,  // v x 5 - 20 degrees
    Whole,        // v as it is
    Flag,         // one bit: the text of its state
    Slot,         // the active slot byte: "Mem 1" .. "Mem 4"
};

// The fields, in the order of the table.
enum class Setting {
    Cylinders,
    Full,
    RpmSwitch,
    WaterSwitch,
    DeltaTps,
    WindowSize,
    LoadTime,
    Limiter,
    ActiveSlot,
    IgnInverted,
    Bank2Off
};

struct SettingField {
    Setting id;
    int rel;            // its byte's offset in a slot block
    std::uint8_t mask;  // its bits of that byte, next to each other
    SettingCoding coding;
    int max;                                   // the window's controls write 0..max
    std::string_view name;                     // how diff and lint name the byte that holds it
    std::string_view caption;                  // the label beside its bar
    std::array<std::string_view, 2> states;    // a flag's texts, clear and set
    std::array<std::string_view, 4> controls;  // the controls showing it: bar and box, options, check box

    constexpr int Shift() const {
        int s = 0;
        while (s < 8 && !((mask >> s) & 1)) ++s;
        return s;
    }
    // The field's value in `byte`.
    constexpr int Get(std::uint8_t byte) const { return (byte & mask) >> Shift(); }
    // `byte` with the field set to `value`, its other bits as they were.
    constexpr std::uint8_t Put(std::uint8_t byte, int value) const {
        return static_cast<std::uint8_t>((byte & ~mask) | ((value << Shift()) & mask));
    }
};

// clang-format off
inline constexpr std::array<SettingField, 11> kSettingFields{{
    // field, byte, bits, coding, largest value written, diff's name of the byte;
    //     bar caption, flag texts (clear, set), controls
    {Setting::Cylinders,   slot::kCylMode,     kCylCodeMask, SettingCoding::Cylinders,   5,   "cylinders",
        "Cylinders",      {},                 {"cylinsel", "ncylinder"}},
    {Setting::Full,        slot::kCylMode,     kFullFlag,    SettingCoding::Flag,        1,   "cylinders",
        "",               {"not Full", "Full"}, {"FullSel"}},
    {Setting::RpmSwitch,   slot::kRpmSwitch,   0xFF,         SettingCoding::Tenths,      150, "rpm switch",
        "RPM Switch",     {},                 {"RPMAcc", "TRPMAcc"}},
    {Setting::WaterSwitch, slot::kWaterSwitch, 0xFF,         SettingCoding::WaterSwitch, 30,  "water switch",
        "Water Switch",   {},                 {"WaterAcc", "TWaterAcc"}},
    {Setting::DeltaTps,    slot::kDeltaTps,    0xFF,         SettingCoding::Whole,       99,  "delta tps",
        "Delta TPS (%)",  {},                 {"deltasel", "pdeltatps"}},
    // The window's caption ends with a blank.
    {Setting::WindowSize,  slot::kWindowSize,  0xFF,         SettingCoding::Whole,       90,  "window size",
        "Window Size ",   {},                 {"windowsel", "windowsize"}},
    {Setting::LoadTime,    slot::kLoadTime,    0xFF,         SettingCoding::Tenths,      70,  "load time",
        "Load Time (ms)", {},                 {"loadtimesel", "loadtime"}},
    {Setting::Limiter,     slot::kLimiter,     0xFF,         SettingCoding::Tenths,      150, "limiter",
        "Limiter (RPM)",  {},                 {"Limiter", "TLimiter"}},
    // Block 0's byte names the slot for the whole image; the others' mean nothing.
    {Setting::ActiveSlot,  slot::kActiveSlot,  0xFF,         SettingCoding::Slot,        3,   "active slot",
        "",               {},                 {"mem1", "mem2", "mem3", "mem4"}},
    {Setting::IgnInverted, slot::kModeFlags,   kIgnInverted, SettingCoding::Flag,        1,   "mode flags",
        "",               {"Norm", "Inv"},    {"ignnormal", "igninv"}},
    {Setting::Bank2Off,    slot::kModeFlags,   kBank2Off,    SettingCoding::Flag,        1,   "mode flags",
        "",               {"On", "Off"},      {"bank2sel", "ignsel"}},
}};
// clang-format on

constexpr const SettingField& Field(Setting s) { return kSettingFields[static_cast<std::size_t>(s)]; }

static_assert(
    [] {
        for (std::size_t i = 0; i < kSettingFields.size(); ++i)
            if (kSettingFields[i].id != static_cast<Setting>(i)) return false;
        return true;
    }(),
    "the table's order is the order of Setting");

// The largest value each settings bar writes (every bar starts at 0); a
// stored byte above it is shown at the bar's end.
constexpr int kCylinderCodeMax = Field(Setting::Cylinders).max;
constexpr int kRpmSwitchMax = Field(Setting::RpmSwitch).max;
constexpr int kWaterSwitchMax = Field(Setting::WaterSwitch).max;
constexpr int kDeltaTpsMax = Field(Setting::DeltaTps).max;
constexpr int kWindowSizeMax = Field(Setting::WindowSize).max;
constexpr int kLoadTimeMax = Field(Setting::LoadTime).max;
constexpr int kLimiterMax = Field(Setting::Limiter).max;

// The value of field f in `byte`, in the units the window shows: cylinders,
// tenths, degrees, a flag's 0 or 1, a slot's number 1..4.
double FieldValue(const SettingField& f, std::uint8_t byte);
// The same as the window writes it.
std::string FieldText(const SettingField& f, std::uint8_t byte);
// Image offset of field f's byte, for the active slot of `image`.
int FieldAddress(const SettingField& f, const Image& image);

// Cylinder count for cylinder codes 0..5; a code no control writes reads "1".
std::string CylinderCountText(int code);

}  // namespace orv
