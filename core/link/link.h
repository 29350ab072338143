#pragma once
// The link to the controller as an engine of its own: one request on the
// line at a time, the next one sent when the whole reply to the last has
// arrived. It keeps replies aligned with their requests, polls the live
// block, runs the whole-image transfers and the host cycle, and tells its
// owner what happened through `events`. It knows nothing of a window: the
// console, the command-line tool and the tests all drive it the same way,
// with the port's signals and a tick every 100 ms.
#include <functional>
#include <optional>
#include <string>

#include "core/calibration/image.h"
#include "core/link/link_state.h"
#include "core/link/live_values.h"
#include "core/link/serial_port.h"
#include "core/link/transfer.h"

namespace orv {

enum class LinkStatus {
    Offline,    // the port is closed, would not open, or the controller went silent
    Waiting,    // the first request is out, nothing heard yet
    Connected,  // the controller answers
};

enum class TransferKind { Upload, Download };

// How a download's read-back compared with what was programmed.
struct VerifyResult {
    bool verified = true;
    int first_difference = -1;  // image position, or -1
    std::uint8_t programmed = 0;
    std::uint8_t read_back = 0;
    // Not verified, and not found different either: every block was written
    // and acknowledged, but the read-back could not be completed on this
    // line. Why, in a few words ("the read-back stopped at byte ..."); empty
    // when it was completed.
    std::string unfinished;
};

class Link {
   public:
    // Transfers read into and program from `image`.
    Link(SerialPort& port, Image& image);
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    struct Events {
        // A live block taken in step; `live` holds it decoded.
        std::function<void(const Bytes& block)> live_block;
        // The progress bar's value: the image position a transfer has reached.
        std::function<void(TransferKind, int position)> transfer_progress;
        // Every block read (upload) or programmed (download); `verify` only
        // after a download asked to verify.
        std::function<void(TransferKind, const std::optional<VerifyResult>& verify)> transfer_finished;
        // A transfer that stopped before its end: where and why, and the
        // sentence the user is told.
        std::function<void(TransferKind, int at, const std::string& message)> transfer_stalled;
        // A transfer waiting for its first reply was given up by Connect.
        std::function<void(TransferKind)> transfer_abandoned;
        std::function<void(LinkStatus, const std::string& reason)> status_changed;
        // Host mode: the nine parameter bytes to impose for the live block
        // just taken (in `live`); then the write that carried them.
        std::function<Bytes(const Bytes& block)> host_values;
        std::function<void(const Bytes& frame)> host_values_sent;
        // Connect has begun polling afresh (the port is open and a live read
        // is out or waits for a quiet line).
        std::function<void()> polling_started;
    } events;

    LinkState& state() { return state_; }
    const LinkState& state() const { return state_; }
    TransferState& transfer() { return xfer_; }
    const TransferState& transfer() const { return xfer_; }
    // The last live block taken, decoded.
    const LiveValues& live() const { return live_; }
    // The nine parameter bytes host mode last imposed (empty before any).
    const Bytes& imposed() const { return imposed_; }
    LinkStatus status() const { return status_; }
    const std::string& status_reason() const { return reason_; }
    // Whether the controller has been silent for longer than the link waits.
    bool Silent() const;
    // Whether a request is still out on an open port, asked again now and
    // then: the controller answering brings the live data back by itself.
    // Not after a failed port or write, nor once a transfer has stopped.
    bool KeepsAsking() const;

    // Opens the port chosen in state().comm_port if it is closed and sends
    // the first live read (after a quiet line if a reply may still come).
    void Start();
    // Closes the port; what is buffered is dropped.
    void Stop();
    // Closes the port and starts again on port number n (1..7).
    void UsePort(int n);
    // The Connect button: negotiates the live block length again and
    // abandons whatever was in progress.
    void Connect();
    // A live read, when the link is idle and not in host mode.
    void PollIfIdle();
    // The port's signal; true when something the owner shows may have
    // changed (a reply taken, or the status).
    bool OnComm(CommEvent event);
    // The 100 ms tick: watches the line, asks again, notices silence.
    void Tick();

