// Host mode: the console computes the injection times and advance at the live
// point and imposes them on the controller; remote mode leaves them to it.
#include <initializer_list>
#include <utility>

#include "core/link/frames.h"
#include "core/link/host.h"
#include "core/shell/main_page.h"

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

// Every host-mode request is a write sent at once; its acknowledgement goes to
// Handle_Live, which sends the next live-data read.
void SendHostWrite(Main_Page& page, Bytes frame) {
    page.link.tx_buf = std::move(frame);
    page.link.reply_len = static_cast<std::uint8_t>(frames::kWriteReplyLength);
    page.link.cur_cmd = kCmdNone;
    page.link.next_cmd = kCmdLive;
    page.Send_Frame();
}

}  // namespace

void Main_Page::Host_Click() {
    Apply(form, HostModeControls());
    // Already on (or on its way): the controller has its mode write, and a
    // second one now would cut into the host cycle's request.
    if (link.host_mode) return;
    link.host_mode = true;
    // A handler queued for the next reply means a request is out even with
    // cur_cmd at 0: the host handlers send their own requests.
    const bool idle = MSComm1.IsOpen() && link.cur_cmd == kCmdNone && link.next_cmd == kCmdNone &&
                      !link.awaiting && !link.settling;
    if (!idle) {
        link.cur_cmd = kCmdNone;
        link.next_cmd = kCmdHostOn;
        return;
    }
    Send_Host_On();
}

void Main_Page::remote_Click() {
    Apply(form, RemoteModeControls(form.edit.Value(), form.Advancer.Visible));
    if (link.host_mode) link.host_off_owed = true;
    link.host_mode = false;
    // The leave-host write goes out at the next reply; with none in flight,
    // nothing is sent now.
    link.cur_cmd = kCmdNone;
    link.next_cmd = kCmdHostOff;
}

void Main_Page::Send_Host_On() { SendHostWrite(*this, frames::ModeWrite(frames::kModeHostOn)); }

void Main_Page::Send_Host_Off() {
    link.host_off_owed = false;
    SendHostWrite(*this, frames::ModeWrite(frames::kModeHostOff));
}

void Main_Page::Handle_Host_Cycle() {
    // The engine runs on what this reply gives, so a recording on show does
    // not hold the decoding back.
    DecodeLive();
    Calc_Map_Output(-1);
    const form::Form& f = form;
    const SettingsPositions at{f.deltasel.Value(), f.windowsel.Value(), f.loadtimesel.Value(),
                               f.WaterAcc.Value(), f.Limiter.Value(),   f.RPMAcc.Value()};
    SendHostWrite(*this, frames::HostParamsWrite(HostParamBytes(calc, at)));
}

}  // namespace orv
