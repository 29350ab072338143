#include "soak_log.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orv::soak {
namespace {

LogCounts Count(const std::string& text) {
    std::istringstream in(text);
    return CountLog(in);
}

TEST(SoakLog, FaultsAndViolationsAreCountedAndTheStraysOwnAreSetApart) {
    const LogCounts c = Count(
        "       100 RX 8A 01 03\n"
        "      5000 TX 21 8C 00 00 00 00 00 00 00 00 (noise)\n"
        "     10000 RX 8A 01 03 (violation)\n"          // the stray byte's
        "     15000 TX 21 8C 00 00 00 00 00 00 (truncated)\n"
        "     20000 RX 8A 01 03 (violation)\n"          // the console's
        "     25000 TX (dropped)\n"
        "     30000 RX 80 (malformed)\n"
        "     35000 RX 8A 01 03\n"
        "     40000 TX 21 8C 00 00 00 00 00 00 00 (truncated, noise)\n"
        "     45000 -- hangup\n"
        "     50000 RX 8A 01 03 (violation)\n"          // a new line: the console's
        "     55000 TX (no reply)\n"
        "     60000 RX 8A 01 03\n"
        "     65000 RX 8A 01 03 (violation)\n"          // asked again before a late reply
        "     70000 TX 21 8C 00 00 00 00 00 00 00 00 (late)\n"
        "     75000 RX 8A 01 03 (violation)\n"          // twice: one is the console's
        "     76000 RX 8A 01 03 (violation)\n"
        "     80000 TX 21 8C 00 00 00 00 00 00 00 00 (late, noise)\n");
    EXPECT_EQ(c.requests, 9u);
    EXPECT_EQ(c.replies, 5u);
    EXPECT_EQ(c.dropped, 1u);
    EXPECT_EQ(c.truncated, 2u);
    EXPECT_EQ(c.noise, 3u);
    EXPECT_EQ(c.noise_violations, 1u);
    EXPECT_EQ(c.console_violations, 3u);
    EXPECT_EQ(c.late, 2u);
    EXPECT_EQ(c.late_asks, 2u);
    EXPECT_EQ(Count("").requests, 0u);
    EXPECT_EQ(Count("garbage\n\n  12 RX (violation)\n").console_violations, 1u);
}

}  // namespace
}  // namespace orv::soak
