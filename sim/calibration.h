// Calibration image layout, the built-in default calibration and the decimal
// map file format (one byte value per line) used by --calibration and --eeprom.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace orvsim {

// The calibration area (EEPROM) of the controller.
inline constexpr std::uint16_t kCalibrationBase = 0xE000;
inline constexpr std::size_t kCalibrationSize = 1836;  // 0xE000..0xE72B
// Console map files carry one more value (the image's trailing byte), which
// has no place in the controller.
inline constexpr std::size_t kMapMaxValues = kCalibrationSize + 1;

inline constexpr std::size_t kSlotCount = 4;
inline constexpr std::size_t kSlotSize = 459;
// Image byte that selects the active slot (it sits in slot 0's settings).
inline constexpr std::size_t kActiveSlotByte = 157;

// Offsets inside a slot block.
inline constexpr std::size_t kBank1Set = 0;
inline constexpr std::size_t kBank2Set = 159;
inline constexpr std::size_t kIgnitionSet = 309;
inline constexpr std::size_t kCylinderCode = 150;
inline constexpr std::size_t kRpmSwitch = 151;
inline constexpr std::size_t kWaterSwitch = 152;
inline constexpr std::size_t kDeltaTps = 153;
inline constexpr std::size_t kWindowSize = 154;
inline constexpr std::size_t kLoadTime = 155;
inline constexpr std::size_t kRpmLimiter = 156;
inline constexpr std::size_t kModeFlags = 158;
inline constexpr std::uint8_t kFlagIgnitionInverted = 1u << 2;
inline constexpr std::uint8_t kFlagBank2Off = 1u << 3;

// One-dimensional tables of a table set (offset inside the set, entries).
struct TableSpan {
  std::size_t offset;
  std::size_t size;
};
inline constexpr TableSpan kBySpeed{0, 32};        // entry k at 500*k rpm
inline constexpr TableSpan kByPressure{32, 62};    // entry k at raw pressure k
inline constexpr TableSpan kByThrottle{94, 22};    // entry k at 5*k %
inline constexpr TableSpan kByAirTemp{116, 17};    // entry k at -20 + 10*k degC
inline constexpr TableSpan kByWaterTemp{133, 17};  // entry k at -20 + 10*k degC
inline constexpr std::size_t kTableSetSize = 150;

using CalibrationImage = std::array<std::uint8_t, kCalibrationSize>;

// Start of the active slot block inside the image.
std::size_t ActiveSlotOffset(const CalibrationImage& image);

// A plausible calibration so that live data look real without a map file.
CalibrationImage DefaultCalibration();

// Reads a decimal map: values 0..255 separated by line ends (LF or CR LF),
// commas, blanks or tabs; blank lines are skipped and a leading UTF-8 byte
// order mark is tolerated. Accepts 1..kMapMaxValues values. On failure returns
// false, sets *error (if given) and leaves *values untouched.
bool ParseMap(std::istream& in, std::vector<std::uint8_t>* values, std::string* error);

// Writes the values one per line (LF).
std::string FormatMap(const std::uint8_t* data, std::size_t size);

// Replaces `path` with `contents` atomically: a temporary file in the same
// folder, flushed to disk, then renamed over the target.
bool WriteFileAtomic(const std::string& path, const std::string& contents, std::string* error);

}  // namespace orvsim
