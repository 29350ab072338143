// Not in the original: tables copied to and pasted from the clipboard as
// text, and a selected range smoothed. Each paste or smoothing is one event,
// so one undo step takes it back whole; a refused one changes nothing.
#include "core/calibration/table_clipboard.h"
#include "core/page/main_page.h"

namespace orv {

namespace {

using Kind = form::Form::NoticeKind;

// "the bank 1 set of Mem 2"
std::string SetText(const Image& image) {
    const int slot = SlotStart(image[kActiveSlotByte]) / kSlotSize + 1;
    return std::string("the ") + TableSetName(ViewedSetOf(image)) + " set of Mem " + std::to_string(slot);
}

std::string Clamped(int n) {
    if (n == 0) return {};
    return "; " + std::to_string(n) + " clamped to the box's limits";
}

std::string Values(std::size_t n) { return std::to_string(n) + (n == 1 ? " value" : " values"); }

}  // namespace

std::string Main_Page::EditRefusal() const {
    if (!form.edit.Value()) return "choose Edit first";
    if (Transferring() != TransferUnderWay::None) return "a transfer holds the calibration";
    return {};
}

std::string Main_Page::CopyTable(int t) {
    if (t < 0 || t >= kTableCount) return {};
    const form::Grid& grid = form.datatable[t];
    if (grid.Row < 1) return {};
    EventScope event(*this);
    const int rows = grid.Rows() - 1;
    const bool range = grid.SelCount() > 1;
    const int first = range ? grid.SelFirst() : 1, last = range ? grid.SelLast() : rows;
    const int addr = Get_Mem_Addr(t);
    if (rows < 1 || addr + rows > kImageSize) return {};
    const std::string text =
        TableCopyText(std::span(cal.mem_image).subspan(addr, rows), ViewedSetOf(cal.mem_image), t, first, last);
    form.Tell("Copied " + TableRowsText(t, first, last) + " of " + SetText(cal.mem_image), Kind::Done);
    return text;
}

bool Main_Page::PasteTable(int t, std::string_view text) {
    if (t < 0 || t >= kTableCount) return false;
    EventScope event(*this);
    NoteEvent(EditEvent::Plain);
    std::string why = EditRefusal();
    const form::Grid& grid = form.datatable[t];
    TablePaste paste;
    if (why.empty()) {
        paste = PasteIntoTable(text, ViewedSetOf(cal.mem_image), t, grid.SelFirst(), grid.SelLast());
        why = paste.refusal;
    }
    if (!paste.ok) {
        form.Tell("Paste refused: " + why, Kind::Failed);
        return false;
    }
    StoreRows(t, paste.first_row, paste.bytes);
    form.Tell("Pasted " + Values(paste.bytes.size()) + " into " + TableRowsText(t, paste.first_row, paste.last_row) +
                  Clamped(paste.clamped),
              Kind::Done);
    return true;
}

std::string Main_Page::CopySet() {
    EventScope event(*this);
    const std::string text = SetCopyText(cal.mem_image, SlotStart(cal.mem_image[kActiveSlotByte]), ViewedSetOf(cal.mem_image));
    form.Tell("Copied the five tables of " + SetText(cal.mem_image), Kind::Done);
    return text;
}

bool Main_Page::PasteSet(std::string_view text) {
    EventScope event(*this);
    NoteEvent(EditEvent::Plain);
    std::string why = EditRefusal();
    SetPaste paste;
    if (why.empty()) {
        paste = PasteIntoSet(text, ViewedSetOf(cal.mem_image));
        why = paste.refusal;
    }
    if (!paste.ok) {
        form.Tell("Paste set refused: " + why, Kind::Failed);
        return false;
    }
    for (int t = 0; t < kTableCount; ++t) StoreRows(t, 1, paste.bytes[t]);
    form.Tell("Pasted the five tables into " + SetText(cal.mem_image) + ": " + Values(paste.values) +
                  Clamped(paste.clamped),
              Kind::Done);
    return true;
}

bool Main_Page::SmoothRange(int t) {
    if (t < 0 || t >= kTableCount) return false;
    EventScope event(*this);
    std::string why = EditRefusal();
    const form::Grid& grid = form.datatable[t];
    const int first = grid.SelFirst(), last = grid.SelLast();
    if (why.empty() && grid.SelCount() < 3) why = "select three rows or more, with Shift";
    RangeEditResult result;
    if (why.empty()) result = RangeEdit(t, first, last, RangeOp::Smooth, 0);
    if (!result.ok) {
        form.Tell("Smooth refused: " + (why.empty() ? std::string("the rows are not a table's") : why), Kind::Failed);
        return false;
    }
    form.Tell("Smoothed " + TableRowsText(t, first, last) + Clamped(result.clamped), Kind::Done);
    return true;
}

}  // namespace orv
