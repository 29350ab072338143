#include "core/log/log_view.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

RowSpan SpanOf(const std::vector<double>& time, double t0, double t1) {
    const auto first = std::lower_bound(time.begin(), time.end(), t0);
    if (!(t1 >= t0)) return {static_cast<std::size_t>(first - time.begin()), static_cast<std::size_t>(first - time.begin())};
    const auto last = std::upper_bound(first, time.end(), t1);
    return {static_cast<std::size_t>(first - time.begin()), static_cast<std::size_t>(last - time.begin())};
}

// The channel each table's axis reads.
constexpr std::array<int, kTableCount> kTableChannel{kChRpm, kChPressure, kChTps, kChAir, kChWater};

bool ValidChannel(const LogData& log, int channel) {
    return channel >= 0 && static_cast<std::size_t>(channel) < log.channels.size() &&
           log.channels[channel].values.size() == log.time.size();
}

// The smallest, largest and (when asked) the sum of v[0..n), n > 0: in
// eight lanes, so that the compiler keeps them in vector registers.
struct Extremes {
    float lo, hi;
    double sum;
};
template <bool kSum>
Extremes Scan(const float* v, std::size_t n) {
    constexpr std::size_t kLanes = 8;
    float lo[kLanes], hi[kLanes];
    double sum[kLanes] = {};
    for (std::size_t j = 0; j < kLanes; ++j) lo[j] = hi[j] = v[0];
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (std::size_t j = 0; j < kLanes; ++j) {
            lo[j] = v[i + j] < lo[j] ? v[i + j] : lo[j];
            hi[j] = v[i + j] > hi[j] ? v[i + j] : hi[j];
            if constexpr (kSum) sum[j] += v[i + j];
        }
    Extremes e{lo[0], hi[0], 0};
    for (std::size_t j = 0; j < kLanes; ++j) {
        e.lo = std::min(e.lo, lo[j]);
        e.hi = std::max(e.hi, hi[j]);
        e.sum += sum[j];
    }
    for (; i < n; ++i) {
        e.lo = std::min(e.lo, v[i]);
        e.hi = std::max(e.hi, v[i]);
        if constexpr (kSum) e.sum += v[i];
    }
    return e;
}

}  // namespace

RowSpan RowsIn(const LogData& log, double t0, double t1) { return SpanOf(log.time, t0, t1); }

std::size_t RowAt(const LogData& log, double t) {
    if (log.empty()) return log.rows();
    const auto after = std::upper_bound(log.time.begin(), log.time.end(), t);
    return after == log.time.begin() ? 0 : static_cast<std::size_t>(after - log.time.begin()) - 1;
}

std::vector<ColumnRange> Decimate(const std::vector<double>& time, const std::vector<float>& values, double t0,
                                  double t1, int columns) {
    std::vector<ColumnRange> out(static_cast<std::size_t>(std::max(columns, 0)));
    if (columns <= 0 || !(t1 > t0) || values.size() != time.size()) return out;
    const RowSpan span = SpanOf(time, t0, t1);
    const double width = (t1 - t0) / columns;
    // Each column's rows are a run of the time axis: find where it ends and
    // take the run's extremes in one tight pass.
    std::size_t row = span.first;
    for (int c = 0; c < columns && row < span.last; ++c) {
        std::size_t end = span.last;
        if (c + 1 < columns) {
            const double edge = t0 + width * (c + 1);
            end = static_cast<std::size_t>(
                std::lower_bound(time.begin() + static_cast<std::ptrdiff_t>(row),
                                 time.begin() + static_cast<std::ptrdiff_t>(span.last), edge) -
                time.begin());
        }
        if (end == row) continue;
        const Extremes e = Scan<false>(values.data() + row, end - row);
        out[static_cast<std::size_t>(c)] = {e.lo, e.hi, true};
        row = end;
    }
    return out;
}

std::vector<ColumnRange> Decimate(const LogData& log, int channel, double t0, double t1, int columns) {
    if (!ValidChannel(log, channel)) return std::vector<ColumnRange>(static_cast<std::size_t>(std::max(columns, 0)));
    return Decimate(log.time, log.channels[channel].values, t0, t1, columns);
}

SpanStats StatsOf(const LogData& log, int channel, double t0, double t1) {
    if (!ValidChannel(log, channel)) return {};
    return StatsOf(log, log.channels[channel].values, t0, t1);
}

SpanStats StatsOf(const LogData& log, const std::vector<float>& values, double t0, double t1) {
    SpanStats s;
    const RowSpan span = RowsIn(log, t0, t1);
    const std::size_t last = std::min(span.last, values.size());
    if (last <= span.first) return s;
    s.count = last - span.first;
    const Extremes e = Scan<true>(values.data() + span.first, s.count);
    s.min = e.lo;
    s.max = e.hi;
    s.mean = e.sum / static_cast<double>(s.count);
    return s;
}

TableHits CountTableHits(const LogData& log, double t0, double t1) {
    TableHits hits;
    for (int t = 0; t < kTableCount; ++t) hits[t].assign(static_cast<std::size_t>(kTableEntries[t]), 0.0);
    if (log.rows() < 2 || !(t1 > t0)) return hits;
    // The rows whose time up to the next row overlaps the span: from the row
    // standing at t0 to the last at or before t1.
    const std::size_t first = RowAt(log, t0);
    const std::size_t last = RowsIn(log, t0, t1).last;
    // Each table's row depends on its own reading alone: look them up by byte.
    std::array<std::array<std::uint8_t, 256>, kTableCount> row_of{};
    for (int b = 0; b < 256; ++b) {
        LiveValues v;
        v.live_rpm = v.live_pressure = v.live_tps = v.live_air = v.live_water = static_cast<std::uint8_t>(b);
        const std::array<int, kTableCount> rows = OperatingRows(v);
        for (int t = 0; t < kTableCount; ++t) row_of[t][b] = static_cast<std::uint8_t>(rows[t] - 1);
    }
    // Rows that follow a gap marker (markers are in time order, so are their rows).
    auto gap = log.markers.begin();
    constexpr std::size_t kBlock = 1024;
    std::array<std::array<std::uint8_t, kBlock>, kTableCount> bytes;
    const std::size_t end = std::min(last, log.rows() - 1);
    for (std::size_t block = first; block < end; block += kBlock) {
        const std::size_t n = std::min(kBlock, end - block);
        for (int t = 0; t < kTableCount; ++t) LiveBytes(log, kTableChannel[t], block, n, bytes[t].data());
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = block + k;
            const double a = log.time[i], b = log.time[i + 1];
            while (gap != log.markers.end() && (!gap->gap || gap->row <= i)) ++gap;
            if (gap != log.markers.end() && gap->row == i + 1) continue;
            if (b - a > kHitGapSeconds) continue;
            const double seconds = std::min(b, t1) - std::max(a, t0);
            if (seconds <= 0) continue;
            for (int t = 0; t < kTableCount; ++t) hits[t][row_of[t][bytes[t][k]]] += seconds;
        }
    }
    return hits;
}

}  // namespace orv
