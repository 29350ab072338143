// The console's end of a serial line for end-to-end tests: a tty device
// opened in raw mode, with timed reads.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvtest {

class PtyClient {
 public:
  PtyClient() = default;
  ~PtyClient();
  PtyClient(PtyClient&& other) noexcept;
  PtyClient& operator=(PtyClient&& other) noexcept;
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  // Opens `path` raw, 8N1 at `baud`, and discards anything already queued.
  bool Open(const std::string& path, int baud = 19200, std::string* error = nullptr);
  void Close();
  bool is_open() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // True once the line reported end of file, EIO or POLLHUP.
  bool hung_up() const { return hung_up_; }

  bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout = std::chrono::seconds(2));
  bool Write(std::initializer_list<std::uint8_t> bytes) { return Write(std::span(bytes.begin(), bytes.size())); }

  // Up to `n` bytes: fewer only if the timeout passes or the line hangs up.
  std::vector<std::uint8_t> ReadExactly(std::size_t n, std::chrono::milliseconds timeout);
  // Everything that arrives until `timeout` has passed (or the line hangs up).
  std::vector<std::uint8_t> ReadFor(std::chrono::milliseconds timeout);

  // Write `request`, then read `reply_size` bytes.
  std::vector<std::uint8_t> Transact(std::span<const std::uint8_t> request, std::size_t reply_size,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(2));
  std::vector<std::uint8_t> Transact(std::initializer_list<std::uint8_t> request, std::size_t reply_size,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
    return Transact(std::span(request.begin(), request.size()), reply_size, timeout);
  }

 private:
  // Appends until `out` holds `n` bytes, the deadline passes or the line hangs up.
  void ReadUntil(std::vector<std::uint8_t>& out, std::size_t n, std::chrono::steady_clock::time_point deadline);

  int fd_ = -1;
  bool hung_up_ = false;
};

}  // namespace orvtest
