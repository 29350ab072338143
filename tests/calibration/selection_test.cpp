// Which table set the grids show, bank 2 on or off, and the "Full" flag.
#include <gtest/gtest.h>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

namespace {

// A console started without a serial port; `flags` is the mode_flags byte of
// the active slot block `slot` after start-up.
struct Selecting : Console {
    explicit Selecting(int slot = 0) : slot_(slot) {
        page.cal.mem_image[157] = static_cast<std::uint8_t>(slot);
        StartUp(0);
        page.Timer1_Timer();
    }
    std::uint8_t& Flags() { return page.cal.mem_image[slot_ * 459 + 158]; }
    std::uint8_t& CylMode() { return page.cal.mem_image[slot_ * 459 + 150]; }
    form::Form& f() { return page.form; }

   private:
    int slot_;
};

}  // namespace

TEST(Selection, ViewButtonsWriteTheViewBitsOfTheActiveBlock) {
    for (int slot : {0, 2, 3}) {
        Selecting c(slot);
        auto& f = c.f();
        c.Flags() = 0x0C;
        const Image before = c.page.cal.mem_image;
        struct Step {
            form::OptionButton* button;
            std::uint8_t flags;
            const char* unit;
        };
        for (Step s :
             {Step{&f.IgnMem, 0x0F, "Degrees"}, Step{&f.bank2mem, 0x0D, "(ms)"}, Step{&f.bank1mem, 0x0C, "(ms)"},
              Step{&f.IgnMem, 0x0F, "Degrees"}, Step{&f.bank1mem, 0x0C, "(ms)"}}) {
            c.page.cal.reload_tables = false;
            s.button->UserClick();
            EXPECT_EQ(c.Flags(), s.flags) << slot;
            EXPECT_EQ(f.tinj.Caption, s.unit) << slot;
            EXPECT_TRUE(c.page.cal.reload_tables) << slot;
            EXPECT_EQ(f.bank1mem.Value() + f.bank2mem.Value() + f.IgnMem.Value(), 1) << slot;
        }
        Image after = c.page.cal.mem_image;
        EXPECT_EQ(after, before) << slot;  // the other bytes and blocks never moved
    }
}

TEST(Selection, Bank2OnAndOffWriteBit3Only) {
    Selecting c;
    auto& f = c.f();
    f.ignsel.UserClick();
    c.Flags() = 0x03;
    f.bank2sel.UserClick();
    EXPECT_EQ(c.Flags(), 0x03);
    f.ignsel.UserClick();
    EXPECT_EQ(c.Flags(), 0x0B);
    EXPECT_FALSE(f.bank2sel.Value());
    c.Flags() = 0xF4;
    f.bank2sel.UserClick();
    EXPECT_EQ(c.Flags(), 0xF4);
    f.ignsel.UserClick();
    EXPECT_EQ(c.Flags(), 0xFC);
    f.bank2sel.UserClick();
    EXPECT_EQ(c.Flags(), 0xF4);
}

TEST(Selection, OnMarksTheGridsForRefillOnlyWhileBank2IsViewed) {
    struct Case {
        form::OptionButton form::Form::*view;
        bool refill;
    };
    for (Case k :
         {Case{&form::Form::bank1mem, false}, Case{&form::Form::bank2mem, true}, Case{&form::Form::IgnMem, false}}) {
        Selecting c;
        auto& f = c.f();
        (f.*k.view).UserClick();
        f.ignsel.UserClick();
        c.page.Timer1_Timer();
        ASSERT_FALSE(c.page.cal.reload_tables);
        f.tinj.Caption = "";
        f.bank2sel.UserClick();
        EXPECT_EQ(c.page.cal.reload_tables, k.refill);
        EXPECT_EQ(f.tinj.Caption, k.refill ? "(ms)" : "");
    }
}

