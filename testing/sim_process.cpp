#include "sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <thread>
#include <utility>

extern char** environ;

namespace orvtest {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool ParseNumber(std::string_view& s, std::string_view label, std::uint64_t& value) {
  if (!s.starts_with(label)) return false;
  s.remove_prefix(label.size());
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc{} || end == s.data()) return false;
  s.remove_prefix(static_cast<std::size_t>(end - s.data()));
  return true;
}

}  // namespace

std::string SimBinary() {
#ifdef ORV_SIM_BINARY
  return ORV_SIM_BINARY;
#else
  return "orv-sim";
#endif
}

std::optional<SimStats> ParseStatsLine(std::string_view line) {
  SimStats s;
  if (ParseNumber(line, "requests ", s.requests) && ParseNumber(line, ", replies ", s.replies) &&
      ParseNumber(line, ", violations ", s.violations) && ParseNumber(line, ", malformed ", s.malformed) &&
      line.empty())
    return s;
  return std::nullopt;
}

SimProcess::~SimProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  CloseFds();
}

void SimProcess::CloseFds() {
  if (out_fd_ >= 0) close(out_fd_);
  if (err_fd_ >= 0) close(err_fd_);
  out_fd_ = err_fd_ = -1;
}

bool SimProcess::Spawn(const std::vector<std::string>& args, const std::string& binary, std::string* error) {
  auto fail = [&](const std::string& message) {
    if (error) *error = message;
    return false;
  };
  if (pid_ > 0) return fail("already running");
  CloseFds();
  lines_.clear();
  out_partial_.clear();
  err_.clear();
  device_.clear();
  exit_code_ = -1;

  int out[2], err[2];
  if (pipe(out) != 0) return fail(std::string("pipe: ") + std::strerror(errno));
  if (pipe(err) != 0) {
    close(out[0]);
    close(out[1]);
    return fail(std::string("pipe: ") + std::strerror(errno));
  }
  for (const int fd : {out[0], out[1], err[0], err[1]}) fcntl(fd, F_SETFD, FD_CLOEXEC);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(binary.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  out_fd_ = out[0];
  err_fd_ = err[0];
  if (rc != 0) {
    pid_ = -1;
    CloseFds();
    return fail("spawn " + binary + ": " + std::strerror(rc));
  }
  return true;
}

bool SimProcess::Start(const std::vector<std::string>& args, std::string* error, std::chrono::milliseconds timeout,
                       const std::string& binary) {
  if (!Spawn(args, binary, error)) return false;
  const auto deadline = Clock::now() + timeout;
  Pump(1, deadline);
  if (!lines_.empty() && !lines_.front().empty()) {
    device_ = lines_.front();
    return true;
  }
  // It ended (a bad command line) or hangs: collect what it said.
  Pump(static_cast<std::size_t>(-1), deadline);
  Reap(deadline);
  CloseFds();
  if (error)
    *error = "orv-sim printed no device path (exit code " + std::to_string(exit_code_) + "): " + err_;
  return false;
}

void SimProcess::Pump(std::size_t want_lines, Clock::time_point deadline) {
  while ((out_fd_ >= 0 || err_fd_ >= 0) && lines_.size() < want_lines) {
    pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
    const int r = poll(fds, 2, RemainingMs(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return;
    for (int i = 0; i < 2; ++i) {
      if (!fds[i].revents) continue;
      int& fd = i == 0 ? out_fd_ : err_fd_;
      char buf[1024];
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        close(fd);
        fd = -1;
        if (i == 0 && !out_partial_.empty()) lines_.push_back(std::exchange(out_partial_, {}));
        continue;
      }
      if (i == 1) {
        err_.append(buf, static_cast<std::size_t>(n));
        continue;
      }
      out_partial_.append(buf, static_cast<std::size_t>(n));
      for (std::size_t nl; (nl = out_partial_.find('\n')) != std::string::npos;) {
        lines_.push_back(out_partial_.substr(0, nl));
        out_partial_.erase(0, nl + 1);
      }
    }
  }
}

int SimProcess::Reap(Clock::time_point deadline) {
  int status = 0;
  for (;;) {
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) break;
    if (r < 0 && errno != EINTR) {
      pid_ = -1;
      return exit_code_ = -1;
    }
    if (Clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      pid_ = -1;
      return exit_code_ = -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  return exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int SimProcess::Stop(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return -1;
  const auto deadline = Clock::now() + timeout;
  kill(pid_, SIGTERM);
  // Both pipes close when the process exits; collect everything until then.
  Pump(static_cast<std::size_t>(-1), deadline);
  const int code = Reap(deadline);
  CloseFds();
  return code;
}

SimRun RunSimToEnd(const std::vector<std::string>& args, std::chrono::milliseconds timeout,
                   const std::string& binary) {
  SimRun run;
  SimProcess p;
  if (!p.Spawn(args, binary, &run.stderr_text)) return run;
  const auto deadline = Clock::now() + timeout;
  p.Pump(static_cast<std::size_t>(-1), deadline);
  run.exit_code = p.Reap(deadline);
  p.CloseFds();
  run.stdout_lines = p.lines_;
  run.stderr_text = p.err_;
  return run;
}

}  // namespace orvtest
