// Command line of orv-sim.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "sim/controller.h"

namespace orvsim {

struct ServerConfig {
  Options controller;
  std::string link;         // symbolic link to the device, "" = none
  std::string log;          // request/reply log file, "" = none
  std::string eeprom;       // calibration persistence file, "" = none
  std::string calibration;  // map file loaded at start, "" = built-in
  unsigned baud = 0;        // 0 = replies go out at once
  double latency_ms = 0;
};

struct ParsedArgs {
  enum class Status { run, help, version, error } status = Status::run;
  ServerConfig config;
  std::string error;
};

// `args` excludes the program name. Accepts "--opt value" and "--opt=value".
ParsedArgs ParseArgs(std::span<const std::string_view> args);

std::string Usage();

}  // namespace orvsim
