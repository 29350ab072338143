// The edit history alone: exact bytes back and forth, steps as events make
// them (a drag is one; transfers: tests/link), and memory that stays bounded.
#include <gtest/gtest.h>

#include "core/calibration/edit_history.h"
#include "tests/support/random_image.h"

using namespace orv;
using orv::test::RandomImage;

TEST(EditHistory, UndoAndRedoWalkEveryStateExactly) {
    EditHistory h;
    std::vector<Image> states{RandomImage(1)};
    for (unsigned s = 0; s < 6; ++s) {
        Image next = states.back();
        // Scattered bytes, close pairs and a whole-image replacement.
        if (s == 3) next = RandomImage(50);
        else for (int i = 0; i < 40; ++i) next[(s * 97 + i * i * 13) % kImageSize] ^= static_cast<std::uint8_t>(i + 1);
        ASSERT_TRUE(h.Record(states.back(), next));
        states.push_back(next);
    }
    EXPECT_FALSE(h.Record(states.back(), states.back()));  // no change, no step
    Image image = states.back();
    for (int k = static_cast<int>(states.size()) - 2; k >= 0; --k) {
        ASSERT_TRUE(h.Undo(image));
        EXPECT_EQ(image, states[k]) << k;
    }
    EXPECT_FALSE(h.Undo(image));
    for (std::size_t k = 1; k < states.size(); ++k) {
        ASSERT_TRUE(h.Redo(image));
        EXPECT_EQ(image, states[k]) << k;
    }
    EXPECT_FALSE(h.Redo(image));

    // A new step after undoing drops what could have been redone.
    h.Undo(image);
    h.Undo(image);
    Image other = image;
    other[0] ^= 1;
    h.Record(image, other);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.DoneSteps(), states.size() - 2);
}

TEST(EditHistory, TenThousandEditsStayWellUnderAMegabyteAndTheBudgetHolds) {
    EditHistory h;
    Image a = RandomImage(3);
    for (int i = 0; i < 10000; ++i) {
        Image b = a;
        b[(i * 31) % kImageSize] ^= 0x5A;
        h.Record(a, b);
        a = b;
    }
    EXPECT_EQ(h.DoneSteps(), 10000u);
    EXPECT_LT(h.Footprint(), 1u << 20);

    // Whole-image steps beyond the budget push out the oldest, never the newest.
    EditHistory small(64 * 1024);
    for (unsigned s = 0; s < 100; ++s) small.Record(RandomImage(s), RandomImage(s + 1));
    EXPECT_LE(small.Footprint(), 64u * 1024);
    EXPECT_GT(small.DoneSteps(), 10u);
    Image image = RandomImage(100);
    ASSERT_TRUE(small.Undo(image));
    EXPECT_EQ(image, RandomImage(99));
}

TEST(EditRecorder, ADragIsOneStepAndADragBackLeavesNone) {
    EditRecorder r;
    Image image{};
    int bar_a = 0, bar_b = 0;  // two bars, known by address
    auto event = [&](auto change, EditEvent kind = EditEvent::Plain, const void* bar = nullptr) {
        r.BeginEvent(image);
        change();
        r.EndEvent(image, kind, bar, TransferUnderWay::None);
    };
    const Image start = image;
    event([&] { image[10] = 1; });  // an entry
    const Image after_entry = image;
    for (int v : {2, 3, 4}) {
        event([&] { image[20] = static_cast<std::uint8_t>(v); }, EditEvent::BarDrag, &bar_a);
        event([] {});  // a tick between Scroll events
    }
    event([] {}, EditEvent::BarCommit, &bar_a);  // the Change at the end writes the same byte
    EXPECT_EQ(r.history().DoneSteps(), 2u);
    const Image after_drag = image;
    event([&] { image[20] = 9; }, EditEvent::BarDrag, &bar_a);  // a new drag of the same bar
    event([&] { image[30] = 9; }, EditEvent::BarDrag, &bar_b);  // then another bar's
    EXPECT_EQ(r.history().DoneSteps(), 4u);
    event([&] { image[30] = 0; }, EditEvent::BarDrag, &bar_b);  // dragged back: no step left
    EXPECT_EQ(r.history().DoneSteps(), 3u);

    Image back = image;
    ASSERT_TRUE(r.Undo(back));  // the second drag of bar a
    EXPECT_EQ(back, after_drag);
    ASSERT_TRUE(r.Undo(back));
    EXPECT_EQ(back, after_entry);
    ASSERT_TRUE(r.Undo(back));
    EXPECT_EQ(back, start);
}
