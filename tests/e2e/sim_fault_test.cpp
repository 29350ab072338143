// orv-sim's fault modes and lock-step guard, seen from the console's end.
#include <chrono>
#include <thread>

#include "sim_fixture.h"

namespace orvtest {
namespace {

using namespace std::chrono_literals;

TEST_F(SimLine, EveryNthReplyFaults) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::size_t> sizes;  // reply sizes for four 10-byte reads
    SimStats stats;
  };
  const std::vector<Case> cases = {
      {{"--drop-every", "2"}, {10, 0, 10, 0}, {4, 2, 0, 0}},
      {{"--truncate-every", "2"}, {10, 9, 10, 9}, {4, 4, 0, 0}},
      {{"--noise-every", "2"}, {10, 11, 10, 11}, {4, 4, 0, 0}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args[0]);
    ASSERT_NO_FATAL_FAILURE(Launch(k.args));
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0; i < k.sizes.size(); ++i) {
      ASSERT_TRUE(line_.Write({0x8A, 0x01, 0x03}));
      Bytes reply = line_.ReadExactly(k.sizes[i], 1s);
      // Whatever else arrives shortly belongs to the same reply.
      const Bytes more = line_.ReadFor(60ms);
      reply.insert(reply.end(), more.begin(), more.end());
      sizes.push_back(reply.size());
    }
    EXPECT_EQ(sizes, k.sizes);
    EXPECT_EQ(Finish(), k.stats);
  }
}

TEST_F(SimLine, SilentAfterStopsAnswering) {
  ASSERT_NO_FATAL_FAILURE(Launch({"--silent-after", "0.5"}));
  EXPECT_EQ(line_.Transact({0x81, 0x01, 0x0C}, 1), Bytes{0x21});
  std::this_thread::sleep_for(600ms);
  ASSERT_TRUE(line_.Write({0x81, 0x01, 0x0C}));
  EXPECT_TRUE(line_.ReadFor(200ms).empty());
  EXPECT_FALSE(line_.hung_up());
  EXPECT_EQ(Finish(), (SimStats{2, 1, 0, 0}));
}

TEST_F(SimLine, HangupAfterClosesTheLine) {
  ASSERT_NO_FATAL_FAILURE(Launch({"--hangup-after", "0.5"}));
  EXPECT_EQ(line_.Transact({0x81, 0x01, 0x0C}, 1), Bytes{0x21});
  EXPECT_FALSE(line_.hung_up());
  line_.ReadFor(1500ms);
  EXPECT_TRUE(line_.hung_up());
  // Still running after the hangup: it ends on the signal with its statistics.
  EXPECT_TRUE(sim_.running());
  EXPECT_EQ(Finish(), (SimStats{1, 1, 0, 0}));
}

TEST_F(SimLine, RequestBeforeTheReplyIsAViolation) {
  ASSERT_NO_FATAL_FAILURE(Launch({"--baud", "19200"}));
  // Waiting for each reply is fine.
  for (int i = 0; i < 2; ++i) ASSERT_EQ(line_.Transact({0x8A, 0x01, 0x03}, 10).size(), 10u);
  // Back to back: the second request is on its way while the first reply is paced out.
  ASSERT_TRUE(line_.Write({0x8A, 0x01, 0x03, 0x8A, 0x01, 0x03}));
  EXPECT_EQ(line_.ReadExactly(20, 1s).size(), 20u);
  EXPECT_EQ(Finish(), (SimStats{4, 4, 1, 0}));
}

}  // namespace
}  // namespace orvtest
