// What the calibration gives at the engine's operating point and at the
// selected grid rows, and how the result is shown.
#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

namespace {

// A console started without a serial port, grids filled, in monitor mode with
// "Bank 1" viewed. Bank 1 and bank 2 gains are neutral (90), ignition
// corrections neutral (45), base tables zero.
struct Calc : Console {
    Calc() {
        StartUp(0);
        Fill(32, 118, 90);        // bank 1 gains: set bytes 32..149
        Fill(159 + 32, 118, 90);  // bank 2 gains
        Fill(309 + 32, 118, 45);  // ignition corrections
        page.Timer1_Timer();
    }
    void Fill(int from, int count, int value) {
        for (int i = from; i < from + count; ++i) page.cal.mem_image[i] = static_cast<std::uint8_t>(value);
    }
    void Put(int addr, std::initializer_list<int> values) {
        for (int v : values) page.cal.mem_image[addr++] = static_cast<std::uint8_t>(v);
    }
    void Live(std::uint8_t rpm, std::uint8_t pressure, std::uint8_t tps, std::uint8_t air, std::uint8_t water) {
        page.live.live_rpm = rpm;
        page.live.live_pressure = pressure;
        page.live.live_tps = tps;
        page.live.live_air = air;
        page.live.live_water = water;
    }
};

}  // namespace

TEST(MapOutput, NeutralGainsGiveTheBaseInterpolatedTowardTheLowerEntry) {
    struct Case {
        std::uint8_t rpm;
        int entry6, entry7;
        int base;
    };
    const std::vector<Case> cases = {
        {33, 40, 50, 46},                                       // index 6, remainder 3: 40 + Int(3 x 10 / 5)
        {33, 50, 40, 44},                                       // falling: 50 - 6
        {33, 40, 41, 40},                                       // 40 + Int(0.6)
        {33, 41, 40, 41},                                       // 41 - Int(0.6)
        {34, 40, 50, 48},  {34, 50, 40, 42}, {30, 40, 50, 40},  // on the breakpoint: no interpolation
        {31, 200, 0, 160},                                      // 200 - Int(1 x 200 / 5)
    };
    for (const Case& k : cases) {
        Calc c;
        c.Put(6, {k.entry6, k.entry7});
        c.Put(159 + 6, {k.entry6, k.entry7});
        c.Live(k.rpm, 10, 0, 0, 0);
        c.page.Timer1_Timer();
        EXPECT_EQ(c.page.calc.op_tinj1, k.base) << int(k.rpm) << " " << k.entry6 << "/" << k.entry7;
        EXPECT_EQ(c.page.calc.op_tinj2, k.base) << int(k.rpm) << " " << k.entry6 << "/" << k.entry7;
    }
}

TEST(MapOutput, GainTablesInterpolateLikeTheBase) {
    Calc c;
    c.Put(5, {100});            // base at rpm 25
    c.Put(94 + 2, {90, 100});   // throttle 12: 90 + Int(2 x 10 / 5) = 94, +4 %
    c.Put(116 + 2, {100, 80});  // air 25: 100 - Int(5 x 20 / 10) = 90, neutral
    c.Put(133 + 3, {90, 97});   // water 37: 90 + Int(7 x 7 / 10) = 94, +4 %
    c.Put(32 + 40, {100, 0});   // pressure 40 takes its own entry only: +10 %
    c.Live(25, 40, 12, 25, 37);
    c.page.Timer1_Timer();
    // 100 -> 110 -> 114.4 -> 114 -> 114 -> 118.56 -> 119
    EXPECT_EQ(c.page.calc.op_tinj1, 119);
    EXPECT_EQ(c.page.form.showtinj1.Text, "11.9");
}

TEST(MapOutput, FuelRoundsHalvesToEvenAfterEachGainAndLimitsAt255) {
    struct Case {
        int base, pressure, tps, air, water;
        int out;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {50, 100, 95, 90, 90, 58, "5.8"},                                             // 55, then 57.75 -> 58
        {57, 40, 190, 90, 90, 56, "5.6"},                                             // 28.5 -> 28, then x 2
        {91, 40, 190, 90, 90, 92, "9.2"},                                             // 45.5 -> 46, then x 2
        {125, 90, 90, 90, 90, 125, "12.5"},     {250, 180, 90, 90, 90, 255, "25.5"},  // 475 is limited
        {255, 255, 255, 255, 255, 255, "25.5"}, {200, 0, 90, 90, 90, 20, "2.0"},      // -90 % leaves a tenth
        {0, 180, 180, 180, 180, 0, "0.0"},
    };
    for (const Case& k : cases) {
        Calc c;
        for (int set : {0, 159}) {
            c.Put(set + 0, {k.base});
            c.Put(set + 32 + 10, {k.pressure});  // live pressure 10 (0.0 bar) is entry 10
            c.Put(set + 94, {k.tps});
            c.Put(set + 116, {k.air});
            c.Put(set + 133, {k.water});
        }
        c.Live(0, 10, 0, 0, 0);
        c.page.Timer1_Timer();
        EXPECT_EQ(c.page.calc.op_tinj1, k.out) << k.base;
        EXPECT_EQ(c.page.calc.op_tinj2, k.out) << k.base;
        EXPECT_EQ(c.page.form.showtinj1.Text, k.shown) << k.base;
    }
}

