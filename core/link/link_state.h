#pragma once
// The link's state: which request is outstanding, what comes after it, and
// the bytes of the last request and reply.
#include <cstdint>

#include "core/link/live_values.h"
#include "core/link/serial_port.h"
#include "core/link/transfer.h"

namespace orv {

// Command codes: which handler the next reply goes to.
enum Cmd : std::uint8_t {
    kCmdNone = 0,
    kCmdLive = 1,
    kCmdUpload = 2,
    kCmdDownload = 3,
    kCmdHostOn = 4,
    kCmdHostOff = 5,
    kCmdHostCycle = 6,
};

constexpr bool IsCommand(std::uint8_t cmd) { return cmd >= kCmdLive && cmd <= kCmdHostCycle; }

// How long the link assumes a controller it has not heard yet takes to start
// answering: longer than a serial line over Bluetooth (a quarter of a second)
// with a late reply on top.
constexpr double kFirstLatency = 0.75;

struct LinkState {
    int comm_port = 0;  // port number the serial port opens; 0 = none chosen
    std::uint8_t cur_cmd = kCmdLive;
    std::uint8_t next_cmd = kCmdNone;
    std::uint8_t reply_len = kLiveBlockLong;
    Bytes tx_buf = Bytes(3);
    Bytes tx_frame;
    Bytes rx_data;
    std::uint8_t live_len = kLiveBlockLong;
    bool probe = true;
    std::uint8_t idle_ticks = 0;

    // What keeps replies aligned with their requests. A reply is known by its
    // length alone, so a byte too many or too few would shift every later
    // reply; these let the link notice and start again on a quiet line.
    bool awaiting = false;      // a request is on the line and its reply not yet taken
    double sent_at = 0;         // when it was written (the port's clock)
    std::size_t sent_len = 0;   // and how long it was
    bool settling = false;      // tx_frame goes out once the line has been quiet
    bool settle_connects = false;  // and then it is the first request of a connect
    bool settle_asks_again = false;  // or the request asked again after a reply out of step
    bool quiet_from_tick = false;  // a tick has passed since settling began
    double quiet_since = 0;     // when the line was last heard while settling (the port's clock)
    bool settle_answered = false;  // the request before the settling was answered: no reply may come
    bool quiet_first = false;   // the request a handler left goes out on a quiet line
    int silent_ticks = 0;       // whole ticks without a byte since the request went out
    int asked_again = 0;        // times the request on the line was asked again
    bool garbled = false;       // and something came back for it, out of step
    bool heard = false;         // bytes arrived since the last tick
    std::size_t waiting_at_tick = 0;  // bytes waiting at the last tick, not yet taken
    bool dropped = false;       // bytes were dropped as too soon since the request went out
    // When a request unanswered is asked again. The link learns how long
    // this controller takes to start a reply (from the end of the request to
    // the reply's first byte): a longer one widens it at once, a shorter one
    // narrows it a sixteenth at a time. It starts wide, so that a controller
    // not heard yet is never asked twice while its reply may still come.
    double latency = kFirstLatency;
    double answer_at = -1;      // when the reply on the line began; -1: not yet
    double first_sent_at = 0;   // when the request on the line went out before any ask again
    std::size_t first_sent_len = 0;  // and its length (an ask again may send another frame)
    int ticks_out = 0;          // ticks begun since the request went out
    int unanswered = 0;         // asks again made while nothing had come back
    // A reply taken after asks again: their replies may still come. The next
    // request (in tx_frame) is held until they have come, whole, or until
    // owed_wait has passed since the last ask.
    bool holding = false;
    int owed = 0;
    std::size_t owed_len = 0;
    double owed_wait = 0;
    // A transfer gives up after so long without a reply, as well as after
    // so many asks: when it last had one (or began), and the ticks since.
    double reply_at = 0;
    int ticks_since_reply = 0;
    // The last byte of the long live blocks taken since the port opened: the
    // firmware version, the same in every block. A block that ends otherwise
    // began with a stray byte read late, and is one byte out of step.
    int version_byte = -1;      // -1: none taken yet
    // The short block has no version byte: the last one taken stands in,
    // since a block moved on by a stray byte reads like it shifted.
    Bytes short_block;          // empty: none taken yet
    unsigned long replies = 0;     // replies taken, whole and in step
    unsigned long discarded = 0;   // bytes that could not belong to a reply
    unsigned long resyncs = 0;     // times the link started again on a quiet line
    // Host mode is on or on its way: set by Host, cleared by remote. Host
    // tests it rather than cur_cmd, which the host cycle leaves at 0 while
    // its request is out.
    bool host_mode = false;
    // Host mode was left but the controller has not had its leave-host write:
    // until it does, it runs on the last injection times the console sent.
    bool host_off_owed = false;
};

// One byte on the line at 19,200 baud, 8N1: ten bits.
constexpr double kByteSeconds = 10.0 / 19200;

// Whole-image transfers between the console and the controller.
struct TransferState {
    std::int16_t xfer_pos = 0;
    std::int16_t dl_step = 0;
    std::int16_t block_pos = 0;  // download: where the block being programmed starts
    transfer::UploadCheck upload;
};

}  // namespace orv
