// Range edits on every table kind: the bytes a typed entry would store, the
// ends of the range, and values beyond them brought in and counted.
#include <gtest/gtest.h>

#include "core/calibration/range_edit.h"

using namespace orv;
using Bytes8 = std::vector<std::uint8_t>;

TEST(RangeEdit, EachOperationOnEachTableKind) {
    struct Case {
        TableView view;
        int t;
        RangeOp op;
        double value;
        Bytes8 stored, expected;
        int clamped;
    };
    const auto F = TableView::Fuel;
    const auto I = TableView::Ignition;
    const Case cases[] = {
        // Interpolation: straight between the ends, halves to even.
        {F, 0, RangeOp::Interpolate, 0, {100, 0, 0, 0, 120}, {100, 105, 110, 115, 120}, 0},
        {F, 0, RangeOp::Interpolate, 0, {0, 9, 9, 3}, {0, 1, 2, 3}, 0},
        {F, 2, RangeOp::Interpolate, 0, {0, 50, 1}, {0, 0, 1}, 0},  // 0.5 -> 0
        {F, 2, RangeOp::Interpolate, 0, {1, 50, 2}, {1, 2, 2}, 0},  // 1.5 -> 2
        {I, 1, RangeOp::Interpolate, 0, {0, 0, 0, 85}, {0, 28, 57, 85}, 0},
        {F, 0, RangeOp::Interpolate, 0, {77}, {77}, 0},
        // Ignition grid 0 holds 40..85: a foreign 30 at an end is brought in.
        {I, 0, RangeOp::Interpolate, 0, {30, 0, 50}, {40, 40, 50}, 1},
        // Scale: percent of the value in the table's unit.
        {F, 0, RangeOp::Scale, 110, {100, 125, 250}, {110, 138, 255}, 1},  // 13.75 -> 138, 27.5 -> 25.5
        {F, 1, RangeOp::Scale, 50, {90, 100, 0, 180}, {90, 95, 45, 135}, 0},  // gain -90 % -> -45 %
        {I, 2, RangeOp::Scale, 200, {45, 50, 85, 0}, {45, 55, 85, 0}, 2},  // 80 and -90 out of -45..40
        {F, 3, RangeOp::Scale, 0, {0, 180}, {90, 90}, 0},
        // Offset in the unit: ms for fuel grid 0, percent, degrees.
        {F, 0, RangeOp::Offset, 0.1, {0, 123, 255}, {1, 124, 255}, 1},
        {F, 0, RangeOp::Offset, -0.05, {1, 3, 0}, {0, 2, 0}, 1},  // -0.5 -> 0, 2.5 -> 2, -0.5 < 0
        {F, 0, RangeOp::Offset, 0.15, {0}, {2}, 0},               // 1.5 on the decimal value -> 2
        {F, 4, RangeOp::Offset, -10, {0, 10, 180}, {0, 0, 170}, 1},
        {I, 0, RangeOp::Offset, 5, {40, 80, 85}, {45, 85, 85}, 1},
        // Set: the same byte a typed entry of the value stores.
        {F, 0, RangeOp::Set, 12.25, {0, 1}, {122, 122}, 0},
        {F, 0, RangeOp::Set, 25.6, {0}, {255}, 1},
        {F, 3, RangeOp::Set, -90, {5, 6}, {0, 0}, 0},
        {F, 3, RangeOp::Set, 91, {5}, {180}, 1},
        {I, 0, RangeOp::Set, -6, {50}, {40}, 1},
        {I, 2, RangeOp::Set, -45, {50}, {0}, 0},
        {I, 1, RangeOp::Set, 1e300, {50}, {85}, 1},
        // Step: bytes of the bar, whatever the unit, held at the bar's ends.
        {F, 0, RangeOp::Step, 1, {0, 124, 255}, {1, 125, 255}, 1},
        {F, 2, RangeOp::Step, -10, {5, 90, 180}, {0, 80, 170}, 1},
        {I, 0, RangeOp::Step, -1, {40, 41, 85}, {40, 40, 84}, 1},
        {I, 3, RangeOp::Step, 10, {80, 20}, {85, 30}, 1},
        // Smooth: the mean of each row and its neighbours, the ends kept.
        {F, 0, RangeOp::Smooth, 0, {10, 40, 10, 40, 10}, {10, 20, 30, 20, 10}, 0},
        {F, 0, RangeOp::Smooth, 0, {0, 0, 3, 0, 0}, {0, 1, 1, 1, 0}, 0},
        {F, 0, RangeOp::Smooth, 0, {0, 0, 1, 0}, {0, 0, 0, 0}, 0},
        {F, 2, RangeOp::Smooth, 0, {10, 20, 30, 40}, {10, 20, 30, 40}, 0},  // a straight line stays
        {F, 2, RangeOp::Smooth, 0, {5, 9}, {5, 9}, 0},
        {F, 1, RangeOp::Smooth, 0, {0, 180, 0}, {0, 60, 0}, 0},
        {I, 0, RangeOp::Smooth, 0, {30, 60, 85}, {40, 58, 85}, 1},  // a foreign end is brought in
    };
    for (const Case& c : cases) {
        const RangeEditResult r = EditRange(c.stored, c.view, c.t, c.op, c.value);
        SCOPED_TRACE(testing::Message() << "t=" << c.t << " op=" << static_cast<int>(c.op) << " value=" << c.value);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.bytes, c.expected);
        EXPECT_EQ(r.clamped, c.clamped);
    }
}

TEST(RangeEdit, SetAgreesWithTheTypedEntryOverEveryAcceptedByte) {
    for (TableView v : {TableView::Fuel, TableView::Ignition}) {
        for (int t = 0; t < kTableCount; ++t) {
            const ByteRange range = BarRange(v, t);
            for (int b = range.lo; b <= range.hi; ++b) {
                const double typed = std::stod(CellText(v, t, b));
                const RangeEditResult r = EditRange(Bytes8{0}, v, t, RangeOp::Set, typed);
                ASSERT_EQ(r.bytes, Bytes8{static_cast<std::uint8_t>(*TypedByte(v, t, typed))}) << t << " " << b;
                EXPECT_EQ(r.bytes[0], b);
            }
        }
    }
}

TEST(RangeEdit, ValuesThatAreNoNumberChangeNothing) {
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        for (RangeOp op : {RangeOp::Scale, RangeOp::Offset, RangeOp::Set})
            EXPECT_FALSE(EditRange(Bytes8{1, 2}, TableView::Fuel, 0, op, bad).ok);
    EXPECT_FALSE(EditRange(Bytes8{}, TableView::Fuel, 0, RangeOp::Set, 1).ok);
}
