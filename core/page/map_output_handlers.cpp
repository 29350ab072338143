// What the calibration gives at the live operating point or at the selected
// grid rows, shown under the tables.
#include "core/common/numbers.h"
#include "core/page/main_page.h"

namespace orv {

int Main_Page::Get_Table_Addr(int index, int set) { return TableAddr(cal.mem_image, index, set); }

void Main_Page::Calc_Map_Output(int mode) {
    const bool live_point = mode == -1;
    LookupPoint at;
    if (live_point) {
        at = LivePoint(live);
    } else {
        std::array<int, kTableCount> rows{};
        for (int t = 0; t < kTableCount; ++t) rows[t] = form.datatable[t].Row;
        at = RowPoint(rows);
    }
    const MapOutput out = CalcOutput(cal.mem_image, at);
    if (live_point) {
        calc.op_tinj1 = out.tinj1;
        calc.op_tinj2 = out.tinj2;
        calc.op_advance = out.advance;
    } else {
        calc.sel_tinj1 = out.tinj1;
        calc.sel_tinj2 = out.tinj2;
        calc.sel_advance = out.advance;
    }

    form::Form& f = form;
    const bool at_engine = f.monitor.Value();
    if (f.bank1mem.Value()) {
        f.showtinj1.Text = Format((at_engine ? calc.op_tinj1 : calc.sel_tinj1) / 10.0, "#0.0");
        Show_Calc_Duty();
    } else if (f.IgnMem.Value()) {
        f.showtinj1.Text = Str((at_engine ? calc.op_advance : calc.sel_advance) - kAdvanceOffset);
        f.showduty.Text = "--";
    } else {
        f.showtinj1.Text = Format((at_engine ? calc.op_tinj2 : calc.sel_tinj2) / 10.0, "#0.0");
        Show_Calc_Duty();
    }
}

}  // namespace orv
