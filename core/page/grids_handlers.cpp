// The five table grids: axis and data columns, refill, and the grid events.
#include "core/common/numbers.h"
#include "core/page/main_page.h"

namespace orv {

TableView Main_Page::Viewed() const { return ViewOf(form.IgnMem.Value(), form.bank1mem.Value()); }

int Main_Page::Get_Mem_Addr(int t) { return MemAddr(cal.mem_image, t); }

void Main_Page::SetBank1Mem() { ClearViewBits(cal.mem_image); }

void Main_Page::load_data_table(int i, const std::string& nam, int col, double min, double st) {
    if (i < 0 || i >= kTableCount) return;
    form::Form& f = form;
    form::Grid& grid = f.datatable[i];
    const TableView view = Viewed();
    grid.Col = col != 0 ? 1 : 0;
    grid.Row = 0;
    grid.SetText(nam);
    grid.Row = 1;
    const int addr = Get_Mem_Addr(i);
    if (col != 0) {
        for (int k = 0; k <= grid.Rows() - 2; ++k) {
            grid.Row = k + 1;
            grid.SetText(CellText(view, i, cal.mem_image[addr + k]));
        }
    } else {
        for (int k = 0; k <= grid.Rows() - 2; ++k) {
            grid.Row = k + 1;
            grid.SetText(AxisText(nam, min, st, k));
        }
    }
    grid.TopRow = 1;
    grid.Row = 1;
    grid.Col = 1;
    f.Text1[i].Text = grid.Text();

    f.tinj.Caption = f.IgnMem.Value() ? "Degrees" : "(ms)";
    const ByteRange range = BarRange(view, i);
    form::ScrollBar& bar = f.HScroll1[i];
    bar.SetRange(range.lo, range.hi);
    // A byte outside the bar's range (a foreign image) is shown at the nearest
    // end without writing anything back.
    if (col != 0) bar.ShowStored(cal.mem_image[addr]);
}

// The data column of the five grids as start-up fills it (the bank 1 view).
void Main_Page::LoadDataColumns() {
    load_data_table(0, "TINJ", 1, 0.0, 0.5);
    load_data_table(1, "GAIN", 1, -1.0, 0.1);
    load_data_table(2, "GAIN", 1, 0.0, 5.0);
    load_data_table(3, "GAIN", 1, -20.0, 10.0);
    load_data_table(4, "GAIN", 1, -20.0, 10.0);
}

void Main_Page::Load_Memory_Map() {
    if (form.IgnMem.Value()) {
        for (int i = 0; i < kTableCount; ++i) load_data_table(i, "ADV", 1, 0, 0);
    } else {
        load_data_table(0, "TINJ", 1, 0, 0);
        for (int i = 1; i < kTableCount; ++i) load_data_table(i, "GAIN", 1, 0, 0);
    }
    cal.reload_tables = false;
}

void Main_Page::datatable_Click(int t) {
    form::Form& f = form;
    form::Grid& grid = f.datatable[t];
    cal.grid_entry[t] = false;
    f.Text1[t].Text = grid.Text();
    if (grid.Row < 1) return;
    // The bar takes the clicked row's stored byte, not the byte read back from
    // the cell's text: the text is rounded for display, and reading it back
    // would change the byte by merely looking at it.
    const std::uint8_t b = cal.mem_image[Get_Mem_Addr(t) + grid.Row - 1];
    form::ScrollBar& bar = f.HScroll1[t];
    bar.ShowStored(b);
    // A click that moved the selection found the bar on the row's byte
    // already (SelChange shows it), so Change did not run: the cell still
    // goes to its canonical form, as Change would have put it.
    if (cal.reload_tables || b < bar.Min() || b > bar.Max()) return;
    grid.SetText(CellText(Viewed(), t, b));
    f.Text1[t].Text = grid.Text();
}

void Main_Page::ShowCurrentRow(int t) {
    form::Grid& grid = form.datatable[t];
    cal.grid_entry[t] = false;
    form.Text1[t].Text = grid.Text();
    if (grid.Row < 1) return;
    // Placed, not set: no Change runs, so showing a row writes nothing, and a
    // byte outside the bar's range is shown at its nearest end. A step of the
    // bar then starts from the row's own byte.
    form.HScroll1[t].Place(cal.mem_image[Get_Mem_Addr(t) + grid.Row - 1]);
}

void Main_Page::datatable_Scroll(int t) {
    form::Grid& grid = form.datatable[t];
    auto move = [&](int row) {
        grid.Row = std::min(row, grid.Rows() - 1);
        ShowCurrentRow(t);
    };
    if (grid.Row < grid.TopRow) move(grid.TopRow + 4);
    if (grid.Row > grid.TopRow + grid.VisibleRows - 1) move(grid.Row - 6);
}

void Main_Page::datatable_SelChange(int t) { ShowCurrentRow(t); }

namespace {
// The characters of a typed number: each begins an entry or goes on with one,
// as typed ("-7", "+3", "-0.5"); Enter then takes the whole text or refuses it.
bool NumberCharacter(int code) { return (code >= '0' && code <= '9') || code == '.' || code == '+' || code == '-'; }

// How many steps of the bar a step key moves the selected cells; 0 for any
// other key.
int StepsOf(int code) {
    switch (code) {
        case form::kKeyStepUp: return 1;
        case form::kKeyStepDown: return -1;
        case form::kKeyStepUpTen: return 10;
        case form::kKeyStepDownTen: return -10;
        default: return 0;
    }
}
}  // namespace

void Main_Page::datatable_KeyPress(int t, int code) {
    form::Form& f = form;
    form::TextBox& box = f.Text1[t];
    form::Grid& grid = f.datatable[t];
    bool& entering = cal.grid_entry[t];
    // Only where the box itself takes entries (edit mode), and on a data row.
    if (!box.Enabled || grid.Row < 1) {
        entering = false;
        return;
    }
    // A step key moves every selected cell at once, as one edit; within an
    // entry it adds nothing and the entry waits.
    if (const int steps = StepsOf(code); steps != 0) {
        if (!entering) RangeEdit(t, grid.SelFirst(), grid.SelLast(), RangeOp::Step, steps);
        return;
    }
    if (NumberCharacter(code)) {
        if (!entering) box.Text.clear();
        entering = true;
        box.Text += static_cast<char>(code);
        return;
    }
    if (!entering) return;
    switch (code) {
        case form::kKeyBackspace:
            if (!box.Text.empty()) box.Text.pop_back();
            return;
        case form::kKeyEscape:
            entering = false;
            Text1_LostFocus(t);
            return;
        case form::kKeyEnter: {
            entering = false;
            if (box.Text.empty()) {
                Text1_LostFocus(t);
                return;
            }
            const unsigned long refusals = box.Refusals;
            Text1_KeyPress(t, form::kKeyEnter);
            if (box.Refusals != refusals) return;  // refused: stay on the row
            // Accepted: on to the next row, as a cursor key would move it.
            if (grid.Row < grid.Rows() - 1) grid.UserSelect(grid.Row + 1, grid.Col);
            return;
        }
        default:
            // Anything else ends nothing and adds nothing: the entry waits.
            return;
    }
}

}  // namespace orv
