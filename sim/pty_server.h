// Serves a Controller on a pseudo-terminal, with optional wire timing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "sim/args.h"
#include "sim/controller.h"

namespace orvsim {

class PtyServer {
 public:
  PtyServer(const ServerConfig& config, Controller& controller);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pty (slave in raw mode, 19200), the link and the log.
  bool Open(std::string* error);
  const std::string& device() const { return device_; }

  // Serves until `stop_fd` becomes readable.
  void Run(int stop_fd);

 private:
  struct Pending {
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
    std::int64_t first_deadline = 0;  // ns, monotonic; byte i is due at first + i * byte time
    const char* note = nullptr;       // fault applied, for the log
  };

  std::int64_t Now() const;
  double Seconds(std::int64_t t) const { return static_cast<double>(t - start_) * 1e-9; }
  std::int64_t ByteOffset(std::size_t i) const;
  void ReadRequests();
  void Schedule(std::vector<std::uint8_t> reply, std::size_t request_size, std::int64_t arrival);
  bool Transmit(std::int64_t now);  // false: the line would block
  int PollTimeout(std::int64_t now) const;
  void HangUp();
  void Log(std::int64_t t, const char* direction, std::span<const std::uint8_t> bytes, const char* note);
  void SaveIfProgrammed();

  ServerConfig config_;
  Controller& controller_;
  int master_ = -1;
  int slave_ = -1;  // held so a console closing the port never hangs up the master
  std::string device_;
  bool link_created_ = false;
  std::FILE* log_ = nullptr;
  std::int64_t start_ = 0;
  std::int64_t byte_ns_ = 0;
  std::int64_t latency_ns_ = 0;
  std::int64_t last_deadline_ = 0;  // of the last byte scheduled
  std::deque<Pending> tx_;
  std::uint64_t saved_sequences_ = 0;
  bool hung_up_ = false;
};

}  // namespace orvsim
