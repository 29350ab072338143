#include "sim/args.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace orvsim {
namespace {

template <typename T>
std::optional<T> ParseUnsigned(std::string_view s, int base = 10) {
  if (base == 16 && (s.starts_with("0x") || s.starts_with("0X"))) s.remove_prefix(2);
  T v{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<double> ParseSeconds(std::string_view s) {
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc{} || end != s.data() + s.size() || !std::isfinite(v) || v < 0)
    return std::nullopt;
  return v;
}

}  // namespace

std::string Usage() {
  return "usage: orv-sim [--link PATH] [--model talpa|quil] [--firmware HEX] [--baud N]\n"
         "               [--latency-ms X] [--log FILE] [--eeprom FILE] [--calibration MAPFILE]\n"
         "               [--drop-every N] [--truncate-every N] [--noise-every N] [--noisy-reads]\n"
         "               [--late-every N] [--late-ms X]\n"
         "               [--corrupt-program OFFSET]\n"
         "               [--silent-after S] [--hangup-after S] [--seed N]\n"
         "       orv-sim --help | --version\n";
}

ParsedArgs ParseArgs(std::span<const std::string_view> args) {
  ParsedArgs out;
  ServerConfig& c = out.config;
  auto fail = [&](std::string message) {
    out.status = ParsedArgs::Status::error;
    out.error = std::move(message);
    return out;
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::optional<std::string_view> inline_value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
      inline_value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (name == "--help" || name == "-h") {
      out.status = ParsedArgs::Status::help;
      return out;
    }
    if (name == "--version") {
      out.status = ParsedArgs::Status::version;
      return out;
    }
    if (!name.starts_with("--")) return fail("unexpected argument '" + std::string(args[i]) + "'");
    if (name == "--noisy-reads" && !inline_value) {  // a switch: no value
      c.controller.faults.noisy_reads = true;
      continue;
    }

    std::string_view value;
    if (inline_value) {
      value = *inline_value;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return fail(std::string(name) + " needs a value");
    }
    const std::string bad = "bad value '" + std::string(value) + "' for " + std::string(name);

    auto text = [&](std::string& field) {
      field = std::string(value);
      return !field.empty();
    };
    auto count = [&](unsigned& field) {
      const auto v = ParseUnsigned<unsigned>(value);
      if (v) field = *v;
      return v.has_value();
    };
    auto seconds = [&](double& field) {
      const auto v = ParseSeconds(value);
      if (v) field = *v;
      return v.has_value();
    };

    bool ok = false;
    if (name == "--link") {
      ok = text(c.link);
    } else if (name == "--log") {
      ok = text(c.log);
    } else if (name == "--eeprom") {
      ok = text(c.eeprom);
    } else if (name == "--calibration") {
      ok = text(c.calibration);
    } else if (name == "--model") {
      ok = value == "talpa" || value == "quil";
      c.controller.model = value == "quil" ? Model::quil : Model::talpa;
    } else if (name == "--firmware") {
      const auto v = ParseUnsigned<std::uint8_t>(value, 16);
      ok = v.has_value();
      if (ok) c.controller.firmware = *v;
    } else if (name == "--baud") {
      ok = count(c.baud) && c.baud >= 50 && c.baud <= 4'000'000;
    } else if (name == "--latency-ms") {
      ok = seconds(c.latency_ms) && c.latency_ms <= 60'000;
    } else if (name == "--drop-every") {
      ok = count(c.controller.faults.drop_every);
    } else if (name == "--late-every") {
      ok = count(c.controller.faults.late_every);
    } else if (name == "--late-ms") {
      ok = seconds(c.controller.faults.late_ms) && c.controller.faults.late_ms <= 60'000;
    } else if (name == "--truncate-every") {
      ok = count(c.controller.faults.truncate_every);
    } else if (name == "--noise-every") {
      ok = count(c.controller.faults.noise_every);
    } else if (name == "--silent-after") {
      ok = seconds(c.controller.faults.silent_after);
    } else if (name == "--hangup-after") {
      ok = seconds(c.controller.faults.hangup_after);
    } else if (name == "--corrupt-program") {
      const auto v = ParseUnsigned<unsigned>(value);
      ok = v && *v < kCalibrationSize;
      if (ok) c.controller.faults.corrupt_program = static_cast<int>(*v);
    } else if (name == "--seed") {
      const auto v = ParseUnsigned<std::uint32_t>(value);
      ok = v.has_value();
      if (ok) c.controller.seed = *v;
    } else {
      return fail("unknown option " + std::string(name));
    }
    if (!ok) return fail(bad);
  }
  return out;
}

}  // namespace orvsim
