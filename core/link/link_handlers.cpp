// The lock-step request/reply engine: one request outstanding at a time, the
// next one sent only when the whole reply to the last has arrived.
#include "core/link/frames.h"
#include "core/shell/main_page.h"

namespace orv {

namespace {
constexpr const char* kOffLine = "OffLine";
constexpr const char* kConnected = "Connected";
constexpr int kSilentTicks = 5;  // "OffLine" once this many ticks have passed without a signal
// A request unanswered for a whole tick is asked again at once this many
// times, then once a second: a controller switched off and on again is found
// again without flooding a dead line.
constexpr int kQuickAsks = 10;
constexpr int kSlowAskTicks = 10;
// A transfer gives up after this many unanswered asks, two to four seconds.
constexpr int kTransferAsks = 20;
}  // namespace

void Main_Page::BuildLiveRead() { link.tx_buf = frames::LiveRead(link.live_len); }

void Main_Page::Send_Frame() {
    link.tx_frame = link.tx_buf;
    WriteRequest();
}

// Every request goes out through here, so the link knows one is on the line.
bool Main_Page::WriteRequest() {
    // Nothing owed is on its way now: whatever waits (a stray byte after the
    // last reply, read late) cannot be part of the coming reply. This also
    // sets the port to signal every arrival until the reply has started in
    // good time.
    DiscardInput();
    // The clock before the write: a process held up after the write must not
    // take the reply's first bytes for bytes that came too soon.
    const double now = MSComm1.Now();
    if (!MSComm1.Write(link.tx_frame)) return false;
    link.awaiting = true;
    link.dropped = false;
    link.silent_ticks = -1;  // the tick now running is not a whole one
    link.sent_at = now;
    link.sent_len = link.tx_frame.size();
    return true;
}

// The request a handler left in tx_frame goes out now, or once the line has
// been quiet when the handler asked for that.
void Main_Page::SendNext() {
    if (link.quiet_first) Settle();
    else WriteRequest();
}

void Main_Page::StartCom() {
    // Closing the port does not stop the controller answering: a reply still
    // on its way would arrive after the reopen and be taken for the reply to
    // the next request, and every reply after it would be shifted.
    const bool reply_may_come = link.awaiting || link.settling;
    if (!MSComm1.IsOpen() && !MSComm1.Open(link.comm_port)) {
        form.Text3.Text = kOffLine;
        return;
    }
    // A fresh start has its six ticks to hear the controller: a link found
    // silent before must not be given up (and host mode ended) while the
    // first request still waits for a quiet line.
    link.idle_ticks = 0;
    link.version_byte = -1;
    link.short_block.clear();
    link.asked_again = 0;
    link.garbled = false;
    link.quiet_first = false;
    // A queued mode write takes this read's reply, so that a restart never
    // starts the host cycle without the enter-host write, nor leaves the
    // controller in host mode after the link was lost there.
    const bool mode_write_queued =
        link.next_cmd == kCmdHostOn || (link.next_cmd == kCmdHostOff && link.host_off_owed);
    link.cur_cmd = mode_write_queued ? kCmdNone : kCmdLive;
    link.reply_len = link.live_len;
    BuildLiveRead();
    link.tx_frame = link.tx_buf;
    if (reply_may_come) {
        Settle();
        link.settle_connects = true;
        return;
    }
    SendFirstRequest();
}

void Main_Page::SendFirstRequest() { form.Text3.Text = WriteRequest() ? "Connected " : kOffLine; }

Bytes Main_Page::TakeInput() {
    MSComm1.SetRThreshold(1);
    link.waiting_at_tick = 0;
    return MSComm1.Input();
}

void Main_Page::DiscardInput() {
    const std::size_t dropped = TakeInput().size();
    link.discarded += dropped;
    if (dropped > 0) LineDisturbed();
}

void Main_Page::LineDisturbed() {
    if (link.cur_cmd == kCmdUpload) xfer.upload.Disturbed();
}

void Main_Page::LineQuiet() {
    if (link.cur_cmd == kCmdUpload) xfer.upload.Quiet();
}

// The request in tx_frame waits until a whole tick has passed without a byte
// on the line; whatever arrives until then is dropped.
void Main_Page::Settle() {
    DiscardInput();
    link.awaiting = false;
    link.settling = true;
    link.settle_connects = false;
    link.settle_asks_again = false;
    link.quiet_from_tick = false;
    link.quiet_first = false;
}

// What arrived cannot be told apart from the reply: drop it and ask again on
// a quiet line, which brings replies back in step.
void Main_Page::Resync(bool line_quiet) {
    ++link.resyncs;
    LineDisturbed();
    link.garbled = true;
    if (!line_quiet) {
        Settle();
        link.settle_asks_again = true;
        return;
    }
    DiscardInput();
    AskAgain();
}

// The request on the line went unanswered, or half answered, for a whole
// tick, and the line is quiet: ask again, in a way that repeats nothing the
// controller may have done already.
void Main_Page::AskAgain() {
    LineQuiet();
    const TransferUnderWay transfer = Transferring();
    if (transfer != TransferUnderWay::None && link.asked_again >= kTransferAsks) {
        link.awaiting = false;
        const bool up = transfer == TransferUnderWay::Upload;
        StopTransfer(up, up ? xfer.upload.FirstUnkept() : xfer.block_pos,
                     link.garbled ? "the line is too noisy" : "the controller stopped answering");
        return;
    }
    ++link.asked_again;
    if (link.cur_cmd == kCmdDownload && xfer.dl_step != transfer::kDownloadDone) {
        // Whether the controller took the write is unknown, and a program
        // step repeated alone may not do what it did the first time: the
        // whole block is programmed again, as a new download would.
        xfer.dl_step = transfer::kStepOpen;
        xfer.xfer_pos = xfer.block_pos;
        link.tx_buf = transfer::NextWrite(cal.mem_image, xfer.xfer_pos, xfer.dl_step)->frame;
        link.tx_frame = link.tx_buf;
    } else if (!link.host_mode && link.tx_frame.size() == 12 && link.tx_frame[0] == 0x0C) {
        // Host mode was left meanwhile: its reply only clocks the leave-host
        // write, and a live read asks for it without imposing stale values.
        link.reply_len = link.live_len;
        BuildLiveRead();
        link.tx_frame = link.tx_buf;
    }
    WriteRequest();
}

void Main_Page::WatchLine() {
    // Bytes that came in under the port's receive threshold raised no
    // signal; the line was not quiet all the same.
    if (MSComm1.InBufferCount() > link.waiting_at_tick) {
        link.heard = true;
        link.idle_ticks = 0;
    }
    if (link.settling) {
        if (link.quiet_from_tick && !link.heard) {
            link.settling = false;
            LineQuiet();
            if (link.settle_connects) SendFirstRequest();
            else if (link.settle_asks_again) AskAgain();
            else WriteRequest();
        } else {
            link.quiet_from_tick = true;
        }
    } else if (link.awaiting && !link.heard) {
        ++link.silent_ticks;
        if (MSComm1.InBufferCount() > 0 || link.dropped) {
            // Part of a reply, or bytes dropped as too soon, then a whole tick
            // of silence: nothing more is coming for this request.
            Resync(true);
        } else if (link.silent_ticks >= (link.asked_again < kQuickAsks || Transferring() != TransferUnderWay::None
                                              ? 1
                                              : kSlowAskTicks)) {
            // Not a byte for a whole tick: the request or its reply was lost.
            AskAgain();
        }
    } else if (link.awaiting) {
        link.silent_ticks = 0;
    }
    link.heard = false;
    link.waiting_at_tick = MSComm1.InBufferCount();
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
    // A reply owed on the old port never reaches the new one.
    if (link.comm_port != index + 1) link.awaiting = link.settling = false;
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
    if (!MSComm1.IsOpen() || link.cur_cmd != kCmdNone || form.Host.Value() || link.awaiting || link.settling) {
        // Abandons whatever was in progress and drops a partial reply.
        StopCom();
        StartCom();
    } else {
        link.cur_cmd = kCmdLive;
        link.reply_len = link.live_len;
        BuildLiveRead();
        Send_Frame();
    }
    if (link.next_cmd == kCmdUpload || link.next_cmd == kCmdDownload) {
        form.mapfile.Text = xfer.saved_mapname;
        // The transfer is abandoned for good: a later Connect or Monitor must
        // not put this name back over one loaded since, nor leave its progress.
        link.next_cmd = kCmdNone;
        form.ProgressBar1.Value = 0;
    }
}

void Main_Page::MSComm1_OnComm(CommEvent event) {
    const bool status_shown = form.Text3.Text == kConnected;
    link.idle_ticks = 0;
    form.Text3.Text = kConnected;
    // Only a reply taken changes the read-outs; the rest of the link's
    // bookkeeping (bytes dropped, a request sent again) shows nowhere.
    if (!TakeReply(event) && status_shown) NothingShownChanged();
}

bool Main_Page::TakeReply(CommEvent event) {
    if (event == CommEvent::Send || event == CommEvent::Error) return false;
    link.heard = true;
    // The controller only ever answers a request: with none on the line,
    // what arrives is noise.
    if (link.settling || !link.awaiting) {
        DiscardInput();
        return false;
    }
    // A reply is recognised by its length alone.
    const std::size_t waiting = MSComm1.InBufferCount();
    if (waiting < link.reply_len) {
        // On a real line no reply can start before the whole request has
        // gone out: bytes that come sooner are the tail of something earlier
        // (a stray byte after the last reply). A line without pacing (a
        // pseudo-terminal) may bring a whole reply that soon, never a part.
        if (MSComm1.Now() < link.sent_at + static_cast<double>(link.sent_len) * kByteSeconds) {
            DiscardInput();
            link.dropped = true;
            return false;
        }
        // The reply has begun: its other bytes come in one signal, not one
        // signal (and one wake-up of the console) each.
        MSComm1.SetRThreshold(link.reply_len);
        return false;
    }
    if (waiting > link.reply_len) {
        Resync(false);
        return false;
    }
    link.rx_data = TakeInput();
    if (!InStep()) {
        link.discarded += link.rx_data.size();
        link.rx_data.clear();
        Resync(false);
        return false;
    }
    link.awaiting = false;
    link.asked_again = 0;
    link.garbled = false;
    ++link.replies;
    if (IsCommand(link.cur_cmd)) {
        Dispatch(link.cur_cmd);
    } else {
        link.cur_cmd = link.next_cmd;
        if (IsCommand(link.cur_cmd)) Dispatch(link.cur_cmd);
    }
    // The handler left the next request in tx_frame.
    if (link.cur_cmd != kCmdNone && !link.probe) SendNext();
    link.probe = false;
    return true;
}

// A stray byte read only once the next request has crossed the line passes
// the timing test and makes the reply look whole one byte early. A long live
// block shows it: its last byte, the firmware version, comes out different.
bool Main_Page::InStep() {
    if (link.rx_data.size() == kLiveBlockShort && link.tx_frame == frames::LiveRead(kLiveBlockShort)) {
        if (!link.short_block.empty() && LooksShifted(link.short_block, link.rx_data)) {
            // As with the version: the block asked again on a quiet line is
            // in step, and sets the reference again.
            link.short_block.clear();
            return false;
        }
        link.short_block = link.rx_data;
        return true;
    }
    if (link.rx_data.size() != kLiveBlockLong || link.tx_frame != frames::LiveRead(kLiveBlockLong)) return true;
    const int version = link.rx_data.back();
    if (link.version_byte >= 0 && version != link.version_byte) {
        // The read is asked again on a quiet line, so the next block is in
        // step: it says the version again, even a controller swapped meanwhile.
        link.version_byte = -1;
        return false;
    }
    link.version_byte = version;
    return true;
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
    WatchLine();
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
