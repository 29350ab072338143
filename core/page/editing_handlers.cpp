// Cell editing: a table entry changes through its text box or its scroll bar,
// never in the grid itself, and lands in the image at once.
#include "core/common/numbers.h"
#include "core/form/keys.h"
#include "core/page/main_page.h"

namespace orv {

void Main_Page::edit_Click() {
    form::Form& f = form;
    const bool host = f.Host.Value();
    const bool ignition_fitted = f.Advancer.Visible;
    if (!host) {
        f.loadmem.Enabled = f.savemem.Enabled = f.upload.Enabled = f.download.Enabled = true;
        f.common.Enabled = true;
    }
    f.injection.Enabled = true;
    f.ignition.Enabled = ignition_fitted;
    f.Access.Enabled = true;
    if (!ignition_fitted) {
        f.Bnk2.Enabled = false;
    } else if (!host) {
        f.Bnk2.Enabled = f.ignition.Enabled = true;
        f.ignnormal.Enabled = f.igninv.Enabled = f.bank2sel.Enabled = f.ignsel.Enabled = true;
    }
    for (int t = 0; t < kTableCount; ++t) {
        const int addr = Get_Mem_Addr(t);
        f.HScroll1[t].Enabled = true;
        const int row = f.datatable[t].Row;
        if (row >= 1) f.HScroll1[t].ShowStored(cal.mem_image[addr + row - 1]);
        f.Text1[t].Enabled = true;
    }
}

void Main_Page::HScroll1_Change(int t) {
    // While a refill is pending the bars are being repositioned, not edited.
    if (cal.reload_tables) return;
    HScroll1_Scroll(t);
}

void Main_Page::HScroll1_Scroll(int t) {
    form::Grid& grid = form.datatable[t];
    if (grid.Row < 1) return;
    const int addr = Get_Mem_Addr(t);
    const int v = form.HScroll1[t].Value();
    PutByte(cal.mem_image, addr + grid.Row - 1, v);
    grid.SetText(CellText(Viewed(), t, v));
    form.Text1[t].Text = grid.Text();
}

void Main_Page::Text1_Click(int t) {
    cal.grid_entry[t] = false;
    form.Text1[t].Text.clear();
}

void Main_Page::Text1_LostFocus(int t) { form.Text1[t].Text = form.datatable[t].Text(); }

void Main_Page::Text1_KeyPress(int t, int code) {
    form::Form& f = form;
    form::TextBox& box = f.Text1[t];
    form::Grid& grid = f.datatable[t];
    if (code != form::kKeyEnter || box.Text.empty()) return;
    const std::string x = box.Text;
    const TableView view = Viewed();
    // Text that is not a number is refused like a value out of range.
    const std::optional<double> value = ParseNumber(x);
    const std::optional<long> stored = value ? TypedByte(view, t, *value) : std::nullopt;
    if (!stored) {
        // Refused: nothing is written. The bar need not hold this row's byte
        // (one outside its range shows at the nearer end), and that must not
        // land here. The box keeps what was typed, so the tuner sees what was
        // refused and why, and can mend it.
        box.Refuse(RefusalText(view, t, x));
        return;
    }
    f.HScroll1[t].SetValue(static_cast<int>(*stored));
    grid.SetText(TypedCellText(view, t, x, *value));
    if (grid.Row < 1) return;
    // The byte typed, not the bar's position: until the next refill the bar
    // still has the range of the view left behind and may have clamped it.
    PutByte(cal.mem_image, Get_Mem_Addr(t) + grid.Row - 1, *stored);
}

}  // namespace orv
