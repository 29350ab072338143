// The four memory slots: the active one is named by image byte 157.
#include <gtest/gtest.h>

#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"

using namespace orv;
using orv::test::Console;
using orv::test::RandomImage;

namespace {

form::OptionButton& SlotOption(form::Form& f, int slot) {
    form::OptionButton* options[] = {&f.mem1, &f.mem2, &f.mem3, &f.mem4};
    return *options[slot];
}

}  // namespace

TEST(Slots, SelectingASlotMovesTheSettingsToItsBlock) {
    Console c;
    c.StartUp(0);
    auto& f = c.page.form;
    // Slot block 2's settings block: bytes 1068..1076.
    const std::uint8_t settings[] = {0x84, 120, 14, 55, 66, 33, 140, 9, 0x04};
    for (int i = 0; i < 9; ++i) c.page.cal.mem_image[1068 + i] = settings[i];
    f.mem3.UserClick();
    EXPECT_EQ(c.page.cal.mem_image[157], 2);
    EXPECT_EQ(c.page.cal.slot_base, 918);
    EXPECT_TRUE(c.page.cal.reload_tables);
    EXPECT_EQ(f.ncylinder.Text, "6");
    EXPECT_EQ(f.FullSel.Value(), 1);
    EXPECT_EQ(f.TRPMAcc.Text, "12.0");
    EXPECT_EQ(f.TWaterAcc.Text, "50");
    EXPECT_EQ(f.pdeltatps.Text, "55");
    EXPECT_EQ(f.windowsize.Text, "66");
    EXPECT_EQ(f.loadtime.Text, "3.3");
    EXPECT_EQ(f.TLimiter.Text, "14.0");
    EXPECT_TRUE(f.igninv.Value());
    EXPECT_TRUE(f.bank2sel.Value());
    EXPECT_EQ(c.page.cal.mem_image[1075], 9);  // block 2's copy of byte 157 means nothing
    // The settings controls now write block 2.
    f.Limiter.UserChange(10);
    EXPECT_EQ(c.page.cal.mem_image[1074], 10);
    EXPECT_EQ(c.page.cal.mem_image[156], 0);
}

TEST(Slots, TheImageNamesTheSlotShown) {
    const std::vector<std::tuple<int, int, int>> cases = {{0, 0, 0}, {1, 1, 459}, {2, 2, 918}, {3, 3, 1377},
                                                          {4, 0, 0}, {7, 0, 0},   {255, 0, 0}, {128, 0, 0}};
    for (auto [stored, slot, base] : cases) {
        Console c;
        c.StartUp(0);
        auto& f = c.page.form;
        c.page.cal.mem_image[157] = static_cast<std::uint8_t>(stored);
        c.page.cal.mem_image[base + 151] = 42;
        c.page.Show_Mem_Slot();
        c.page.Show_Settings();
        EXPECT_EQ(c.page.cal.mem_image[157], slot) << stored;  // rewritten to the slot shown
        EXPECT_EQ(c.page.cal.slot_base, base) << stored;
        for (int s = 0; s < 4; ++s) EXPECT_EQ(SlotOption(f, s).Value(), s == slot) << stored;
        EXPECT_EQ(f.TRPMAcc.Text, "4.2") << stored;
    }
}

TEST(Slots, StartUpShowsTheSlotOfTheImage) {
    for (int stored : {1, 3, 7}) {
        Console c;
        c.page.cal.mem_image[157] = static_cast<std::uint8_t>(stored);
        c.StartUp(0);
        const int slot = stored <= 3 ? stored : 0;
        EXPECT_TRUE(SlotOption(c.page.form, slot).Value()) << stored;
        EXPECT_EQ(c.page.cal.slot_base, slot * 459) << stored;
        EXPECT_EQ(c.page.cal.mem_image[157], slot) << stored;
    }
}

TEST(Slots, ASlotChangeTouchesOnlyByte157AndTheViewBits) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        Console c;
        c.page.cal.mem_image = RandomImage(seed);
        c.page.cal.mem_image[157] = 0;
        c.StartUp(0);
        auto& f = c.page.form;
        for (int slot : {3, 1, 2, 0, 3}) {
            const Image before = c.page.cal.mem_image;
            SlotOption(f, slot).UserClick();
            Image expected = before;
            expected[157] = static_cast<std::uint8_t>(slot);
            std::uint8_t& flags = expected[slot * 459 + 158];
            flags = static_cast<std::uint8_t>((flags & 0xFC) | (flags & 0x01));
            EXPECT_EQ(c.page.cal.mem_image, expected) << "seed " << seed << " slot " << slot;
        }
    }
}

TEST(Slots, BlockFlagsChooseTheBank2SwitchAndTheView) {
    struct Case {
        std::uint8_t flags;
        bool on, bank2;
        std::uint8_t after;
    };
    const std::vector<Case> cases = {
        {0x03, true, true, 0x01},  {0x0C, false, false, 0x0C}, {0x0B, false, true, 0x09},
        {0x02, true, false, 0x00}, {0xF5, true, true, 0xF5},
    };
    for (const Case& k : cases) {
        Console c;
        c.page.cal.mem_image[1377 + 158] = k.flags;
        c.StartUp(0);
        auto& f = c.page.form;
        f.mem4.UserClick();
        EXPECT_EQ(f.bank2sel.Value(), k.on) << int(k.flags);
        EXPECT_EQ(f.ignsel.Value(), !k.on) << int(k.flags);
        EXPECT_EQ(f.bank2mem.Enabled, k.on) << int(k.flags);
        EXPECT_EQ(f.bank2mem.Value(), k.bank2) << int(k.flags);
        EXPECT_EQ(f.bank1mem.Value(), !k.bank2) << int(k.flags);
        EXPECT_EQ(f.Label6.Caption, k.on ? "(ms)" : "Off") << int(k.flags);
        EXPECT_EQ(f.RPMAcc.Enabled, !k.on) << int(k.flags);  // the RPM switch stands in for bank 2
        EXPECT_EQ(f.bank2.Visible, k.on) << int(k.flags);
        EXPECT_EQ(c.page.cal.mem_image[1377 + 158], k.after) << int(k.flags);
    }
}

TEST(Slots, GridsShowTheNewSlotAfterTheNextTick) {
    Console c;
    c.page.cal.mem_image[0] = 11;          // slot 0, bank 1
    c.page.cal.mem_image[459 + 159] = 22;  // slot 1, bank 2 (viewed there)
    c.page.cal.mem_image[459 + 158] = 0x01;
    c.page.cal.mem_image[918 + 32 + 3] = 100;  // slot 2, bank 1, grid 1 row 4
    c.StartUp(0);
    auto& f = c.page.form;
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "1.1");
    f.mem2.UserClick();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "1.1");
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "2.2");
    EXPECT_EQ(f.HScroll1[0].Value(), 22);
    f.mem3.UserClick();
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "0.0");
    EXPECT_EQ(f.datatable[1].Cell(4, 1), "10");
    // Editing now lands in slot 2.
    f.edit.UserClick();
    f.datatable[0].UserClick(2, 1);
    f.Text1[0].UserType("3.3");
    EXPECT_EQ(c.page.cal.mem_image[918 + 1], 33);
    EXPECT_EQ(c.page.cal.mem_image[1], 0);
    EXPECT_EQ(c.page.cal.mem_image[459 + 1], 0);
}
