// Log files as the viewer and orvtool replay read them: any bytes give a log
// whose rows are whole and in time order, or a reason and nothing; every
// row reads out, draws, counts and replays.
#include <algorithm>
#include <cmath>

#include "core/log/log_replay.h"
#include "core/log/log_view.h"
#include "fuzz/fuzz_support.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LogData log = ParseLog(fuzz::Text(data, size));
    ORV_REQUIRE(log.channels.size() == kLogChannels);
    for (const LogChannel& ch : log.channels) ORV_REQUIRE(ch.values.size() == log.rows());
    ORV_REQUIRE(std::is_sorted(log.time.begin(), log.time.end()));
    ORV_REQUIRE(log.error.empty() || (log.empty() && log.markers.empty()));
    ORV_REQUIRE(!log.Summary().empty());
    double last = -HUGE_VAL;
    for (const LogMarker& m : log.markers) {
        ORV_REQUIRE(m.time >= last && m.row <= log.rows() && !m.text.empty());
        last = m.time;
    }
    for (std::size_t i = 0; i < log.rows(); ++i) ORV_REQUIRE(LiveAt(log, i).has_value());
    ORV_REQUIRE(!LiveAt(log, log.rows()));
    if (log.empty()) return 0;

    const double t0 = log.time.front(), t1 = log.time.back();
    for (int c = 0; c < kLogChannels; ++c) {
        const std::vector<ColumnRange> cols = Decimate(log, c, t0, t1 + 1, 64);
        ORV_REQUIRE(cols.size() == 64);
        const SpanStats s = StatsOf(log, c, t0, t1);
        ORV_REQUIRE(s.count == log.rows() && s.min <= s.max);
    }
    const TableHits hits = CountTableHits(log, t0, t1);
    for (int t = 0; t < kTableCount; ++t)
        for (double secs : hits[t]) ORV_REQUIRE(secs >= 0 && secs <= t1 - t0 + 1e-9);
    ORV_REQUIRE(RowAt(log, t1) < log.rows());

    const Image image{};
    const Replay replay = Recompute(log, image);
    ORV_REQUIRE(replay.duty1_pct.size() == log.rows());
    const std::string csv = FormatReplayCsv(log, replay);
    ORV_REQUIRE(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) == log.rows() + 1);
    for (const TimeSpan& s : DutyOver(log, replay, 0)) ORV_REQUIRE(s.start <= s.end);
    return 0;
}
