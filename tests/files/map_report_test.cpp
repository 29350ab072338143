// The memory map report, compared whole with its expected text for images
// chosen to cover every block and section variant: bank 2 on and off, the
// ignition shown and hidden, every cylinder code, signs and wide numbers.
#include <gtest/gtest.h>

#include "core/files/map_report.h"

using namespace orv;

namespace {

// Texts are written here with bare line feeds; the report ends every line CR LF.
std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// Every fuel set: byte 52 first in table 0 (05.2 ms), all else 90 (0 %);
// every ignition byte 40 (-5 degrees).
Image TableImage() {
    Image image{};
    for (int b : {0, 459, 918, 1377}) {
        for (int set : {0, 159}) {
            std::fill_n(image.begin() + b + set, 150, 90);
            image[b + set] = 52;
        }
        std::fill_n(image.begin() + b + 309, 150, 40);
    }
    return image;
}

struct Settings {
    int cyl, rpm, water, delta, window, load, limiter, flags;
};

Image WithSettings(const std::array<Settings, 4>& blocks) {
    Image image = TableImage();
    for (int k = 0; k < 4; ++k) {
        const Settings& s = blocks[k];
        const int b = k * 459;
        const int bytes[] = {s.cyl, s.rpm, s.water, s.delta, s.window, s.load, s.limiter};
        for (int i = 0; i < 7; ++i) image[b + 150 + i] = static_cast<std::uint8_t>(bytes[i]);
        image[b + 158] = static_cast<std::uint8_t>(s.flags);
    }
    return image;
}

// Column heads and rows of a fuel set of TableImage; the last row is ended
// by the blank of the blank line after it.
const std::string kFuelTables = Crlf(
    "=== RPM ===   = Press ==    == TPS ==    == AIR ===    = WATER == \n"
    "00.0 = 05.2   -1.0 =  00    000 =  00    -020 =  00    -020 =  00\n"
    "00.5 = 09.0   -0.9 =  00    005 =  00    -010 =  00    -010 =  00\n"
    "01.0 = 09.0   -0.8 =  00    010 =  00     000 =  00     000 =  00\n"
    "01.5 = 09.0   -0.7 =  00    015 =  00     010 =  00     010 =  00\n"
    "02.0 = 09.0   -0.6 =  00    020 =  00     020 =  00     020 =  00\n"
    "02.5 = 09.0   -0.5 =  00    025 =  00     030 =  00     030 =  00\n"
    "03.0 = 09.0   -0.4 =  00    030 =  00     040 =  00     040 =  00\n"
    "03.5 = 09.0   -0.3 =  00    035 =  00     050 =  00     050 =  00\n"
    "04.0 = 09.0   -0.2 =  00    040 =  00     060 =  00     060 =  00\n"
    "04.5 = 09.0   -0.1 =  00    045 =  00     070 =  00     070 =  00\n"
    "05.0 = 09.0    0.0 =  00    050 =  00     080 =  00     080 =  00\n"
    "05.5 = 09.0    0.1 =  00    055 =  00     090 =  00     090 =  00\n"
    "06.0 = 09.0    0.2 =  00    060 =  00     100 =  00     100 =  00\n"
    "06.5 = 09.0    0.3 =  00    065 =  00     110 =  00     110 =  00\n"
    "07.0 = 09.0    0.4 =  00    070 =  00     120 =  00     120 =  00\n"
    "07.5 = 09.0    0.5 =  00    075 =  00     130 =  00     130 =  00\n"
    "08.0 = 09.0    0.6 =  00    080 =  00\n"
    "08.5 = 09.0    0.7 =  00    085 =  00\n"
    "09.0 = 09.0    0.8 =  00    090 =  00\n"
    "09.5 = 09.0    0.9 =  00    095 =  00\n"
    "10.0 = 09.0    1.0 =  00    100 =  00\n"
    "10.5 = 09.0    1.1 =  00\n"
    "11.0 = 09.0    1.2 =  00\n"
    "11.5 = 09.0    1.3 =  00\n"
    "12.0 = 09.0    1.4 =  00\n"
    "12.5 = 09.0    1.5 =  00\n"
    "13.0 = 09.0    1.6 =  00\n"
    "13.5 = 09.0    1.7 =  00\n"
    "14.0 = 09.0    1.8 =  00\n"
    "14.5 = 09.0    1.9 =  00\n"
    "15.0 = 09.0    2.0 =  00\n"
    "               2.1 =  00\n"
    "               2.2 =  00\n"
    "               2.3 =  00\n"
    "               2.4 =  00\n"
    "               2.5 =  00\n"
    "               2.6 =  00\n"
    "               2.7 =  00\n"
    "               2.8 =  00\n"
    "               2.9 =  00\n"
    "               3.0 =  00\n"
    "               3.1 =  00\n"
    "               3.2 =  00\n"
    "               3.3 =  00\n"
    "               3.4 =  00\n"
    "               3.5 =  00\n"
    "               3.6 =  00\n"
    "               3.7 =  00\n"
    "               3.8 =  00\n"
    "               3.9 =  00\n"
    "               4.0 =  00 \n");

const std::string kIgnitionTables = Crlf(
    "== RPM ==     = Press ==    == TPS ==    == AIR ===    = WATER == \n"
    "00.0 = -05    -1.0 = -05    000 = -05    -020 = -05    -020 = -05\n"
    "00.5 = -05    -0.9 = -05    005 = -05    -010 = -05    -010 = -05\n"
    "01.0 = -05    -0.8 = -05    010 = -05     000 = -05     000 = -05\n"
    "01.5 = -05    -0.7 = -05    015 = -05     010 = -05     010 = -05\n"
    "02.0 = -05    -0.6 = -05    020 = -05     020 = -05     020 = -05\n"
    "02.5 = -05    -0.5 = -05    025 = -05     030 = -05     030 = -05\n"
    "03.0 = -05    -0.4 = -05    030 = -05     040 = -05     040 = -05\n"
    "03.5 = -05    -0.3 = -05    035 = -05     050 = -05     050 = -05\n"
    "04.0 = -05    -0.2 = -05    040 = -05     060 = -05     060 = -05\n"
    "04.5 = -05    -0.1 = -05    045 = -05     070 = -05     070 = -05\n"
    "05.0 = -05     0.0 = -05    050 = -05     080 = -05     080 = -05\n"
    "05.5 = -05     0.1 = -05    055 = -05     090 = -05     090 = -05\n"
    "06.0 = -05     0.2 = -05    060 = -05     100 = -05     100 = -05\n"
    "06.5 = -05     0.3 = -05    065 = -05     110 = -05     110 = -05\n"
    "07.0 = -05     0.4 = -05    070 = -05     120 = -05     120 = -05\n"
    "07.5 = -05     0.5 = -05    075 = -05     130 = -05     130 = -05\n"
    "08.0 = -05     0.6 = -05    080 = -05\n"
    "08.5 = -05     0.7 = -05    085 = -05\n"
    "09.0 = -05     0.8 = -05    090 = -05\n"
    "09.5 = -05     0.9 = -05    095 = -05\n"
    "10.0 = -05     1.0 = -05    100 = -05\n"
    "10.5 = -05     1.1 = -05\n"
    "11.0 = -05     1.2 = -05\n"
    "11.5 = -05     1.3 = -05\n"
    "12.0 = -05     1.4 = -05\n"
    "12.5 = -05     1.5 = -05\n"
    "13.0 = -05     1.6 = -05\n"
    "13.5 = -05     1.7 = -05\n"
    "14.0 = -05     1.8 = -05\n"
    "14.5 = -05     1.9 = -05\n"
    "15.0 = -05     2.0 = -05\n"
    "               2.1 = -05\n"
    "               2.2 = -05\n"
    "               2.3 = -05\n"
    "               2.4 = -05\n"
    "               2.5 = -05\n"
    "               2.6 = -05\n"
    "               2.7 = -05\n"
    "               2.8 = -05\n"
    "               2.9 = -05\n"
    "               3.0 = -05\n"
    "               3.1 = -05\n"
    "               3.2 = -05\n"
    "               3.3 = -05\n"
    "               3.4 = -05\n"
    "               3.5 = -05\n"
    "               3.6 = -05\n"
    "               3.7 = -05\n"
    "               3.8 = -05\n"
    "               3.9 = -05\n"
    "               4.0 = -05 \n");

const std::string kGap = Crlf(" \n \n \n");  // with the blank that ended the rows: four blank lines

}  // namespace

