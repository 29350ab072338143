// A running orv-sim with the console's end of its line open.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pty_client.h"
#include "sim_process.h"

namespace orvtest {

using Bytes = std::vector<std::uint8_t>;

class SimLine : public ::testing::Test {
 protected:
  void TearDown() override {
    line_.Close();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  // Use with ASSERT_NO_FATAL_FAILURE.
  void Launch(const std::vector<std::string>& args = {}) {
    std::string error;
    ASSERT_TRUE(sim_.Start(args, &error)) << error;
    ASSERT_TRUE(line_.Open(sim_.device(), 19200, &error)) << error;
  }

  // Stops the simulator and returns its final statistics.
  SimStats Finish() {
    line_.Close();
    EXPECT_EQ(sim_.Stop(), 0) << sim_.stderr_text();
    const auto stats = ParseStatsLine(sim_.last_line());
    EXPECT_TRUE(stats.has_value()) << "last line: '" << sim_.last_line() << "'";
    return stats.value_or(SimStats{});
  }

  // A fresh folder for this test's files.
  std::filesystem::path Dir() {
    if (dir_.empty()) {
      std::string tmpl = (std::filesystem::path(::testing::TempDir()) / "orv-sim-e2e-XXXXXX").string();
      if (mkdtemp(tmpl.data())) dir_ = tmpl;
    }
    return dir_;
  }

  SimProcess sim_;
  PtyClient line_;

 private:
  std::filesystem::path dir_;
};

inline Bytes Read(std::uint16_t address, std::uint8_t n) {
  return {static_cast<std::uint8_t>(0x80 + n), static_cast<std::uint8_t>(address >> 8),
          static_cast<std::uint8_t>(address)};
}

inline Bytes Write(std::uint16_t address, const Bytes& data) {
  Bytes b = {static_cast<std::uint8_t>(3 + data.size()), static_cast<std::uint8_t>(address >> 8),
             static_cast<std::uint8_t>(address)};
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

}  // namespace orvtest
