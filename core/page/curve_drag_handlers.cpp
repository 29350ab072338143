// Not in the original: a table's curve shaped by dragging its points on the
// plot. The window says where the pointer is; the rows are written as the
// grid's own edits write them, and the drag's events, press to release, are
// one undo step as a bar's drag is.
#include <algorithm>

#include "core/calibration/curve_drag.h"
#include "core/common/numbers.h"
#include "core/page/main_page.h"

namespace orv {

bool Main_Page::CurveDragBegin(int t, int entry, bool together) {
    CurveDragEnd();
    if (t < 0 || t >= kTableCount || !form.edit.Value() || Transferring() != TransferUnderWay::None ||
        cal.reload_tables)
        return false;
    form::Grid& grid = form.datatable[t];
    const int row = entry + 1;
    if (entry < 0 || row > grid.Rows() - 1) return false;
    EventScope event(*this);
    // Nothing before the press joins the drag's undo step.
    NoteEvent(EditEvent::BarCommit, &curve_drag_);
    if (together) grid.UserExtend(row);
    else grid.UserSelect(row, 1);
    CurveDragState d;
    d.t = t;
    d.view = Viewed();
    d.first_row = grid.SelFirst();
    d.addr = Get_Mem_Addr(t) + d.first_row - 1;
    const int count = grid.SelLast() - d.first_row + 1;
    if (d.first_row < 1 || d.addr + count > kImageSize) return false;
    d.pressed.assign(cal.mem_image.begin() + d.addr, cal.mem_image.begin() + d.addr + count);
    d.shown = d.pressed;
    curve_drag_ = std::move(d);
    return true;
}

void Main_Page::CurveDragMove(double travel) {
    if (!curve_drag_) return;
    CurveDragState& d = *curve_drag_;
    const auto at = cal.mem_image.begin() + d.addr;
    if (!form.edit.Value() || Transferring() != TransferUnderWay::None || cal.reload_tables || Viewed() != d.view ||
        Get_Mem_Addr(d.t) + d.first_row - 1 != d.addr || !std::equal(d.shown.begin(), d.shown.end(), at)) {
        EventScope event(*this);
        NoteEvent(EditEvent::BarCommit, &curve_drag_);
        curve_drag_.reset();
        return;
    }
    EventScope event(*this);
    NoteEvent(EditEvent::BarDrag, &curve_drag_);
    const RangeEditResult r = DragRows(d.pressed, d.view, d.t, travel);
    if (!r.ok) return;
    form::Grid& grid = form.datatable[d.t];
    const int count = static_cast<int>(r.bytes.size());
    for (int k = 0; k < count; ++k) {
        cal.mem_image[d.addr + k] = r.bytes[k];
        grid.SetCell(d.first_row + k, 1, CellText(d.view, d.t, r.bytes[k]));
    }
    if (grid.Row >= d.first_row && grid.Row < d.first_row + count) {
        form.Text1[d.t].Text = grid.Text();
        form.HScroll1[d.t].ShowStored(r.bytes[grid.Row - d.first_row]);
    }
    d.shown = r.bytes;
    d.steps = DragSteps(d.view, d.t, travel);
    d.clamped = r.clamped;
}

void Main_Page::CurveDragEnd() {
    if (!curve_drag_) return;
    const CurveDragState d = std::move(*curve_drag_);
    curve_drag_.reset();
    EventScope event(*this);
    NoteEvent(EditEvent::BarCommit, &curve_drag_);
    if (d.steps == 0 || d.shown == d.pressed) return;
    const int last_row = d.first_row + static_cast<int>(d.pressed.size()) - 1;
    const long n = d.steps < 0 ? -d.steps : d.steps;
    std::string said = std::string(kAxes[d.t].name) + ": " + AxisRangeText(d.t, d.first_row, last_row) + " moved " + Str(n) + (n == 1 ? " step " : " steps ") +
                       (d.steps > 0 ? "up" : "down");
    if (d.clamped == 1) said += "; 1 value held at its limit";
    if (d.clamped > 1) said += "; " + Str(d.clamped) + " values held at their limit";
    form.Tell(said, form::Form::NoticeKind::Info);
}

}  // namespace orv
