#include "pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace orvtest {
namespace {

speed_t SpeedFor(int baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
  }
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PtyClient::~PtyClient() { Close(); }

PtyClient::PtyClient(PtyClient&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), hung_up_(other.hung_up_) {}

PtyClient& PtyClient::operator=(PtyClient&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    hung_up_ = other.hung_up_;
  }
  return *this;
}

bool PtyClient::Open(const std::string& path, int baud, std::string* error) {
  Close();
  hung_up_ = false;
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + " " + path + ": " + std::strerror(errno);
    Close();
    return false;
  };
  const speed_t speed = SpeedFor(baud);
  if (speed == B0) {
    errno = EINVAL;
    return fail("unsupported baud rate for");
  }
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return fail("open");
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return fail("tcgetattr");
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return fail("tcsetattr");
  tcflush(fd_, TCIOFLUSH);
  return true;
}

void PtyClient::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool PtyClient::Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      if (errno == EIO) hung_up_ = true;
      return false;
    }
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, RemainingMs(deadline)) <= 0) return false;
  }
  return done == bytes.size();
}

void PtyClient::ReadUntil(std::vector<std::uint8_t>& out, std::size_t n,
                          std::chrono::steady_clock::time_point deadline) {
  while (fd_ >= 0 && out.size() < n && !hung_up_) {
    pollfd p{fd_, POLLIN, 0};
    const int r = poll(&p, 1, RemainingMs(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return;  // timeout
    if (p.revents & POLLIN) {
      std::uint8_t buf[512];
      const std::size_t want = std::min(sizeof buf, n - out.size());
      const ssize_t got = read(fd_, buf, want);
      if (got > 0) {
        out.insert(out.end(), buf, buf + got);
        continue;
      }
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      hung_up_ = true;  // 0 = end of file, or EIO
      return;
    }
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
      hung_up_ = true;
      return;
    }
  }
}

std::vector<std::uint8_t> PtyClient::ReadExactly(std::size_t n, std::chrono::milliseconds timeout) {
  std::vector<std::uint8_t> out;
  ReadUntil(out, n, std::chrono::steady_clock::now() + timeout);
  return out;
}

std::vector<std::uint8_t> PtyClient::ReadFor(std::chrono::milliseconds timeout) {
  std::vector<std::uint8_t> out;
  ReadUntil(out, static_cast<std::size_t>(-1), std::chrono::steady_clock::now() + timeout);
  return out;
}

std::vector<std::uint8_t> PtyClient::Transact(std::span<const std::uint8_t> request, std::size_t reply_size,
                                              std::chrono::milliseconds timeout) {
  if (!Write(request, timeout)) return {};
  return ReadExactly(reply_size, timeout);
}

}  // namespace orvtest
