// Runs the orv-sim executable for end-to-end tests: start it with arguments,
// learn its device path, stop it with SIGTERM and collect its output.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvtest {

// The orv-sim built with this tree.
std::string SimBinary();

// "requests N, replies N, violations N, malformed N"
struct SimStats {
  std::uint64_t requests = 0, replies = 0, violations = 0, malformed = 0;
  bool operator==(const SimStats&) const = default;
};
std::optional<SimStats> ParseStatsLine(std::string_view line);

// Runs the simulator until it ends by itself (command-line errors, --help);
// one that keeps serving is killed once `timeout` passes (exit_code -1).
struct SimRun {
  int exit_code = -1;
  std::vector<std::string> stdout_lines;
  std::string stderr_text;
};
SimRun RunSimToEnd(const std::vector<std::string>& args, std::chrono::milliseconds timeout = std::chrono::seconds(5),
                   const std::string& binary = SimBinary());

class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();  // kills a still running process
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts the simulator and waits for the device path (its first stdout line).
  bool Start(const std::vector<std::string>& args, std::string* error = nullptr,
             std::chrono::milliseconds timeout = std::chrono::seconds(5), const std::string& binary = SimBinary());
  const std::string& device() const { return device_; }
  pid_t pid() const { return pid_; }
  bool running() const { return pid_ > 0; }

  // SIGTERM, then waits for the exit (SIGKILL once `timeout` passes).
  // Returns the exit code, or -1 if it did not exit by itself.
  int Stop(std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // Exit code of the last run that ended (-1 if it was killed or never ran).
  int exit_code() const { return exit_code_; }

  // Everything the process printed (stdout after Stop, including the device line).
  const std::vector<std::string>& stdout_lines() const { return lines_; }
  std::string last_line() const { return lines_.empty() ? std::string() : lines_.back(); }
  const std::string& stderr_text() const { return err_; }

 private:
  bool Spawn(const std::vector<std::string>& args, const std::string& binary, std::string* error);
  // Reads both pipes until `want_lines` lines are complete, both close, or the deadline.
  void Pump(std::size_t want_lines, std::chrono::steady_clock::time_point deadline);
  int Reap(std::chrono::steady_clock::time_point deadline);
  void CloseFds();

  pid_t pid_ = -1;
  int out_fd_ = -1, err_fd_ = -1;
  std::string out_partial_, err_;
  std::vector<std::string> lines_;
  std::string device_;
  int exit_code_ = -1;

  friend SimRun RunSimToEnd(const std::vector<std::string>&, std::chrono::milliseconds, const std::string&);
};

}  // namespace orvtest
