// orv-sim on a real pseudo-terminal: protocol, options and persistence.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "orv_version.h"
#include "sim_fixture.h"

namespace orvtest {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr std::size_t kImageSize = 1836;

Bytes Pattern(std::size_t n, unsigned mul, unsigned add) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * mul + add);
  return b;
}

// Downloads `image` (padded to 29 blocks) the way a console does.
void Download(PtyClient& line, const Bytes& image) {
  for (std::uint16_t block = 0; block < 29; ++block) {
    const auto start = static_cast<std::uint16_t>(0xE000 + 64 * block);
    const auto end = static_cast<std::uint16_t>(start + 63);
    Bytes data(64, 0xEE);
    for (std::size_t i = 0; i < 64 && 64 * block + i < image.size(); ++i) data[i] = image[64 * block + i];
    const std::vector<Bytes> frames = {
        Write(0x0145, {0x04}),
        Write(0x00A1, {static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
                       static_cast<std::uint8_t>(end >> 8), static_cast<std::uint8_t>(end)}),
        Write(0x004C, data),
        Write(0x0145, {0x06}),
    };
    for (const Bytes& f : frames) ASSERT_EQ(line.Transact(f, 2), (Bytes{f[1], f[2]})) << "block " << block;
  }
  ASSERT_EQ(line.Transact(Write(0x0145, {0x10}), 2).size(), 2u);
}

// Uploads the calibration area by 30 reads of 64 bytes.
Bytes Upload(PtyClient& line) {
  Bytes image;
  for (std::uint16_t block = 0; block < 30; ++block) {
    const Bytes part = line.Transact(Read(static_cast<std::uint16_t>(0xE000 + 64 * block), 64), 64);
    EXPECT_EQ(part.size(), 64u) << "block " << block;
    image.insert(image.end(), part.begin(), part.end());
  }
  return image;
}

TEST_F(SimLine, LiveReadsGetExactlyTheirBytes) {
  ASSERT_NO_FATAL_FAILURE(Launch({"--model", "quil", "--firmware", "13"}));
  const Bytes live = line_.Transact({0x8A, 0x01, 0x03}, 10);
  ASSERT_EQ(live.size(), 10u);
  EXPECT_EQ(live[7], 100);  // no ignition
  EXPECT_EQ(live[9], 0x13);
  EXPECT_EQ(line_.Transact({0x88, 0x01, 0x03}, 8).size(), 8u);
  // A malformed byte is skipped; nothing more than the replies arrives.
  EXPECT_EQ(line_.Transact({0x80, 0x81, 0x01, 0x0C}, 1), Bytes{0x13});
  EXPECT_TRUE(line_.ReadFor(50ms).empty());
  EXPECT_EQ(Finish(), (SimStats{3, 3, 0, 1}));
}

TEST_F(SimLine, DownloadedCalibrationUploadsUnchanged) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  const Bytes image = Pattern(kImageSize, 7, 3);
  ASSERT_NO_FATAL_FAILURE(Download(line_, image));
  const Bytes back = Upload(line_);
  ASSERT_EQ(back.size(), 30u * 64);
  EXPECT_EQ(Bytes(back.begin(), back.begin() + kImageSize), image);
  EXPECT_EQ(Finish().requests, 29u * 4 + 1 + 30);
}

TEST_F(SimLine, HostModeDrivesTheOutputs) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_EQ(line_.Transact(Write(0x0146, {250, 251, 3, 0, 0, 0, 0, 0, 0}), 2).size(), 2u);
  ASSERT_EQ(line_.Transact(Write(0x0145, {0x08}), 2).size(), 2u);
  const Bytes live = line_.Transact({0x8A, 0x01, 0x03}, 10);
  ASSERT_EQ(live.size(), 10u);
  EXPECT_EQ(Bytes(live.begin() + 5, live.begin() + 8), (Bytes{250, 251, 3}));
}

TEST_F(SimLine, ConsoleCanCloseAndReopenThePort) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  for (int round = 0; round < 3; ++round) {
    std::string error;
    ASSERT_TRUE(line_.Open(sim_.device(), 19200, &error)) << error;
    EXPECT_EQ(line_.Transact({0x81, 0x01, 0x0C}, 1), Bytes{0x21}) << "round " << round;
    line_.Close();
  }
  EXPECT_EQ(Finish().replies, 3u);
}

