// The five table grids: columns, codings per view, refill, and the grid events.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

namespace {

// A console started without a serial port on an image prepared by the test;
// the first tick has filled the grids.
struct Tables : Console {
    explicit Tables(std::initializer_list<std::pair<int, int>> bytes = {}) {
        for (auto [addr, value] : bytes) page.cal.mem_image[addr] = static_cast<std::uint8_t>(value);
        StartUp(0);
        page.Timer1_Timer();
    }
    form::Form& f() { return page.form; }
    // A view button clicked and the refill of the next tick.
    void View(form::OptionButton& button) {
        button.UserClick();
        page.Timer1_Timer();
    }
    std::vector<std::string> Column(int grid, int col) {
        std::vector<std::string> v;
        for (int r = 1; r < page.form.datatable[grid].Rows(); ++r) v.push_back(page.form.datatable[grid].Cell(r, col));
        return v;
    }
};

}  // namespace

TEST(Grids, AxisColumnsAreFixedByTheConsole) {
    Tables c;
    std::vector<std::string> rpm, pres, tps, air;
    for (int k = 0; k <= 30; ++k) rpm.push_back(std::to_string(k / 2) + (k % 2 ? ".5" : ".0"));
    const char* pressures[] = {"-1.0", "-0.9", "-0.8", "-0.7", "-0.6", "-0.5", "-0.4", "-0.3", "-0.2", "-0.1", "0.0",
                               "0.1",  "0.2",  "0.3",  "0.4",  "0.5",  "0.6",  "0.7",  "0.8",  "0.9",  "1.0",  "1.1",
                               "1.2",  "1.3",  "1.4",  "1.5",  "1.6",  "1.7",  "1.8",  "1.9",  "2.0",  "2.1",  "2.2",
                               "2.3",  "2.4",  "2.5",  "2.6",  "2.7",  "2.8",  "2.9",  "3.0",  "3.1",  "3.2",  "3.3",
                               "3.4",  "3.5",  "3.6",  "3.7",  "3.8",  "3.9",  "4.0"};
    pres.assign(std::begin(pressures), std::end(pressures));
    for (int v = 0; v <= 100; v += 5) tps.push_back(std::to_string(v));
    for (int v = -20; v <= 130; v += 10) air.push_back(std::to_string(v));
    EXPECT_EQ(c.Column(0, 0), rpm);
    EXPECT_EQ(c.Column(1, 0), pres);
    EXPECT_EQ(c.Column(1, 0).size(), 51u);
    EXPECT_EQ(c.Column(2, 0), tps);
    EXPECT_EQ(c.Column(3, 0), air);
    EXPECT_EQ(c.Column(4, 0), air);
    const char* headers[] = {"RPM", "PRES", "TPS", "AIR", "WAT"};
    for (int g = 0; g < 5; ++g) EXPECT_EQ(c.f().datatable[g].Cell(0, 0), headers[g]);

    // A view change rewrites only the data columns.
    c.View(c.f().IgnMem);
    EXPECT_EQ(c.Column(1, 0), pres);
    EXPECT_EQ(c.f().datatable[1].Cell(0, 0), "PRES");
}

TEST(Grids, CellsShowTheBytesCodedForTheView) {
    // Same bytes in the first rows of each table of all three sets of slot 0.
    std::initializer_list<std::pair<int, int>> bytes = {{0, 125},
                                                        {1, 0},
                                                        {2, 255},
                                                        {30, 7},
                                                        {94, 90},
                                                        {95, 0},
                                                        {96, 180},
                                                        {32 + 50, 45},
                                                        {159 + 0, 45},
                                                        {159 + 1, 85},
                                                        {159 + 94, 255},
                                                        {159 + 133 + 15, 91},
                                                        {309 + 0, 45},
                                                        {309 + 1, 85},
                                                        {309 + 2, 0},
                                                        {309 + 94, 255},
                                                        {309 + 133 + 15, 60}};
    Tables c(bytes);
    auto& f = c.f();
    auto cell = [&](int g, int r) { return f.datatable[g].Cell(r, 1); };
    EXPECT_EQ(cell(0, 1), "12.5");
    EXPECT_EQ(cell(0, 2), "0.0");
    EXPECT_EQ(cell(0, 3), "25.5");
    EXPECT_EQ(cell(0, 31), "0.7");
    EXPECT_EQ(cell(2, 1), "0");
    EXPECT_EQ(cell(2, 2), "-90");
    EXPECT_EQ(cell(2, 3), "90");
    EXPECT_EQ(cell(1, 51), "-45");
    EXPECT_EQ(cell(4, 1), "-90");

    c.View(f.bank2mem);
    EXPECT_EQ(cell(0, 1), "4.5");
    EXPECT_EQ(cell(0, 2), "8.5");
    EXPECT_EQ(cell(2, 1), "165");
    EXPECT_EQ(cell(4, 16), "1");

    c.View(f.IgnMem);
    EXPECT_EQ(cell(0, 1), "0");
    EXPECT_EQ(cell(0, 2), "40");
    EXPECT_EQ(cell(0, 3), "-45");
    EXPECT_EQ(cell(2, 1), "210");
    EXPECT_EQ(cell(4, 16), "15");
    for (int g = 1; g < 5; ++g) EXPECT_EQ(cell(g, 2), "-45") << g;  // zero bytes
}

