// Injector duty cycle: open time as a share of two crankshaft revolutions.
#include <algorithm>

#include "core/common/numbers.h"
#include "core/shell/main_page.h"

namespace orv {

long Main_Page::Duty(long rpm, long tinj) const {
    long d = RoundHalfAway(static_cast<double>(rpm * tinj) / 120);
    if (form.FullSel.Value() == 1) d *= static_cast<long>(ParseNumber(form.ncylinder.Text).value_or(0));
    return std::min(d, 100L);
}

void Main_Page::Calc_Duty_Cycle() {
    form.duty1.Text = Str(Duty(live_rpm, live_tinj1));
    form.duty2.Text = Str(Duty(live_rpm, live_tinj2));
}

void Main_Page::Show_Calc_Duty() {
    const form::Form& f = form;
    long rpm = f.edit.Value() ? std::max(f.datatable[0].Row - 1, 0) * 5L : live_rpm;
    long tinj;
    if (f.bank1mem.Value()) tinj = f.monitor.Value() ? op_tinj1 : sel_tinj1;
    else tinj = f.monitor.Value() ? op_tinj2 : sel_tinj2;
    form.showduty.Text = Str(Duty(rpm, tinj));
}

}  // namespace orv
