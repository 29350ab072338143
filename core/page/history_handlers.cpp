// Undo and redo, and edits of a range of rows: not in the original. The
// history watches events from the outside (the image as each begins and
// ends), so the handlers of the edits themselves know nothing of it.
#include "core/page/main_page.h"

namespace orv {

void Main_Page::BeginEvent() {
    event_kind_ = EditEvent::Plain;
    event_bar_ = nullptr;
    event_noted_ = false;
    history_.BeginEvent(cal.mem_image);
}

void Main_Page::NoteEvent(EditEvent kind, const void* bar) {
    if (event_noted_) return;
    event_noted_ = true;
    event_kind_ = kind;
    event_bar_ = bar;
}

void Main_Page::EndEvent() {
    history_.EndEvent(cal.mem_image, event_kind_, event_bar_, Transferring());
    MarkReadings();
}

TransferUnderWay Main_Page::Transferring() const {
    const std::optional<TransferKind> kind = comm.Transferring();
    if (!kind) return TransferUnderWay::None;
    return *kind == TransferKind::Upload ? TransferUnderWay::Upload : TransferUnderWay::Download;
}

bool Main_Page::CanUndo() const { return Transferring() == TransferUnderWay::None && History().CanUndo(); }

bool Main_Page::CanRedo() const { return Transferring() == TransferUnderWay::None && History().CanRedo(); }

bool Main_Page::Undo() { return StepHistory(true); }

bool Main_Page::Redo() { return StepHistory(false); }

bool Main_Page::StepHistory(bool back) {
    if (Transferring() != TransferUnderWay::None) return false;
    EventScope event(*this);
    NoteEvent(EditEvent::Plain);
    Image image = cal.mem_image;
    if (!(back ? history_.Undo(image) : history_.Redo(image))) return false;
    ShowImage(image);
    history_.Rebase(cal.mem_image);
    return true;
}

void Main_Page::ShowImage(const Image& image) {
    form::Form& f = form;
    struct Place {
        int row, top;
    };
    std::array<Place, kTableCount> places{};
    for (int t = 0; t < kTableCount; ++t) places[t] = {f.datatable[t].Row, f.datatable[t].TopRow};

    // As after a map load: the slot, its settings, the grids. The settings
    // refresh shows "Ignition" as "Bank 2" and writes that view back; the
    // image is put back whole afterwards, and the buttons follow it.
    cal.mem_image = image;
    Show_Mem_Slot();
    Show_Settings();
    const std::uint8_t view = image[SlotStart(image[kActiveSlotByte]) + slot::kModeFlags] & kViewSelMask;
    if (view == kViewIgnition) f.IgnMem.SetValue(true);
    cal.mem_image = image;
    Load_Memory_Map();

    // Each grid stays where the user was.
    for (int t = 0; t < kTableCount; ++t) {
        form::Grid& grid = f.datatable[t];
        if (places[t].row < 1 || places[t].row > grid.Rows() - 1) continue;
        grid.TopRow = places[t].top;
        grid.Row = places[t].row;
        f.Text1[t].Text = grid.Text();
        f.HScroll1[t].ShowStored(cal.mem_image[Get_Mem_Addr(t) + grid.Row - 1]);
    }
    cal.mem_image = image;
}

RangeEditResult Main_Page::RangeEdit(int t, int first_row, int last_row, RangeOp op, double value) {
    if (t < 0 || t >= kTableCount || !form.edit.Value() || Transferring() != TransferUnderWay::None) return {};
    form::Grid& grid = form.datatable[t];
    if (first_row < 1 || last_row < first_row || last_row > grid.Rows() - 1) return {};
    EventScope event(*this);
    NoteEvent(EditEvent::Plain);
    const TableView view = Viewed();
    const int first = Get_Mem_Addr(t) + first_row - 1;
    const int count = last_row - first_row + 1;
    if (first + count > kImageSize) return {};
    RangeEditResult result = EditRange(std::span(cal.mem_image).subspan(first, count), view, t, op, value);
    if (result.ok) StoreRows(t, first_row, result.bytes);
    return result;
}

void Main_Page::StoreRows(int t, int first_row, std::span<const std::uint8_t> bytes) {
    form::Grid& grid = form.datatable[t];
    const TableView view = Viewed();
    const int first = Get_Mem_Addr(t) + first_row - 1;
    const int count = static_cast<int>(bytes.size());
    if (first_row < 1 || first_row + count - 1 > grid.Rows() - 1 || first + count > kImageSize) return;
    for (int k = 0; k < count; ++k) {
        cal.mem_image[first + k] = bytes[k];
        grid.SetCell(first_row + k, 1, CellText(view, t, bytes[k]));
    }
    if (grid.Row >= first_row && grid.Row < first_row + count) {
        form.Text1[t].Text = grid.Text();
        form.HScroll1[t].ShowStored(cal.mem_image[first + grid.Row - first_row]);
    }
}

}  // namespace orv
