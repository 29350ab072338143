// The settings table itself: every field keeps to its own bits of the
// settings block, every value the window writes reads back through the
// coding, and every control it names is one of the window's.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/common/numbers.h"
#include "core/form/form.h"
#include "core/settings/settings_coding.h"

using namespace orv;

TEST(SettingsTable, FieldsKeepToTheirOwnBits) {
    std::map<int, int> used;  // byte -> bits taken
    for (const SettingField& f : kSettingFields) {
        SCOPED_TRACE(std::string(f.name) + " mask " + std::to_string(f.mask));
        EXPECT_GE(f.rel, 150);
        EXPECT_LE(f.rel, 158);
        // Get and Put shift the bits down and up: they must lie together.
        const int bits = f.mask >> f.Shift();
        EXPECT_NE(f.mask, 0);
        EXPECT_EQ(bits & (bits + 1), 0);
        EXPECT_GE(f.max, 1);
        EXPECT_LE(f.max, bits);
        EXPECT_EQ(used[f.rel] & f.mask, 0) << "overlaps another field";
        used[f.rel] |= f.mask;
    }
    // The view bits are the grids' working value, no setting.
    EXPECT_EQ(used[158] & 0x03, 0);
    for (int rel = 150; rel <= 158; ++rel) EXPECT_NE(used[rel], 0) << rel << " is no field's";
}

TEST(SettingsTable, EveryValueReadsBackThroughItsCoding) {
    for (const SettingField& f : kSettingFields) {
        for (int v = 0; v <= f.max; ++v) {
            for (std::uint8_t others : {0x00, 0xFF, 0x5A}) {
                const std::uint8_t byte = f.Put(others, v);
                ASSERT_EQ(f.Get(byte), v) << f.name << " " << v;
                ASSERT_EQ(byte & ~f.mask, others & ~f.mask) << f.name << " " << v;
                // The text is the value the window shows, as a number where it is one.
                const std::string text = FieldText(f, byte);
                if (f.coding == SettingCoding::Flag) {
                    EXPECT_EQ(text, f.states[v]) << f.name;
                } else if (f.coding == SettingCoding::Slot) {
                    EXPECT_EQ(text, "Mem " + std::to_string(v + 1));
                } else {
                    EXPECT_EQ(ParseNumber(text), FieldValue(f, byte)) << f.name << " " << text;
                }
            }
        }
    }
}

TEST(SettingsTable, ControlsAreTheWindowsAndShowOneFieldEach) {
    const form::Form window;
    std::set<std::string_view> seen;
    for (const SettingField& f : kSettingFields) {
        EXPECT_NE(f.controls[0], "") << f.name;
        for (std::string_view name : f.controls) {
            if (name.empty()) continue;
            EXPECT_NE(window.Find(std::string(name)), nullptr) << name;
            EXPECT_TRUE(seen.insert(name).second) << name << " shows two fields";
        }
    }
}
