#include "sim/calibration.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace orvsim {
namespace {

std::uint8_t Byte(double v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

void FillFuelSet(std::uint8_t* set) {
  // Base injection time (0.1 ms): 2.0 ms up to 1000 rpm, 12 ms at 6500.
  for (std::size_t k = 0; k < kBySpeed.size; ++k) {
    const double rpm = 500.0 * static_cast<double>(k);
    set[kBySpeed.offset + k] = Byte(std::min(140.0, 20.0 + std::max(0.0, rpm - 1000.0) * 100.0 / 5500.0));
  }
  // Fuel follows absolute pressure: 40 % per bar either way from 0.0 bar.
  for (std::size_t k = 0; k < kByPressure.size; ++k) {
    const double bar = -1.0 + 0.1 * static_cast<double>(k);
    set[kByPressure.offset + k] = Byte(90.0 + 40.0 * bar);
  }
  // A little enrichment near full throttle.
  for (std::size_t k = 0; k < kByThrottle.size; ++k)
    set[kByThrottle.offset + k] = Byte(k >= 16 ? 90.0 + 2.0 * static_cast<double>(k - 16) : 90.0);
  // Denser cold air needs more fuel.
  for (std::size_t k = 0; k < kByAirTemp.size; ++k) {
    const double c = -20.0 + 10.0 * static_cast<double>(k);
    set[kByAirTemp.offset + k] = Byte(90.0 - (c - 20.0) * 0.2);
  }
  // Warm-up enrichment below 70 degC.
  for (std::size_t k = 0; k < kByWaterTemp.size; ++k) {
    const double c = -20.0 + 10.0 * static_cast<double>(k);
    set[kByWaterTemp.offset + k] = Byte(c < 70.0 ? 90.0 + (70.0 - c) * 0.4 : 90.0);
  }
}

void FillIgnitionSet(std::uint8_t* set) {
  // 10 deg up to 1000 rpm, 32 deg from 4500 rpm.
  for (std::size_t k = 0; k < kBySpeed.size; ++k) {
    const double rpm = 500.0 * static_cast<double>(k);
    set[kBySpeed.offset + k] = Byte(45.0 + 10.0 + 22.0 * Clamp01((rpm - 1000.0) / 3500.0));
  }
  // More advance in vacuum, 8 deg retard per bar of boost.
  for (std::size_t k = 0; k < kByPressure.size; ++k) {
    const double bar = -1.0 + 0.1 * static_cast<double>(k);
    set[kByPressure.offset + k] = Byte(bar < 0 ? 45.0 - 5.0 * bar : 45.0 - 8.0 * bar);
  }
  for (std::size_t k = 0; k < kByThrottle.size; ++k) set[kByThrottle.offset + k] = 45;
  // Knock protection: retard with hot intake air and an overheating engine.
  for (std::size_t k = 0; k < kByAirTemp.size; ++k) {
    const double c = -20.0 + 10.0 * static_cast<double>(k);
    set[kByAirTemp.offset + k] = Byte(c > 30.0 ? 45.0 - (c - 30.0) / 10.0 : 45.0);
  }
  for (std::size_t k = 0; k < kByWaterTemp.size; ++k) {
    const double c = -20.0 + 10.0 * static_cast<double>(k);
    set[kByWaterTemp.offset + k] = Byte(c > 100.0 ? 45.0 - (c - 100.0) / 10.0 : 45.0);
  }
}

bool IsSeparator(char c) { return c == '\n' || c == '\r' || c == ',' || c == ' ' || c == '\t'; }

bool Fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

}  // namespace

std::size_t ActiveSlotOffset(const CalibrationImage& image) {
  const std::uint8_t slot = image[kActiveSlotByte];
  return (slot >= 1 && slot <= 3) ? slot * kSlotSize : 0;
}

CalibrationImage DefaultCalibration() {
  CalibrationImage image{};
  for (std::size_t s = 0; s < kSlotCount; ++s) {
    std::uint8_t* slot = image.data() + s * kSlotSize;
    FillFuelSet(slot + kBank1Set);
    FillFuelSet(slot + kBank2Set);
    FillIgnitionSet(slot + kIgnitionSet);
    slot[kCylinderCode] = 4;
    slot[kRpmSwitch] = 30;
    slot[kWaterSwitch] = 80;
    slot[kDeltaTps] = 5;
    slot[kWindowSize] = 10;
    slot[kLoadTime] = 20;
    slot[kRpmLimiter] = 68;
    slot[kModeFlags] = 0;
  }
  image[kActiveSlotByte] = 0;
  return image;
}

bool ParseMap(std::istream& in, std::vector<std::uint8_t>* values, std::string* error) {
  std::vector<std::uint8_t> out;
  std::size_t line = 1;
  bool in_number = false;
  unsigned value = 0;
  std::size_t offset = 0;
  char c = 0;

  auto finish_number = [&]() -> bool {
    if (!in_number) return true;
    in_number = false;
    if (out.size() == kMapMaxValues)
      return Fail(error, "too many values (more than " + std::to_string(kMapMaxValues) + ")");
    out.push_back(static_cast<std::uint8_t>(value));
    return true;
  };

  // A UTF-8 byte order mark written by some editors.
  if (in.peek() == 0xEF) {
    char bom[3] = {};
    in.read(bom, 3);
    if (in.gcount() != 3 || std::memcmp(bom, "\xEF\xBB\xBF", 3) != 0)
      return Fail(error, "binary data at the start of the file, not a decimal map");
    offset = 3;
  }

  while (in.get(c)) {
    ++offset;
    if (c >= '0' && c <= '9') {
      if (!in_number) {
        in_number = true;
        value = 0;
      }
      value = value * 10 + static_cast<unsigned>(c - '0');
      if (value > 255)
        return Fail(error, "line " + std::to_string(line) + ": value above 255");
      continue;
    }
    if (IsSeparator(c)) {
      if (!finish_number()) return false;
      if (c == '\n') ++line;
      continue;
    }
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F)
      return Fail(error, "binary data at byte " + std::to_string(offset) + ", not a decimal map");
    return Fail(error, "line " + std::to_string(line) + ": '" + std::string(1, c) + "' is not part of a decimal value 0..255");
  }
  if (!finish_number()) return false;
  if (in.bad()) return Fail(error, "read error");
  if (out.empty()) return Fail(error, "no values (empty map)");
  *values = std::move(out);
  return true;
}

std::string FormatMap(const std::uint8_t* data, std::size_t size) {
  std::string text;
  text.reserve(size * 4);
  for (std::size_t i = 0; i < size; ++i) {
    text += std::to_string(data[i]);
    text += '\n';
  }
  return text;
}

bool WriteFileAtomic(const std::string& path, const std::string& contents, std::string* error) {
  std::string tmp = path + ".XXXXXX";
  const int fd = mkstemp(tmp.data());
  if (fd < 0) return Fail(error, "cannot create a temporary file next to " + path + ": " + std::strerror(errno));
  bool ok = fchmod(fd, 0644) == 0;
  std::size_t done = 0;
  while (ok && done < contents.size()) {
    const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  const int saved = errno;
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) {
    const std::string why = std::strerror(errno ? errno : saved);
    unlink(tmp.c_str());
    return Fail(error, "cannot write " + path + ": " + why);
  }
  return true;
}

}  // namespace orvsim
