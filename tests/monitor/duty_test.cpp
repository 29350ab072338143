#include <gtest/gtest.h>

#include "core/settings/settings_coding.h"
#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

TEST(Duty, FormulaRoundsHalvesAwayLimitsAndMultipliesInFullMode) {
    struct Case {
        std::uint8_t rpm, tinj;
        bool full;
        std::uint8_t cylinder_code;  // 0..5: 1, 2, 4, 5, 6, 8 cylinders
        const char* duty;
    };
    const std::vector<Case> cases = {
        {30, 50, false, 2, "13"},   // 12.5
        {30, 2, false, 2, "1"},     // 0.5
        {0, 200, false, 2, "0"},
        {100, 150, false, 2, "100"},  // 125 limited
        {30, 50, true, 2, "52"},
        {30, 50, true, 5, "100"},  // 104 limited
        {255, 255, false, 5, "100"},
        {12, 10, true, 0, "1"},
    };
    for (const Case& k : cases) {
        Console c;
        // The count comes from the stored byte, never from the box: what
        // stands in the box (here a count it never showed) changes nothing.
        c.page.cal.mem_image[c.page.cal.slot_base + Field(Setting::Cylinders).rel] = k.cylinder_code;
        c.page.form.ncylinder.Text = "8";
        c.page.form.FullSel.SetValue(k.full ? 1 : 0);
        c.page.live.live_rpm = k.rpm;
        c.page.live.live_tinj1 = k.tinj;
        c.page.live.live_tinj2 = k.tinj;
        c.page.Calc_Duty_Cycle();
        EXPECT_EQ(c.page.form.duty1.Text, k.duty) << int(k.rpm) << " " << int(k.tinj);
        EXPECT_EQ(c.page.form.duty2.Text, k.duty);
    }
}