TEST(Grids, HeadersUnitAndBarRangesFollowTheView) {
    struct View {
        form::OptionButton form::Form::*button;
        const char* header0;
        const char* header1;
        const char* unit;
        int min0, max0, max1;
    };
    const std::vector<View> views = {
        {&form::Form::IgnMem, "ADV", "ADV", "Degrees", 40, 85, 85},
        {&form::Form::bank1mem, "TINJ", "GAIN", "(ms)", 0, 255, 180},
        {&form::Form::bank2mem, "TINJ", "GAIN", "(ms)", 0, 255, 180},
        {&form::Form::IgnMem, "ADV", "ADV", "Degrees", 40, 85, 85},
        {&form::Form::bank2mem, "TINJ", "GAIN", "(ms)", 0, 255, 180},
    };
    Tables c;
    auto& f = c.f();
    EXPECT_EQ(f.datatable[0].Cell(0, 1), "TINJ");
    for (const View& v : views) {
        f.tinj.Caption = "";
        c.View(f.*v.button);
        EXPECT_EQ(f.datatable[0].Cell(0, 1), v.header0) << v.header0;
        for (int g = 1; g < 5; ++g) EXPECT_EQ(f.datatable[g].Cell(0, 1), v.header1) << g;
        EXPECT_EQ(f.tinj.Caption, v.unit);
        EXPECT_EQ(f.HScroll1[0].Min(), v.min0);
        EXPECT_EQ(f.HScroll1[0].Max(), v.max0);
        for (int g = 1; g < 5; ++g) {
            EXPECT_EQ(f.HScroll1[g].Min(), 0) << g;
            EXPECT_EQ(f.HScroll1[g].Max(), v.max1) << g;
        }
    }
}

TEST(Grids, RefillSelectsTheFirstDataCellAndPutsItsByteOnTheBar) {
    Tables c({{0, 125}, {32, 100}, {94, 7}, {116, 180}, {133, 90}, {309, 60}, {309 + 32, 30}});
    auto& f = c.f();
    const int bars[] = {125, 100, 7, 180, 90};
    const char* texts[] = {"12.5", "10", "-83", "90", "0"};
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(f.datatable[g].Row, 1) << g;
        EXPECT_EQ(f.datatable[g].Col, 1) << g;
        EXPECT_EQ(f.datatable[g].TopRow, 1) << g;
        EXPECT_EQ(f.HScroll1[g].Value(), bars[g]) << g;
        EXPECT_EQ(f.Text1[g].Text, texts[g]) << g;
    }
    c.View(f.IgnMem);
    EXPECT_EQ(f.HScroll1[0].Value(), 60);
    EXPECT_EQ(f.HScroll1[1].Value(), 30);
    EXPECT_EQ(f.Text1[1].Text, "-15");
}

