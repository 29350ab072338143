#include "sim/args.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace orvsim {
namespace {

ParsedArgs Parse(std::vector<std::string_view> args) { return ParseArgs(args); }

TEST(Args, EveryOption) {
  const ParsedArgs p =
      Parse({"--link", "/tmp/orv", "--model", "quil", "--firmware", "0x22", "--baud", "19200", "--latency-ms", "2.5",
             "--log", "l.txt", "--eeprom", "e.map", "--calibration", "c.map", "--drop-every", "3",
             "--truncate-every=4", "--noise-every", "5", "--silent-after", "1.5", "--hangup-after", "0", "--seed", "9",
             "--corrupt-program", "1835", "--late-every", "5", "--late-ms=700", "--noisy-reads"});
  ASSERT_EQ(p.status, ParsedArgs::Status::run) << p.error;
  const ServerConfig& c = p.config;
  EXPECT_EQ(c.link, "/tmp/orv");
  EXPECT_EQ(c.controller.model, Model::quil);
  EXPECT_EQ(c.controller.firmware, 0x22);
  EXPECT_EQ(c.baud, 19200u);
  EXPECT_DOUBLE_EQ(c.latency_ms, 2.5);
  EXPECT_EQ(c.log, "l.txt");
  EXPECT_EQ(c.eeprom, "e.map");
  EXPECT_EQ(c.calibration, "c.map");
  EXPECT_EQ(c.controller.faults.drop_every, 3u);
  EXPECT_EQ(c.controller.faults.truncate_every, 4u);
  EXPECT_EQ(c.controller.faults.noise_every, 5u);
  EXPECT_DOUBLE_EQ(c.controller.faults.silent_after, 1.5);
  EXPECT_DOUBLE_EQ(c.controller.faults.hangup_after, 0);
  EXPECT_EQ(c.controller.seed, 9u);
  EXPECT_EQ(c.controller.faults.corrupt_program, 1835);
  EXPECT_TRUE(c.controller.faults.noisy_reads);
  EXPECT_FALSE(Parse({}).config.controller.faults.noisy_reads);
  EXPECT_EQ(c.controller.faults.late_every, 5u);
  EXPECT_DOUBLE_EQ(c.controller.faults.late_ms, 700);
  EXPECT_EQ(Parse({}).config.controller.faults.corrupt_program, -1);
  EXPECT_EQ(Parse({"--firmware", "ff"}).config.controller.firmware, 0xFF);
  EXPECT_EQ(Parse({"--seed", "1", "--help"}).status, ParsedArgs::Status::help);
  EXPECT_EQ(Parse({"--version", "--bogus"}).status, ParsedArgs::Status::version);
}

TEST(Args, Rejected) {
  const std::vector<std::vector<std::string_view>> bad = {
      {"--bogus", "1"},       {"stray"},
      {"--model", "talpa2"},  {"--model"},
      {"--firmware", "100"},  {"--firmware", "xyz"},
      {"--baud", "0"},        {"--baud", "fast"},
      {"--baud", "-19200"},   {"--latency-ms", "-1"},
      {"--drop-every", "-1"}, {"--drop-every", "2x"},
      {"--silent-after", "nan"}, {"--hangup-after", "-0.5"},
      {"--seed", "4294967296"},  {"--link", ""},
      {"--log="},
      {"--corrupt-program", "1836"}, {"--corrupt-program", "-1"},
      {"--late-every", "x"},  {"--late-ms", "60001"},
  };
  for (const auto& args : bad) {
    std::string line;
    for (auto a : args) line += std::string(a) + " ";
    SCOPED_TRACE(line);
    const ParsedArgs p = Parse(args);
    EXPECT_EQ(p.status, ParsedArgs::Status::error);
    EXPECT_FALSE(p.error.empty());
  }
}

}  // namespace
}  // namespace orvsim
