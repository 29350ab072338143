// The duty cycles the window shows: of the live injection times, and of the
// calculated output of the viewed bank.
#include "core/common/numbers.h"
#include "core/monitor/duty.h"
#include "core/page/main_page.h"

namespace orv {

namespace {
// "Full" counts every cylinder: the number the viewed slot stores, which the
// cylinder box shows. Never the box's text: a box only shows a value. "Full"
// is as its check box stands.
long DutyOf(const form::Form& f, const CalibrationState& cal, long rpm, long tinj) {
    CylinderSettings c = CylindersAt(cal.mem_image, cal.slot_base);
    c.full = f.FullSel.Value() == 1;
    return DutyCycle(rpm, tinj, c);
}
}  // namespace

void Main_Page::Calc_Duty_Cycle() {
    form.duty1.Text = Str(DutyOf(form, cal, live.live_rpm, live.live_tinj1));
    form.duty2.Text = Str(DutyOf(form, cal, live.live_rpm, live.live_tinj2));
}

void Main_Page::Show_Calc_Duty() {
    const form::Form& f = form;
    // In edit mode the engine speed is the selected row's: 500 rpm a row.
    const long rpm = f.edit.Value() ? std::max(f.datatable[0].Row - 1, 0) * 5L : live.live_rpm;
    long tinj;
    if (f.bank1mem.Value()) tinj = f.monitor.Value() ? calc.op_tinj1 : calc.sel_tinj1;
    else tinj = f.monitor.Value() ? calc.op_tinj2 : calc.sel_tinj2;
    form.showduty.Text = Str(DutyOf(f, cal, rpm, tinj));
}

}  // namespace orv
