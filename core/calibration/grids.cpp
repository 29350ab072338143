// The five table grids: axis and data columns, refill, and the grid events.
#include <cmath>

#include "core/common/numbers.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {

// Text of a stored byte in the viewed set; fuel base times are in 0.1 ms.
std::string CellText(std::uint8_t b, bool ignition, bool base_time) {
    if (ignition) return Str(b - 45);
    if (base_time) return Format(b / 10.0, "#0.0");
    return Str(b - 90);
}

}  // namespace

void Main_Page::load_data_table(int i, const std::string& nam, int col, double min, double st) {
    if (i < 0 || i > 4) return;
    form::Form& f = form;
    form::Grid& grid = f.datatable[i];
    const bool ignition = !f.bank1mem.Value() && f.IgnMem.Value();
    grid.Col = col != 0 ? 1 : 0;
    grid.Row = 0;
    grid.SetText(nam);
    grid.Row = 1;
    if (col != 0) {
        Get_Mem_Addr(i);
        const int a = mem_addr;
        for (int k = 0; k <= grid.Rows() - 2; ++k) {
            grid.Row = k + 1;
            grid.SetText(CellText(mem_image[a + k], ignition, nam == "TINJ"));
        }
    } else {
        for (int k = 0; k <= grid.Rows() - 2; ++k) {
            grid.Row = k + 1;
            double v = k * st + min;
            grid.SetText(nam == "RPM" || nam == "PRES" ? Format(v, "#0.0") : Str(RoundHalfAway(v)));
        }
    }
    grid.TopRow = 1;
    grid.Row = 1;
    grid.Col = 1;
    f.Text1[i].Text = grid.Text();

    form::ScrollBar& bar = f.HScroll1[i];
    if (f.IgnMem.Value()) {
        f.tinj.Caption = "Degrees";
        bar.SetMax(85);
        if (i == 0) bar.SetMin(40);
    } else {
        f.tinj.Caption = "(ms)";
        bar.SetMax(i == 0 ? 255 : 180);
        if (i == 0) bar.SetMin(0);
    }
    // A byte outside the bar's range (a foreign image) is shown at the nearest
    // end without writing anything back.
    if (col != 0) bar.ShowStored(mem_image[mem_addr]);
}

void Main_Page::Load_Memory_Map() {
    if (form.IgnMem.Value()) {
        for (int i = 0; i < 5; ++i) load_data_table(i, "ADV", 1, 0, 0);
    } else {
        load_data_table(0, "TINJ", 1, 0, 0);
        for (int i = 1; i < 5; ++i) load_data_table(i, "GAIN", 1, 0, 0);
    }
    reload_tables = false;
}

void Main_Page::datatable_Click(int t) {
    form::Form& f = form;
    f.Text1[t].Text = f.datatable[t].Text();
    std::optional<double> x = ParseNumber(f.Text1[t].Text);
    if (!x) return;
    double v = f.IgnMem.Value() ? *x + 45 : (t != 0 ? *x + 90 : *x * 10);
    f.HScroll1[t].ShowStored(RoundHalfEven(v));
}

void Main_Page::datatable_Scroll(int t) {
    form::Grid& grid = form.datatable[t];
    auto move = [&](int row) {
        grid.Row = std::min(row, grid.Rows() - 1);
        form.Text1[t].Text = grid.Text();
    };
    if (grid.Row < grid.TopRow) move(grid.TopRow + 4);
    if (grid.Row > grid.TopRow + 9) move(grid.Row - 6);
}

void Main_Page::datatable_SelChange(int t) { form.Text1[t].Text = form.datatable[t].Text(); }

}  // namespace orv
