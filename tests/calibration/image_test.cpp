#include <gtest/gtest.h>

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
        con.page.mem_image[157] = c.active_slot;
        con.page.mem_image[c.flags_at] = c.flags;
        con.page.Get_Mem_Addr(c.table);
        EXPECT_EQ(con.page.mem_addr, c.addr) << int(c.active_slot) << " " << c.table;
    }
}

TEST(Image, TableAddrTakesTheSetFromItsArgument) {
    Console c;
    c.page.mem_image[157] = 2;
    c.page.mem_image[918 + 158] = 0x03;  // the view does not matter here
    const std::vector<std::tuple<int, int, int>> cases = {
        {0, 0, 918}, {1, 1, 918 + 159 + 32}, {4, 2, 918 + 309 + 133}, {2, 7, 918 + 94}, {-1, 1, 918 + 159}};
    for (auto [t, set, addr] : cases) {
        c.page.Get_Table_Addr(t, set);
        EXPECT_EQ(c.page.table_addr, addr) << t << "," << set;
    }
}

TEST(Image, SetBank1MemClearsOnlyTheViewBits) {
    Console c;
    for (int i = 0; i < kImageSize; ++i) c.page.mem_image[i] = static_cast<std::uint8_t>(i * 7);
    for (int s = 0; s < 4; ++s) c.page.mem_image[s * 459 + 158] = 0x0F;
    Image before = c.page.mem_image;
    c.page.SetBank1Mem();
    for (int i = 0; i < kImageSize; ++i) {
        bool flags = i == 158 || i == 617 || i == 1076 || i == 1535;
        EXPECT_EQ(c.page.mem_image[i], flags ? 0x0C : before[i]) << i;
    }
}

TEST(Image, ByteWritesAreRangeChecked) {
    Console c;
    c.page.mem_image[10] = 33;
    EXPECT_FALSE(c.page.PutByte(10, 256));
    EXPECT_FALSE(c.page.PutByte(10, -1));
    EXPECT_FALSE(c.page.PutByte(1837, 1));
    EXPECT_EQ(c.page.mem_image[10], 33);
    EXPECT_TRUE(c.page.PutByte(1836, 255));
    EXPECT_EQ(c.page.mem_image[1836], 255);
}
