// The lock-step request/reply engine: one request outstanding at a time, the
// next one sent only when the whole reply to the last has arrived.
#include "core/link/frames.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {
constexpr const char* kOffLine = "OffLine";
constexpr int kSilentTicks = 5;  // "OffLine" once this many ticks have passed without a signal
}  // namespace

void Main_Page::Build_Live_Read() { tx_buf = frames::LiveRead(live_len); }

void Main_Page::Send_Frame() {
    tx_frame = tx_buf;
    MSComm1.Write(tx_frame);
}

void Main_Page::StartCom() {
    if (!MSComm1.IsOpen() && !MSComm1.Open(comm_port)) {
        form.Text3.Text = kOffLine;
        return;
    }
    cur_cmd = kCmdLive;
    reply_len = live_len;
    Build_Live_Read();
    tx_frame = tx_buf;
    if (!MSComm1.Write(tx_frame)) {
        form.Text3.Text = kOffLine;
        return;
    }
    form.Text3.Text = "Connected ";
}

void Main_Page::StopCom() {
    if (!MSComm1.IsOpen()) return;
    MSComm1.Close();
    MSComm1.SetInBufferSize(live_len);
}

void Main_Page::COM_Click() {
    int index = form.COM.ListIndex();
    if (index < 0) return;
    StopCom();
    comm_port = index + 1;
    cfg_port = comm_port;
    Write_Config();
    StartCom();
}

void Main_Page::Connect_Click() {
    // The live block length is negotiated: a connect after a handled reply asks
    // for 10 bytes; a second connect without one in between falls back to 8.
    if (!probe) {
        probe = true;
        live_len = 10;
    } else {
        live_len = 8;
    }
    if (!MSComm1.IsOpen() || cur_cmd != kCmdNone || form.Host.Value()) {
        // Abandons whatever was in progress and drops a partial reply.
        StopCom();
        StartCom();
    } else {
        cur_cmd = kCmdLive;
        reply_len = live_len;
        Build_Live_Read();
        Send_Frame();
    }
    if (next_cmd == kCmdUpload || next_cmd == kCmdDownload) form.mapfile.Text = saved_mapname;
}

void Main_Page::MSComm1_OnComm(CommEvent event) {
    idle_ticks = 0;
    form.Text3.Text = "Connected";
    if (event == CommEvent::Send || event == CommEvent::Error) return;
    // A reply is recognised by its length alone; anything else stays buffered.
    if (MSComm1.InBufferCount() != reply_len) return;
    rx_data = MSComm1.Input();
    if (cur_cmd >= kCmdLive && cur_cmd <= kCmdHostCycle) {
        Dispatch(cur_cmd);
    } else {
        cur_cmd = next_cmd;
        if (cur_cmd >= kCmdLive && cur_cmd <= kCmdHostCycle) Dispatch(cur_cmd);
    }
    // The handler left the next request in tx_frame.
    if (cur_cmd != kCmdNone && !probe) MSComm1.Write(tx_frame);
    probe = false;
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

void Main_Page::Link_Supervision() {
    ++idle_ticks;
    if (idle_ticks > kSilentTicks) {
        if (form.Text3.Text != kOffLine) {
            form.Text3.Text = kOffLine;
            Reset_Monitor();
        }
        idle_ticks = kSilentTicks + 1;
        form.remote.SetValue(true);
    }
}

}  // namespace orv
