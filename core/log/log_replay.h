#pragma once
// What a calibration would have done over a log: the injection times,
// advance and duty the console computes live (and `orvtool calc` prints),
// recomputed at every row's operating point.
#include <string>
#include <vector>

#include "core/calibration/image.h"
#include "core/log/log_data.h"

namespace orv {

// The console's duty-limit warning, in percent.
constexpr double kDefaultDutyLimit = 85.0;

struct Replay {
    // One per row of the log, in the live values' units: ms, degrees, percent.
    std::vector<float> bank1_ms, bank2_ms, advance_deg, duty1_pct, duty2_pct;
    // The duty the logged injection times give with this calibration's cylinder settings.
    std::vector<float> logged_duty1_pct, logged_duty2_pct;
};
Replay Recompute(const LogData& log, const Image& image);

// Spans [start, end] of time where a recomputed duty (either bank) exceeds `limit`.
struct TimeSpan {
    double start = 0, end = 0;
};
std::vector<TimeSpan> DutyOver(const LogData& log, const Replay& replay, double limit);

// `orvtool replay`'s CSV: the log's time and channels, then the recomputed
// outputs and duties, and for a log that has them the mode and the outputs
// imposed in host mode, CR LF.
std::string FormatReplayCsv(const LogData& log, const Replay& replay);

}  // namespace orv
