// Engine settings of the active slot: each control writes its own byte of the
// settings block at once, and Show_Settings refreshes them all from the image.
#include "core/page/main_page.h"
#include "core/settings/settings_coding.h"

namespace orv {

namespace {

// The byte of the active slot that holds field f.
std::uint8_t& ByteOf(CalibrationState& cal, const SettingField& f) { return cal.mem_image[cal.slot_base + f.rel]; }

// A bar's position is its field's value; the box beside it shows the byte.
void BarMoved(CalibrationState& cal, Setting s, const form::ScrollBar& bar, form::TextBox& box) {
    const SettingField& f = Field(s);
    std::uint8_t& byte = ByteOf(cal, f);
    byte = f.Put(byte, bar.Value());
    box.Text = FieldText(f, byte);
}

// A stored byte the bar cannot reach leaves the bar at its end, silently;
// the box shows the byte as it is.
void ShowBar(CalibrationState& cal, Setting s, form::ScrollBar& bar, form::TextBox& box) {
    const SettingField& f = Field(s);
    const std::uint8_t byte = ByteOf(cal, f);
    bar.ShowStored(f.Get(byte));
    box.Text = FieldText(f, byte);
}

}  // namespace

void Main_Page::cylinsel_Change() {
    const SettingField& code = Field(Setting::Cylinders);
    std::uint8_t& byte = ByteOf(cal, code);
    byte = Field(Setting::Full).Put(code.Put(byte, form.cylinsel.Value()), cal.full_sel);
    Show_Cylinders();
}

void Main_Page::RPMAcc_Change() { BarMoved(cal, Setting::RpmSwitch, form.RPMAcc, form.TRPMAcc); }

void Main_Page::deltasel_Change() { BarMoved(cal, Setting::DeltaTps, form.deltasel, form.pdeltatps); }

void Main_Page::WaterAcc_Change() { BarMoved(cal, Setting::WaterSwitch, form.WaterAcc, form.TWaterAcc); }

void Main_Page::Limiter_Change() { BarMoved(cal, Setting::Limiter, form.Limiter, form.TLimiter); }

void Main_Page::loadtimesel_Change() { BarMoved(cal, Setting::LoadTime, form.loadtimesel, form.loadtime); }

void Main_Page::windowsel_Change() { BarMoved(cal, Setting::WindowSize, form.windowsel, form.windowsize); }

void Main_Page::ignnormal_Click() {
    const SettingField& inverted = Field(Setting::IgnInverted);
    ByteOf(cal, inverted) = inverted.Put(ByteOf(cal, inverted), 0);
    form.igninv.SetValue(false);
    form.loadtimesel.Enabled = true;
}

void Main_Page::igninv_Click() {
    const SettingField& inverted = Field(Setting::IgnInverted);
    ByteOf(cal, inverted) = inverted.Put(ByteOf(cal, inverted), 1);
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
    const SettingField& code = Field(Setting::Cylinders);
    const std::uint8_t stored = ByteOf(cal, code);
    f.ncylinder.Text = FieldText(code, stored);
    cal.full_sel = Field(Setting::Full).Get(stored) != 0;
    // Both write the byte back as it was read; a code the bar cannot show
    // (6..127) leaves the bar at its end without writing.
    f.FullSel.SetValue(cal.full_sel ? 1 : 0);
    f.cylinsel.ShowStored(code.Get(stored));
}

void Main_Page::Show_Delta_TPS() {
    const SettingField& delta = Field(Setting::DeltaTps);
    const std::uint8_t b = ByteOf(cal, delta);
    form.pdeltatps.Text = FieldText(delta, b);
    form.deltasel.ShowStored(delta.Get(b));
}

void Main_Page::Show_Water_Switch() { ShowBar(cal, Setting::WaterSwitch, form.WaterAcc, form.TWaterAcc); }

void Main_Page::Show_RPM_Switch() { ShowBar(cal, Setting::RpmSwitch, form.RPMAcc, form.TRPMAcc); }

void Main_Page::Show_Limiter() { ShowBar(cal, Setting::Limiter, form.Limiter, form.TLimiter); }

void Main_Page::Show_Window_Size() { ShowBar(cal, Setting::WindowSize, form.windowsel, form.windowsize); }

void Main_Page::Show_Load_Time() { ShowBar(cal, Setting::LoadTime, form.loadtimesel, form.loadtime); }

void Main_Page::Show_Bank2_Sel() {
    form::Form& f = form;
    const SettingField& off = Field(Setting::Bank2Off);
    f.bank2sel.SetValue(false);
    f.ignsel.SetValue(false);
    if (off.Get(ByteOf(cal, off))) {
        f.ignsel.SetValue(true);
        f.bank2mem.Enabled = false;
    } else {
        f.bank2sel.SetValue(true);
        f.bank2mem.Enabled = true;
    }
}

void Main_Page::Show_Ign_Mode() {
    form::Form& f = form;
    const SettingField& inverted = Field(Setting::IgnInverted);
    f.ignnormal.SetValue(false);
    f.igninv.SetValue(false);
    if (inverted.Get(ByteOf(cal, inverted))) f.igninv.SetValue(true);
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
