#include <gtest/gtest.h>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

TEST(Duty, FormulaRoundsHalvesAwayLimitsAndMultipliesInFullMode) {
    struct Case {
        std::uint8_t rpm, tinj;
        bool full;
        const char* cylinders;
        const char* duty;
    };
    const std::vector<Case> cases = {
        {30, 50, false, "", "13"},   // 12.5
        {30, 2, false, "", "1"},     // 0.5
        {0, 200, false, "", "0"},
        {100, 150, false, "", "100"},  // 125 limited
        {30, 50, true, "4", "52"},
        {30, 50, true, "8", "100"},  // 104 limited
        {255, 255, false, "", "100"},
        {12, 10, true, "1", "1"},
    };
    for (const Case& k : cases) {
        Console c;
        c.page.form.ncylinder.Text = k.cylinders;
        c.page.form.FullSel.SetValue(k.full ? 1 : 0);
        c.page.live.live_rpm = k.rpm;
        c.page.live.live_tinj1 = k.tinj;
        c.page.live.live_tinj2 = k.tinj;
        c.page.Calc_Duty_Cycle();
        EXPECT_EQ(c.page.form.duty1.Text, k.duty) << int(k.rpm) << " " << int(k.tinj);
        EXPECT_EQ(c.page.form.duty2.Text, k.duty);
    }
}