TEST(Selection, OffDisablesBank2ButKeepsTheViewedSet) {
    Selecting c;
    auto& f = c.f();
    c.page.cal.mem_image[159] = 33;  // bank 2, grid 0, row 1
    f.bank2mem.UserClick();
    c.page.Timer1_Timer();
    f.ignsel.UserClick();
    EXPECT_FALSE(f.bank2mem.Enabled);
    EXPECT_TRUE(f.bank2mem.Value());
    EXPECT_EQ(c.Flags() & 0x03, 0x01);
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "3.3");
    f.bank2sel.UserClick();
    EXPECT_TRUE(f.bank2mem.Enabled);
}

TEST(Selection, OnAndOffShowOrHideTheBank2Displays) {
    Selecting c;
    auto& f = c.f();
    struct Expect {
        bool shown;  // tinj2, bank2, duty2, lduty2
        const char* label6;
        bool bank2mem, rpm_switch;
    };
    auto check = [&](const Expect& e, const char* what) {
        for (form::Control* ctl : std::initializer_list<form::Control*>{&f.tinj2, &f.bank2, &f.duty2, &f.lduty2})
            EXPECT_EQ(ctl->Visible, e.shown) << what;
        EXPECT_EQ(f.Label6.Caption, e.label6) << what;
        EXPECT_EQ(f.bank2mem.Enabled, e.bank2mem) << what;
        for (form::Control* ctl : std::initializer_list<form::Control*>{&f.RPMAcc, &f.rpmsw, &f.TRPMAcc})
            EXPECT_EQ(ctl->Enabled, e.rpm_switch) << what;
    };
    f.ignsel.UserClick();
    check({false, "Off", false, true}, "Off");
    EXPECT_TRUE(f.Injector2.Visible);  // "Off" leaves the bank 2 gauge as it is
    f.Injector2.Visible = false;
    f.bank2sel.UserClick();
    check({true, "(ms)", true, false}, "On");
    EXPECT_TRUE(f.Injector2.Visible);
}

TEST(Selection, FullWritesBit7WithTheCylinderCode) {
    Selecting c(1);
    auto& f = c.f();
    f.cylinsel.UserChange(4);
    EXPECT_EQ(c.CylMode(), 0x04);
    f.FullSel.UserClick();
    EXPECT_EQ(c.CylMode(), 0x84);
    EXPECT_TRUE(c.page.cal.full_sel);
    f.cylinsel.UserScroll(2);
    EXPECT_EQ(c.CylMode(), 0x82);
    EXPECT_EQ(f.ncylinder.Text, "4");
    f.FullSel.UserClick();
    EXPECT_EQ(c.CylMode(), 0x02);
    EXPECT_FALSE(c.page.cal.full_sel);
    EXPECT_EQ(c.page.cal.mem_image[150], 0);  // slot 0 untouched
}

TEST(Selection, EachBlockKeepsItsOwnViewBank2SwitchAndFull) {
    Selecting c;
    auto& f = c.f();
    f.IgnMem.UserClick();
    f.ignsel.UserClick();
    f.cylinsel.UserChange(3);
    f.FullSel.UserClick();
    EXPECT_EQ(c.page.cal.mem_image[158], 0x0B);
    EXPECT_EQ(c.page.cal.mem_image[150], 0x83);
    f.mem2.UserClick();
    EXPECT_TRUE(f.bank2sel.Value());
    EXPECT_TRUE(f.bank1mem.Value());
    EXPECT_EQ(f.FullSel.Value(), 0);
    EXPECT_EQ(c.page.cal.mem_image[459 + 158], 0x00);
    EXPECT_EQ(c.page.cal.mem_image[459 + 150], 0x00);
    f.mem1.UserClick();  // ignition is entered only by a click: block 0 comes back on bank 2
    EXPECT_TRUE(f.ignsel.Value());
    EXPECT_TRUE(f.bank2mem.Value());
    EXPECT_EQ(f.FullSel.Value(), 1);
    EXPECT_EQ(f.ncylinder.Text, "5");
    EXPECT_EQ(c.page.cal.mem_image[158], 0x09);
    EXPECT_EQ(c.page.cal.mem_image[150], 0x83);
}
