#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

namespace orvsim {
namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

std::int64_t Monotonic() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void SleepUntil(std::int64_t deadline) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(deadline / 1'000'000'000);
  ts.tv_nsec = static_cast<long>(deadline % 1'000'000'000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

const char* ReplyNote(const Exchange& e) {
  if (e.silent) return "silent";
  if (e.dropped) return "dropped";
  if (e.truncated && e.noise) return e.late ? "late, truncated, noise" : "truncated, noise";
  if (e.truncated) return e.late ? "late, truncated" : "truncated";
  if (e.noise) return e.late ? "late, noise" : "noise";
  return e.late ? "late" : nullptr;
}

}  // namespace

PtyServer::PtyServer(const ServerConfig& config, Controller& controller)
    : config_(config), controller_(controller), start_(Monotonic()) {
  latency_ns_ = static_cast<std::int64_t>(config_.latency_ms * 1e6);
}

PtyServer::~PtyServer() {
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
  if (log_) std::fclose(log_);
  if (link_created_) {
    // Only our own link: someone may have pointed it elsewhere meanwhile.
    char target[4096];
    const ssize_t n = readlink(config_.link.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == device_) unlink(config_.link.c_str());
  }
}

std::int64_t PtyServer::Now() const { return Monotonic(); }

std::int64_t PtyServer::ByteOffset(std::size_t i) const {
  // 10 bits a byte (start, 8 data, stop); exact per index so pacing never drifts.
  return config_.baud ? static_cast<std::int64_t>(i) * 10'000'000'000 / config_.baud : 0;
}

bool PtyServer::Open(std::string* error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return *error = Errno("posix_openpt"), false;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) return *error = Errno("grantpt/unlockpt"), false;
  const char* name = ptsname(master_);
  if (!name) return *error = Errno("ptsname"), false;
  device_ = name;
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
    return *error = Errno("fcntl"), false;

  slave_ = open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) return *error = Errno("open " + device_), false;
  termios tio{};
  if (tcgetattr(slave_, &tio) != 0) return *error = Errno("tcgetattr"), false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&tio, B19200);
  cfsetospeed(&tio, B19200);
  if (tcsetattr(slave_, TCSANOW, &tio) != 0) return *error = Errno("tcsetattr"), false;

  if (!config_.link.empty()) {
    struct stat st{};
    if (lstat(config_.link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
      *error = config_.link + " exists and is not a symbolic link";
      return false;
    }
    // Build the link beside the target and rename it over: an old link is
    // replaced in one step.
    const std::string tmp = config_.link + ".tmp." + std::to_string(getpid());
    unlink(tmp.c_str());
    if (symlink(device_.c_str(), tmp.c_str()) != 0) return *error = Errno("symlink " + config_.link), false;
    if (rename(tmp.c_str(), config_.link.c_str()) != 0) {
      *error = Errno("rename " + tmp);
      unlink(tmp.c_str());
      return false;
    }
    link_created_ = true;
  }

  if (!config_.log.empty()) {
    log_ = std::fopen(config_.log.c_str(), "w");
    if (!log_) return *error = Errno("open " + config_.log), false;
    std::setvbuf(log_, nullptr, _IOLBF, 0);
  }
  return true;
}

void PtyServer::Log(std::int64_t t, const char* direction, std::span<const std::uint8_t> bytes,
                    const char* note) {
  if (!log_) return;
  std::fprintf(log_, "%10lld %s", static_cast<long long>((t - start_) / 1000), direction);
  for (const std::uint8_t b : bytes) std::fprintf(log_, " %02X", b);
  if (note) std::fprintf(log_, " (%s)", note);
  std::fputc('\n', log_);
}

