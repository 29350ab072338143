// Host mode: the console computes the injection times and advance at the live
// point and imposes them on the controller; remote mode leaves them to it.
#include <initializer_list>

#include "core/monitor/host.h"
#include "core/page/main_page.h"

namespace orv {

namespace {

void Set(Switch s, std::initializer_list<form::Control*> controls) {
    if (s == Switch::keep) return;
    for (form::Control* c : controls) c->Enabled = s == Switch::enable;
}

void Apply(form::Form& f, const ModeControls& m) {
    Set(m.files, {&f.loadmem, &f.savemem});
    Set(m.transfers, {&f.upload, &f.download});
    Set(m.injection, {&f.injection});
    Set(m.common, {&f.common});
    Set(m.ignition, {&f.ignition});
    Set(m.bank2, {&f.Bnk2});
    Set(m.ign_polarity, {&f.ignnormal, &f.igninv});
    Set(m.bank2_options, {&f.bank2sel, &f.ignsel});
    Set(m.recorder, {&f.recorder});
}

}  // namespace

void Main_Page::Host_Click() {
    Apply(form, HostModeControls());
    comm.EnterHost();
}

void Main_Page::remote_Click() {
    Apply(form, RemoteModeControls(form.edit.Value(), form.Advancer.Visible));
    comm.LeaveHost();
}

void Main_Page::Send_Host_On() { comm.SendHostOn(); }

void Main_Page::Send_Host_Off() { comm.SendHostOff(); }

Bytes Main_Page::Handle_Host_Cycle() {
    // The engine runs on what this reply gives, so a recording on show does
    // not hold the decoding back.
    DecodeLive();
    Calc_Map_Output(-1);
    const form::Form& f = form;
    const SettingsPositions at{f.deltasel.Value(), f.windowsel.Value(), f.loadtimesel.Value(),
                               f.WaterAcc.Value(), f.Limiter.Value(),   f.RPMAcc.Value()};
    const HostParams params = HostParamBytes(calc, at);
    return Bytes(params.begin(), params.end());
}

}  // namespace orv
