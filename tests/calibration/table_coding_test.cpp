// The table coding on its own, as the report and the command-line tool use it.
#include <gtest/gtest.h>

#include "core/calibration/table_coding.h"
#include "core/common/numbers.h"

using namespace orv;

TEST(TableCoding, EachTypedRangeMapsExactlyOntoItsBar) {
    struct Case {
        TableView view;
        int grid;
        double lo, hi;
        int bar_lo, bar_hi;
    };
    const Case cases[] = {
        {TableView::Fuel, 0, 0, 25.5, 0, 255},      {TableView::Fuel, 1, -90, 90, 0, 180},
        {TableView::Fuel, 4, -90, 90, 0, 180},      {TableView::Ignition, 0, -5, 40, 40, 85},
        {TableView::Ignition, 3, -45, 40, 0, 85},
    };
    for (const Case& k : cases) {
        const ByteRange bar = BarRange(k.view, k.grid);
        EXPECT_EQ(bar.lo, k.bar_lo) << k.grid;
        EXPECT_EQ(bar.hi, k.bar_hi) << k.grid;
        EXPECT_EQ(TypedByte(k.view, k.grid, k.lo), k.bar_lo) << k.grid;
        EXPECT_EQ(TypedByte(k.view, k.grid, k.hi), k.bar_hi) << k.grid;
        EXPECT_FALSE(TypedByte(k.view, k.grid, k.lo - 0.01)) << k.grid;
        EXPECT_FALSE(TypedByte(k.view, k.grid, k.hi + 0.01)) << k.grid;
        // Every byte the bar can hold reads back from its own cell text.
        for (int b = bar.lo; b <= bar.hi; ++b) {
            const std::string text = CellText(k.view, k.grid, b);
            const std::optional<double> typed = ParseNumber(text);
            ASSERT_TRUE(typed) << text;
            EXPECT_EQ(TypedByte(k.view, k.grid, *typed), b) << text;
        }
    }
}

TEST(TableCoding, ViewsCellTextsAndTypedText) {
    EXPECT_EQ(ViewOf(true, false), TableView::Ignition);
    EXPECT_EQ(ViewOf(false, false), TableView::Fuel);  // bank 2, or nothing chosen yet
    EXPECT_EQ(ViewOf(true, true), TableView::Fuel);
    EXPECT_EQ(CellText(TableView::Fuel, 0, 5), "0.5");
    EXPECT_EQ(CellText(TableView::Fuel, 2, 0), "-90");
    EXPECT_EQ(CellText(TableView::Ignition, 0, 0), "-45");
    EXPECT_EQ(CellText(TableView::Fuel, 0, 300), "30.0");  // a value no byte holds still reads
    EXPECT_EQ(TypedByte(TableView::Fuel, 0, 12.25), 122);   // halves to even
    EXPECT_EQ(TypedByte(TableView::Fuel, 0, 12.35), 124);
    EXPECT_EQ(TypedByte(TableView::Fuel, 1, 0.5), 90);
    EXPECT_EQ(TypedCellText(TableView::Fuel, 0, "7", 7), "7.0");
    EXPECT_EQ(TypedCellText(TableView::Fuel, 1, "10.4", 10.4), "10.4");
    EXPECT_EQ(TypedCellText(TableView::Ignition, 0, "+5", 5), "+5");
}

TEST(TableCoding, RowRangesInTheAxissOwnUnits) {
    const std::tuple<int, int, int, const char*> cases[] = {
        {0, 6, 10, "2,500 to 4,500 rpm"},
        {0, 1, 31, "0 to 15,000 rpm"},
        {1, 6, 11, "-0.5 to 0.0 bar"},
        {2, 3, 3, "10 %"},
        {3, 1, 4, "-20 to 10 \u00b0C"},
        {4, 16, 16, "130 \u00b0C"},
    };
    for (const auto& [t, first, last, want] : cases) EXPECT_EQ(AxisRangeText(t, first, last), want) << t;
}
