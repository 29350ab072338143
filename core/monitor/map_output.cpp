// What the calibration gives at the live operating point or at the selected
// grid rows, computed the way the controller does.
#include <algorithm>

#include "core/common/numbers.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {

struct Axis {
    long index;
    long remainder;
    long step;
};

}  // namespace

void Main_Page::Get_Table_Addr(int index, int set) {
    table_addr = static_cast<std::int16_t>(TableAddr(mem_image, index, set));
}

long Main_Page::Table_Lookup(int t, int set, bool live) {
    Get_Table_Addr(t, set);
    Axis a{0, 0, 1};
    if (live) {
        switch (t) {
            case 0: a = {live_rpm / 5, live_rpm % 5, 5}; break;
            case 1: a = {live_pressure, 0, 1}; break;
            case 2: a = {live_tps / 5, live_tps % 5, 5}; break;
            case 3: a = {live_air / 10, live_air % 10, 10}; break;
            default: a = {live_water / 10, live_water % 10, 10}; break;
        }
    } else {
        a.index = std::max(form.datatable[t].Row - 1, 0);
    }
    // Past the table's last entry the lookup takes that entry as it is: it
    // never reads the next table's bytes, nor past the image.
    const long last = kTableBytes[t] - 1;
    if (a.index >= last) {
        a.index = last;
        a.remainder = 0;
    }
    long e = mem_image[table_addr + a.index];
    if (a.remainder <= 0) return e;
    long n = mem_image[table_addr + a.index + 1];
    if (e >= n) return e - Int(static_cast<double>(a.remainder * (e - n)) / a.step);
    return e + Int(static_cast<double>(a.remainder * (n - e)) / a.step);
}

void Main_Page::Calc_Map_Output(int mode) {
    const bool live = mode == -1;
    auto fuel = [&](int set) {
        long out = Table_Lookup(0, set, live);
        for (int t = 1; t <= 4; ++t) out = RoundHalfEven(static_cast<double>(out * (Table_Lookup(t, set, live) + 10)) / 100);
        return static_cast<std::uint8_t>(std::min(out, 255L));
    };
    Get_Table_Addr(0, 0);
    std::uint8_t tinj1 = fuel(0);
    std::uint8_t tinj2 = fuel(1);
    long adv = Table_Lookup(0, 2, live);
    for (int t = 1; t <= 4; ++t) adv += Table_Lookup(t, 2, live) - 45;
    auto advance = static_cast<std::uint8_t>(std::clamp(adv, 40L, 85L));
    if (live) {
        op_tinj1 = tinj1;
        op_tinj2 = tinj2;
        op_advance = advance;
    } else {
        sel_tinj1 = tinj1;
        sel_tinj2 = tinj2;
        sel_advance = advance;
    }

    form::Form& f = form;
    const bool at_engine = f.monitor.Value();
    if (f.bank1mem.Value()) {
        f.showtinj1.Text = Format((at_engine ? op_tinj1 : sel_tinj1) / 10.0, "#0.0");
        Show_Calc_Duty();
    } else if (f.IgnMem.Value()) {
        f.showtinj1.Text = Str((at_engine ? op_advance : sel_advance) - 45);
        f.showduty.Text = "--";
    } else {
        f.showtinj1.Text = Format((at_engine ? op_tinj2 : sel_tinj2) / 10.0, "#0.0");
        Show_Calc_Duty();
    }
}

}  // namespace orv
