// Engine settings of the active slot: each control writes its own byte of the
// settings block at once, and Show_Settings refreshes them all from the image.
#include "core/common/numbers.h"
#include "core/settings/settings_coding.h"
#include "core/shell/main_page.h"

namespace orv {

void Main_Page::cylinsel_Change() {
    const int pos = form.cylinsel.Value();
    SlotByte(slot::kCylMode) = static_cast<std::uint8_t>(cal.full_sel ? (pos | kFullFlag) : (pos & kCylCodeMask));
    Show_Cylinders();
}

void Main_Page::RPMAcc_Change() {
    SlotByte(slot::kRpmSwitch) = static_cast<std::uint8_t>(form.RPMAcc.Value());
    form.TRPMAcc.Text = TenthsText(form.RPMAcc.Value());
}

void Main_Page::deltasel_Change() {
    SlotByte(slot::kDeltaTps) = static_cast<std::uint8_t>(form.deltasel.Value());
    form.pdeltatps.Text = Str(form.deltasel.Value());
}

void Main_Page::WaterAcc_Change() {
    SlotByte(slot::kWaterSwitch) = static_cast<std::uint8_t>(form.WaterAcc.Value());
    form.TWaterAcc.Text = WaterSwitchText(form.WaterAcc.Value());
}

void Main_Page::Limiter_Change() {
    SlotByte(slot::kLimiter) = static_cast<std::uint8_t>(form.Limiter.Value());
    form.TLimiter.Text = TenthsText(form.Limiter.Value());
}

void Main_Page::loadtimesel_Change() {
    SlotByte(slot::kLoadTime) = static_cast<std::uint8_t>(form.loadtimesel.Value());
    form.loadtime.Text = TenthsText(form.loadtimesel.Value());
}

void Main_Page::windowsel_Change() {
    SlotByte(slot::kWindowSize) = static_cast<std::uint8_t>(form.windowsel.Value());
    form.windowsize.Text = Str(form.windowsel.Value());
}

void Main_Page::ignnormal_Click() {
    SlotByte(slot::kModeFlags) &= static_cast<std::uint8_t>(~kIgnInverted);
    form.igninv.SetValue(false);
    form.loadtimesel.Enabled = true;
}

void Main_Page::igninv_Click() {
    SlotByte(slot::kModeFlags) |= kIgnInverted;
    form.ignnormal.SetValue(false);
}

void Main_Page::Show_Settings() {
    Show_Cylinders();
    Show_Delta_TPS();
    Show_Water_Switch();
    Show_RPM_Switch();
    Show_Limiter();
    Show_Bank2_Sel();
    Show_Window_Size();
    Show_Load_Time();
    Show_Ign_Mode();
    Show_Bank_Sel();
}

void Main_Page::Show_Cylinders() {
    form::Form& f = form;
    const std::uint8_t stored = SlotByte(slot::kCylMode);
    const int code = stored & kCylCodeMask;
    f.ncylinder.Text = CylinderCountText(code);
    cal.full_sel = (stored & kFullFlag) != 0;
    // Both write the byte back as it was read; a code the bar cannot show
    // (6..127) leaves the bar at its end without writing.
    f.FullSel.SetValue(cal.full_sel ? 1 : 0);
    f.cylinsel.ShowStored(code);
}

void Main_Page::Show_Delta_TPS() {
    const int b = SlotByte(slot::kDeltaTps);
    form.pdeltatps.Text = Str(b);
    form.deltasel.ShowStored(b);
}

void Main_Page::Show_Water_Switch() {
    const int b = SlotByte(slot::kWaterSwitch);
    form.WaterAcc.ShowStored(b);
    form.TWaterAcc.Text = WaterSwitchText(b);
}

void Main_Page::Show_RPM_Switch() {
    const int b = SlotByte(slot::kRpmSwitch);
    form.RPMAcc.ShowStored(b);
    form.TRPMAcc.Text = TenthsText(b);
}

void Main_Page::Show_Limiter() {
    const int b = SlotByte(slot::kLimiter);
    form.Limiter.ShowStored(b);
    form.TLimiter.Text = TenthsText(b);
}

void Main_Page::Show_Window_Size() {
    const int b = SlotByte(slot::kWindowSize);
    form.windowsel.ShowStored(b);
    form.windowsize.Text = Str(b);
}

void Main_Page::Show_Load_Time() {
    const int b = SlotByte(slot::kLoadTime);
    form.loadtimesel.ShowStored(b);
    form.loadtime.Text = TenthsText(b);
}

void Main_Page::Show_Bank2_Sel() {
    form::Form& f = form;
    f.bank2sel.SetValue(false);
    f.ignsel.SetValue(false);
    if (SlotByte(slot::kModeFlags) & kBank2Off) {
        f.ignsel.SetValue(true);
        f.bank2mem.Enabled = false;
    } else {
        f.bank2sel.SetValue(true);
        f.bank2mem.Enabled = true;
    }
}

void Main_Page::Show_Ign_Mode() {
    form::Form& f = form;
    f.ignnormal.SetValue(false);
    f.igninv.SetValue(false);
    if (SlotByte(slot::kModeFlags) & kIgnInverted) f.igninv.SetValue(true);
    else f.ignnormal.SetValue(true);
}

void Main_Page::Show_Bank_Sel() {
    form::Form& f = form;
    f.bank2mem.SetValue(false);
    f.bank1mem.SetValue(false);
    if (SlotByte(slot::kModeFlags) & kViewBank2) f.bank2mem.SetValue(true);
    else f.bank1mem.SetValue(true);
}

}  // namespace orv
