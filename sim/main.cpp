// orv-sim: the simulated controller on a pseudo-terminal. The first stdout
// line is the device path; the last one the request statistics.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "orv_version.h"
#include "sim/args.h"
#include "sim/controller.h"
#include "sim/pty_server.h"

namespace {

int g_stop_pipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
  const char b = 1;
  [[maybe_unused]] const ssize_t n = write(g_stop_pipe[1], &b, 1);
}

bool InstallStopSignals() {
  if (pipe(g_stop_pipe) != 0) return false;
  for (const int fd : g_stop_pipe) {
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  struct sigaction sa{};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  if (sigaction(SIGINT, &sa, nullptr) != 0 || sigaction(SIGTERM, &sa, nullptr) != 0) return false;
  signal(SIGPIPE, SIG_IGN);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const orvsim::ParsedArgs parsed = orvsim::ParseArgs(args);
  if (parsed.status == orvsim::ParsedArgs::Status::help) {
    std::fputs(orvsim::Usage().c_str(), stdout);
    return 0;
  }
  if (parsed.status == orvsim::ParsedArgs::Status::version) {
    std::printf("orv-sim %s\n", orv::kVersion);
    return 0;
  }
  if (parsed.status == orvsim::ParsedArgs::Status::error) {
    std::fprintf(stderr, "orv-sim: %s\n%s", parsed.error.c_str(), orvsim::Usage().c_str());
    return 2;
  }
  const orvsim::ServerConfig& config = parsed.config;

  orvsim::Controller controller(config.controller);
  std::string error;
  if (!config.calibration.empty() && !controller.LoadCalibrationFile(config.calibration, &error)) {
    std::fprintf(stderr, "orv-sim: --calibration: %s\n", error.c_str());
    return 2;
  }
  // A saved calibration area is the controller's state: it wins over --calibration.
  struct stat st{};
  if (!config.eeprom.empty() && stat(config.eeprom.c_str(), &st) == 0 &&
      !controller.LoadCalibrationFile(config.eeprom, &error)) {
    std::fprintf(stderr, "orv-sim: --eeprom: %s\n", error.c_str());
    return 2;
  }

  if (!InstallStopSignals()) {
    std::perror("orv-sim: signals");
    return 1;
  }
  orvsim::PtyServer server(config, controller);
  if (!server.Open(&error)) {
    std::fprintf(stderr, "orv-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", server.device().c_str());
  std::fflush(stdout);

  server.Run(g_stop_pipe[0]);

  const orvsim::Stats s = controller.stats();
  std::printf("requests %llu, replies %llu, violations %llu, malformed %llu\n",
              static_cast<unsigned long long>(s.requests), static_cast<unsigned long long>(s.replies),
              static_cast<unsigned long long>(s.violations), static_cast<unsigned long long>(s.malformed));
  std::fflush(stdout);
  return 0;
}
