#pragma once
// The link's state: which request is outstanding, what comes after it, and
// the bytes of the last request and reply.
#include <cstdint>
#include <string>

#include "core/link/live_values.h"
#include "core/link/serial_port.h"

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
    // Host mode is on or on its way: set by Host, cleared by remote. Host
    // tests it rather than cur_cmd, which the host cycle leaves at 0 while
    // its request is out.
    bool host_mode = false;
};

// Whole-image transfers between the console and the controller.
struct TransferState {
    std::string saved_mapname;  // the map file box's text, put back when a transfer ends
    std::int16_t xfer_pos = 0;
    std::int16_t dl_step = 0;
};

}  // namespace orv
