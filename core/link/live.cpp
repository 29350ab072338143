// Live data: the controller's readings turned into live values and read-outs.
#include "core/common/numbers.h"
#include "core/link/frames.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {
constexpr std::uint8_t kNoIgnition = 90;  // an advance byte above this: the controller drives no ignition
constexpr std::uint8_t kMinVersion = 4;   // older firmware has no battery and version bytes
}  // namespace

void Main_Page::Handle_Live() {
    // Write acknowledgements (2 bytes) also land here and are not decoded.
    if (reply_len > 4 && !playing && !rec_review) Decode_Live();
    reply_len = live_len;
    Build_Live_Read();
    tx_frame = tx_buf;
    if (form.Host.Value()) {
        cur_cmd = kCmdNone;
        next_cmd = kCmdHostCycle;
        Send_Frame();
    }
    if (probe) {
        if (live_version >= kMinVersion) probe = false;
        else Connect_Click();
    }
}

void Main_Page::Decode_Live() {
    const Bytes& b = rx_data;
    if (b.size() < 8) return;
    form::Form& f = form;
    live_rpm = b[0];
    f.rpm.Text = Format(live_rpm / 10.0, "#0.0");
    live_pressure = b[1];
    f.pressure.Text = Format((live_pressure - 10) / 10.0, "#0.0");
    live_tps = b[2];
    f.tps.Text = Str(live_tps);
    live_air = b[3];
    f.air.Text = Str(live_air - 20);
    live_water = b[4];
    f.water.Text = Str(live_water - 20);
    live_tinj1 = b[5];
    f.bank1.Text = Format(live_tinj1 / 10.0, "#0.0");
    live_tinj2 = b[6];
    f.bank2.Text = Format(live_tinj2 / 10.0, "#0.0");
    live_advance = b[7];
    Detect_Ignition();
    f.advance.Text = Str(live_advance - 45);
    if (live_len == 10 && b.size() >= 10) {
        live_batt = b[8];
        f.batt.Text = Format(live_batt / 10.0, "#0.0");
        live_version = static_cast<std::uint8_t>((b[9] >> 4) * 10 + (b[9] & 0x0F));
        f.version.Text = Format(live_version / 10.0, "#0.0");
    }
    Calc_Duty_Cycle();
}

void Main_Page::Detect_Ignition() {
    form::Form& f = form;
    bool has_ignition = live_advance <= kNoIgnition;
    if (!has_ignition) live_advance = 45;
    // Only a change of state touches the controls.
    if (has_ignition == f.Advancer.Visible) return;
    f.Advancer.Visible = has_ignition;
    for (form::Control* c : std::initializer_list<form::Control*>{
             &f.IgnMem, &f.ignition, &f.window, &f.windowsel, &f.windowsize, &f.ignnormal, &f.igninv, &f.loadt,
             &f.loadtimesel, &f.loadtime, &f.Label1, &f.Limiter, &f.TLimiter})
        c->Enabled = has_ignition;
    if (!has_ignition) {
        f.Bnk2.Enabled = false;
        f.bank2sel.Enabled = false;
        f.ignsel.Enabled = false;
        f.ignsel.SetValue(true);
    }
}

}  // namespace orv
