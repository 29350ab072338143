// The settings bytes as diff and lint name and show them.
#include <gtest/gtest.h>

#include "core/files/map_layout.h"

using namespace orv;

TEST(MapLayout, SettingsBytesAreNamedAndShownInTheConsolesUnits) {
    struct Case {
        int rel;
        std::uint8_t b;
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {150, 0x85, "cylinders", "8 Full"},    {150, 0x03, "cylinders", "5"},    {150, 0x06, "cylinders", "1"},
        {151, 45, "rpm switch", "4.5"},        {152, 0, "water switch", "-20"},  {153, 99, "delta tps", "99"},
        {154, 90, "window size", "90"},        {155, 70, "load time", "7.0"},    {156, 0, "limiter", "0.0"},
        {157, 2, "active slot", "Mem 3"},      {157, 7, "active slot", "Mem 1"}, {158, 0x0C, "mode flags", "00001100"},
        {158, 0xF1, "mode flags", "11110001"}, {149, 12, "byte 149", "12"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingName(c.rel), c.name) << c.rel;
        EXPECT_EQ(SettingText(c.rel, c.b), c.text) << c.rel << " " << int{c.b};
    }
}