TEST(Grids, BytesOutsideTheBarRangeAreShownAtTheNearestEndAndNotWritten) {
    // Ignition grid 0 takes 40..85; fuel grids 1..4 take 0..180, ignition 1..4 0..85.
    Tables c({{309 + 0, 20}, {309 + 2, 60}, {309 + 32, 200}, {32, 200}, {94, 181}, {0, 255}});
    auto& f = c.f();
    const Image before = c.page.cal.mem_image;
    EXPECT_EQ(f.HScroll1[1].Value(), 180);
    EXPECT_EQ(f.Text1[1].Text, "110");  // the text box shows the byte itself
    EXPECT_EQ(f.HScroll1[2].Value(), 180);
    c.View(f.IgnMem);
    EXPECT_EQ(f.HScroll1[0].Value(), 40);
    EXPECT_EQ(f.Text1[0].Text, "-25");
    EXPECT_EQ(f.HScroll1[1].Value(), 85);
    EXPECT_EQ(f.Text1[1].Text, "155");
    // Switching to editing shows the same bytes the same way.
    f.edit.UserClick();
    EXPECT_EQ(f.HScroll1[0].Value(), 40);
    EXPECT_EQ(f.HScroll1[1].Value(), 85);
    // Clicking such a cell shows it the same way too.
    f.datatable[0].UserClick(3, 1);  // byte 60
    f.datatable[1].UserClick(2, 1);  // byte 0
    f.datatable[1].UserClick(1, 1);  // byte 200
    EXPECT_EQ(f.HScroll1[1].Value(), 85);
    EXPECT_EQ(f.Text1[1].Text, "155");
    f.datatable[0].UserClick(1, 1);
    EXPECT_EQ(f.HScroll1[0].Value(), 40);
    EXPECT_EQ(f.Text1[0].Text, "-25");
    c.View(f.bank1mem);
    for (int i = 0; i < 20; ++i) c.page.Timer1_Timer();
    EXPECT_EQ(c.page.cal.mem_image, before);  // the view bits are back on bank 1 too
}

TEST(Grids, ClickPutsTheCellsByteOnTheBar) {
    Tables c({{4, 125}, {5, 60}, {32 + 7, 100}, {309 + 2, 85}, {309 + 94 + 3, 10}});
    auto& f = c.f();
    f.edit.UserClick();
    f.datatable[0].UserClick(5, 1);
    EXPECT_EQ(f.Text1[0].Text, "12.5");
    EXPECT_EQ(f.HScroll1[0].Value(), 125);
    f.datatable[0].UserClick(6, 1);
    EXPECT_EQ(f.HScroll1[0].Value(), 60);
    EXPECT_EQ(f.Text1[0].Text, "6.0");
    f.datatable[1].UserClick(8, 1);
    EXPECT_EQ(f.HScroll1[1].Value(), 100);
    EXPECT_EQ(f.Text1[1].Text, "10");

    c.View(f.IgnMem);
    f.datatable[0].UserClick(3, 1);
    EXPECT_EQ(f.HScroll1[0].Value(), 85);
    EXPECT_EQ(f.Text1[0].Text, "40");
    f.datatable[2].UserClick(4, 1);
    EXPECT_EQ(f.HScroll1[2].Value(), 10);
    EXPECT_EQ(f.Text1[2].Text, "-35");
    EXPECT_EQ(c.page.cal.mem_image[4], 125);
    EXPECT_EQ(c.page.cal.mem_image[309 + 2], 85);
    EXPECT_EQ(c.page.cal.mem_image[309 + 94 + 3], 10);
}

TEST(Grids, ClickWritesTheCellsValueBackInCanonicalForm) {
    Tables c({{32 + 4, 100}});
    auto& f = c.f();
    f.edit.UserClick();
    f.datatable[1].UserClick(5, 1);
    f.Text1[1].UserType("10.4");  // stored 100, the cell keeps "10.4"
    ASSERT_EQ(f.datatable[1].Cell(5, 1), "10.4");
    f.datatable[1].UserClick(2, 1);
    f.datatable[1].UserClick(5, 1);
    EXPECT_EQ(f.HScroll1[1].Value(), 100);
    EXPECT_EQ(f.datatable[1].Cell(5, 1), "10");
    EXPECT_EQ(f.Text1[1].Text, "10");
    EXPECT_EQ(c.page.cal.mem_image[32 + 4], 100);
}

TEST(Grids, ClickShowsTheStoredByteAndNeverChangesIt) {
    // A typed half rounds to the even byte while the cell shows the typed
    // value rounded away from zero; reading the cell back would store another byte.
    struct Case {
        const char* typed;
        int stored;
        const char* cell_typed;
        const char* cell_after;
    };
    const Case cases[] = {{"12.25", 122, "12.3", "12.2"}, {"12.45", 124, "12.5", "12.4"}, {"0.05", 0, "0.1", "0.0"}};
    for (const Case& k : cases) {
        Tables c({{4, 50}, {1, 70}});
        auto& f = c.f();
        f.edit.UserClick();
        f.datatable[0].UserClick(5, 1);
        f.Text1[0].UserType(k.typed);
        ASSERT_EQ(c.page.cal.mem_image[4], k.stored) << k.typed;
        ASSERT_EQ(f.datatable[0].Cell(5, 1), k.cell_typed) << k.typed;
        f.datatable[0].UserClick(5, 1);  // the same cell again
        EXPECT_EQ(c.page.cal.mem_image[4], k.stored) << k.typed;
        f.datatable[0].UserClick(2, 1);
        f.datatable[0].UserClick(5, 1);
        EXPECT_EQ(c.page.cal.mem_image[4], k.stored) << k.typed;
        EXPECT_EQ(c.page.cal.mem_image[1], 70) << k.typed;
        EXPECT_EQ(f.HScroll1[0].Value(), k.stored) << k.typed;
        EXPECT_EQ(f.datatable[0].Cell(5, 1), k.cell_after) << k.typed;
        EXPECT_EQ(f.Text1[0].Text, k.cell_after) << k.typed;
    }
}

