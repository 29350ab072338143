#include "core/link/link.h"

#include <algorithm>
#include <utility>

#include "core/common/numbers.h"
#include "core/link/frames.h"

namespace orv {

namespace {
constexpr int kSilentTicks = 5;  // offline once this many ticks have passed without a signal
constexpr double kTickSeconds = 0.1;
// A request is asked again once nothing of its reply has come by the later
// of: a few byte times past where the reply would end if it began at once,
// and half as long again as this controller's latency, and those few byte
// times more. One late reply teaches at most kLongestLatency.
constexpr int kSlackBytes = 4;
constexpr double kLatencyFactor = 1.5;
constexpr double kLatencyMargin = kSlackBytes * kByteSeconds;
constexpr double kLongestLatency = 2;
// A line is quiet once nothing has come for this long: a byte pushed out of a
// shifted reply comes right behind it, and a stray byte read late within a
// few milliseconds of its arrival. The tick stands in for a clock that does
// not move.
constexpr double kQuietSeconds = 0.02;
constexpr double kNarrowing = 16;
// The first ask goes out at the reply's deadline. A controller that did not
// answer that either is one not heard yet: the next asks go out at least
// kFirstLatency apart, so that a reply held back by a slow adapter meets
// one ask at most; after kQuickAsks (outside a transfer), once a second. A
// controller switched off and on again is found again without flooding a
// dead line.
constexpr int kFirstAsks = 1;
constexpr int kQuickAsks = 10;
constexpr double kSlowAskSeconds = 1;
// A transfer gives up after this many unanswered asks, or after this long
// without a reply (longer for a slow controller): two to four seconds.
constexpr int kTransferAsks = 20;
constexpr double kTransferSeconds = 3;
// Write acknowledgements are shorter and also come back to the live handler;
// they are not decoded.
constexpr std::uint8_t kLongestAck = 4;
}  // namespace

const char* StatusText(LinkStatus status) {
    switch (status) {
        case LinkStatus::Connected: return "Connected";
        // The first request is out: "Connected" with a blank until a reply.
        case LinkStatus::Waiting: return "Connected ";
        case LinkStatus::Offline: break;
    }
    return "OffLine";
}

Link::Link(SerialPort& port, Image& image) : port_(port), image_(image) {}

void Link::SetStatus(LinkStatus status, std::string reason) {
    if (status == status_ && reason == reason_) return;
    status_ = status;
    reason_ = std::move(reason);
    if (events.status_changed) events.status_changed(status_, reason_);
}

// Not while the link itself waits for a reply that may still come: one
// owed before a request on a quiet line, or the reply to a request not asked
// again yet (a controller not heard yet, or one seen to be slow, is given
// the time its replies take).
bool Link::Silent() const {
    const LinkState& link = state_;
    const bool may_come = SinceSent() < ReplyWait();
    return link.idle_ticks > kSilentTicks && !(link.settling && may_come) &&
           !(link.awaiting && link.asked_again == 0 && may_come);
}

bool Link::KeepsAsking() const { return port_.IsOpen() && (state_.awaiting || state_.settling); }

void Link::BuildLiveRead() { state_.tx_buf = frames::LiveRead(state_.live_len); }

void Link::SendFrame() {
    state_.tx_frame = state_.tx_buf;
    WriteRequest();
}

// Every request goes out through here, so the link knows one is on the line.
bool Link::WriteRequest() {
    LinkState& link = state_;
    // Replies to asks again may still come: the request waits for them.
    if (link.owed > 0) {
        link.awaiting = false;
        link.settling = link.holding = true;
        link.settle_connects = link.settle_asks_again = link.quiet_first = false;
        port_.WakeAt(link.sent_at + link.owed_wait);
        return true;
    }
    // Nothing owed is on its way now: whatever waits (a stray byte after the
    // last reply, read late) cannot be part of the coming reply. This also
    // sets the port to signal every arrival until the reply has started in
    // good time.
    DiscardInput();
    // The clock before the write: a process held up after the write must not
    // take the reply's first bytes for bytes that came too soon.
    const double now = port_.Now();
    if (!port_.Write(link.tx_frame)) return false;
    link.awaiting = true;
    link.dropped = false;
    link.silent_ticks = -1;  // the tick now running is not a whole one
    link.ticks_out = 0;
    link.answer_at = -1;
    if (link.asked_again == 0) link.first_sent_at = now, link.first_sent_len = link.tx_frame.size();
    link.sent_at = now;
    link.sent_len = link.tx_frame.size();
    port_.WakeAt(now + AskWait());
    return true;
}

// The request a handler left in tx_frame goes out now, or once the line has
// been quiet when the handler asked for that.
void Link::SendNext() {
    // The last request was answered: only the quiet line is waited for.
    if (state_.quiet_first) Settle(true);
    else WriteRequest();
}

void Link::Start() {
    LinkState& link = state_;
    // Closing the port does not stop the controller answering: a reply still
    // on its way would arrive after the reopen and be taken for the reply to
    // the next request, and every reply after it would be shifted.
    const bool reply_may_come = link.awaiting || link.settling;
    if (!port_.IsOpen() && !port_.Open(link.comm_port)) {
        const std::string why = port_.Failure();
        SetStatus(LinkStatus::Offline, why.empty() ? "the port cannot be opened" : "the port cannot be opened: " + why);
        return;
    }
    // A fresh start has its six ticks to hear the controller: a link found
    // silent before must not be given up (and host mode ended) while the
    // first request still waits for a quiet line.
    link.idle_ticks = 0;
    link.version_byte = -1;
    link.short_block.clear();
    // A controller that left an ask unanswered is still one not heard: the
    // first request waits as the next ask would have.
    if (!reply_may_come) link.asked_again = 0;
    link.unanswered = 0;
    link.owed = 0;
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

void Link::SendFirstRequest() {
    if (WriteRequest()) SetStatus(LinkStatus::Waiting);
    else SetStatus(LinkStatus::Offline, "the port refused the write");
}

void Link::Stop() {
    if (!port_.IsOpen()) return;
    port_.Close();
    port_.SetInBufferSize(state_.live_len);
}

void Link::UsePort(int n) {
    Stop();
    // A reply owed on the old port never reaches the new one, and the
    // controller there is one not heard yet.
    if (state_.comm_port != n) {
        state_.awaiting = state_.settling = state_.holding = false;
        state_.latency = kFirstLatency;
    }
    state_.comm_port = n;
    Start();
}

Bytes Link::TakeInput() {
    port_.SetRThreshold(1);
    state_.waiting_at_tick = 0;
    return port_.Input();
}

void Link::DiscardInput() {
    const std::size_t dropped = TakeInput().size();
    state_.discarded += dropped;
    if (dropped > 0) LineDisturbed();
}

void Link::LineDisturbed() {
    if (state_.cur_cmd == kCmdUpload) xfer_.upload.Disturbed();
}

void Link::LineQuiet() {
    if (state_.cur_cmd == kCmdUpload) xfer_.upload.Quiet(UploadTarget());
}

// The request in tx_frame waits until the line has been quiet (kQuietSeconds
// on the port's clock, or a whole tick) and no reply may still come;
// whatever arrives until then is dropped.
void Link::Settle(bool answered) {
    DiscardInput();
    LinkState& link = state_;
    link.awaiting = false;
    link.settling = true;
    link.holding = false;
    link.settle_connects = false;
    link.settle_asks_again = false;
    link.quiet_from_tick = false;
    link.quiet_first = false;
    link.settle_answered = answered;
    link.quiet_since = port_.Now();
    WakeWhenQuiet();
}

double Link::SettleWait() const {
    if (state_.settle_answered) return 0;
    return state_.owed > 0 ? state_.owed_wait : AskWait();
}

bool Link::QuietEnough() const {
    const LinkState& link = state_;
    return port_.InBufferCount() == 0 && port_.Now() - link.quiet_since >= kQuietSeconds &&
           SinceSent() >= SettleWait();
}

void Link::WakeWhenQuiet() {
    const LinkState& link = state_;
    port_.WakeAt(std::max(link.quiet_since + kQuietSeconds, link.sent_at + SettleWait()));
}

void Link::EndSettle() {
    LinkState& link = state_;
    link.settling = false;
    link.owed = 0;
    LineQuiet();
    if (link.settle_connects) {
        // The fresh start's six ticks begin with its first request.
        link.idle_ticks = 0;
        SendFirstRequest();
    } else if (link.settle_asks_again) {
        AskAgain();
    } else {
        WriteRequest();
    }
}

// What arrived cannot be told apart from the reply: drop it and ask again on
// a quiet line, which brings replies back in step.
void Link::Resync(bool line_quiet) {
    ++state_.resyncs;
    LineDisturbed();
    state_.garbled = true;
    if (!line_quiet) {
        Settle();
        state_.settle_asks_again = true;
        return;
    }
    DiscardInput();
    AskAgain();
}

// The request on the line went unanswered, or half answered, for a whole
// tick, and the line is quiet: ask again, in a way that repeats nothing the
// controller may have done already.
void Link::AskAgain() {
    LinkState& link = state_;
    LineQuiet();
    if (Transferring() && (link.asked_again >= kTransferAsks || SinceReply() >= TransferPatience())) {
        GiveUpTransfer();
        return;
    }
    ++link.asked_again;
    if (link.cur_cmd == kCmdDownload && xfer_.dl_step != transfer::kDownloadDone) {
        // Whether the controller took the write is unknown, and a program
        // step repeated alone may not do what it did the first time: the
        // whole block is programmed again, as a new download would.
        xfer_.dl_step = transfer::kStepOpen;
        xfer_.xfer_pos = xfer_.block_pos;
        link.tx_buf = transfer::NextWrite(image_, xfer_.xfer_pos, xfer_.dl_step)->frame;
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

void Link::GiveUpTransfer() {
    LinkState& link = state_;
    const bool up = Transferring() == TransferKind::Upload;
    link.awaiting = link.settling = link.holding = false;
    link.owed = 0;
    StopTransfer(up, up ? xfer_.upload.FirstUnkept() : xfer_.block_pos,
                 !port_.IsOpen() ? PortGone()
                 : link.garbled  ? "the line is too noisy"
                                 : "the controller stopped answering");
}

std::string Link::PortGone() const {
    const std::string why = port_.Failure();
    return why.empty() ? "the port is not open" : why;
}

double Link::SinceSent() const {
    // Each tick stands for at least a tenth of a second, the first one only
    // begun: a clock that stands still (in tests) still lets time pass.
    return std::max(port_.Now() - state_.sent_at, (state_.ticks_out - 1) * kTickSeconds);
}

double Link::SinceReply() const {
    return std::max(port_.Now() - state_.reply_at, (state_.ticks_since_reply - 1) * kTickSeconds);
}

// From the request's first byte to when its reply must have begun.
double Link::ReplyWait() const {
    const LinkState& link = state_;
    return static_cast<double>(link.sent_len) * kByteSeconds +
           std::max((link.reply_len + kSlackBytes) * kByteSeconds,
                    link.latency * kLatencyFactor + kLatencyMargin);
}

double Link::AskWait() const {
    const LinkState& link = state_;
    const double wait = ReplyWait();
    if (link.asked_again >= kQuickAsks && !Transferring()) return std::max(wait, kSlowAskSeconds);
    if (link.asked_again >= kFirstAsks) return std::max(wait, kFirstLatency);
    return wait;
}

double Link::TransferPatience() const { return std::max(kTransferSeconds, 3 * ReplyWait()); }

void Link::Learn(double latency) {
    double& known = state_.latency;
    latency = std::clamp(latency, 0.0, kLongestLatency);
    if (latency > known) known = latency;
    else known += (latency - known) / kNarrowing;
}

// Nothing of the reply has come: once it can no longer be on its way, the
// request is asked again.
void Link::CheckDeadline() {
    LinkState& link = state_;
    if (!link.awaiting || link.settling || port_.InBufferCount() > 0) return;
    const double wait = AskWait();
    if (SinceSent() < wait) {
        port_.WakeAt(link.sent_at + wait);
        return;
    }
    ++link.unanswered;
    // Bytes dropped as too soon, then nothing: out of step, start again.
    if (link.dropped) Resync(true);
    else AskAgain();
}

// What the reply just taken says of the controller's pace. After asks again
// it may be a late reply to the first request: the controller is taken to be
// as slow as that, and the replies to the asks may still come, so the
// next request waits for them. After the asks of a dead line, a second
// apart, it answers the last one.
void Link::LearnFromReply() {
    LinkState& link = state_;
    const double now = port_.Now();
    const double began = link.answer_at >= 0 ? link.answer_at : now - link.reply_len * kByteSeconds;
    const double request = static_cast<double>(link.sent_len) * kByteSeconds;
    link.reply_at = now;
    link.ticks_since_reply = 0;
    const int asks = std::exchange(link.unanswered, 0);
    if (asks == 0 || (link.asked_again > kQuickAsks && !Transferring())) {
        Learn(began - link.sent_at - request);
        return;
    }
    Learn(began - link.first_sent_at - static_cast<double>(link.first_sent_len) * kByteSeconds);
    link.owed = asks;
    link.owed_len = link.reply_len;
    link.owed_wait = ReplyWait();
}

// A reply owed to an ask again, while the next request waits for it.
void Link::TakeOwed() {
    LinkState& link = state_;
    const std::size_t waiting = port_.InBufferCount();
    if (waiting < link.owed_len) {
        port_.SetRThreshold(link.owed_len);
        return;
    }
    if (waiting > link.owed_len) {
        // Not just the reply owed: the request goes out on a quiet line.
        link.owed = 0;
        Settle();
        return;
    }
    TakeInput();
    // The last reply answers the last ask.
    Learn(port_.Now() - link.sent_at - static_cast<double>(link.sent_len + link.owed_len) * kByteSeconds);
    if (--link.owed == 0 && link.holding) ReleaseHeld();
}

void Link::ReleaseHeld() {
    LinkState& link = state_;
    link.owed = 0;
    link.settling = link.holding = false;
    // Part of a reply after all: the request goes out on a quiet line.
    if (port_.InBufferCount() > 0) Settle();
    else WriteRequest();
}

// The port's timer: a deadline the link asked for has come.
bool Link::Wake() {
    LinkState& link = state_;
    const int asked = link.unanswered;
    if (link.holding) {
        if (SinceSent() < link.owed_wait) {
            port_.WakeAt(link.sent_at + link.owed_wait);
            return false;
        }
        ReleaseHeld();
        return true;
    }
    if (link.settling) {
        if (!QuietEnough()) return false;
        EndSettle();
        return true;
    }
    CheckDeadline();
    return asked != link.unanswered;
}

void Link::WatchLine() {
    LinkState& link = state_;
    ++link.ticks_out;
    ++link.ticks_since_reply;
    // Bytes that came in under the port's receive threshold raised no
    // signal; the line was not quiet all the same.
    if (port_.InBufferCount() > link.waiting_at_tick) {
        link.heard = true;
        link.idle_ticks = 0;
    }
    if (link.holding) {
        // The replies owed have not all come.
        if (SinceSent() >= link.owed_wait) ReleaseHeld();
    } else if (link.settling) {
        // Quiet for a whole tick, and past the time a reply owed may take.
        if (link.quiet_from_tick && !link.heard && SinceSent() >= SettleWait()) EndSettle();
        else link.quiet_from_tick = true;
    } else if (link.awaiting && !link.heard) {
        ++link.silent_ticks;
        if (port_.InBufferCount() > 0) {
            // Part of a reply, then a whole tick of silence: nothing more is
            // coming for this request.
            Resync(true);
        } else {
            // Not a byte: the request or its reply was lost once it is past
            // its deadline.
            CheckDeadline();
        }
    } else if (link.awaiting) {
        link.silent_ticks = 0;
    }
    link.heard = false;
    link.waiting_at_tick = port_.InBufferCount();
}

void Link::Tick() {
    WatchLine();
    // A transfer ends when its port fails, or after too long with nothing
    // on the line to answer.
    if (Transferring() && (!port_.IsOpen() || (SinceReply() >= TransferPatience() + kSlowAskSeconds)))
        GiveUpTransfer();
    ++state_.idle_ticks;
    if (Silent()) {
        state_.idle_ticks = kSilentTicks + 1;
        // A port that failed under the console (an adapter pulled out) says why.
        const std::string why = port_.IsOpen() ? std::string() : port_.Failure();
        if (status_ != LinkStatus::Offline)
            SetStatus(LinkStatus::Offline, why.empty() ? "the controller stopped answering" : why);
    }
}

void Link::Connect() {
    LinkState& link = state_;
    // The live block length is negotiated: a connect after a handled reply asks
    // for 10 bytes; a second connect without one in between falls back to 8.
    if (!link.probe) {
        link.probe = true;
        link.live_len = kLiveBlockLong;
    } else {
        link.live_len = kLiveBlockShort;
    }
    if (!port_.IsOpen() || link.cur_cmd != kCmdNone || link.host_mode || link.awaiting || link.settling) {
        // Abandons whatever was in progress and drops a partial reply.
        Stop();
        Start();
    } else {
        link.cur_cmd = kCmdLive;
        link.reply_len = link.live_len;
        BuildLiveRead();
        SendFrame();
    }
    if (port_.IsOpen() && events.polling_started) events.polling_started();
    if (link.next_cmd == kCmdUpload || link.next_cmd == kCmdDownload) {
        const TransferKind kind = link.next_cmd == kCmdUpload ? TransferKind::Upload : TransferKind::Download;
        // The transfer is abandoned for good: a later Connect or Monitor must
        // not pick it up again.
        link.next_cmd = kCmdNone;
        verify_ = verifying_ = false;
        if (events.transfer_abandoned) events.transfer_abandoned(kind);
    }
}

void Link::PollIfIdle() {
    LinkState& link = state_;
    // Only an idle link: a request on the line (a transfer waiting for the
    // reply in flight) must not get a second one beside it.
    if (port_.IsOpen() && !link.host_mode && link.cur_cmd == kCmdNone && !link.awaiting && !link.settling) {
        link.cur_cmd = kCmdLive;
        link.reply_len = link.live_len;
        BuildLiveRead();
        SendFrame();
    }
}

bool Link::OnComm(CommEvent event) {
    if (event == CommEvent::Wake) return Wake();
    const bool status_shown = status_ == LinkStatus::Connected;
    state_.idle_ticks = 0;
    SetStatus(LinkStatus::Connected);
    // Only a reply taken changes what the owner shows; the rest of the link's
    // bookkeeping (bytes dropped, a request sent again) shows nowhere.
    return TakeReply(event) || !status_shown;
}

bool Link::TakeReply(CommEvent event) {
    LinkState& link = state_;
    if (event == CommEvent::Send || event == CommEvent::Error) return false;
    link.heard = true;
    if (link.settling && link.owed > 0) {
        TakeOwed();
        return false;
    }
    // The controller only ever answers a request: with none on the line,
    // what arrives is noise.
    if (link.settling || !link.awaiting) {
        DiscardInput();
        if (link.settling) {
            link.quiet_since = port_.Now();
            WakeWhenQuiet();
        }
        return false;
    }
    // A reply is recognised by its length alone.
    const std::size_t waiting = port_.InBufferCount();
    if (waiting < link.reply_len) {
        // On a real line no reply can start before the whole request has
        // gone out: bytes that come sooner are the tail of something earlier
        // (a stray byte after the last reply). A line without pacing (a
        // pseudo-terminal) may bring a whole reply that soon, never a part.
        if (port_.Now() < link.sent_at + static_cast<double>(link.sent_len) * kByteSeconds) {
            DiscardInput();
            link.dropped = true;
            return false;
        }
        if (link.answer_at < 0) link.answer_at = port_.Now();
        // The reply has begun: its other bytes come in one signal, not one
        // signal (and one wake-up of the owner) each.
        port_.SetRThreshold(link.reply_len);
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
    LearnFromReply();
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
bool Link::InStep() {
    LinkState& link = state_;
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

void Link::Dispatch(std::uint8_t cmd) {
    switch (cmd) {
        case kCmdLive: HandleLive(); break;
        case kCmdUpload: HandleUpload(); break;
        case kCmdDownload: HandleDownload(); break;
        case kCmdHostOn: SendHostOn(); break;
        case kCmdHostOff: SendHostOff(); break;
        case kCmdHostCycle: HandleHostCycle(); break;
        default: break;
    }
}

// --- live data ---

void Link::HandleLive() {
    LinkState& link = state_;
    const bool block = link.reply_len > kLongestAck && link.rx_data.size() >= kLiveBlockShort;
    const Bytes taken = link.rx_data;
    if (block) DecodeLiveBlock(taken, link.live_len, live_);
    link.reply_len = link.live_len;
    BuildLiveRead();
    link.tx_frame = link.tx_buf;
    if (link.host_mode) {
        link.cur_cmd = kCmdNone;
        link.next_cmd = kCmdHostCycle;
        SendFrame();
    }
    // The owner hears of the block with the next request already decided, as
    // the window's handler always did.
    if (block && events.live_block) events.live_block(taken);
    if (link.probe) {
        if (live_.live_version >= kMinVersion) link.probe = false;
        else Connect();
    }
}

// --- host mode ---

// Every host-mode request is a write sent at once; its acknowledgement goes to
// the live handler, which sends the next live-data read.
void Link::SendHostWrite(Bytes frame) {
    state_.tx_buf = std::move(frame);
    state_.reply_len = static_cast<std::uint8_t>(frames::kWriteReplyLength);
    state_.cur_cmd = kCmdNone;
    state_.next_cmd = kCmdLive;
    SendFrame();
}

void Link::EnterHost() {
    LinkState& link = state_;
    // Already on (or on its way): the controller has its mode write, and a
    // second one now would cut into the host cycle's request.
    if (link.host_mode) return;
    link.host_mode = true;
    // A handler queued for the next reply means a request is out even with
    // cur_cmd at 0: the host handlers send their own requests.
    const bool idle = port_.IsOpen() && link.cur_cmd == kCmdNone && link.next_cmd == kCmdNone && !link.awaiting &&
                      !link.settling;
    if (!idle) {
        link.cur_cmd = kCmdNone;
        link.next_cmd = kCmdHostOn;
        return;
    }
    SendHostOn();
}

void Link::LeaveHost() {
    LinkState& link = state_;
    if (link.host_mode) link.host_off_owed = true;
    link.host_mode = false;
    // The leave-host write goes out at the next reply; with none in flight,
    // nothing is sent now.
    link.cur_cmd = kCmdNone;
    link.next_cmd = kCmdHostOff;
}

void Link::SendHostOn() { SendHostWrite(frames::ModeWrite(frames::kModeHostOn)); }

void Link::SendHostOff() {
    state_.host_off_owed = false;
    SendHostWrite(frames::ModeWrite(frames::kModeHostOff));
}

void Link::HandleHostCycle() {
    // The engine runs on what this reply gives.
    const Bytes taken = state_.rx_data;
    DecodeLiveBlock(taken, state_.live_len, live_);
    Bytes params = events.host_values ? events.host_values(taken) : Bytes(9, 0);
    params.resize(9, 0);
    imposed_ = params;
    Bytes frame = frames::HostParamsWrite(std::span<const std::uint8_t, 9>(params.data(), 9));
    SendHostWrite(frame);
    if (events.host_values_sent) events.host_values_sent(frame);
}

// --- whole-image transfers ---

std::optional<TransferKind> Link::Transferring() const {
    auto running = [this](Cmd c) { return state_.cur_cmd == c || state_.next_cmd == c; };
    if (running(kCmdUpload)) return TransferKind::Upload;
    if (running(kCmdDownload)) return TransferKind::Download;
    return std::nullopt;
}

void Link::Progress(TransferKind kind, int position) {
    progress_ = position;
    if (events.transfer_progress) events.transfer_progress(kind, position);
}

void Link::StartUpload(const Image* known) {
    verify_ = verifying_ = false;
    known_.reset();
    if (known) known_ = *known;
    StartTransfer(kCmdUpload);
}

void Link::StartDownload(bool verify, int from) {
    verify_ = verify;
    verifying_ = false;
    StartTransfer(kCmdDownload,
                  std::clamp(from, 0, transfer::kEndOfArea - 1) / transfer::kBlockSize * transfer::kBlockSize);
}

void Link::StartVerify() {
    verify_ = false;
    verifying_ = true;
    read_back_ = image_;
    StartTransfer(kCmdUpload);
}

// All start the same way: the transfer takes over at the reply to the
// request in flight (which it ignores), or at once when the link is idle.
void Link::StartTransfer(Cmd cmd, int from) {
    LinkState& link = state_;
    xfer_.xfer_pos = static_cast<std::int16_t>(from);
    if (cmd == kCmdDownload) xfer_.dl_step = 0;
    link.next_cmd = cmd;
    state_.reply_at = port_.Now();
    state_.ticks_since_reply = 0;
    // With the port closed nothing can come back: the transfer stops now.
    if (!port_.IsOpen()) {
        StopTransfer(cmd == kCmdUpload, 0, PortGone());
        return;
    }
    // A request on the line, or one waiting for a quiet line, is let finish:
    // pressed twice before its reply, the second press finds cur_cmd already
    // cleared, and sending now would put a second request on the line.
    if (link.cur_cmd != kCmdNone || link.awaiting || link.settling) {
        link.cur_cmd = kCmdNone;
        return;
    }
    if (cmd == kCmdUpload) HandleUpload();
    else HandleDownload();
}

// The request just built goes out with the receive path's re-send, except
// where that send does not happen: on the first call, made by the button with
// the link idle, and on the reply that ends a connect's probe (the receive
// path holds its re-send back for it, meant for the live handler, which the
// transfer has replaced). Left to wait, the transfer would stall there.
void Link::Post(Cmd cmd) {
    const bool first_from_button = state_.next_cmd == cmd && state_.cur_cmd == kCmdNone;
    const bool probe_reply = state_.cur_cmd != kCmdNone && state_.probe;
    if (first_from_button || probe_reply) SendFrame();
    else state_.tx_frame = state_.tx_buf;
}

void Link::HandleUpload() {
    LinkState& link = state_;
    transfer::UploadCheck& check = xfer_.upload;
    Image& target = UploadTarget();
    if (xfer_.xfer_pos == 0) {
        // A read-back equal to what was programmed is the proof.
        check.Start(verifying_ ? &image_ : known_ ? &*known_ : nullptr);
        Progress(TransferKind::Upload, 0);
    } else if (check.Taken(link.rx_data, target)) {
        link.next_cmd = kCmdNone;
        link.cur_cmd = kCmdNone;
        FinishUpload();
        return;
    } else if (xfer_.xfer_pos <= transfer::kEndOfArea + transfer::kBlockSize) {
        // A block read: the bar follows the reads, the image the blocks kept.
        const int reached = std::max(progress_, std::min<int>(xfer_.xfer_pos, transfer::kEndOfArea) - 1);
        if (reached != progress_) Progress(TransferKind::Upload, reached);
    }
    if (link.cur_cmd != kCmdNone || link.next_cmd == kCmdUpload) {
        const auto next = check.Next();
        if (!next) {
            StopTransfer(true, check.FirstUnkept(), "the line is too noisy");
            return;
        }
        link.reply_len = transfer::kReadReplyLength;
        xfer_.xfer_pos = static_cast<std::int16_t>(next->block * transfer::kBlockSize);
        link.tx_buf = transfer::NextRead(xfer_.xfer_pos);
        link.quiet_first = next->after_quiet;
        Post(kCmdUpload);
    }
}

void Link::AfterTransfer() {
    if (!poll_after_transfer || state_.host_mode) return;
    // The receive path sends it when the transfer's last handler returns.
    state_.cur_cmd = kCmdLive;
    state_.reply_len = state_.live_len;
    state_.quiet_first = false;
    BuildLiveRead();
    state_.tx_frame = state_.tx_buf;
}

void Link::FinishUpload() {
    progress_ = 0;
    AfterTransfer();
    if (!verifying_) {
        if (events.transfer_finished) events.transfer_finished(TransferKind::Upload, std::nullopt);
        return;
    }
    VerifyResult result;
    for (int i = 0; i < transfer::kEndOfArea; ++i) {
        if (read_back_[i] == image_[i]) continue;
        result = VerifyResult{false, i, image_[i], read_back_[i], {}};
        break;
    }
    FinishVerify(result);
}

void Link::FinishVerify(VerifyResult result) {
    verify_ = verifying_ = false;
    if (events.transfer_finished) events.transfer_finished(TransferKind::Download, result);
}

void Link::HandleDownload() {
    LinkState& link = state_;
    link.reply_len = transfer::kWriteReplyLength;
    if (xfer_.dl_step == transfer::kStepOpen) xfer_.block_pos = xfer_.xfer_pos;
    if (const auto write = transfer::NextWrite(image_, xfer_.xfer_pos, xfer_.dl_step)) {
        link.tx_buf = write->frame;
        if (write->progress) Progress(TransferKind::Download, *write->progress);
    } else if (verify_) {
        // The reply to the last write: the calibration is read back into a
        // scratch image, on the same link, as an upload.
        verify_ = false;
        verifying_ = true;
        read_back_ = image_;
        link.cur_cmd = kCmdUpload;
        link.next_cmd = kCmdUpload;
        xfer_.xfer_pos = 0;
        HandleUpload();
        return;
    } else {
        // The reply to the last write: nothing more is sent for it.
        link.cur_cmd = kCmdNone;
        link.next_cmd = kCmdNone;
        progress_ = 0;
        AfterTransfer();
        if (events.transfer_finished) events.transfer_finished(TransferKind::Download, std::nullopt);
    }
    Post(kCmdDownload);
}

void Link::StopTransfer(bool upload, int at, const std::string& why) {
    LinkState& link = state_;
    link.cur_cmd = kCmdNone;
    link.next_cmd = kCmdNone;
    link.quiet_first = false;
    // Given up after seconds of silence: the replies to its asks can no
    // longer come, and what comes next answers the next request.
    link.unanswered = 0;
    link.owed = 0;
    progress_ = 0;
    PollAfterStop();
    std::string where = " stopped at byte ";
    where.append(Thousands(at)).append(" of ").append(Thousands(transfer::kEndOfArea)).append(": ").append(why);
    if (upload && verifying_) {
        // Every block was written and acknowledged: the download is done,
        // only its proof is missing.
        VerifyResult result;
        result.verified = false;
        result.unfinished = std::string("the read-back").append(where);
        FinishVerify(result);
        return;
    }
    verify_ = verifying_ = false;
    const char* what = upload ? "Upload" : "Download";
    const std::string message =
        std::string(what).append(where).append("; press Connect, then ").append(what).append(" again");
    if (events.transfer_stalled)
        events.transfer_stalled(upload ? TransferKind::Upload : TransferKind::Download, at, message);
}

void Link::PollAfterStop() {
    LinkState& link = state_;
    if (!poll_after_transfer || link.host_mode || !port_.IsOpen()) return;
    // A reply to the request given up may still come: the live read goes
    // out once the line is quiet, and its reply goes to the live handler.
    link.next_cmd = kCmdLive;
    link.reply_len = link.live_len;
    BuildLiveRead();
    link.tx_frame = link.tx_buf;
    Settle();
}

}  // namespace orv
