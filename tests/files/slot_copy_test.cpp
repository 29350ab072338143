// Whole memory slots copied and exchanged: the bytes exact, every byte of
// the other slots unchanged, the active-slot byte and the view bits kept in
// place, each one undo step.
#include <gtest/gtest.h>

#include "core/files/slot_copy.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"

using namespace orv;
using orv::test::RandomImage;

namespace {

// The image after slot `from`'s calibration landed in block `to` of `before`.
Image Landed(const Image& before, const Image& source, int from, int to) {
    Image expected = before;
    for (int rel = 0; rel < kSlotSize; ++rel) {
        std::uint8_t b = source[from * kSlotSize + rel];
        if (rel == 157) b = before[to * kSlotSize + rel];
        if (rel == 158) b = static_cast<std::uint8_t>((b & 0xFC) | (before[to * kSlotSize + rel] & 0x03));
        expected[to * kSlotSize + rel] = b;
    }
    return expected;
}

}  // namespace

TEST(SlotCopy, EveryPairCopiesAndSwapsExactly) {
    for (int from = 0; from < 4; ++from)
        for (int to = 0; to < 4; ++to) {
            if (from == to) continue;
            const Image before = RandomImage(static_cast<unsigned>(from * 4 + to));
            Image copied = before;
            ASSERT_TRUE(CopySlotBlock(copied, from, to));
            EXPECT_EQ(copied, Landed(before, before, from, to)) << from << " over " << to;
            EXPECT_EQ(copied[157], before[157]);  // the active slot stays named

            Image swapped = before;
            ASSERT_TRUE(SwapSlotBlocks(swapped, from, to));
            EXPECT_EQ(swapped, Landed(Landed(before, before, from, to), before, to, from)) << from << " with " << to;
            ASSERT_TRUE(SwapSlotBlocks(swapped, to, from));
            EXPECT_EQ(swapped, before);  // twice is nothing
        }
}

TEST(SlotCopy, ASlotOutsideTheImageOrOntoItselfChangesNothing) {
    const Image before = RandomImage(7);
    for (auto [a, b] : {std::pair{0, 0}, {3, 3}, {-1, 2}, {4, 0}, {1, 4}, {2, -7}}) {
        Image image = before;
        EXPECT_FALSE(CopySlotBlock(image, a, b)) << a << " " << b;
        EXPECT_FALSE(SwapSlotBlocks(image, a, b)) << a << " " << b;
        EXPECT_EQ(image, before);
    }
}

TEST(SlotCopy, RefusedOutsideEditModeWithItsReason) {
    test::Console c;
    c.StartUp(1);
    const Image start = c.page.cal.mem_image;
    EXPECT_FALSE(c.page.CopySlot(0, 2));
    EXPECT_EQ(c.page.form.Notice, "Slot not copied: slots change only in edit mode, outside host mode");
    EXPECT_FALSE(c.page.SwapSlots(0, 2));
    EXPECT_EQ(c.page.cal.mem_image, start);
    EXPECT_FALSE(c.page.CanUndo());
}