TEST_F(SimLine, LinkReplacesAnOldLinkAndIsRemovedAtExit) {
  const fs::path link = Dir() / "ttyORV";
  fs::create_symlink("/nonexistent/tty", link);
  ASSERT_NO_FATAL_FAILURE(Launch({"--link", link.string()}));
  EXPECT_EQ(fs::read_symlink(link), sim_.device());
  PtyClient via_link;
  ASSERT_TRUE(via_link.Open(link.string()));
  EXPECT_EQ(via_link.Transact({0x81, 0x01, 0x0C}, 1), Bytes{0x21});
  via_link.Close();
  Finish();
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(SimLine, EepromKeepsAProgrammedCalibrationAcrossRuns) {
  const std::string eeprom = (Dir() / "eeprom.map").string();
  const Bytes image = Pattern(kImageSize, 11, 5);
  ASSERT_NO_FATAL_FAILURE(Launch({"--eeprom", eeprom}));
  EXPECT_FALSE(fs::exists(eeprom));
  ASSERT_NO_FATAL_FAILURE(Download(line_, image));
  // Saved once programming ended, before the reply to 0x10 went out.
  EXPECT_TRUE(fs::exists(eeprom));
  Finish();

  ASSERT_NO_FATAL_FAILURE(Launch({"--eeprom", eeprom}));
  const Bytes back = Upload(line_);
  EXPECT_EQ(Bytes(back.begin(), back.begin() + kImageSize), image);
  Finish();
}

TEST_F(SimLine, CalibrationMapIsLoadedAtStart) {
  const fs::path map = Dir() / "console.map";
  const Bytes image = Pattern(kImageSize + 1, 3, 1);
  {
    std::ofstream out(map);
    for (const std::uint8_t v : image) out << static_cast<int>(v) << "\r\n";
  }
  ASSERT_NO_FATAL_FAILURE(Launch({"--calibration", map.string()}));
  const Bytes back = Upload(line_);
  EXPECT_EQ(Bytes(back.begin(), back.begin() + kImageSize), Bytes(image.begin(), image.begin() + kImageSize));
}

TEST_F(SimLine, BadCommandLinesExitWith2) {
  const fs::path bad_map = Dir() / "bad.map";
  std::ofstream(bad_map) << "1\n2\n300\n";
  const std::vector<std::vector<std::string>> cases = {
      {"--model", "tapla"},
      {"--baud"},
      {"--drop-every", "two"},
      {"--no-such-option"},
      {"--calibration", bad_map.string()},
      {"--calibration", (Dir() / "missing.map").string()},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
    const SimRun run = RunSimToEnd(args);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_TRUE(run.stdout_lines.empty());
    EXPECT_NE(run.stderr_text.find("orv-sim: "), std::string::npos) << run.stderr_text;
  }
}

TEST_F(SimLine, VersionIsTheProjectsOwn) {
  const SimRun run = RunSimToEnd({"--version"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.stdout_lines, std::vector<std::string>{std::string("orv-sim ") + orv::kVersion});
}

TEST_F(SimLine, LogHasOneLinePerRequestAndReply) {
  const fs::path log = Dir() / "sim.log";
  ASSERT_NO_FATAL_FAILURE(Launch({"--log", log.string(), "--drop-every", "2"}));
  EXPECT_EQ(line_.Transact({0x81, 0x01, 0x0C}, 1), Bytes{0x21});
  ASSERT_TRUE(line_.Write({0x8A, 0x01, 0x03}));
  EXPECT_TRUE(line_.ReadFor(100ms).empty());
  Finish();

  std::ifstream in(log);
  std::vector<std::string> events;
  long long previous = -1, us = 0;
  for (std::string event; in >> us && std::getline(in, event); previous = us) {
    EXPECT_GE(us, previous);
    events.push_back(event);
  }
  EXPECT_EQ(events, (std::vector<std::string>{" RX 81 01 0C", " TX 21", " RX 8A 01 03", " TX (dropped)"}));
}

TEST_F(SimLine, BaudRatePacesTheReply) {
  ASSERT_NO_FATAL_FAILURE(Launch({"--baud", "19200"}));
  // 3 request + 10 reply bytes at 0.52 ms: about 6.8 ms. Only check that there is pacing.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(line_.Transact({0x8A, 0x01, 0x03}, 10).size(), 10u);
  EXPECT_GT(std::chrono::steady_clock::now() - start, 4ms);
  EXPECT_EQ(Finish().violations, 0u);
}

}  // namespace
}  // namespace orvtest
