#pragma once
// A log read back for the log viewer and `orvtool replay`: the console's own
// logs, any CSV with the same header (the recorder's CSV export, `orvtool
// monitor --csv`), and recording files. What is whole is kept; what is not
// is skipped and said, never guessed. Reading never writes to the file.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/live_values.h"

namespace orv {

// The nine channels every log holds, in the recorder's column order.
enum LogChannelId { kChRpm, kChPressure, kChTps, kChAir, kChWater, kChBank1, kChBank2, kChAdvance, kChBattery, kLogChannels };

// The columns a console log carries after its marker: the link's mode on
// each block's row, and in host mode the outputs the console imposed. A log
// without them is all remote.
inline constexpr std::string_view kModeColumn = "mode";
inline constexpr std::string_view kModeRemote = "remote";
inline constexpr std::string_view kModeHost = "host";
enum ImposedId { kImposedBank1, kImposedBank2, kImposedAdvance, kImposedOutputs };
inline constexpr std::array<std::string_view, kImposedOutputs> kImposedColumns{
    "imposed_bank1_ms", "imposed_bank2_ms", "imposed_advance_deg"};

struct LogChannel {
    std::string name;  // the column's heading: "rpm", "pressure_bar", ...
    std::string unit;  // "rpm", "bar", "%", "°C", "ms", "deg", "V"
    std::vector<float> values;  // one per row
};

// A numbered marker ("1", "2", ...) or a gap ("gap: link lost", ...), at
// the time of the row that carries it.
struct LogMarker {
    double time = 0;
    std::string text;
    bool gap = false;
    // The data rows before it: it stands between row `row - 1` and row `row`.
    std::size_t row = 0;
};

struct LogData {
    std::vector<double> time;          // seconds, never decreasing
    std::vector<LogChannel> channels;  // kLogChannels of them, each time.size() long
    std::vector<LogMarker> markers;    // in time order
    // Per row, when the log has the mode column (else empty): whether the
    // console imposed the outputs (host mode), and what it imposed, in ms
    // and degrees (NaN where it imposed nothing).
    std::vector<std::uint8_t> host;
    std::array<std::vector<float>, kImposedOutputs> imposed;
    // What was skipped and why, one short sentence each ("row 1,204: 3 cells, 10 expected").
    std::vector<std::string> skipped;
    long rows_skipped = 0;
    // Why nothing could be read ("not a log: the first line is ..."), empty when something could.
    std::string error;

    std::size_t rows() const { return time.size(); }
    bool empty() const { return time.empty(); }
    // The status line's text: "12,345 rows, 0:05:43" and, when anything was
    // skipped, how many rows and the first reasons.
    std::string Summary() const;
};

// Reads a log file of either kind (told apart by its content).
LogData ReadLog(const std::filesystem::path& path);
// The same from text already in memory: a CSV log, or a recording's values.
LogData ParseLog(std::string_view text);

// The raw live bytes a row stands for (the channels are exact conversions of
// the live bytes, so this gives back what the controller sent); nothing for a
// row out of range.
std::optional<LiveValues> LiveAt(const LogData& log, std::size_t row);
// The same for one channel over rows [first, first + count), into `out`:
// for walking many rows at once. Rows past the log are left out.
void LiveBytes(const LogData& log, int channel, std::size_t first, std::size_t count, std::uint8_t* out);

// What LiveBytes does to values beyond what the controller's byte can say
// (rpm past 25,500, advance past 210, ...): "3 values out of range clamped:
// 2 rpm (to 0..25,500), 1 advance_deg (to -45..210)", or empty when every
// value is in range.
std::string ClampedValues(const LogData& log);

}  // namespace orv
