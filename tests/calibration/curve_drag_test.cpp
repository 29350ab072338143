// A table's curve shaped by dragging its points: the pointer's travel as
// whole steps of the bar, the rows a drag holds, one undo step per drag, and
// no change outside edit mode.
#include <gtest/gtest.h>

#include "core/calibration/curve_drag.h"
#include "tests/support/console_fixture.h"

using namespace orv;
using Bytes8 = std::vector<std::uint8_t>;

namespace {
const auto F = TableView::Fuel;
const auto I = TableView::Ignition;
}  // namespace

TEST(CurveDrag, TravelBecomesWholeStepsWithinTheBar) {
    struct Case {
        TableView view;
        int t;
        double travel;
        Bytes8 pressed, expected;
        int clamped;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {F, 0, 0.26, {100, 254}, {103, 255}, 1},  // 0.1 ms a step: 2.6 -> 3
        {F, 0, -0.04, {100}, {100}, 0},           // less than half a step
        {F, 1, 2.5, {90, 179}, {93, 180}, 1},     // 1 % a step; a half goes away from zero
        {F, 3, -7.2, {5, 90}, {0, 83}, 1},
        {I, 0, -3, {44, 60}, {41, 57}, 0},
        {I, 0, -30, {44, 60}, {40, 40}, 2},  // ignition grid 0 holds 40..85
        {I, 2, 100, {0, 80}, {85, 85}, 2},
        // No step: foreign bytes outside the bar stay as they are.
        {I, 0, 0.3, {20, 90}, {20, 90}, 0},
        // A step: they come into the range.
        {I, 0, 1, {20, 90}, {40, 85}, 2},
        // Travel that is no number moves nothing; beyond any range, the end.
        {F, 2, nan, {7}, {7}, 0},
        {F, 2, inf, {7}, {7}, 0},
        {F, 2, 1e300, {7}, {180}, 1},
        {F, 2, -1e300, {7}, {0}, 1},
    };
    for (const Case& c : cases) {
        const RangeEditResult r = DragRows(c.pressed, c.view, c.t, c.travel);
        ASSERT_TRUE(r.ok) << c.t << " " << c.travel;
        EXPECT_EQ(r.bytes, c.expected) << c.t << " " << c.travel;
        EXPECT_EQ(r.clamped, c.clamped) << c.t << " " << c.travel;
    }
}

TEST(CurveDrag, APressPicksTheNearestEntryOfTheAxis) {
    const std::tuple<int, double, int> cases[] = {
        {0, 0.0, 0},  {0, 2.74, 5},  {0, 2.76, 6},   {0, 99, 30},  {0, -5, 0}, {1, -1.0, 0}, {1, 0.04, 10},
        {1, 4.0, 50}, {2, 52, 10},   {3, -20, 0},    {4, 131, 15}, {5, 1, -1}, {-1, 1, -1},
    };
    for (auto [t, x, entry] : cases) EXPECT_EQ(NearestEntry(t, x), entry) << t << " " << x;
    EXPECT_EQ(NearestEntry(0, std::numeric_limits<double>::quiet_NaN()), -1);
}

namespace {

struct DragSession : test::Console {
    DragSession() {
        StartUp(1);
        page.form.edit.UserClick();
        // PRES (bank 1, slot 0) rises 80, 81, ...: gains -10 % upward.
        page.RunEvent([&] {
            for (int k = 0; k < 51; ++k) page.cal.mem_image[32 + k] = static_cast<std::uint8_t>(80 + k);
            page.Load_Memory_Map();
        });
        start = page.cal.mem_image;
        steps = page.History().DoneSteps();
    }
    Image start;
    std::size_t steps;
};

}  // namespace

TEST(CurveDrag, NothingMovesWhereTheCurvesCannotBeChanged) {
    DragSession c;
    form::Form& f = c.page.form;
    for (auto [t, entry] : {std::pair{1, -1}, {1, 51}, {0, 31}, {5, 0}, {-1, 0}})
        EXPECT_FALSE(c.page.CurveDragBegin(t, entry, false)) << t << " " << entry;
    f.monitor.UserClick();
    EXPECT_FALSE(c.page.CurveDragBegin(1, 4, false));
    c.page.CurveDragMove(5);
    c.page.CurveDragEnd();
    EXPECT_EQ(c.page.cal.mem_image, c.start);
    EXPECT_EQ(c.page.History().DoneSteps(), c.steps);
}

TEST(CurveDrag, ADragBackLeavesNoStepAndAnUndoUnderwayEndsTheDrag) {
    DragSession c;
    ASSERT_TRUE(c.page.CurveDragBegin(1, 10, false));
    c.page.CurveDragMove(5);
    c.page.CurveDragMove(0.2);
    c.page.CurveDragEnd();
    EXPECT_EQ(c.page.cal.mem_image, c.start);
    EXPECT_EQ(c.page.History().DoneSteps(), c.steps);

    // Two drags, two steps: the second does not join the first.
    for (double travel : {2.0, -3.0}) {
        ASSERT_TRUE(c.page.CurveDragBegin(1, 10, false));
        c.page.CurveDragMove(travel);
        c.page.CurveDragEnd();
    }
    EXPECT_EQ(c.page.cal.mem_image[42], 90 - 1);
    EXPECT_EQ(c.page.History().DoneSteps(), c.steps + 2);
    c.page.Undo();
    EXPECT_EQ(c.page.cal.mem_image[42], 90 + 2);

    // An undo in mid-drag is kept: the drag lets go of the rows.
    ASSERT_TRUE(c.page.CurveDragBegin(1, 10, false));
    c.page.CurveDragMove(4);
    ASSERT_TRUE(c.page.Undo());
    EXPECT_EQ(c.page.cal.mem_image[42], 92);
    c.page.CurveDragMove(6);
    EXPECT_FALSE(c.page.CurveDragging());
    EXPECT_EQ(c.page.cal.mem_image[42], 92);
}
