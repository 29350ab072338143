#include "sim/calibration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/controller.h"

namespace orvsim {
namespace {

namespace fs = std::filesystem;

std::string Values(std::size_t n, const std::string& separator = "\n") {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += std::to_string((i * 7 + 3) % 256) + separator;
  return s;
}

struct MapCase {
  const char* name;
  std::string text;
  bool ok;
  std::size_t values = 0;  // loaded, when ok
};

TEST(MapLoader, Outcomes) {
  const std::vector<MapCase> cases = {
      {"empty", "", false},
      {"blank lines only", "\n \r\n\t\n", false},
      {"binary", std::string("\x7F" "ELF\x02\x01\x00\x00", 8), false},
      {"oversized", Values(kMapMaxValues + 1), false},
      {"value 300", "12\n300\n", false},
      {"negative", "-1\n", false},
      {"word", "12\nabc\n", false},
      {"semicolons", "1;2;3\n", false},
      {"1836 values", Values(kCalibrationSize), true, kCalibrationSize},
      {"1837 values, CR LF", Values(kMapMaxValues, "\r\n"), true, kCalibrationSize},
      {"no final line end", Values(kCalibrationSize).substr(0, Values(kCalibrationSize).size() - 1), true,
       kCalibrationSize},
      {"commas and blanks", "0, 1 ,2\t3,,4\n\n5", true, 6},
      {"byte order mark", "\xEF\xBB\xBF" "7\n8\n", true, 2},
  };
  for (const MapCase& k : cases) {
    SCOPED_TRACE(k.name);
    Controller c;
    const CalibrationImage before = c.calibration();
    const std::uint8_t after_area = c.Peek(kCalibrationBase + kCalibrationSize);
    std::istringstream in(k.text);
    std::string error;
    ASSERT_EQ(c.LoadCalibrationMap(in, &error), k.ok) << error;
    if (!k.ok) {
      EXPECT_FALSE(error.empty());
      EXPECT_EQ(c.calibration(), before);
      continue;
    }
    std::istringstream again(k.text);
    std::vector<std::uint8_t> values;
    ASSERT_TRUE(ParseMap(again, &values, nullptr));
    for (std::size_t i = 0; i < k.values; ++i)
      ASSERT_EQ(c.Peek(static_cast<std::uint16_t>(kCalibrationBase + i)), values[i]) << i;
    for (std::size_t i = k.values; i < kCalibrationSize; ++i)
      ASSERT_EQ(c.Peek(static_cast<std::uint16_t>(kCalibrationBase + i)), before[i]) << i;
    // The map's trailing value has no place in the controller.
    EXPECT_EQ(c.Peek(kCalibrationBase + kCalibrationSize), after_area);
  }
}

class CalibrationFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::path(::testing::TempDir()) / "orvsim-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(CalibrationFile, SaveThenLoadRestoresTheArea) {
  const std::string path = (dir_ / "eeprom.map").string();
  Controller a;
  for (std::size_t i = 0; i < kCalibrationSize; ++i)
    a.Poke(static_cast<std::uint16_t>(kCalibrationBase + i), static_cast<std::uint8_t>(i * 13));
  std::string error;
  ASSERT_TRUE(a.SaveCalibrationFile(path, &error)) << error;
  // Saving again replaces the file and leaves no temporary behind.
  ASSERT_TRUE(a.SaveCalibrationFile(path, &error)) << error;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  Controller b;
  ASSERT_TRUE(b.LoadCalibrationFile(path, &error)) << error;
  EXPECT_EQ(b.calibration(), a.calibration());
}

TEST_F(CalibrationFile, FailuresAreReported) {
  Controller c;
  std::string error;
  EXPECT_FALSE(c.SaveCalibrationFile((dir_ / "missing" / "eeprom.map").string(), &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(c.LoadCalibrationFile((dir_ / "absent.map").string(), &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace orvsim