TEST(MapReport, TalpaImageWithBankTwoOffAndOn) {
    const Image image = WithSettings({{
        {0x85, 30, 0, 12, 5, 12, 65, 0x0C},     // 8 Full, bank 2 off, inverted
        {0x00, 0, 8, 0, 255, 0, 100, 0x00},     // bank 2 on
        {0x01, 255, 51, 255, 0, 255, 255, 0x08},
        {0x02, 0, 4, 7, 1, 9, 3, 0x02},         // view bits only say what the grids show
    }});
    const std::string file = Crlf("ORV - TALPA-01\n \nFile /maps/car.v2/a.map\n \n");
    const std::string expected =
        file +
        Crlf("Memory MAP 1 \n \n"
             "## BANK 1 ##           Cylinders = 8 Full       Delta TPS = 12 \n \n"
             "Limiter = 6.5          Water Switch =-20        RPM Switch = 3.0\n \n") +
        kFuelTables + kGap +
        Crlf("Memory MAP 1 \n \n"
             "## IGNITION ##         Cylinders = 8 Full        Limiter = 6.5\n \n"
             "Window Size = 5        Load Time = 1.2           Mode = Inverted\n \n") +
        kIgnitionTables + kGap +
        file +
        Crlf("Memory MAP 2 \n \n"
             "## BANK 1 ##           Cylinders = 1            Delta TPS = 0 \n \n"
             "Limiter = 10.0         Water Switch = 20        RPM Switch = Off\n \n") +
        kFuelTables + kGap +
        Crlf("Memory MAP 2 \n \n"
             "## BANK 2 ##           Cylinders = 1            Delta TPS = 0 \n \n"
             "Limiter = 10.0         Water Switch = 20        RPM Switch = Off\n \n") +
        kFuelTables + kGap +
        Crlf("Memory MAP 2 \n \n"
             "## IGNITION ##         Cylinders = 1             Limiter = 10.0\n \n"
             "Window Size = 255      Load Time = 0.0           Mode = Normal\n \n") +
        kIgnitionTables + kGap +
        file +
        Crlf("Memory MAP 3 \n \n"
             "## BANK 1 ##           Cylinders = 2            Delta TPS = 255 \n \n"
             "Limiter = 25.5         Water Switch = 235       RPM Switch = 25.5\n \n") +
        kFuelTables + kGap +
        Crlf("Memory MAP 3 \n \n"
             "## IGNITION ##         Cylinders = 2             Limiter = 25.5\n \n"
             "Window Size = 0        Load Time = 25.5          Mode = Normal\n \n") +
        kIgnitionTables + kGap +
        file +
        Crlf("Memory MAP 4 \n \n"
             "## BANK 1 ##           Cylinders = 4            Delta TPS = 7 \n \n"
             "Limiter = 0.3          Water Switch = 0         RPM Switch = Off\n \n") +
        kFuelTables + kGap +
        Crlf("Memory MAP 4 \n \n"
             "## BANK 2 ##           Cylinders = 4            Delta TPS = 7 \n \n"
             "Limiter = 0.3          Water Switch = 0         RPM Switch = Off\n \n") +
        kFuelTables + kGap +
        Crlf("Memory MAP 4 \n \n"
             "## IGNITION ##         Cylinders = 4             Limiter = 0.3\n \n"
             "Window Size = 1        Load Time = 0.9           Mode = Normal\n \n") +
        kIgnitionTables + kGap;
    EXPECT_EQ(MapReport(image, "/maps/car.v2/a.map", true), expected);
}