TEST(Grids, ClickOnAFixedCellChangesNoByte) {
    Tables c({{32 + 4, 100}, {0, 50}});
    auto& f = c.f();
    f.edit.UserClick();
    const Image before = c.page.cal.mem_image;
    f.datatable[1].UserClick(5, 0);  // the axis cell "-0.6"
    f.datatable[0].UserClick(9, 0);  // "4.0"
    f.datatable[3].UserClick(0, 1);  // the header
    f.datatable[2].UserClick(0, 0);
    EXPECT_EQ(c.page.cal.mem_image, before);
    const char* axes[] = {"RPM", "PRES", "TPS", "AIR", "WAT"};
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(f.datatable[g].Cell(0, 0), axes[g]);
        EXPECT_EQ(f.datatable[g].Cell(0, 1), g == 0 ? "TINJ" : "GAIN");
    }
    EXPECT_EQ(f.datatable[1].Cell(5, 0), "-0.6");
    EXPECT_EQ(f.datatable[0].Cell(9, 0), "4.0");
    // The bar moved with the row now selected, and moving it edits that row.
    f.HScroll1[1].UserChange(120);
    EXPECT_EQ(c.page.cal.mem_image[32 + 4], 120);
    EXPECT_EQ(f.datatable[1].Cell(5, 0), "-0.6");
    EXPECT_EQ(f.datatable[1].Cell(5, 1), "30");
}

TEST(Grids, ScrollKeepsTheSelectionInsideTheVisibleRows) {
    struct Case {
        int grid, row, top, new_row;
    };
    const std::vector<Case> cases = {
        {0, 20, 8, 14},  // below the visible rows: six rows up
        {0, 3, 8, 12},   // above them: four rows under the top, which then stays
        {0, 10, 8, 10},  // visible: stays
        {0, 17, 8, 17}, {0, 18, 8, 12},
        {1, 2, 40, 44}, {3, 1, 16, 16},  // four under the top would be past the last row
    };
    for (const Case& k : cases) {
        Tables c;
        for (int i = 0; i < 1836; ++i) c.page.cal.mem_image[i] = static_cast<std::uint8_t>(i % 181);
        c.page.cal.reload_tables = true;
        c.page.Timer1_Timer();
        auto& f = c.f();
        auto& grid = f.datatable[k.grid];
        f.edit.UserClick();
        grid.UserClick(k.row, 1);
        grid.UserScroll(k.top);
        EXPECT_EQ(grid.TopRow, k.top);
        EXPECT_EQ(grid.Row, k.new_row) << k.grid << " " << k.row << " " << k.top;
        EXPECT_EQ(f.Text1[k.grid].Text, grid.Cell(k.new_row, 1));
        // The bar follows the row it now edits.
        EXPECT_EQ(f.HScroll1[k.grid].Value(), c.page.cal.mem_image[c.page.Get_Mem_Addr(k.grid) + k.new_row - 1]);
    }
}

TEST(Grids, SelChangeShowsTheRowOnBoxAndBar) {
    Tables c({{3, 44}, {7, 200}});
    auto& f = c.f();
    f.edit.UserClick();
    f.datatable[0].UserClick(4, 1);
    f.datatable[0].UserSelect(8, 1);
    EXPECT_EQ(f.Text1[0].Text, "20.0");
    EXPECT_EQ(f.HScroll1[0].Value(), 200);
    EXPECT_EQ(c.page.cal.mem_image[7], 200);
    EXPECT_EQ(c.page.cal.mem_image[3], 44);
}