TEST(MapOutput, IgnitionAddsCorrectionsAndLimitsToMinus5Plus40) {
    struct Case {
        int base, c1, c2, c3, c4;
        int out;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {60, 45, 45, 45, 45, 60, "15"},      {60, 40, 40, 40, 40, 40, "-5"},
        {60, 40, 40, 40, 39, 40, "-5"},                                       // a sum below 40 shows the lower limit
        {0, 0, 0, 0, 0, 40, "-5"},           {80, 50, 50, 45, 45, 85, "40"},  // 90 is limited
        {255, 255, 255, 255, 255, 85, "40"}, {45, 50, 40, 47, 43, 45, "0"},
    };
    for (const Case& k : cases) {
        Calc c;
        c.Put(309 + 0, {k.base});
        c.Put(309 + 32 + 10, {k.c1});
        c.Put(309 + 94, {k.c2});
        c.Put(309 + 116, {k.c3});
        c.Put(309 + 133, {k.c4});
        c.Live(0, 10, 0, 0, 0);
        c.page.form.IgnMem.UserClick();
        c.page.Timer1_Timer();
        EXPECT_EQ(c.page.calc.op_advance, k.out) << k.base;
        EXPECT_EQ(c.page.form.showtinj1.Text, k.shown) << k.base;
        EXPECT_EQ(c.page.form.showduty.Text, "--");
    }
}

TEST(MapOutput, DisplayFollowsTheViewedSetAndTheUserMode) {
    Calc c;
    c.Put(0, {100});       // bank 1 base at row 1
    c.Put(159, {50});      // bank 2
    c.Put(309, {60});      // ignition: 15 degrees
    c.Put(6, {80});        // bank 1 base at rpm 30 (row 7)
    c.Put(159 + 6, {20});  // bank 2
    c.Put(309 + 6, {70});  // ignition: 25 degrees
    c.Live(30, 10, 0, 0, 0);
    auto& f = c.page.form;
    c.page.Timer1_Timer();  // monitor mode: the engine's point
    EXPECT_EQ(f.showtinj1.Text, "8.0");
    EXPECT_EQ(f.showduty.Text, "20");  // 30 x 80 / 120
    f.bank2mem.UserClick();
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "2.0");
    EXPECT_EQ(f.showduty.Text, "5");
    f.IgnMem.UserClick();
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "25");
    EXPECT_EQ(f.showduty.Text, "--");

    // Edit mode: the selected rows (row 1 everywhere after the refill).
    f.edit.UserClick();
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "15");
    f.bank1mem.UserClick();
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "10.0");
    EXPECT_EQ(f.showduty.Text, "0");  // row 1 of the speed grid is 0 rpm
    f.bank2mem.UserClick();
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "5.0");
}

TEST(MapOutput, SelectedRowsCombineTheEntriesUnderEachCursor) {
    Calc c;
    auto& f = c.page.form;
    // First entries of bank 1: base 100, gains +10 %, +20 %, -10 %, 0 %.
    c.Put(0, {100});
    c.Put(32, {100});
    c.Put(94, {110});
    c.Put(116, {80});
    c.Put(133, {90});
    // Further rows.
    c.Put(10, {60});       // grid 0 row 11
    c.Put(32 + 20, {70});  // grid 1 row 21: -20 %
    c.Put(94 + 4, {90});
    c.Put(116 + 3, {90});
    c.Put(133 + 15, {100});  // grid 4 row 16: +10 %
    // The engine runs elsewhere: the selected rows do not look at it.
    c.Live(150, 60, 100, 150, 150);
    f.edit.UserClick();
    c.page.cal.reload_tables = true;
    c.page.Timer1_Timer();  // refill: every cursor on row 1
    // 100 -> 110 -> 132 -> 118.8 -> 119 -> 119
    EXPECT_EQ(c.page.calc.sel_tinj1, 119);
    EXPECT_EQ(f.showtinj1.Text, "11.9");

    f.datatable[0].UserClick(11, 1);
    f.datatable[1].UserClick(21, 1);
    f.datatable[2].UserClick(5, 1);
    f.datatable[3].UserClick(4, 1);
    f.datatable[4].UserClick(16, 1);
    c.page.Timer1_Timer();
    // 60 -> 48 -> 48 -> 48 -> 52.8 -> 53
    EXPECT_EQ(c.page.calc.sel_tinj1, 53);
    EXPECT_EQ(f.showtinj1.Text, "5.3");
    EXPECT_EQ(f.showduty.Text, "22");  // row 11 is 5,000 rpm: 50 x 53 / 120
}

