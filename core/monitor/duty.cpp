#include "core/monitor/duty.h"

#include <algorithm>

#include "core/common/numbers.h"
#include "core/settings/settings_coding.h"

namespace orv {

long DutyCycle(long rpm, long tinj, bool full, long cylinders) {
    // rpm x 100 over two revolutions against tinj x 0.1 ms: rpm * tinj / 120 percent.
    long d = RoundHalfAway(static_cast<double>(rpm * tinj) / 120);
    if (full) d *= cylinders;
    return std::min(d, 100L);
}

CylinderSettings CylindersAt(const Image& image, int slot_base) {
    const SettingField& code = Field(Setting::Cylinders);
    const std::uint8_t stored = image[static_cast<std::size_t>(slot_base + code.rel)];
    return {static_cast<long>(FieldValue(code, stored)), Field(Setting::Full).Get(stored) != 0};
}

CylinderSettings ActiveCylinders(const Image& image) { return CylindersAt(image, SlotStart(image[kActiveSlotByte])); }

}  // namespace orv
