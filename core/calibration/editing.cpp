// Cell editing: a table entry changes through its text box or its scroll bar,
// never in the grid itself, and lands in the image at once.
#include "core/common/numbers.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {

struct EntryRange {
    double lo, hi;
};

// What may be typed into grid t, and the byte it becomes.
EntryRange TypedRange(bool ignition, int t) {
    if (ignition) return t == 0 ? EntryRange{-5, 40} : EntryRange{-45, 40};
    return t == 0 ? EntryRange{0, 25.5} : EntryRange{-90, 90};
}

long StoredByte(bool ignition, int t, double x) {
    if (ignition) return RoundHalfEven(x + 45);
    return RoundHalfEven(t == 0 ? x * 10 : x + 90);
}

}  // namespace

std::string Main_Page::Cell_Text(int t, long b) const {
    const form::Form& f = form;
    if (t == 0 && (!f.IgnMem.Value() || f.bank1mem.Value())) return Format(b / 10.0, "#0.0");
    return Str(f.IgnMem.Value() ? b - 45 : b - 90);
}

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
        Get_Mem_Addr(t);
        f.HScroll1[t].Enabled = true;
        int row = f.datatable[t].Row;
        if (row >= 1) f.HScroll1[t].ShowStored(mem_image[mem_addr + row - 1]);
        f.Text1[t].Enabled = true;
    }
}

void Main_Page::HScroll1_Change(int t) {
    // While a refill is pending the bars are being repositioned, not edited.
    if (reload_tables) return;
    HScroll1_Scroll(t);
}

void Main_Page::HScroll1_Scroll(int t) {
    form::Grid& grid = form.datatable[t];
    if (grid.Row < 1) return;
    Get_Mem_Addr(t);
    int v = form.HScroll1[t].Value();
    PutByte(mem_addr + grid.Row - 1, v);
    grid.SetText(Cell_Text(t, v));
    form.Text1[t].Text = grid.Text();
}

void Main_Page::Text1_Click(int t) { form.Text1[t].Text.clear(); }

void Main_Page::Text1_LostFocus(int t) { form.Text1[t].Text = form.datatable[t].Text(); }

void Main_Page::Text1_KeyPress(int t, int code) {
    form::Form& f = form;
    form::TextBox& box = f.Text1[t];
    form::Grid& grid = f.datatable[t];
    if (code != 13 || box.Text.empty()) return;
    const std::string x = box.Text;
    const bool ignition = f.IgnMem.Value();
    // Text that is not a number is refused like a value out of range.
    std::optional<double> value = ParseNumber(x);
    EntryRange range = TypedRange(ignition, t);
    if (!value || *value < range.lo || *value > range.hi) {
        // Refused: nothing is written. The bar may still hold another row's
        // byte (the selection moved without a click), which must not land here.
        box.Text.clear();
        return;
    }
    const long stored = StoredByte(ignition, t, *value);
    f.HScroll1[t].SetValue(static_cast<int>(stored));
    grid.SetText(t == 0 && !ignition ? Format(*value, "#0.0") : x);
    if (grid.Row < 1) return;
    // The byte typed, not the bar's position: until the next refill the bar
    // still has the range of the view left behind and may have clamped it.
    Get_Mem_Addr(t);
    PutByte(mem_addr + grid.Row - 1, stored);
}

}  // namespace orv
