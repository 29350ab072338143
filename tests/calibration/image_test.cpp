#include <gtest/gtest.h>

#include <random>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

TEST(Image, AddressMap) {
    struct Case {
        std::uint8_t active_slot;
        int flags_at;
        std::uint8_t flags;
        int table;
        int addr;
    };
    const std::vector<Case> cases = {
        {1, 459 + 158, 0x01, 4, 751},    // slot 1, bank 2, water table
        {3, 1377 + 158, 0x03, 0, 1686},  // slot 3, ignition
        {3, 1377 + 158, 0x03, 4, 1819},  // ...whose entry 15 is byte 1834, the highest any caller reaches
        {7, 158, 0x00, 2, 94},           // unknown slot numbers fall back to block 0
        {255, 158, 0x01, 1, 191},
        {0, 158, 0x02, 3, 116},          // view 10 reads as bank 1
        {2, 918 + 158, 0xFC, 1, 950},    // other flag bits do not matter
        {2, 918 + 158, 0x00, 9, 918},    // any other table number is table 0
    };
    for (const Case& c : cases) {
        Console con;
        con.page.cal.mem_image[157] = c.active_slot;
        con.page.cal.mem_image[c.flags_at] = c.flags;
        EXPECT_EQ(con.page.Get_Mem_Addr(c.table), c.addr) << int(c.active_slot) << " " << c.table;
    }
}

TEST(Image, TableAddrTakesTheSetFromItsArgument) {
    Console c;
    c.page.cal.mem_image[157] = 2;
    c.page.cal.mem_image[918 + 158] = 0x03;  // the view does not matter here
    const std::vector<std::tuple<int, int, int>> cases = {
        {0, 0, 918}, {1, 1, 918 + 159 + 32}, {4, 2, 918 + 309 + 133}, {2, 7, 918 + 94}, {-1, 1, 918 + 159}};
    for (auto [t, set, addr] : cases) {
        EXPECT_EQ(c.page.Get_Table_Addr(t, set), addr) << t << "," << set;
    }
}

TEST(Image, SetBank1MemClearsOnlyTheViewBits) {
    Console c;
    for (int i = 0; i < kImageSize; ++i) c.page.cal.mem_image[i] = static_cast<std::uint8_t>(i * 7);
    for (int s = 0; s < 4; ++s) c.page.cal.mem_image[s * 459 + 158] = 0x0F;
    Image before = c.page.cal.mem_image;
    c.page.SetBank1Mem();
    for (int i = 0; i < kImageSize; ++i) {
        bool flags = i == 158 || i == 617 || i == 1076 || i == 1535;
        EXPECT_EQ(c.page.cal.mem_image[i], flags ? 0x0C : before[i]) << i;
    }
}

TEST(Image, ByteWritesAreRangeChecked) {
    Console c;
    c.page.cal.mem_image[10] = 33;
    EXPECT_FALSE(PutByte(c.page.cal.mem_image, 10, 256));
    EXPECT_FALSE(PutByte(c.page.cal.mem_image, 10, -1));
    EXPECT_FALSE(PutByte(c.page.cal.mem_image, 1837, 1));
    EXPECT_EQ(c.page.cal.mem_image[10], 33);
    EXPECT_TRUE(PutByte(c.page.cal.mem_image, 1836, 255));
    EXPECT_EQ(c.page.cal.mem_image[1836], 255);
}

TEST(Image, UnshownTableBytesSurviveEditsViewsAndSlots) {
    Console c;
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& b : c.page.cal.mem_image) b = static_cast<std::uint8_t>(byte(gen));
    c.page.cal.mem_image[157] = 0;
    for (int s = 0; s < 4; ++s) c.page.cal.mem_image[s * 459 + 158] &= 0xF0;
    c.StartUp(0);
    auto& f = c.page.form;
    // Never shown, edited or printed: the last byte of tables 0, 2, 3, 4 and
    // the last eleven of table 1, in every set of every slot.
    std::vector<int> unshown;
    for (int s = 0; s < 4; ++s)
        for (int set : {0, 159, 309}) {
            for (int rel : {31, 115, 132, 149}) unshown.push_back(s * 459 + set + rel);
            for (int rel = 83; rel <= 93; ++rel) unshown.push_back(s * 459 + set + rel);
        }
    std::vector<std::uint8_t> kept;
    for (int a : unshown) kept.push_back(c.page.cal.mem_image[a]);

    f.edit.UserClick();
    form::OptionButton* slots[] = {&f.mem1, &f.mem2, &f.mem3, &f.mem4};
    form::OptionButton* views[] = {&f.bank1mem, &f.bank2mem, &f.IgnMem};
    for (int s : {2, 0, 3, 1}) {
        slots[s]->UserClick();
        for (form::OptionButton* v : views) {
            v->UserClick();
            c.page.Timer1_Timer();
            for (int t = 0; t < 5; ++t) {
                auto& grid = f.datatable[t];
                for (int r = 1; r < grid.Rows(); ++r) {
                    grid.UserClick(r, 1);
                    f.HScroll1[t].UserChange(f.HScroll1[t].Max());
                    f.HScroll1[t].UserScroll(f.HScroll1[t].Min());
                    f.Text1[t].UserType("1");
                }
                grid.UserScroll(grid.Rows() - 1);
                grid.UserClick(0, 0);
            }
        }
    }
    for (int i = 0; i < 10; ++i) c.page.Timer1_Timer();
    for (std::size_t i = 0; i < unshown.size(); ++i) EXPECT_EQ(c.page.cal.mem_image[unshown[i]], kept[i]) << unshown[i];
    // The edits did land on the shown entries.
    EXPECT_EQ(c.page.cal.mem_image[459 + 309 + 30], 46);  // ignition, "1" degree
    EXPECT_EQ(c.page.cal.mem_image[459 + 159 + 32 + 50], 91);
}
