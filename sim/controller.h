// A simulated engine controller that speaks the console's serial protocol.
//
// Requests (the controller only ever answers):
//   read   [0x80 + n, addr_hi, addr_lo]            n = 1..127  -> n bytes of memory
//   write  [N, addr_hi, addr_lo, data x (N - 3)]   N = 4..127  -> 2 bytes: addr_hi, addr_lo
// Addresses wrap at 64 KiB. A first byte of 0x80 or 0x00..0x03 cannot start a
// request: that one byte is discarded and counted as malformed, without a reply,
// and framing resumes at the next byte.
//
// The calibration area 0xE000..0xE72B is EEPROM: a plain write there is
// acknowledged but ignored; only the programming sequence changes it
// (mode 0x04, window at 0x00A1, 64 bytes at 0x004C, mode 0x06; finally 0x10).
#pragma once

#include <cstdint>
#include <istream>
#include <span>
#include <string>
#include <vector>

#include "sim/calibration.h"

namespace orvsim {

namespace addr {
inline constexpr std::uint16_t kProgramBuffer = 0x004C;  // 64 bytes
inline constexpr std::uint16_t kProgramWindow = 0x00A1;  // start BE, end BE
inline constexpr std::uint16_t kLive = 0x0103;           // 10 bytes
inline constexpr std::uint16_t kMode = 0x0145;
inline constexpr std::uint16_t kHostBlock = 0x0146;  // 9 bytes
}  // namespace addr

inline constexpr std::size_t kLiveSize = 10;
inline constexpr std::size_t kProgramBlockSize = 64;

namespace mode {
inline constexpr std::uint8_t kLeaveHost = 0x00;
inline constexpr std::uint8_t kOpenBlock = 0x04;
inline constexpr std::uint8_t kProgramBlock = 0x06;
inline constexpr std::uint8_t kEnterHost = 0x08;
inline constexpr std::uint8_t kEndProgramming = 0x10;
}  // namespace mode

// talpa drives the ignition (advance byte <= 90); quil has none (advance byte 100).
enum class Model { talpa, quil };

// Requests are counted from 1; "every N" hits requests N, 2N, ... (0 = off).
// Several may hit the same request: silence and drop win; truncation removes
// the last byte (a 1-byte reply then sends nothing) before noise appends one
// stray byte. Times are in seconds since start; negative = never.
struct Faults {
  unsigned drop_every = 0, truncate_every = 0, noise_every = 0;
  // Every reply to a read of the calibration area gets a stray byte: a line
  // that lets writes and live reads through but no whole calibration block.
  bool noisy_reads = false;
  // Every Nth reply (0 = off) starts late_ms later than the others: a
  // controller that now and then takes its time.
  unsigned late_every = 0;
  double late_ms = 0;
  double silent_after = -1, hangup_after = -1;
  // Calibration offset whose byte is programmed inverted (XOR 0xFF), -1 = none:
  // a controller whose EEPROM takes one byte wrong, for the console's check.
  int corrupt_program = -1;
};

struct Options {
  Model model = Model::talpa;
  std::uint8_t firmware = 0x21;
  Faults faults;
  std::uint32_t seed = 1;
};

struct Stats {
  std::uint64_t requests = 0;    // complete requests framed
  std::uint64_t replies = 0;     // requests answered with at least one byte
  std::uint64_t violations = 0;  // requests started before the previous reply was sent
  std::uint64_t malformed = 0;   // discarded bytes
};

// What happened to one request (or one discarded byte).
struct Exchange {
  std::vector<std::uint8_t> request;  // the whole request, or the one discarded byte
  std::vector<std::uint8_t> reply;    // as it goes on the line, faults applied
  bool malformed = false;
  bool violation = false;
  bool silent = false;  // not executed, not answered (silent or hung up)
  bool dropped = false;
  bool truncated = false;
  bool noise = false;
  bool late = false;  // the reply is held back by Faults::late_ms
};

class Controller {
 public:
  explicit Controller(Options = {});

  // Bytes from the console; `now` = seconds since start (drives the engine
  // model and silent_after). Returns the bytes to send back (zero or more
  // complete replies, with faults applied).
  std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes, double now);

  // Same as Receive, one entry per request or discarded byte, in order.
  std::vector<Exchange> Feed(std::span<const std::uint8_t> bytes, double now);

  // Every reply returned so far has been completely sent on the line. A
  // request that starts before this is a lock-step violation.
  void ReplySent();

  // Raw memory access without side effects (the live block is not refreshed).
  std::uint8_t Peek(std::uint16_t addr) const;
  void Poke(std::uint16_t addr, std::uint8_t v);

  bool host_mode() const { return host_mode_; }
  Stats stats() const { return stats_; }
  const Options& options() const { return options_; }
  // Counts programming sequences (mode 0x10 after at least one programmed
  // block); the owner persists the calibration area when it changes.
  std::uint64_t programmed_sequences() const { return programmed_sequences_; }
  // The line is to be hung up (hangup_after has passed).
  bool HangupDue(double now) const;

  // Decimal map (see ParseMap) into 0xE000 onward; a 1837th value is accepted
  // and ignored. On failure: false, *error set, memory unchanged.
  bool LoadCalibrationMap(std::istream& in, std::string* error);
  // The calibration area 0xE000..0xE72B as a decimal map file of 1836 values.
  bool LoadCalibrationFile(const std::string& path, std::string* error);
  bool SaveCalibrationFile(const std::string& path, std::string* error) const;

  CalibrationImage calibration() const;
  // Recomputes the live block at 0x0103 for time `now`.
  void RefreshLive(double now);

 private:
  Exchange Execute(double now);
  std::vector<std::uint8_t> Read(std::uint16_t address, std::size_t n, double now);
  void Write(std::uint16_t address, std::span<const std::uint8_t> data);
  void ModeCommand(std::uint8_t command);
  void ProgramBlock();
  bool Silent(double now) const;
  std::uint8_t NextRandom();

  Options options_;
  std::vector<std::uint8_t> memory_;
  std::vector<std::uint8_t> pending_;  // request being framed
  bool pending_violation_ = false;
  bool reply_outstanding_ = false;
  bool host_mode_ = false;
  bool block_open_ = false;
  std::uint64_t blocks_programmed_ = 0;  // since the last 0x10
  std::uint64_t programmed_sequences_ = 0;
  std::uint64_t rng_;
  Stats stats_;
};

}  // namespace orvsim
