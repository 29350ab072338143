// The four memory slots: the active one is named by image byte 157 and
// travels with the image.
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::mem1_Click() { SelectMemSlot(0); }
void Main_Page::mem2_Click() { SelectMemSlot(1); }
void Main_Page::mem3_Click() { SelectMemSlot(2); }
void Main_Page::mem4_Click() { SelectMemSlot(3); }

void Main_Page::SelectMemSlot(int slot) {
    cal.mem_image[kActiveSlotByte] = static_cast<std::uint8_t>(slot);
    cal.slot_base = static_cast<std::int16_t>(SlotStart(cal.mem_image[kActiveSlotByte]));
    Show_Settings();
    cal.reload_tables = true;
}

void Main_Page::Show_Mem_Slot() {
    form::Form& f = form;
    form::OptionButton* options[kSlotCount] = {&f.mem1, &f.mem2, &f.mem3, &f.mem4};
    for (form::OptionButton* b : options) b->SetValue(false);
    // All deselected first, so the selection below always runs its handler.
    const std::uint8_t active = cal.mem_image[kActiveSlotByte];
    const int slot = SlotStart(active) / kSlotSize;
    cal.slot_base = static_cast<std::int16_t>(SlotStart(active));
    options[slot]->SetValue(true);
}

}  // namespace orv
