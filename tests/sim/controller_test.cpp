#include "sim/controller.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Send(Controller& c, const Bytes& bytes, double now = 0) {
  Bytes out = c.Receive(bytes, now);
  c.ReplySent();
  return out;
}

Bytes Live(Controller& c, double now = 0) { return Send(c, {0x8A, 0x01, 0x03}, now); }

Options ModelOptions(Model model, std::uint8_t firmware = 0x21) {
  Options o;
  o.model = model;
  o.firmware = firmware;
  return o;
}

Options FaultOptions(const Faults& faults) {
  Options o;
  o.faults = faults;
  return o;
}

TEST(Framing, ReplyDoesNotDependOnHowRequestsAreSplit) {
  // A write, a read of what it wrote, and a 1-byte read.
  const Bytes stream = {0x06, 0x20, 0x00, 0xAA, 0xBB, 0xCC, 0x83, 0x20, 0x00, 0x81, 0x20, 0x02};
  const Bytes expected = {0x20, 0x00, 0xAA, 0xBB, 0xCC, 0xCC};
  for (std::size_t piece = 1; piece <= stream.size(); ++piece) {
    SCOPED_TRACE("piece size " + std::to_string(piece));
    Controller c;
    Bytes got;
    for (std::size_t i = 0; i < stream.size(); i += piece) {
      const std::size_t n = std::min(piece, stream.size() - i);
      const Bytes part = c.Receive(std::span(stream).subspan(i, n), 0);
      got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(c.stats().requests, 3u);
    EXPECT_EQ(c.stats().replies, 3u);
    EXPECT_EQ(c.stats().malformed, 0u);
  }
}

TEST(Framing, TwoRequestsInOneChunkGetTwoReplies) {
  Controller c;
  c.Poke(0x3000, 0x11);
  c.Poke(0x3001, 0x22);
  const auto ex = c.Feed(Bytes{0x81, 0x30, 0x00, 0x81, 0x30, 0x01}, 0);
  ASSERT_EQ(ex.size(), 2u);
  EXPECT_EQ(ex[0].request, (Bytes{0x81, 0x30, 0x00}));
  EXPECT_EQ(ex[0].reply, Bytes{0x11});
  EXPECT_EQ(ex[1].reply, Bytes{0x22});
  // The console did not wait for the first reply.
  EXPECT_FALSE(ex[0].violation);
  EXPECT_TRUE(ex[1].violation);
}

TEST(Memory, ReadWriteAndWrapAt64K) {
  Controller c;
  EXPECT_EQ(Send(c, {0x06, 0xFF, 0xFE, 1, 2, 3}), (Bytes{0xFF, 0xFE}));
  EXPECT_EQ(Send(c, {0x84, 0xFF, 0xFE}), (Bytes{1, 2, 3, 0}));
  EXPECT_EQ(c.Peek(0x0000), 3);
  EXPECT_EQ(Send(c, {0xFF, 0x40, 0x00}).size(), 127u);
  // The calibration area is EEPROM: acknowledged, unchanged.
  const std::uint8_t before = c.Peek(0xE010);
  EXPECT_EQ(Send(c, {0x04, 0xE0, 0x10, static_cast<std::uint8_t>(before + 1)}), (Bytes{0xE0, 0x10}));
  EXPECT_EQ(c.Peek(0xE010), before);
}

TEST(Malformed, StartByteIsDiscardedAndFramingResumes) {
  for (const std::uint8_t bad : {0x80, 0x00, 0x01, 0x02, 0x03}) {
    SCOPED_TRACE(static_cast<int>(bad));
    Controller c;
    c.Poke(0x8000, 0x42);
    // Inside a request the same byte is just an address byte.
    const auto ex = c.Feed(Bytes{bad, 0x81, 0x80, 0x00}, 0);
    ASSERT_EQ(ex.size(), 2u);
    EXPECT_TRUE(ex[0].malformed);
    EXPECT_TRUE(ex[0].reply.empty());
    EXPECT_EQ(ex[1].reply, Bytes{0x42});
    EXPECT_EQ(c.stats().malformed, 1u);
    EXPECT_EQ(c.stats().requests, 1u);
    EXPECT_EQ(c.stats().replies, 1u);
  }
}

TEST(Malformed, NoiseNeverCrashesAndEveryByteIsAccountedFor) {
  Controller c;
  std::uint32_t x = 12345;
  for (int i = 0; i < 20000; ++i) {
    x = x * 1664525u + 1013904223u;
    for (const Exchange& e : c.Feed(Bytes{static_cast<std::uint8_t>(x >> 24)}, i * 0.001)) {
      const std::size_t want = e.malformed ? 0 : e.request[0] & 0x80 ? e.request[0] & 0x7F : 2;
      ASSERT_EQ(e.reply.size(), want);
    }
    c.ReplySent();
  }
  EXPECT_GT(c.stats().malformed, 0u);
  EXPECT_GT(c.stats().requests, 0u);
  EXPECT_EQ(c.stats().requests, c.stats().replies);
}

// One programming block, as a console sends it.
Bytes ProgramBlockFrames(std::uint16_t start, std::uint8_t fill) {
  Bytes f = {0x04, 0x01, 0x45, 0x04};  // open a block
  const auto end = static_cast<std::uint16_t>(start + 63);
  f.insert(f.end(), {0x07, 0x00, 0xA1, static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
                     static_cast<std::uint8_t>(end >> 8), static_cast<std::uint8_t>(end)});
  f.insert(f.end(), {0x43, 0x00, 0x4C});
  for (int i = 0; i < 64; ++i) f.push_back(static_cast<std::uint8_t>(fill + i));
  f.insert(f.end(), {0x04, 0x01, 0x45, 0x06});  // program it
  return f;
}

const Bytes kEndProgramming = {0x04, 0x01, 0x45, 0x10};

TEST(Programming, BlocksLandInTheCalibrationAreaOnly) {
  Controller c;
  const Bytes reply = c.Receive(ProgramBlockFrames(0xE040, 0x30), 0);
  EXPECT_EQ(reply, (Bytes{0x01, 0x45, 0x00, 0xA1, 0x00, 0x4C, 0x01, 0x45}));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(c.Peek(static_cast<std::uint16_t>(0xE040 + i)), 0x30 + i) << i;
  EXPECT_NE(c.Peek(0xE03F), 0x30 + 63);
  // The last block's padding past 0xE72B has nowhere to go.
  c.Receive(ProgramBlockFrames(0xE700, 0x80), 0);
  EXPECT_EQ(c.Peek(0xE72B), 0x80 + 0x2B);
  EXPECT_EQ(c.Peek(0xE72C), 0);
  EXPECT_EQ(c.programmed_sequences(), 0u);
  c.Receive(kEndProgramming, 0);
  EXPECT_EQ(c.programmed_sequences(), 1u);
}

TEST(Programming, CorruptProgramFaultInvertsOneByteOnly) {
  Controller c(FaultOptions({.corrupt_program = 0x45}));
  c.Receive(ProgramBlockFrames(0xE040, 0x30), 0);
  for (int i = 0; i < 64; ++i) {
    const int want = 0xE040 + i == 0xE045 ? (0x30 + i) ^ 0xFF : 0x30 + i;
    ASSERT_EQ(c.Peek(static_cast<std::uint16_t>(0xE040 + i)), want) << i;
  }
}

TEST(Programming, BlockNotOpenedIsNotProgrammed) {
  Controller c;
  const CalibrationImage before = c.calibration();
  Bytes frames = ProgramBlockFrames(0xE000, 0x10);
  frames.erase(frames.begin(), frames.begin() + 4);
  c.Receive(frames, 0);
  c.Receive(kEndProgramming, 0);
  EXPECT_EQ(c.calibration(), before);
  EXPECT_EQ(c.programmed_sequences(), 0u);  // nothing to save
}

TEST(HostMode, LiveOutputsComeFromTheHostBlock) {
  struct Case {
    Model model;
    std::uint8_t advance;
  };
  for (const Case k : {Case{Model::talpa, 77}, Case{Model::quil, 100}}) {
    SCOPED_TRACE(k.model == Model::talpa ? "talpa" : "quil");
    Controller c(ModelOptions(k.model));
    Send(c, {0x0C, 0x01, 0x46, 250, 251, 77, 1, 2, 3, 4, 5, 6});
    EXPECT_FALSE(c.host_mode());
    EXPECT_NE(Live(c)[5], 250);

    Send(c, {0x04, 0x01, 0x45, 0x08});
    EXPECT_TRUE(c.host_mode());
    const Bytes live = Live(c);
    EXPECT_EQ(live[5], 250);
    EXPECT_EQ(live[6], 251);
    EXPECT_EQ(live[7], k.advance);

    Send(c, {0x04, 0x01, 0x45, 0x00});
    EXPECT_FALSE(c.host_mode());
    EXPECT_NE(Live(c)[5], 250);
  }
}

TEST(LiveBlock, LooksLikeARunningEngine) {
  for (const Model model : {Model::talpa, Model::quil}) {
    Controller c(ModelOptions(model, 0x13));
    int min_rpm = 255, max_rpm = 0, max_inj = 0, idle_inj = 0;
    for (double t = 0; t < 40; t += 0.1) {
      const Bytes live = Live(c, t);
      ASSERT_EQ(live.size(), 10u);
      min_rpm = std::min<int>(min_rpm, live[0]);
      max_rpm = std::max<int>(max_rpm, live[0]);
      max_inj = std::max<int>(max_inj, live[5]);
      if (t > 20.5 && t < 22) idle_inj = live[5];
      ASSERT_LE(live[2], 100);
      ASSERT_NEAR(live[8], 138, 1);  // 13.8 V
      if (model == Model::talpa)
        ASSERT_LE(live[7], 90) << "t=" << t;
      else
        ASSERT_EQ(live[7], 100) << "t=" << t;
      ASSERT_EQ(live[9], 0x13);
    }
    EXPECT_NEAR(min_rpm, 9, 1);
    EXPECT_NEAR(max_rpm, 65, 1);
    EXPECT_GE(idle_inj, 10);  // 1..3 ms at idle
    EXPECT_LE(idle_inj, 30);
    EXPECT_GE(max_inj, 100);  // over 10 ms at full load
    EXPECT_EQ(Live(c, 0)[4], 40);  // 20 degC cold start ...
    EXPECT_GT(Live(c, 300)[4], 90);  // ... warming up
    EXPECT_EQ(Send(c, {0x88, 0x01, 0x03}).size(), 8u);
  }
}

TEST(LiveBlock, FollowsTheActiveSlotAndBank2Switch) {
  Controller c;
  const double idle = 1.0;
  const std::uint8_t model = Live(c, idle)[5];
  // Make slot 2's bank 1 base table twice slot 0's, then select slot 2.
  for (int k = 0; k < 32; ++k) {
    const auto a = static_cast<std::uint16_t>(kCalibrationBase + 2 * kSlotSize + kBank1Set + k);
    c.Poke(a, static_cast<std::uint8_t>(2 * c.Peek(a)));
  }
  c.Poke(kCalibrationBase + kActiveSlotByte, 2);
  EXPECT_NEAR(Live(c, idle)[5], 2 * model, 2);
  c.Poke(kCalibrationBase + kActiveSlotByte, 7);  // anything else: slot 0
  EXPECT_EQ(Live(c, idle)[5], model);

  EXPECT_GT(Live(c, idle)[6], 0);
  c.Poke(kCalibrationBase + kModeFlags, kFlagBank2Off);
  EXPECT_EQ(Live(c, idle)[6], 0);
}

struct FaultCase {
  const char* name;
  Faults faults;
  std::vector<std::size_t> reply_sizes;  // for requests 1..6, each a 2-byte write reply
  std::uint64_t replies;
};

TEST(Faults, EveryNthReply) {
  const std::vector<FaultCase> cases = {
      {"none", {}, {2, 2, 2, 2, 2, 2}, 6},
      {"drop every 3", {.drop_every = 3}, {2, 2, 0, 2, 2, 0}, 4},
      {"truncate every 2", {.truncate_every = 2}, {2, 1, 2, 1, 2, 1}, 6},
      {"noise every 3", {.noise_every = 3}, {2, 2, 3, 2, 2, 3}, 6},
      {"drop wins over truncate", {.drop_every = 2, .truncate_every = 3}, {2, 0, 1, 0, 2, 0}, 3},
      {"truncate and noise", {.truncate_every = 2, .noise_every = 2}, {2, 2, 2, 2, 2, 2}, 6},
  };
  for (const FaultCase& k : cases) {
    SCOPED_TRACE(k.name);
    Controller c(FaultOptions(k.faults));
    std::vector<std::size_t> sizes;
    for (int i = 0; i < 6; ++i) {
      const auto ex = c.Feed(Bytes{0x04, 0x20, 0x00, static_cast<std::uint8_t>(i)}, 0);
      ASSERT_EQ(ex.size(), 1u);
      sizes.push_back(ex[0].reply.size());
      if (!ex[0].reply.empty() && !ex[0].noise) {
        EXPECT_EQ(ex[0].reply[0], 0x20);
      }
      // A lost reply must not lose the write.
      EXPECT_EQ(c.Peek(0x2000), i);
      c.ReplySent();
    }
    EXPECT_EQ(sizes, k.reply_sizes);
    EXPECT_EQ(c.stats().requests, 6u);
    EXPECT_EQ(c.stats().replies, k.replies);
  }
}

TEST(Faults, TruncatedOneByteReplySendsNothing) {
  Controller c(FaultOptions({.truncate_every = 1}));
  EXPECT_TRUE(Send(c, {0x81, 0x00, 0x00}).empty());
  EXPECT_EQ(c.stats().replies, 0u);
  EXPECT_EQ(Send(c, {0x83, 0x00, 0x00}).size(), 2u);
}

TEST(Faults, SilentAfterStopsAnsweringAndExecuting) {
  Controller c(FaultOptions({.silent_after = 1.0}));
  EXPECT_EQ(Send(c, {0x04, 0x20, 0x00, 1}, 0.5).size(), 2u);
  EXPECT_TRUE(Send(c, {0x04, 0x20, 0x00, 2}, 1.0).empty());
  EXPECT_TRUE(Send(c, {0x81, 0x20, 0x00}, 5.0).empty());
  EXPECT_EQ(c.Peek(0x2000), 1);
  EXPECT_EQ(c.stats().requests, 3u);
  EXPECT_EQ(c.stats().replies, 1u);
  EXPECT_FALSE(c.HangupDue(5.0));

  Controller h(FaultOptions({.hangup_after = 2.0}));
  EXPECT_FALSE(h.HangupDue(1.9));
  EXPECT_TRUE(h.HangupDue(2.0));
  EXPECT_TRUE(Send(h, {0x81, 0x00, 0x00}, 2.5).empty());
}

TEST(LockStep, RequestBeforeReplySentIsOneViolation) {
  Controller c;
  const Bytes read = {0x81, 0x00, 0x00};
  c.Receive(read, 0);
  // Started early and arriving in pieces: still one violation.
  c.Receive(Bytes{0x81}, 0);
  c.Receive(Bytes{0x00, 0x00}, 0);
  EXPECT_EQ(c.stats().violations, 1u);
  c.ReplySent();
  c.Receive(read, 0);
  c.ReplySent();
  EXPECT_EQ(c.stats().violations, 1u);
  // Nothing was sent for a dropped reply, so there is nothing to wait for.
  Controller d(FaultOptions({.drop_every = 1}));
  d.Receive(read, 0);
  d.Receive(read, 0);
  EXPECT_EQ(d.stats().violations, 0u);
  // Malformed bytes are not requests.
  c.Receive(read, 0);
  c.Receive(Bytes{0x00}, 0);
  EXPECT_EQ(c.stats().violations, 1u);
}

}  // namespace
}  // namespace orvsim
