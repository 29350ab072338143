#include "core/files/map_layout.h"

#include "core/settings/settings_coding.h"

namespace orv {

std::string SettingName(int rel) {
    for (const SettingField& f : kSettingFields)
        if (f.rel == rel) return std::string(f.name);
    return "byte " + std::to_string(rel);
}

std::string SettingText(int rel, std::uint8_t b) {
    std::string value, flags;
    bool any = false, flags_only = true;
    for (const SettingField& f : kSettingFields) {
        if (f.rel != rel) continue;
        any = true;
        if (f.coding != SettingCoding::Flag) {
            flags_only = false;
            value = FieldText(f, b);
        } else if (f.Get(b)) {
            flags.append(" ").append(FieldText(f, b));  // named when set: "8 Full"
        }
    }
    if (!any) return std::to_string(b);
    if (!flags_only) return value + flags;
    // A byte of flags alone: each flag is its own bit, shown as bits.
    std::string bits(8, '0');
    for (int i = 0; i < 8; ++i)
        if ((b >> (7 - i)) & 1) bits[i] = '1';
    return bits;
}

}  // namespace orv
