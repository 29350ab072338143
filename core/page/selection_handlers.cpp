// Which table set the grids show, bank 2 on or off, and the "Full" flag.
#include "core/page/main_page.h"

namespace orv {

void Main_Page::bank1mem_Click() {
    SlotByte(slot::kModeFlags) &= static_cast<std::uint8_t>(~kViewSelMask);
    form.bank2mem.SetValue(false);
    form.IgnMem.SetValue(false);
    cal.reload_tables = true;
    form.tinj.Caption = "(ms)";
}

void Main_Page::bank2mem_Click() {
    std::uint8_t& flags = SlotByte(slot::kModeFlags);
    flags = static_cast<std::uint8_t>((flags & ~kViewSelMask) | kViewBank2);
    form.bank1mem.SetValue(false);
    form.IgnMem.SetValue(false);
    cal.reload_tables = true;
    form.tinj.Caption = "(ms)";
}

void Main_Page::IgnMem_Click() {
    SlotByte(slot::kModeFlags) |= kViewIgnition;
    form.bank1mem.SetValue(false);
    form.bank2mem.SetValue(false);
    cal.reload_tables = true;
    form.tinj.Caption = "Degrees";
}

void Main_Page::bank2sel_Click() {
    form::Form& f = form;
    SlotByte(slot::kModeFlags) &= static_cast<std::uint8_t>(~kBank2Off);
    if (f.bank2mem.Value()) {
        f.tinj.Caption = "(ms)";
        cal.reload_tables = true;
    }
    f.Injector2.Visible = true;
    f.tinj2.Visible = true;
    f.bank2.Visible = true;
    f.duty2.Visible = true;
    f.lduty2.Visible = true;
    f.Label6.Caption = "(ms)";
    f.bank2mem.Enabled = true;
    f.RPMAcc.Enabled = false;
    f.rpmsw.Enabled = false;
    f.TRPMAcc.Enabled = false;
}

void Main_Page::ignsel_Click() {
    form::Form& f = form;
    SlotByte(slot::kModeFlags) |= kBank2Off;
    f.bank2sel.SetValue(false);
    // With bank 2 off the RPM switch takes its place.
    f.tinj2.Visible = false;
    f.bank2.Visible = false;
    f.duty2.Visible = false;
    f.lduty2.Visible = false;
    f.Label6.Caption = "Off";
    f.bank2mem.Enabled = false;
    f.RPMAcc.Enabled = true;
    f.rpmsw.Enabled = true;
    f.TRPMAcc.Enabled = true;
}

void Main_Page::FullSel_Click() {
    // The code as stored, not the bar's position: a code the bar cannot show
    // (6..127, from a foreign map) stands at the bar's end, and taking that
    // would change the cylinder count behind the count box's back.
    const int code = SlotByte(slot::kCylMode) & kCylCodeMask;
    cal.full_sel = form.FullSel.Value() == 1;
    SlotByte(slot::kCylMode) = static_cast<std::uint8_t>(cal.full_sel ? (code | kFullFlag) : code);
}

}  // namespace orv