TEST(Grids, ViewOrSlotChangeReachesTheGridsAtTheNextTick) {
    Tables c({{0, 10}, {159, 20}, {309, 50}, {918 + 159, 40}, {918 + 158, 0x01}});
    auto& f = c.f();
    f.bank2mem.UserClick();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "1.0");  // not yet
    EXPECT_TRUE(c.page.cal.reload_tables);
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "2.0");
    EXPECT_FALSE(c.page.cal.reload_tables);
    f.IgnMem.UserClick();
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "5");
    f.mem3.UserClick();  // slot 2 comes up on bank 2
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "5");
    c.page.Timer1_Timer();
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "4.0");
    EXPECT_TRUE(f.bank2mem.Value());
}

TEST(Grids, AnyMoveOfTheRowShowsItsByteSoTheBarStepsFromIt) {
    // Grid 1's row 30 holds 250, beyond its bar's 0..180.
    struct Case {
        const char* how;
        int grid;
        std::function<void(form::Grid&)> move;
        int row;  // where the move lands
        int shown;
    };
    const std::vector<Case> cases = {
        {"arrow down", 0, [](form::Grid& g) { g.UserSelect(g.Row + 1, 1); }, 6, 25},
        {"page down", 0, [](form::Grid& g) { g.UserSelect(g.Row + 10, 1); }, 15, 70},
        {"wheel", 0, [](form::Grid& g) { g.UserScroll(12); }, 16, 75},
        {"wheel", 1, [](form::Grid& g) { g.UserScroll(25); }, 29, 57},
        {"arrow onto a foreign byte", 1, [](form::Grid& g) { g.UserSelect(30, 1); }, 30, 180},
    };
    for (const Case& k : cases) {
        Tables c;
        for (int i = 0; i < 31; ++i) c.page.cal.mem_image[i] = static_cast<std::uint8_t>(5 * i);
        for (int i = 0; i < 51; ++i) c.page.cal.mem_image[32 + i] = static_cast<std::uint8_t>(2 * i + 1);
        c.page.cal.mem_image[32 + 29] = 250;
        c.page.cal.reload_tables = true;
        c.page.Timer1_Timer();
        auto& f = c.f();
        f.edit.UserClick();
        f.datatable[k.grid].UserClick(5, 1);
        c.page.MarkCalibrationKept();
        Image expected = c.page.cal.mem_image;
        k.move(f.datatable[k.grid]);
        ASSERT_EQ(f.datatable[k.grid].Row, k.row) << k.how;
        EXPECT_EQ(f.HScroll1[k.grid].Value(), k.shown) << k.how;
        EXPECT_EQ(f.Text1[k.grid].Text, f.datatable[k.grid].Cell(k.row, 1)) << k.how;
        EXPECT_EQ(c.page.cal.mem_image, expected) << k.how;  // shown, not written
        EXPECT_FALSE(c.page.CalibrationUnsaved()) << k.how;
        // One step of the bar (an arrow click) edits the row shown, by one.
        f.HScroll1[k.grid].UserChange(k.shown - 1);
        expected[kTableOffset[k.grid] + k.row - 1] = static_cast<std::uint8_t>(k.shown - 1);
        EXPECT_EQ(c.page.cal.mem_image, expected) << k.how;
    }
}

TEST(Grids, MonitorCursorShowsTheLiveRowOnEveryTickWithoutWriting) {
    Tables c;
    for (int i = 0; i < 1837; ++i) c.page.cal.mem_image[i] = static_cast<std::uint8_t>(i * 7);
    c.page.cal.reload_tables = true;
    c.page.Timer1_Timer();
    c.page.MarkCalibrationKept();
    const Image before = c.page.cal.mem_image;
    auto& f = c.f();
    for (int rpm : {0, 40, 41, 150, 3, 255}) {
        c.page.live.live_rpm = static_cast<std::uint8_t>(rpm);
        c.page.live.live_pressure = static_cast<std::uint8_t>(rpm / 5);
        c.page.Timer1_Timer();
        for (int g = 0; g < 2; ++g) {
            const form::Grid& grid = f.datatable[g];
            const int b = before[c.page.Get_Mem_Addr(g) + grid.Row - 1];
            const form::ScrollBar& bar = f.HScroll1[g];
            EXPECT_EQ(bar.Value(), std::clamp(b, bar.Min(), bar.Max())) << rpm << " grid " << g;
            EXPECT_EQ(f.Text1[g].Text, grid.Text()) << rpm;
        }
        EXPECT_EQ(c.page.cal.mem_image, before) << rpm;
        EXPECT_FALSE(c.page.CalibrationUnsaved()) << rpm;
    }
}