    // Whole-image transfers; they take over at the reply to the request in
    // flight, or at once when the link is idle. An upload given `known`, the
    // calibration the controller is thought to hold, keeps a block read once
    // when it equals that block. A download with `verify` reads the
    // calibration back into a scratch image and compares, keeping a block
    // read once that equals what was programmed; `from` (a block's start)
    // takes up a download that stopped there. Verify alone reads back what
    // the image holds, as after a download, and ends as a download does.
    void StartUpload(const Image* known = nullptr);
    void StartDownload(bool verify = false, int from = 0);
    void StartVerify();
    // The transfer holding the link, if one does.
    std::optional<TransferKind> Transferring() const;

    // Host mode: the enter-host write goes out now or at the next reply; the
    // leave-host write at the next reply.
    void EnterHost();
    void LeaveHost();
    // The mode writes, sent at once.
    void SendHostOn();
    void SendHostOff();

    // Sends tx_buf as the request.
    void SendFrame();

    // Live polling takes the link back once a transfer has finished, as
    // after Connect, or has stopped (on a quiet line, and asked again until
    // the controller answers); otherwise the link stays idle until asked.
    bool poll_after_transfer = false;

   private:
    bool TakeReply(CommEvent event);
    bool InStep();
    void Dispatch(std::uint8_t cmd);
    void HandleLive();
    void HandleUpload();
    void HandleDownload();
    void HandleHostCycle();
    void SendHostWrite(Bytes frame);
    void StartTransfer(Cmd cmd, int from = 0);
    // Where an upload's blocks go: the image, or a download's read-back.
    Image& UploadTarget() { return verifying_ ? read_back_ : image_; }
    void FinishVerify(VerifyResult result);
    // A stopped transfer: live polling again once the line is quiet.
    void PollAfterStop();
    void Post(Cmd cmd);
    void FinishUpload();
    // The link after a finished transfer: idle, or polling again.
    void AfterTransfer();
    void BuildLiveRead();
    bool WriteRequest();
    void SendNext();
    void SendFirstRequest();
    void AskAgain();
    void LineDisturbed();
    void LineQuiet();
    void StopTransfer(bool upload, int at, const std::string& why);
    // A transfer that has had no reply for too long, or whose port failed.
    void GiveUpTransfer();
    std::string PortGone() const;
    // Reply deadlines: the time since the request on the line went out (by
    // the port's clock, and never less than the ticks since say), how long
    // its reply may take, how long before it is asked again.
    double SinceSent() const;
    double SinceReply() const;
    double ReplyWait() const;
    double AskWait() const;
    double TransferPatience() const;
    void Learn(double latency);
    void LearnFromReply();
    void CheckDeadline();
    void TakeOwed();
    void ReleaseHeld();
    bool Wake();
    Bytes TakeInput();
    void DiscardInput();
    // answered: the request before was answered whole, so no reply may still come.
    void Settle(bool answered = false);
    // The line has been quiet long enough, and no reply owed may still come:
    // the request settling waited for goes out.
    bool QuietEnough() const;
    double SettleWait() const;
    void EndSettle();
    void WakeWhenQuiet();
    void Resync(bool line_quiet);
    void WatchLine();
    void SetStatus(LinkStatus status, std::string reason = {});
    void Progress(TransferKind kind, int position);

    SerialPort& port_;
    Image& image_;
    LinkState state_;
    TransferState xfer_;
    LiveValues live_;
    Bytes imposed_;
    LinkStatus status_ = LinkStatus::Offline;
    std::string reason_ = "not connected";
    int progress_ = 0;
    // A download that verifies: what was programmed, and the read-back.
    bool verify_ = false;
    bool verifying_ = false;
    Image read_back_{};
    // What an upload was told the controller holds.
    std::optional<Image> known_;
};

// Adds `also` after what `event` already does: an observer beside the owner
// (a benchmark or a test counting the live blocks the window decodes).
template <typename... A, typename F>
void AlsoOn(std::function<void(A...)>& event, F also) {
    event = [first = std::move(event), also = std::move(also)](A... a) {
        if (first) first(a...);
        also(a...);
    };
}

// The text the status box shows for a status.
const char* StatusText(LinkStatus status);

}  // namespace orv
