// Needles, bars and the grid cursors that follow the engine.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

namespace {

// A console started without a serial port; the first tick has filled the grids.
struct Monitor : Console {
    Monitor() {
        StartUp(0);
        page.Timer1_Timer();
    }
};

// The angle a needle points at, in the dial's degrees (0 right, clockwise),
// undoing the 3.14 the faces were drawn for.
double Degrees(const form::Line& hand) {
    double a = std::atan2(hand.Y2 - hand.Y1, hand.X2 - hand.X1) * 180 / 3.14;
    return a < 0 ? a + 360 : a;
}

double Length(float x1, float y1, float x2, float y2) { return std::hypot(x2 - x1, y2 - y1); }

}  // namespace

TEST(Gauges, NeedleZeroAtRestPointsLeftJustAboveThePivot) {
    Monitor c;
    c.page.live.live_rpm = 0;
    c.page.Timer1_Timer();
    const form::Line& hand = c.page.form.rpmhand[0];
    EXPECT_FLOAT_EQ(hand.X1, 1480);  // the pivot never moves
    EXPECT_FLOAT_EQ(hand.Y1, 1440);
    EXPECT_NEAR(hand.X2, 1480 - 1149.2, 0.05);
    EXPECT_NEAR(hand.Y2, 1440 - 41.9, 0.05);
}

TEST(Gauges, NeedleAnglesFollowTheLiveValues) {
    struct Case {
        const char* what;
        std::uint8_t rpm, pressure, air, water, advance;
        double deg0, deg1, deg2, deg3, deg4;
    };
    const std::vector<Case> cases = {
        // Reset_Monitor's values: pressure 0.0 bar, air and water at the start of their scale.
        {"rest", 0, 10, 0, 0, 45, 182, 218, 184, 184, 269.333},
        {"full scale", 150, 50, 150, 150, 40, 357, 354, 357, 357, 279},
        {"mid", 75, 25, 75, 30, 85, 269.5, 269, 270.5, 218.6, 192},
        // Past the end of the scale the needle goes on turning.
        {"pressure 61", 0, 61, 0, 0, 45, 182, 391.4 - 360, 184, 184, 269.333},
    };
    for (const Case& k : cases) {
        Monitor c;
        auto& p = c.page;
        p.live.live_rpm = k.rpm;
        p.live.live_pressure = k.pressure;
        p.live.live_air = k.air;
        p.live.live_water = k.water;
        p.live.live_advance = k.advance;
        p.Timer1_Timer();
        const double expected[5] = {k.deg0, k.deg1, k.deg2, k.deg3, k.deg4};
        for (int i = 0; i < 5; ++i) {
            const form::Line& hand = p.form.rpmhand[i];
            EXPECT_NEAR(Degrees(hand), expected[i], 0.01) << k.what << " gauge " << i;
            EXPECT_NEAR(Length(hand.X1, hand.Y1, hand.X2, hand.Y2), 1150, 0.01) << k.what << " gauge " << i;
        }
    }
}

TEST(Gauges, FlanksRunFromTenTwipsBesideThePivotToTheTip) {
    Monitor c;
    c.page.live.live_advance = 45;  // needle 4 at 269.3 degrees, nearly straight up
    c.page.Timer1_Timer();
    const auto& f = c.page.form;
    for (int i = 0; i < 5; ++i) {
        for (const form::Line* flank : {&f.line1[i], &f.line2[i]}) {
            EXPECT_FLOAT_EQ(flank->X2, f.rpmhand[i].X2) << i;
            EXPECT_FLOAT_EQ(flank->Y2, f.rpmhand[i].Y2) << i;
            EXPECT_NEAR(Length(1480, 1440, flank->X1, flank->Y1), 10, 0.001) << i;
        }
        // The two flank feet lie on opposite sides, across the needle.
        EXPECT_NEAR(Length(f.line1[i].X1, f.line1[i].Y1, f.line2[i].X1, f.line2[i].Y1), 20, 0.01) << i;
    }
    // Needle 4 points up and a hair left: the flank feet sit left and right of the pivot.
    EXPECT_NEAR(f.line1[4].X1, 1480 - 9.9995, 0.001);
    EXPECT_NEAR(f.line1[4].Y1, 1440 + 0.1004, 0.001);
    EXPECT_NEAR(f.line2[4].X1, 1480 + 9.9993, 0.001);
    EXPECT_NEAR(f.line2[4].Y1, 1440 - 0.1163, 0.001);
}

TEST(Gauges, ExtremeValuesDrawWithoutOverflow) {
    struct Case {
        std::uint8_t rpm, advance;
        double tip_x0, tip_y0, tip_x4, tip_y4;
    };
    // rpm 255: 255 x 175 is beyond 16 bits; advance byte 255 makes 85 - advance negative.
    const std::vector<Case> cases = {
        {255, 255, 1480 - 565.23, 1440 + 1001.51, 1480 - 833.00, 1440 - 792.85},
        {187, 0, 1480 + 879.06, 1440 + 741.45, 1480 + 1147.65, 1440 - 73.51},
    };
    for (const Case& k : cases) {
        Monitor c;
        c.page.live.live_rpm = k.rpm;
        c.page.live.live_advance = k.advance;
        c.page.Timer1_Timer();
        const auto& f = c.page.form;
        EXPECT_NEAR(f.rpmhand[0].X2, k.tip_x0, 0.05) << int(k.rpm);
        EXPECT_NEAR(f.rpmhand[0].Y2, k.tip_y0, 0.05) << int(k.rpm);
        EXPECT_NEAR(f.rpmhand[4].X2, k.tip_x4, 0.05) << int(k.advance);
        EXPECT_NEAR(f.rpmhand[4].Y2, k.tip_y4, 0.05) << int(k.advance);
    }
    // Far beyond any byte the needle still lands on the circle.
    Monitor c;
    for (long x : {100000L, -100000L, 2000000000L, LONG_MAX, LONG_MIN}) {
        c.page.write_analog_hand(0, 0, 0, 1150, 175, 182, 150, x);
        const form::Line& hand = c.page.form.rpmhand[0];
        EXPECT_TRUE(std::isfinite(hand.X2) && std::isfinite(hand.Y2)) << x;
    }
}