void PtyServer::Run(int stop_fd) {
  bool blocked = false;
  for (;;) {
    std::int64_t now = Now();
    if (!hung_up_ && controller_.HangupDue(Seconds(now))) HangUp();
    if (!hung_up_) blocked = !Transmit(now);

    std::int64_t next = kNever;
    if (!tx_.empty() && !blocked) next = tx_.front().first_deadline + ByteOffset(tx_.front().sent);
    if (!hung_up_ && config_.controller.faults.hangup_after >= 0)
      next = std::min(next, start_ + static_cast<std::int64_t>(config_.controller.faults.hangup_after * 1e9));
    int timeout = -1;
    if (next != kNever) {
      now = Now();
      if (next - now >= kNsPerMs) {
        timeout = static_cast<int>(std::min<std::int64_t>((next - now) / kNsPerMs, 60'000));
      } else {
        // poll() counts in milliseconds; the last stretch is slept exactly,
        // then input is collected before the byte goes out.
        SleepUntil(next);
        timeout = 0;
      }
    }

    pollfd fds[2] = {{stop_fd, POLLIN, 0}, {master_, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0}};
    const int nfds = master_ >= 0 ? 2 : 1;
    if (poll(fds, nfds, timeout) < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "orv-sim: %s\n", Errno("poll").c_str());
      return;
    }
    if (fds[0].revents) return;
    if (nfds == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) ReadRequests();
  }
}

void PtyServer::ReadRequests() {
  std::uint8_t buf[4096];
  const ssize_t n = read(master_, buf, sizeof buf);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    // Cannot happen while we hold the slave open; do not spin on it.
    std::fprintf(stderr, "orv-sim: %s\n", n == 0 ? "line closed" : Errno("read").c_str());
    HangUp();
    return;
  }
  const std::int64_t t = Now();
  for (Exchange& e : controller_.Feed(std::span(buf, static_cast<std::size_t>(n)), Seconds(t))) {
    Log(t, "RX", e.request, e.malformed ? "malformed" : e.violation ? "violation" : nullptr);
    if (e.malformed) continue;
    if (e.reply.empty()) {
      Log(t, "TX", {}, ReplyNote(e) ? ReplyNote(e) : "no reply");
      continue;
    }
    const auto late = static_cast<std::int64_t>(e.late ? config_.controller.faults.late_ms * 1e6 : 0);
    Schedule(std::move(e.reply), e.request.size(), t + late);
    tx_.back().note = ReplyNote(e);
  }
  SaveIfProgrammed();
}

void PtyServer::Schedule(std::vector<std::uint8_t> reply, std::size_t request_size, std::int64_t arrival) {
  // The request's bytes would still be on a real line when the pty delivers
  // them, so the controller only sees the request that much later.
  const std::int64_t ready = arrival + ByteOffset(request_size) + latency_ns_;
  Pending p;
  p.first_deadline = std::max(ready, last_deadline_) + ByteOffset(1);
  last_deadline_ = p.first_deadline + ByteOffset(reply.size() - 1);
  p.bytes = std::move(reply);
  tx_.push_back(std::move(p));
}

bool PtyServer::Transmit(std::int64_t now) {
  while (!tx_.empty()) {
    Pending& p = tx_.front();
    std::size_t due = p.sent;
    while (due < p.bytes.size() && p.first_deadline + ByteOffset(due) <= now) ++due;
    if (due == p.sent) return true;
    if (p.sent == 0) Log(now, "TX", p.bytes, p.note);
    const ssize_t n = write(master_, p.bytes.data() + p.sent, due - p.sent);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) return false;
      std::fprintf(stderr, "orv-sim: %s\n", Errno("write").c_str());
      HangUp();
      return true;
    }
    const bool partial = p.sent + static_cast<std::size_t>(n) < due;
    p.sent += static_cast<std::size_t>(n);
    if (p.sent == p.bytes.size()) {
      tx_.pop_front();
      if (tx_.empty()) controller_.ReplySent();
    }
    if (partial) return false;
  }
  return true;
}

void PtyServer::HangUp() {
  if (master_ >= 0) close(master_);
  master_ = -1;
  hung_up_ = true;
  tx_.clear();
  if (log_) std::fprintf(log_, "%10lld -- hangup\n", static_cast<long long>((Now() - start_) / 1000));
}

void PtyServer::SaveIfProgrammed() {
  const std::uint64_t done = controller_.programmed_sequences();
  if (config_.eeprom.empty() || done == saved_sequences_) return;
  saved_sequences_ = done;
  std::string error;
  if (!controller_.SaveCalibrationFile(config_.eeprom, &error))
    std::fprintf(stderr, "orv-sim: %s\n", error.c_str());
  else if (log_)
    std::fprintf(log_, "%10lld -- calibration saved to %s\n", static_cast<long long>((Now() - start_) / 1000),
                 config_.eeprom.c_str());
}

}  // namespace orvsim
