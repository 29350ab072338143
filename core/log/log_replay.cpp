#include "core/log/log_replay.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "core/common/numbers.h"
#include "core/log/live_log.h"
#include "core/log/log_view.h"
#include "core/monitor/duty.h"
#include "core/monitor/table_lookup.h"
#include "core/recorder/recording.h"

namespace orv {

Replay Recompute(const LogData& log, const Image& image) {
    Replay r;
    const std::size_t n = log.rows();
    for (auto* v : {&r.bank1_ms, &r.bank2_ms, &r.advance_deg, &r.duty1_pct, &r.duty2_pct, &r.logged_duty1_pct,
                    &r.logged_duty2_pct})
        v->resize(n);
    const CylinderSettings cylinders = ActiveCylinders(image);
    for (std::size_t i = 0; i < n; ++i) {
        const LiveValues v = *LiveAt(log, i);
        const MapOutput out = CalcOutput(image, LivePoint(v));
        r.bank1_ms[i] = static_cast<float>(out.tinj1 / 10.0);
        r.bank2_ms[i] = static_cast<float>(out.tinj2 / 10.0);
        r.advance_deg[i] = static_cast<float>(out.advance - kAdvanceOffset);
        r.duty1_pct[i] = static_cast<float>(DutyCycle(v.live_rpm, out.tinj1, cylinders));
        r.duty2_pct[i] = static_cast<float>(DutyCycle(v.live_rpm, out.tinj2, cylinders));
        r.logged_duty1_pct[i] = static_cast<float>(DutyCycle(v.live_rpm, v.live_tinj1, cylinders));
        r.logged_duty2_pct[i] = static_cast<float>(DutyCycle(v.live_rpm, v.live_tinj2, cylinders));
    }
    return r;
}

std::vector<TimeSpan> DutyOver(const LogData& log, const Replay& replay, double limit) {
    std::vector<TimeSpan> spans;
    const std::size_t n = std::min({log.rows(), replay.duty1_pct.size(), replay.duty2_pct.size()});
    auto gap = log.markers.begin();
    bool open = false;
    for (std::size_t i = 0; i < n; ++i) {
        // A gap between two rows ends a span: what came in between is not known.
        while (gap != log.markers.end() && (!gap->gap || gap->row < i)) ++gap;
        const bool after_gap = i > 0 && ((gap != log.markers.end() && gap->row == i) ||
                                         log.time[i] - log.time[i - 1] > kHitGapSeconds);
        if (after_gap) open = false;
        if (replay.duty1_pct[i] <= limit && replay.duty2_pct[i] <= limit) {
            open = false;
            continue;
        }
        if (open) spans.back().end = log.time[i];
        else spans.push_back({log.time[i], log.time[i]});
        open = true;
    }
    return spans;
}

std::string FormatReplayCsv(const LogData& log, const Replay& replay) {
    std::string header = FormatRecordingCsv({}, 0);
    header.insert(header.size() - 2,
                  ",duty1_pct,duty2_pct,calc_bank1_ms,calc_bank2_ms,calc_advance_deg,calc_duty1_pct,calc_duty2_pct");
    // A log that says its mode keeps it, with what host mode imposed, last.
    const bool modes = log.host.size() == log.rows() && !log.host.empty();
    if (modes) {
        std::string more(1, ',');
        more += kModeColumn;
        for (std::string_view name : kImposedColumns) (more += ',') += name;
        header.insert(header.size() - 2, more);
    }
    std::string out = header;
    const std::size_t n = std::min(log.rows(), replay.bank1_ms.size());
    out.reserve(header.size() + n * 90);
    auto whole = [](float v) { return Str(static_cast<long>(v)); };
    auto tenths = [](float v) { return Format(v, "#0.0"); };
    for (std::size_t i = 0; i < n; ++i) {
        char time[32];
        std::snprintf(time, sizeof time, "%.3f,", log.time[i]);
        out += time;
        // The live values the row stands for, as the log writes them.
        out += LiveChannelCells(*LiveAt(log, i));
        for (const std::string& cell :
             {whole(replay.logged_duty1_pct[i]), whole(replay.logged_duty2_pct[i]), tenths(replay.bank1_ms[i]),
              tenths(replay.bank2_ms[i]), whole(replay.advance_deg[i]), whole(replay.duty1_pct[i]),
              whole(replay.duty2_pct[i])}) {
            out += ',';
            out += cell;
        }
        if (modes) {
            (out += ',') += log.host[i] ? kModeHost : kModeRemote;
            const std::array<float, kImposedOutputs> sent{log.imposed[kImposedBank1][i], log.imposed[kImposedBank2][i],
                                                          log.imposed[kImposedAdvance][i]};
            for (int k = 0; k < kImposedOutputs; ++k) {
                out += ',';
                if (!std::isnan(sent[k])) out += k == kImposedAdvance ? whole(sent[k]) : tenths(sent[k]);
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace orv
