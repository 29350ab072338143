#include <gtest/gtest.h>

#include <tuple>

#include "core/form/form.h"

using namespace orv::form;

TEST(Controls, SetterRaisesHandlerOnlyWhenTheValueChanges) {
    int clicks = 0, changes = 0, scrolls = 0, list = 0;
    CheckBox box;
    box.on_click = [&] { ++clicks; };
    box.SetValue(1);
    box.SetValue(1);
    box.SetValue(0);
    EXPECT_EQ(clicks, 2);

    ScrollBar bar;
    bar.SetRange(0, 10);
    bar.on_change = [&] { ++changes; };
    bar.on_scroll = [&] { ++scrolls; };
    bar.SetValue(4);
    bar.SetValue(4);
    bar.SetValue(40);  // clamped to 10: still a change
    EXPECT_EQ(bar.Value(), 10);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(scrolls, 0);

    ComboBox combo;
    combo.items = {"COM 1", "COM 2"};
    combo.on_click = [&] { ++list; };
    combo.SetListIndex(1);
    combo.SetListIndex(1);
    combo.SetListIndex(5);  // no such entry: nothing selected
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(list, 2);
}

TEST(Controls, ScrollBarDragRaisesScrollThenChangeOnRelease) {
    int changes = 0, scrolls = 0;
    ScrollBar bar;
    bar.SetRange(0, 100);
    bar.on_change = [&] { ++changes; };
    bar.on_scroll = [&] { ++scrolls; };
    bar.UserScroll(10);
    bar.UserScroll(20);
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(changes, 0);
    bar.UserChange(20);  // release where the drag ended
    EXPECT_EQ(changes, 1);
    bar.UserChange(20);  // an arrow click at the end of the range moves nothing
    EXPECT_EQ(changes, 1);
}

TEST(Controls, RangeChangeKeepsValueInsideSilently) {
    int changes = 0;
    ScrollBar bar;
    bar.SetRange(0, 255);
    bar.SetValue(200);
    bar.on_change = [&] { ++changes; };
    bar.SetMax(85);
    EXPECT_EQ(bar.Value(), 85);
    bar.SetMin(40);
    bar.Place(10);
    EXPECT_EQ(bar.Value(), 40);
    EXPECT_EQ(changes, 0);
}

TEST(Controls, OptionGroupsKeepExactlyOneSelectionAndRaiseOnlyTheSelected) {
    Form f;
    struct Group {
        std::vector<OptionButton*> buttons;
    };
    std::vector<Group> groups = {
        {{&f.monitor, &f.edit}},
        {{&f.remote, &f.Host}},
        {{&f.bank1mem, &f.bank2mem, &f.IgnMem}},
        {{&f.bank2sel, &f.ignsel}},
        {{&f.ignnormal, &f.igninv}},
        {{&f.mem1, &f.mem2, &f.mem3, &f.mem4}},
    };
    std::map<OptionButton*, int> clicks;
    for (auto& g : groups)
        for (OptionButton* b : g.buttons) b->on_click = [&clicks, b] { ++clicks[b]; };
    for (auto& g : groups) {
        for (OptionButton* chosen : g.buttons) {
            chosen->UserClick();
            for (OptionButton* b : g.buttons) EXPECT_EQ(b->Value(), b == chosen) << b->Caption;
        }
        for (OptionButton* b : g.buttons) EXPECT_EQ(clicks[b], 1) << b->Caption;
        // Clicking the selected one again is no change.
        g.buttons.back()->UserClick();
        EXPECT_EQ(clicks[g.buttons.back()], 1);
    }
    // Groups are independent of each other.
    EXPECT_TRUE(f.edit.Value());
    EXPECT_TRUE(f.Host.Value());
    EXPECT_TRUE(f.mem4.Value());
}

TEST(Controls, GridEventsComeFromTheUserOnly) {
    int sel = 0, click = 0, scroll = 0;
    Grid g;
    g.SetRows(32);
    g.on_sel_change = [&] { ++sel; };
    g.on_click = [&] { ++click; };
    g.on_scroll = [&] { ++scroll; };
    g.Row = 5;
    g.TopRow = 3;
    EXPECT_EQ(sel + click + scroll, 0);
    g.UserClick(7, 1);
    EXPECT_EQ(sel, 1);
    EXPECT_EQ(click, 1);
    g.UserClick(7, 1);  // same cell: Click only
    EXPECT_EQ(sel, 1);
    EXPECT_EQ(click, 2);
    g.UserScroll(10);
    EXPECT_EQ(scroll, 1);
    EXPECT_EQ(g.TopRow, 10);
    g.UserClick(0, 0);  // a fixed cell: the data cell of the first row instead
    EXPECT_EQ(g.Row, 1);
    EXPECT_EQ(g.Col, 1);
    g.SetCell(99, 1, "x");  // outside the grid: ignored
    EXPECT_EQ(g.Cell(99, 1), "");
    // Views skip the cells while the revision stands; only a real change moves it.
    const auto before = g.Revision();
    g.SetCell(3, 1, "a");
    EXPECT_NE(g.Revision(), before);
    const auto after = g.Revision();
    g.SetCell(3, 1, "a");
    g.SetCell(99, 1, "b");
    EXPECT_EQ(g.Revision(), after);
}