TEST(MapReport, QuilPlusImageHasNoIgnitionSections) {
    const Image image = WithSettings({{
        {3, 0, 0, 0, 0, 0, 0, 0x00},
        {4, 100, 0, 0, 0, 0, 0, 0x08},
        {5, 0, 0, 0, 0, 0, 0, 0x01},
        {6, 0, 0, 0, 0, 0, 0, 0x0F},  // a code no control writes reads 1
    }});
    const std::string file = Crlf("ORV - QUIL PLUS\n \nFile b.map\n \n");
    auto fuel = [](const char* n, const char* bank, const char* cyl, const char* rpm_switch) {
        return Crlf(std::string("Memory MAP ") + n + " \n \n## BANK " + bank + " ##           Cylinders = " + cyl +
                    "            Delta TPS = 0 \n \nLimiter = 0.0          Water Switch =-20        RPM Switch = " +
                    rpm_switch + "\n \n") +
               kFuelTables;
    };
    const std::string expected = file + fuel("1", "1", "5", "Off") + kGap + fuel("1", "2", "5", "Off") + kGap +
                                 file + fuel("2", "1", "6", "10.0") + kGap +
                                 file + fuel("3", "1", "8", "Off") + kGap + fuel("3", "2", "8", "Off") + kGap +
                                 file + fuel("4", "1", "1", "0.0") + kGap;
    EXPECT_EQ(MapReport(image, "b.map", false), expected);
}

TEST(MapReport, SettingsTextsAtTheirEdges) {
    // Line 7 and 9 of the first block: the cylinder text, Full, signs of number items.
    const std::vector<std::tuple<int, int, std::string, std::string>> cases = {
        {0x85, 0, "## BANK 1 ##           Cylinders = 8 Full       Delta TPS = 0 ",
         "Limiter = 0.0          Water Switch =-20        RPM Switch = Off"},
        {0x06, 1, "## BANK 1 ##           Cylinders = 1            Delta TPS = 0 ",
         "Limiter = 0.0          Water Switch =-15        RPM Switch = Off"},
        {0x80, 4, "## BANK 1 ##           Cylinders = 1 Full       Delta TPS = 0 ",
         "Limiter = 0.0          Water Switch = 0         RPM Switch = Off"},
        {0x7F, 255, "## BANK 1 ##           Cylinders = 1            Delta TPS = 0 ",
         "Limiter = 0.0          Water Switch = 1255      RPM Switch = Off"},
    };
    for (const auto& [cyl, water, line7, line9] : cases) {
        Image image{};
        image[150] = static_cast<std::uint8_t>(cyl);
        image[152] = static_cast<std::uint8_t>(water);
        const std::string report = MapReport(image, "x.map", true);
        EXPECT_NE(report.find(Crlf(" \n" + line7 + "\n \n" + line9 + "\n")), std::string::npos) << line7;
    }
}
