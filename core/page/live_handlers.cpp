// Live data: the controller's readings turned into live values and read-outs.
#include "core/page/main_page.h"

namespace orv {

// The link decoded the block: its live values are the page's, so the
// read-outs, the recorder and the log never differ on a reading.
void Main_Page::DecodeLive() {
    if (link.rx_data.size() < kLiveBlockShort) return;
    live = comm.live();
    live_reading_ = true;
    Detect_Ignition();
    // Formatted once: this runs for every block the link takes.
    const LiveTexts t = FormatLive(live);
    ShowLiveTexts(t, true);
    // Battery and version come only in a long block.
    if (link.live_len == kLiveBlockLong && link.rx_data.size() >= kLiveBlockLong) {
        form.batt.Text = t.batt;
        form.version.Text = t.version;
    }
    Calc_Duty_Cycle();
}

// A live block the link took in step; the link has asked for the next one.
void Main_Page::Handle_Live() {
    // A recording on show keeps the display.
    if (!rec.playing && !rec.rec_review) DecodeLive();
}

// The read-outs of the eight readings (bank 2's only when asked).
void Main_Page::ShowLiveTexts(bool bank2) { ShowLiveTexts(FormatLive(live), bank2); }

void Main_Page::ShowLiveTexts(const LiveTexts& t, bool bank2) {
    form::Form& f = form;
    f.rpm.Text = t.rpm;
    f.pressure.Text = t.pressure;
    f.tps.Text = t.tps;
    f.air.Text = t.air;
    f.water.Text = t.water;
    f.bank1.Text = t.bank1;
    if (bank2) f.bank2.Text = t.bank2;
    f.advance.Text = t.advance;
}

// The decoding has already taken the advance of a controller without
// ignition as 0; here the controls follow.
void Main_Page::Detect_Ignition() {
    form::Form& f = form;
    const bool has_ignition = live.ignition;
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
