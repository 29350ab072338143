// The lock-step request/reply engine: one request outstanding at a time, the
// next one sent only when the whole reply to the last has arrived.
#include "core/link/frames.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {
constexpr const char* kOffLine = "OffLine";
constexpr int kSilentTicks = 5;  // "OffLine" once this many ticks have passed without a signal
}  // namespace

void Main_Page::BuildLiveRead() { link.tx_buf = frames::LiveRead(link.live_len); }

void Main_Page::Send_Frame() {
    link.tx_frame = link.tx_buf;
    MSComm1.Write(link.tx_frame);
}

void Main_Page::StartCom() {
    if (!MSComm1.IsOpen() && !MSComm1.Open(link.comm_port)) {
        form.Text3.Text = kOffLine;
        return;
    }
    // A queued enter-host write takes this read's reply, so that a restart
    // never starts the host cycle without it.
    link.cur_cmd = link.next_cmd == kCmdHostOn ? kCmdNone : kCmdLive;
    link.reply_len = link.live_len;
    BuildLiveRead();
    link.tx_frame = link.tx_buf;
    if (!MSComm1.Write(link.tx_frame)) {
        form.Text3.Text = kOffLine;
        return;
    }
    form.Text3.Text = "Connected ";
}

void Main_Page::StopCom() {
    if (!MSComm1.IsOpen()) return;
    MSComm1.Close();
    MSComm1.SetInBufferSize(link.live_len);
}

void Main_Page::COM_Click() {
    int index = form.COM.ListIndex();
    if (index < 0) return;
    StopCom();
    link.comm_port = index + 1;
    config.cfg_port = link.comm_port;
    Write_Config();
    StartCom();
}

void Main_Page::Connect_Click() {
    // The live block length is negotiated: a connect after a handled reply asks
    // for 10 bytes; a second connect without one in between falls back to 8.
    if (!link.probe) {
        link.probe = true;
        link.live_len = kLiveBlockLong;
    } else {
        link.live_len = kLiveBlockShort;
    }
    if (!MSComm1.IsOpen() || link.cur_cmd != kCmdNone || form.Host.Value()) {
        // Abandons whatever was in progress and drops a partial reply.
        StopCom();
        StartCom();
    } else {
        link.cur_cmd = kCmdLive;
        link.reply_len = link.live_len;
        BuildLiveRead();
        Send_Frame();
    }
    if (link.next_cmd == kCmdUpload || link.next_cmd == kCmdDownload) form.mapfile.Text = xfer.saved_mapname;
}

void Main_Page::MSComm1_OnComm(CommEvent event) {
    link.idle_ticks = 0;
    form.Text3.Text = "Connected";
    if (event == CommEvent::Send || event == CommEvent::Error) return;
    // A reply is recognised by its length alone; anything else stays buffered.
    if (MSComm1.InBufferCount() != link.reply_len) return;
    link.rx_data = MSComm1.Input();
    if (IsCommand(link.cur_cmd)) {
        Dispatch(link.cur_cmd);
    } else {
        link.cur_cmd = link.next_cmd;
        if (IsCommand(link.cur_cmd)) Dispatch(link.cur_cmd);
    }
    // The handler left the next request in tx_frame.
    if (link.cur_cmd != kCmdNone && !link.probe) MSComm1.Write(link.tx_frame);
    link.probe = false;
}

void Main_Page::Dispatch(std::uint8_t cmd) {
    switch (cmd) {
        case kCmdLive: Handle_Live(); break;
        case kCmdUpload: Handle_Upload(); break;
        case kCmdDownload: Handle_Download(); break;
        case kCmdHostOn: Send_Host_On(); break;
        case kCmdHostOff: Send_Host_Off(); break;
        case kCmdHostCycle: Handle_Host_Cycle(); break;
        default: break;
    }
}

void Main_Page::SuperviseLink() {
    ++link.idle_ticks;
    if (link.idle_ticks > kSilentTicks) {
        if (form.Text3.Text != kOffLine) {
            form.Text3.Text = kOffLine;
            Reset_Monitor();
        }
        link.idle_ticks = kSilentTicks + 1;
        form.remote.SetValue(true);
    }
}

}  // namespace orv
