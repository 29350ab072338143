#include "core/settings/settings_coding.h"

#include "core/common/numbers.h"
#include "core/common/units.h"

namespace orv {

namespace {

int CylinderCount(int code) {
    static const int counts[] = {1, 2, 4, 5, 6, 8};
    return (code >= 0 && code <= 5) ? counts[code] : 1;
}

}  // namespace

double FieldValue(const SettingField& f, std::uint8_t byte) {
    const int v = f.Get(byte);
    switch (f.coding) {
        case SettingCoding::Cylinders: return CylinderCount(v);
        case SettingCoding::Tenths: return v / 10.0;
        case SettingCoding::WaterSwitch: return v * 5L - kTemperatureOffset;
        case SettingCoding::Slot: return SlotStart(static_cast<std::uint8_t>(v)) / kSlotSize + 1;
        case SettingCoding::Whole:
        case SettingCoding::Flag: break;
    }
    return v;
}

std::string FieldText(const SettingField& f, std::uint8_t byte) {
    const double v = FieldValue(f, byte);
    switch (f.coding) {
        case SettingCoding::Tenths: return Format(v, "#0.0");
        case SettingCoding::Flag: return std::string(f.states[v != 0]);
        case SettingCoding::Slot: return "Mem " + Str(static_cast<long>(v));
        case SettingCoding::Cylinders:
        case SettingCoding::WaterSwitch:
        case SettingCoding::Whole: break;
    }
    return Str(static_cast<long>(v));
}

int FieldAddress(const SettingField& f, const Image& image) {
    return (f.id == Setting::ActiveSlot ? 0 : SlotStart(image[kActiveSlotByte])) + f.rel;
}

std::string CylinderCountText(int code) { return Str(CylinderCount(code)); }

}  // namespace orv
