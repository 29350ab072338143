// The four memory slots: the active one is named by image byte 157 and
// travels with the image.
#include "core/files/slot_copy.h"
#include "core/page/main_page.h"

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

namespace {
std::string SlotName(int slot) { return "Mem " + std::to_string(slot + 1); }
}  // namespace

// Not in the original: whole slots copied and exchanged.
bool Main_Page::SlotsUsable(const char* refused) {
    if (Transferring() != TransferUnderWay::None) {
        form.Tell(std::string(refused) + ": a transfer holds the link", form::Form::NoticeKind::Failed);
        return false;
    }
    if (!form.edit.Value() || !form.common.Enabled) {
        form.Tell(std::string(refused) + ": slots change only in edit mode, outside host mode",
                  form::Form::NoticeKind::Failed);
        return false;
    }
    return true;
}

bool Main_Page::CopySlot(int from, int to) {
    return ChangeSlots(CopySlotBlock, from, to, "Slot not copied", SlotName(from) + " copied over " + SlotName(to));
}

bool Main_Page::SwapSlots(int a, int b) {
    return ChangeSlots(SwapSlotBlocks, a, b, "Slots not swapped", SlotName(a) + " and " + SlotName(b) + " swapped");
}

bool Main_Page::ChangeSlots(bool (*change)(Image&, int, int), int a, int b, const char* refused,
                            const std::string& done) {
    EventScope event(*this);
    NoteEvent(EditEvent::Plain);
    if (!SlotsUsable(refused)) return false;
    Image image = cal.mem_image;
    if (!change(image, a, b)) return false;
    // Shown as after an undo: the slot shown may be the one replaced.
    ShowImage(image);
    form.Tell(done, form::Form::NoticeKind::Done);
    return true;
}

}  // namespace orv
