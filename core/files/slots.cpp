// The four memory slots: the active one is named by image byte 157 and
// travels with the image.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::Select_Mem_Slot(int slot) {
    mem_image[kActiveSlotByte] = static_cast<std::uint8_t>(slot);
    slot_base = static_cast<std::int16_t>(slot * kSlotSize);
    Show_Settings();
    reload_tables = true;
}

void Main_Page::Show_Mem_Slot() {
    form::Form& f = form;
    for (form::OptionButton* b : {&f.mem1, &f.mem2, &f.mem3, &f.mem4}) b->SetValue(false);
    // All deselected first, so the selection below always runs its handler.
    switch (mem_image[kActiveSlotByte]) {
        case 3: slot_base = 3 * kSlotSize; f.mem4.SetValue(true); break;
        case 2: slot_base = 2 * kSlotSize; f.mem3.SetValue(true); break;
        case 1: slot_base = 1 * kSlotSize; f.mem2.SetValue(true); break;
        default: slot_base = 0; f.mem1.SetValue(true); break;
    }
}

}  // namespace orv