TEST(Controls, GridMovesByTheUserKeepTheCurrentRowInView) {
    struct Case {
        int top, to_row, to_col;
        int row, col, new_top, scrolls;
    };
    const Case cases[] = {
        {1, 10, 1, 10, 1, 1, 0},   // the last visible row: no scrolling
        {1, 11, 1, 11, 1, 2, 1},   // one below: the grid scrolls by one
        {5, 31, 1, 31, 1, 22, 1},  // to the end
        {8, 3, 1, 3, 1, 3, 1},     // above the view
        {4, 6, 0, 6, 1, 4, 0},     // the axis column: the row's data cell
        {4, 0, 1, 1, 1, 1, 1},     // the header row: the first data row, brought into view
    };
    for (const Case& k : cases) {
        int sel = 0, scroll = 0;
        Grid g;
        g.SetRows(32);
        g.on_sel_change = [&] { ++sel; };
        g.on_scroll = [&] { ++scroll; };
        g.Row = g.TopRow = k.top;
        g.Col = 1;
        g.UserSelect(k.to_row, k.to_col);
        EXPECT_EQ(g.Row, k.row) << k.to_row;
        EXPECT_EQ(g.Col, k.col) << k.to_row;
        EXPECT_EQ(g.TopRow, k.new_top) << k.to_row;
        EXPECT_EQ(scroll, k.scrolls) << k.to_row;
        EXPECT_EQ(sel, k.row != k.top ? 1 : 0) << k.to_row;
    }
}

TEST(Controls, GridRangeIsExtendedByMovesTheHandlersSeeAsPlainOnes) {
    int sel = 0, click = 0, scroll = 0;
    Grid g;
    g.SetRows(32);
    g.on_sel_change = [&] { ++sel; };
    g.on_click = [&] { ++click; };
    g.on_scroll = [&] { ++scroll; };
    g.UserClick(5, 1);
    EXPECT_EQ(g.SelCount(), 1);
    g.UserExtend(8, true);  // shift+click: SelChange and Click, as a click
    EXPECT_EQ(std::make_tuple(g.Row, g.SelFirst(), g.SelLast(), sel, click), std::make_tuple(8, 5, 8, 2, 2));
    g.UserExtend(2);  // shift+up past the anchor
    EXPECT_EQ(std::make_tuple(g.Row, g.SelFirst(), g.SelLast(), sel, click), std::make_tuple(2, 2, 5, 3, 2));
    g.UserExtend(14);  // below the view: scrolls as a move does, the anchor stays
    EXPECT_EQ(std::make_tuple(g.TopRow, g.SelFirst(), g.SelLast(), scroll), std::make_tuple(5, 5, 14, 1));
    g.UserExtend(99);  // past the end: the last row
    EXPECT_EQ(g.SelLast(), 31);

    g.Row = 20;  // any other move of the row collapses the range
    EXPECT_EQ(std::make_tuple(g.SelFirst(), g.SelLast(), g.SelCount()), std::make_tuple(20, 20, 1));
    g.UserExtend(22);
    EXPECT_EQ(g.SelFirst(), 20);
    g.UserSelect(21, 1);
    EXPECT_EQ(g.SelCount(), 1);
    g.UserExtend(23);
    g.UserClick(23, 1);  // a plain click on the row it is on
    EXPECT_EQ(g.SelCount(), 1);
    g.UserExtend(25);
    g.SetRows(20);  // a new row count
    EXPECT_EQ(g.SelCount(), 1);
}

TEST(Controls, GridMarksCountTheirChangesAndGoWithTheRowCount) {
    Grid g;
    g.SetRows(10);
    const auto start = g.MarkRevision();
    g.SetMark(3, std::nullopt);  // nothing to clear
    g.SetMark(0, "header");      // the header and rows outside: never marked
    g.SetMark(10, "outside");
    EXPECT_EQ(g.MarkRevision(), start);
    g.SetMark(3, "1.5");
    ASSERT_NE(g.Mark(3), nullptr);
    EXPECT_EQ(*g.Mark(3), "1.5");
    EXPECT_EQ(g.Mark(4), nullptr);
    const auto marked = g.MarkRevision();
    g.SetMark(3, "1.5");
    EXPECT_EQ(g.MarkRevision(), marked);
    g.SetRows(10);  // refilled with the same rows: marks stay
    EXPECT_NE(g.Mark(3), nullptr);
    g.SetRows(12);
    EXPECT_EQ(g.Mark(3), nullptr);
    EXPECT_NE(g.MarkRevision(), marked);
}
