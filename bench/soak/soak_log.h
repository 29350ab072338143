#pragma once
// Counts in an orv-sim --log file: what went over the line, which faults the
// simulator made, and which lock-step violations were the console's.
#include <filesystem>
#include <istream>

namespace orv::soak {

struct LogCounts {
    unsigned long long requests = 0, replies = 0, dropped = 0, truncated = 0, noise = 0;
    // A request that started before the previous reply was out. One right
    // after a reply with a stray byte appended is the stray's: the console's
    // next request, sent as the reply it expected ends, meets it on the line.
    unsigned long long console_violations = 0, noise_violations = 0;
    // A reply held back (orv-sim --late-every) is asked again once its time
    // is past, before it comes: one such ask each is the rule, any more are
    // the console's violations.
    unsigned long long late = 0, late_asks = 0;
    LogCounts& operator+=(const LogCounts& o);
};

LogCounts CountLog(std::istream& in);
LogCounts CountLog(const std::filesystem::path& path);

}  // namespace orv::soak