TEST(Bars, HeightsComeFromThrottleAndTheDutyTextBoxes) {
    struct Case {
        std::uint8_t tps;
        const char* duty1;
        const char* duty2;
        float tps_h, tinj1_h, tinj2_h;
    };
    const std::vector<Case> cases = {
        {100, "100", "0", 2775, 1455, 0},
        {0, "0", "100", 0, 0, 1455},
        {40, "13", "52", 1110, 189.15f, 756.6f},
        {255, "", "x", 7076.25f, 0, 0},  // an empty or unreadable box draws nothing
    };
    for (const Case& k : cases) {
        Monitor c;
        auto& f = c.page.form;
        c.page.live.live_tps = k.tps;
        // The live values would give another duty: the bars read the boxes, not the engine.
        c.page.live.live_rpm = 60;
        c.page.live.live_tinj1 = c.page.live.live_tinj2 = 60;
        f.duty1.Text = k.duty1;
        f.duty2.Text = k.duty2;
        c.page.Timer1_Timer();
        EXPECT_FLOAT_EQ(f.tps_bar.Height, k.tps_h) << int(k.tps);
        EXPECT_FLOAT_EQ(f.tinj1.Height, k.tinj1_h) << k.duty1;
        EXPECT_FLOAT_EQ(f.tinj2.Height, k.tinj2_h) << k.duty2;
        EXPECT_EQ(f.duty1.Text, k.duty1);  // the tick does not recompute the duty
    }
}

TEST(LiveCell, CursorJumpsToTheRowAndKeepsItInView) {
    Monitor c;
    auto& grid = c.page.form.datatable[0];
    for (int k = 0; k < 31; ++k) c.page.cal.mem_image[k] = static_cast<std::uint8_t>(100 + k);
    c.page.cal.reload_tables = true;
    c.page.Timer1_Timer();
    ASSERT_EQ(grid.TopRow, 1);

    c.page.Show_Live_Cell(0, 20);
    EXPECT_EQ(grid.Row, 21);
    EXPECT_EQ(grid.TopRow, 12);
    EXPECT_EQ(c.page.form.Text1[0].Text, "12.0");  // byte 120

    c.page.Show_Live_Cell(0, 3);
    EXPECT_EQ(grid.Row, 4);
    EXPECT_EQ(grid.TopRow, 4);
    EXPECT_EQ(c.page.form.Text1[0].Text, "10.3");

    c.page.Show_Live_Cell(0, 12);  // inside the visible rows 4..13: no scrolling
    EXPECT_EQ(grid.Row, 13);
    EXPECT_EQ(grid.TopRow, 4);
}

TEST(LiveCell, ValuesPastTheLastRowStayOnTheLastRow) {
    struct Case {
        int grid;
        long value;
        int row;
    };
    const std::vector<Case> cases = {{0, 30, 31},  {0, 31, 31}, {0, 51, 31}, {1, 50, 51}, {1, 61, 51},
                                     {1, 255, 51}, {2, 21, 21}, {3, 16, 16}, {4, 25, 16}};
    for (const Case& k : cases) {
        Monitor c;
        c.page.Show_Live_Cell(k.grid, k.value);
        const auto& grid = c.page.form.datatable[k.grid];
        EXPECT_EQ(grid.Row, k.row) << k.grid << " " << k.value;
        EXPECT_EQ(grid.TopRow, k.row - 9) << k.grid << " " << k.value;
        EXPECT_EQ(c.page.form.Text1[k.grid].Text, grid.Cell(k.row, 1));
    }
}

TEST(LiveCell, TickPutsEachCursorOnTheNearestBreakpointHalvesToEven) {
    struct Case {
        std::uint8_t rpm, pressure, tps, air, water;
        int rows[5];
    };
    const std::vector<Case> cases = {
        {0, 10, 0, 0, 0, {1, 11, 1, 1, 1}},
        {62, 0, 12, 25, 35, {13, 1, 3, 3, 5}},    // 12.4 -> 12; 2.4 -> 2; 2.5 -> 2; 3.5 -> 4
        {63, 33, 13, 45, 55, {14, 34, 4, 5, 7}},  // 12.6 -> 13; 2.6 -> 3; 4.5 -> 4; 5.5 -> 6
        {75, 50, 100, 150, 150, {16, 51, 21, 16, 16}},
        {255, 255, 255, 255, 255, {31, 51, 21, 16, 16}},  // past the last row: the last row
    };
    for (const Case& k : cases) {
        Monitor c;
        auto& p = c.page;
        p.live.live_rpm = k.rpm;
        p.live.live_pressure = k.pressure;
        p.live.live_tps = k.tps;
        p.live.live_air = k.air;
        p.live.live_water = k.water;
        p.Timer1_Timer();
        for (int g = 0; g < 5; ++g) {
            EXPECT_EQ(p.form.datatable[g].Row, k.rows[g]) << "grid " << g << " rpm " << int(k.rpm);
            EXPECT_EQ(p.form.Text1[g].Text, p.form.datatable[g].Cell(k.rows[g], 1)) << "grid " << g;
        }
    }
}