TEST(MapOutput, LiveInputsPastATableTakeItsLastEntryOnly) {
    // Slot 3, whose ignition set ends at the last calibration byte. Every byte
    // but the tables' last entries is poison, so a lookup that strays into a
    // neighbouring table, the settings block or beyond the image shows.
    struct Inputs {
        std::uint8_t rpm, pressure, tps, air, water;
    };
    const std::vector<Inputs> cases = {
        {155, 61, 105, 160, 160},  {159, 62, 109, 169, 169},  {160, 100, 110, 170, 170},
        {255, 255, 255, 255, 255}, {157, 200, 107, 165, 250},
    };
    for (const Inputs& in : cases) {
        Calc c;
        c.Fill(0, 1837, 0xEE);
        c.page.cal.mem_image[157] = 3;
        const int slot = 1377;
        for (int set : {0, 159}) {
            c.Put(slot + set + 31, {100});       // base: 10.0 ms
            c.Put(slot + set + 32 + 61, {100});  // pressure: +10 %
            c.Put(slot + set + 94 + 21, {90});
            c.Put(slot + set + 116 + 16, {90});
            c.Put(slot + set + 133 + 16, {80});  // water: -10 %
        }
        c.Put(slot + 309 + 31, {70});
        c.Put(slot + 309 + 32 + 61, {50});
        c.Put(slot + 309 + 94 + 21, {45});
        c.Put(slot + 309 + 116 + 16, {40});
        c.Put(slot + 309 + 133 + 16, {47});  // image byte 1835
        c.Live(in.rpm, in.pressure, in.tps, in.air, in.water);
        c.page.Calc_Map_Output(-1);
        EXPECT_EQ(c.page.calc.op_tinj1, 99) << int(in.rpm);  // 100 -> 110 -> 110 -> 110 -> 99
        EXPECT_EQ(c.page.calc.op_tinj2, 99) << int(in.rpm);
        EXPECT_EQ(c.page.calc.op_advance, 72) << int(in.rpm);  // 70 + 5 + 0 - 5 + 2
    }
}

TEST(MapOutput, EachModeKeepsTheOtherModesOutputs) {
    Calc c;
    c.Put(0, {100});
    c.Put(10, {50});
    c.Live(50, 10, 0, 0, 0);
    c.page.Calc_Map_Output(-1);
    EXPECT_EQ(c.page.calc.op_tinj1, 50);
    EXPECT_EQ(c.page.calc.sel_tinj1, 0);
    c.page.Calc_Map_Output(0);
    EXPECT_EQ(c.page.calc.sel_tinj1, 100);
    EXPECT_EQ(c.page.calc.op_tinj1, 50);
}

TEST(CalcDuty, EditModeTakesTheSpeedOfTheSelectedRow) {
    Calc c;
    auto& f = c.page.form;
    c.Put(6, {50});  // 5.0 ms at row 7 (3,000 rpm)
    c.Put(159 + 6, {2});
    c.Live(100, 10, 0, 0, 0);  // 10,000 rpm: would give 42
    f.edit.UserClick();
    f.datatable[0].UserClick(7, 1);
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "5.0");
    EXPECT_EQ(f.showduty.Text, "13");  // 30 x 50 / 120 = 12.5, halves away from zero
    f.bank2mem.UserClick();
    c.page.Timer1_Timer();  // refill: row 1 again
    f.datatable[0].UserClick(7, 1);
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "0.2");
    EXPECT_EQ(f.showduty.Text, "1");  // 30 x 2 / 120 = 0.5

    // Monitor mode: the engine's speed and the output at the engine's point.
    f.monitor.UserClick();
    f.bank1mem.UserClick();
    c.Put(20, {60});  // 6.0 ms at 10,000 rpm
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showtinj1.Text, "6.0");
    EXPECT_EQ(f.showduty.Text, "50");  // 100 x 60 / 120
    f.cylinsel.UserChange(2);          // 4 cylinders
    f.FullSel.UserClick();             // "Full": 50 x 4, limited
    c.page.Timer1_Timer();
    EXPECT_EQ(f.showduty.Text, "100");
}
