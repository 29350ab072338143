// Cell editing: typed entries, the scroll bars, and the switch into editing.
#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/support/console_fixture.h"

using namespace orv;
using orv::test::Console;

namespace {

using ViewButton = form::OptionButton form::Form::*;
const ViewButton kBank1 = &form::Form::bank1mem;
const ViewButton kBank2 = &form::Form::bank2mem;
const ViewButton kIgnition = &form::Form::IgnMem;

// A console started without a serial port on the bytes given, in edit mode
// with `view` shown (its refill done).
struct Editing : Console {
    explicit Editing(std::initializer_list<std::pair<int, int>> bytes = {}, ViewButton view = kBank1) {
        for (auto [addr, value] : bytes) page.cal.mem_image[addr] = static_cast<std::uint8_t>(value);
        StartUp(0);
        page.Timer1_Timer();
        f().edit.UserClick();
        if (!(f().*view).Value()) {
            (f().*view).UserClick();
            page.Timer1_Timer();
        }
    }
    form::Form& f() { return page.form; }
};

}  // namespace

TEST(Editing, TypedValuesAreCheckedAgainstTheViewAndStored) {
    struct Case {
        ViewButton view;
        int grid;
        int addr;  // image byte of row 5 of that grid in that view
        int before;
        const char* typed;
        int after;  // -1: refused
        const char* cell;
        const char* box;
    };
    const std::vector<Case> cases = {
        {kBank1, 0, 4, 50, "12.3", 123, "12.3", "12.3"},
        {kBank1, 0, 4, 50, "12.25", 122, nullptr, "12.2"},  // 122.5 goes to the even byte
        {kBank1, 0, 4, 50, "12.35", 124, nullptr, "12.4"},
        {kBank1, 0, 4, 50, "25.5", 255, "25.5", "25.5"},
        {kBank1, 0, 4, 50, "0", 0, "0.0", "0.0"},
        {kBank1, 0, 4, 50, "7", 70, "7.0", "7.0"},
        {kBank1, 0, 4, 50, "25.6", -1, "5.0", ""},
        {kBank1, 0, 4, 50, "-0.1", -1, "5.0", ""},
        {kBank1, 3, 120, 50, "-90", 0, "-90", "-90"},
        {kBank1, 3, 120, 50, "90", 180, "90", "90"},
        {kBank1, 3, 120, 50, "89.5", 180, "89.5", "90"},
        {kBank1, 3, 120, 50, "91", -1, "-40", ""},
        {kBank1, 3, 120, 50, "-90.5", -1, "-40", ""},
        {kBank1, 1, 36, 95, "10.4", 100, "10.4", "10"},  // the cell keeps what was typed
        {kBank2, 0, 163, 50, "1.5", 15, "1.5", "1.5"},
        {kBank2, 4, 159 + 137, 50, "-7", 83, "-7", "-7"},
        {kIgnition, 0, 313, 50, "-5", 40, "-5", "-5"},
        {kIgnition, 0, 313, 50, "40", 85, "40", "40"},
        {kIgnition, 0, 313, 50, "-6", -1, "5", ""},
        {kIgnition, 0, 313, 50, "41", -1, "5", ""},
        {kIgnition, 2, 309 + 98, 50, "-45", 0, "-45", "-45"},
        {kIgnition, 2, 309 + 98, 50, "-46", -1, "5", ""},
        {kIgnition, 4, 309 + 137, 50, "40", 85, "40", "40"},
        {kIgnition, 1, 309 + 36, 50, "+3", 48, "+3", "3"},
        // Text that is not a number is refused the same way.
        {kBank1, 0, 4, 50, "abc", -1, "5.0", ""},
        {kBank1, 0, 4, 50, "12,3", -1, "5.0", ""},
        {kBank1, 2, 98, 50, "-", -1, "-40", ""},
        {kIgnition, 3, 309 + 120, 50, ".", -1, "5", ""},
    };
    for (const Case& k : cases) {
        Editing c({{k.addr, k.before}}, k.view);
        auto& f = c.f();
        f.datatable[k.grid].UserClick(5, 1);
        ASSERT_EQ(f.HScroll1[k.grid].Value(), k.before) << k.typed;
        Image expected = c.page.cal.mem_image;
        if (k.after >= 0) expected[k.addr] = static_cast<std::uint8_t>(k.after);
        f.Text1[k.grid].UserType(k.typed);
        EXPECT_EQ(c.page.cal.mem_image, expected) << k.typed << " grid " << k.grid;
        if (k.cell) {
            EXPECT_EQ(f.datatable[k.grid].Cell(5, 1), k.cell) << k.typed;
        }
        // A refused entry stays in the box, to be seen and mended.
        EXPECT_EQ(f.Text1[k.grid].Text, k.after >= 0 ? k.box : k.typed) << k.typed;
        EXPECT_EQ(f.HScroll1[k.grid].Value(), k.after >= 0 ? k.after : k.before) << k.typed;
    }
}

TEST(Editing, OnlyEnterOnAFilledBoxStartsAnEntry) {
    Editing c({{0, 50}});
    auto& f = c.f();
    const Image before = c.page.cal.mem_image;
    f.Text1[0].Text = "12.3";
    for (int code : {10, 65, 27, 8, 48}) f.Text1[0].UserKeyPress(code);
    EXPECT_EQ(c.page.cal.mem_image, before);
    EXPECT_EQ(f.Text1[0].Text, "12.3");
    f.Text1[0].UserType("");
    EXPECT_EQ(c.page.cal.mem_image, before);
    EXPECT_EQ(f.datatable[0].Cell(1, 1), "5.0");
    f.Text1[0].UserType("12.3");
    EXPECT_EQ(c.page.cal.mem_image[0], 123);
}

TEST(Editing, RefusedEntryWritesNothingEvenWhenTheBarHoldsAnotherRow) {
    Editing c({{1, 100}, {4, 50}});
    auto& f = c.f();
    f.datatable[0].UserClick(2, 1);   // the bar takes 100
    f.datatable[0].UserSelect(5, 1);  // a keyboard move shows row 5's byte
    ASSERT_EQ(f.HScroll1[0].Value(), 50);
    f.HScroll1[0].Place(100);         // as a byte outside the range would leave it
    const Image before = c.page.cal.mem_image;
    for (const char* typed : {"30", "abc", "-1"}) {
        f.Text1[0].UserType(typed);
        EXPECT_EQ(c.page.cal.mem_image, before) << typed;
        EXPECT_EQ(f.datatable[0].Cell(5, 1), "5.0") << typed;
    }
    // An accepted value lands on the selected row even when the bar already holds it.
    f.Text1[0].UserType("10");
    EXPECT_EQ(c.page.cal.mem_image[4], 100);
    EXPECT_EQ(c.page.cal.mem_image[1], 100);
    EXPECT_EQ(f.datatable[0].Cell(5, 1), "10.0");
}

TEST(Editing, EntryWhileTheRefillIsPendingStoresTheTypedValue) {
    // The bars still carry the ranges of the view left behind until the next tick.
    struct Case {
        ViewButton from, to;
        int grid;
        const char* typed;
        int addr, stored;
        const char* cell;
    };
    const std::vector<Case> cases = {
        {kIgnition, kBank1, 0, "0", 0, 0, "0.0"},         {kIgnition, kBank1, 0, "2.5", 0, 25, "2.5"},
        {kIgnition, kBank2, 0, "25.5", 159, 255, "25.5"}, {kIgnition, kBank1, 3, "90", 116, 180, "90"},
        {kBank1, kIgnition, 0, "40", 309, 85, "40"},
    };
    for (const Case& k : cases) {
        Editing c({{0, 60}, {159, 60}, {309, 60}, {116, 60}}, k.from);
        auto& f = c.f();
        (f.*k.to).UserClick();
        f.Text1[k.grid].UserType(k.typed);
        EXPECT_EQ(c.page.cal.mem_image[k.addr], k.stored) << k.typed;
        c.page.Timer1_Timer();
        EXPECT_EQ(f.datatable[k.grid].Cell(1, 1), k.cell) << k.typed;
        EXPECT_EQ(f.HScroll1[k.grid].Value(), k.stored) << k.typed;
    }
}

TEST(Editing, MovingTheBarEditsTheSelectedCell) {
    struct Case {
        ViewButton view;
        int grid, row, value, addr;
        const char* cell;
    };
    const std::vector<Case> cases = {
        {kBank1, 0, 1, 200, 0, "20.0"},     {kBank1, 0, 31, 5, 30, "0.5"},        {kBank1, 1, 51, 180, 82, "90"},
        {kBank2, 1, 3, 1, 159 + 34, "-89"}, {kIgnition, 2, 4, 50, 309 + 97, "5"}, {kIgnition, 0, 2, 41, 310, "-4"},
    };
    for (const Case& k : cases) {
        for (bool drag : {false, true}) {
            Editing c({}, k.view);
            auto& f = c.f();
            f.datatable[k.grid].UserClick(k.row, 1);
            Image expected = c.page.cal.mem_image;
            expected[k.addr] = static_cast<std::uint8_t>(k.value);
            if (drag) {
                f.HScroll1[k.grid].UserScroll(k.value);
            } else {
                f.HScroll1[k.grid].UserChange(k.value);
            }
            EXPECT_EQ(c.page.cal.mem_image, expected) << k.addr;
            EXPECT_EQ(f.datatable[k.grid].Cell(k.row, 1), k.cell) << k.addr;
            EXPECT_EQ(f.Text1[k.grid].Text, k.cell) << k.addr;
        }
    }
}

TEST(Editing, WhileARefillIsPendingOnlyDraggingWrites) {
    Editing c({{2, 10}});
    auto& f = c.f();
    f.datatable[0].UserClick(3, 1);
    c.page.cal.reload_tables = true;
    f.HScroll1[0].SetValue(77);
    f.HScroll1[0].UserChange(78);
    EXPECT_EQ(c.page.cal.mem_image[2], 10);
    EXPECT_EQ(f.datatable[0].Cell(3, 1), "1.0");
    f.HScroll1[0].UserScroll(79);
    EXPECT_EQ(c.page.cal.mem_image[2], 79);
    EXPECT_EQ(f.datatable[0].Cell(3, 1), "7.9");
}

TEST(Editing, TextBoxClickEmptiesAndLosingFocusRestoresTheCell) {
    Editing c({{32 + 2, 97}});
    auto& f = c.f();
    f.datatable[1].UserClick(3, 1);
    const Image before = c.page.cal.mem_image;
    f.Text1[1].UserClick();
    EXPECT_EQ(f.Text1[1].Text, "");
    f.Text1[1].Text = "5";  // typed, never entered
    f.Text1[1].UserLostFocus();
    EXPECT_EQ(f.Text1[1].Text, "7");
    EXPECT_EQ(c.page.cal.mem_image, before);
}

TEST(Editing, EditClickEnablesWhatTheLinkAndTheControllerAllow) {
    struct Case {
        bool host, ignition_fitted;
        bool files, ignition, bnk2, options;
    };
    const std::vector<Case> cases = {
        {false, true, true, true, true, true},
        {false, false, true, false, false, false},
        {true, true, false, true, false, false},
        {true, false, false, false, false, false},
    };
    for (const Case& k : cases) {
        Console c;
        c.StartUp(0);
        auto& f = c.page.form;
        for (form::OptionButton* o : {&f.ignnormal, &f.igninv, &f.bank2sel, &f.ignsel}) o->Enabled = false;
        f.Advancer.Visible = k.ignition_fitted;
        f.Host.SetValue(k.host);
        f.edit.UserClick();
        const std::string what = std::string(k.host ? "host" : "remote") + (k.ignition_fitted ? " ign" : " no ign");
        for (form::Control* ctl :
             std::initializer_list<form::Control*>{&f.loadmem, &f.savemem, &f.upload, &f.download, &f.common})
            EXPECT_EQ(ctl->Enabled, k.files) << what;
        EXPECT_TRUE(f.injection.Enabled) << what;
        EXPECT_TRUE(f.Access.Enabled) << what;
        EXPECT_EQ(f.ignition.Enabled, k.ignition) << what;
        EXPECT_EQ(f.Bnk2.Enabled, k.bnk2) << what;
        for (form::OptionButton* o : {&f.ignnormal, &f.igninv, &f.bank2sel, &f.ignsel})
            EXPECT_EQ(o->Enabled, k.options) << what;
        for (int t = 0; t < 5; ++t) {
            EXPECT_TRUE(f.HScroll1[t].Enabled) << what;
            EXPECT_TRUE(f.Text1[t].Enabled) << what;
        }
    }
}

TEST(Editing, EditClickPutsEachBarOnTheByteUnderItsCursor) {
    Console c;
    for (int i = 0; i < 150; ++i) c.page.cal.mem_image[i] = static_cast<std::uint8_t>(i + 20);
    c.StartUp(0);
    auto& f = c.page.form;
    c.page.Timer1_Timer();
    c.page.live.live_rpm = 100;      // row 21
    c.page.live.live_pressure = 30;  // row 31
    c.page.live.live_tps = 50;       // row 11
    c.page.live.live_air = 70;       // row 8
    c.page.live.live_water = 150;    // row 16
    c.page.Timer1_Timer();
    const Image before = c.page.cal.mem_image;
    f.edit.UserClick();
    const int bars[] = {20 + 20, 20 + 32 + 30, 20 + 94 + 10, 20 + 116 + 7, 20 + 133 + 15};
    for (int t = 0; t < 5; ++t) EXPECT_EQ(f.HScroll1[t].Value(), bars[t]) << t;
    EXPECT_EQ(f.Text1[0].Text, "4.0");
    EXPECT_EQ(c.page.cal.mem_image, before);
}

TEST(Editing, NumberTypedInAGridIsEnteredInItsBox) {
    // Row 5 of grid 0 holds 50 ("5.0"), row 6 holds 60.
    struct Case {
        const char* keys;  // \r Enter, \x1b Escape, \b Backspace
        bool edit_mode;
        int row;  // the row the keys start on
        int stored;  // byte 4 afterwards (row 5's); for row 31, byte 30
        int row_after;
        const char* box;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"7.6\r", true, 5, 76, 6, "6.0", false},
        {"12\b3\r", true, 5, 130, 6, "6.0", false},
        {"+2.5\r", true, 5, 25, 6, "6.0", false},       // a sign begins an entry as a digit does
        {"-0.5\r", true, 5, 50, 5, "-0.5", true},       // kept as typed, and refused: no negative time
        {"-\r", true, 5, 50, 5, "-", true},             // a sign alone is no number
        {"_=\r", true, 5, 50, 5, "5.0", false},         // neither begins a number: nothing
        {"7-\r", true, 5, 50, 5, "7-", true},           // the box holds what was typed
        {"30\r", true, 5, 50, 5, "30", true},           // refused, and kept to be mended
        {"7\x1b", true, 5, 50, 5, "5.0", false},
        {"7x\x1b\r", true, 5, 50, 5, "5.0", false},   // a letter adds nothing; Escape ends it
        {"\r", true, 5, 50, 5, "5.0", false},          // no entry: Enter does nothing
        {"7.6\r", false, 5, 50, 5, "5.0", false},      // Monitor: the box takes no entry
        {"2.5\r", true, 31, 25, 31, "2.5", false},     // the last row stays
    };
    for (const Case& k : cases) {
        Editing c({{4, 50}, {5, 60}, {30, 10}});
        auto& f = c.f();
        if (!k.edit_mode) f.monitor.UserClick();
        f.datatable[0].UserClick(k.row, 1);
        const int addr = k.row - 1;
        Image expected = c.page.cal.mem_image;
        expected[addr] = static_cast<std::uint8_t>(k.stored);
        if (!k.edit_mode) expected[addr] = c.page.cal.mem_image[addr];
        for (const char* p = k.keys; *p; ++p) f.datatable[0].UserKeyPress(*p);
        EXPECT_EQ(c.page.cal.mem_image, expected) << k.keys;
        EXPECT_EQ(f.datatable[0].Row, k.row_after) << k.keys;
        EXPECT_EQ(f.Text1[0].Text, k.box) << k.keys;
        EXPECT_EQ(f.Text1[0].Refusals, k.refused ? 1u : 0u) << k.keys;
        if (k.refused) {
            EXPECT_NE(f.Text1[0].Refusal.find("0.0 to 25.5"), std::string::npos) << f.Text1[0].Refusal;
        }
        if (k.row_after != k.row) {
            EXPECT_EQ(f.HScroll1[0].Value(), 60) << k.keys;  // the next row, ready for the next entry
        }
    }
}

TEST(Editing, StepKeysMoveEverySelectedRowAsOneEdit) {
    // Grid 1 of the fuel view (from byte 32, gain -90..90): rows 3..5 hold 100, 175, 180.
    struct Case {
        std::vector<int> keys;
        bool edit_mode;
        std::array<int, 3> after;  // rows 3..5
        const char* cell;          // row 5's
        int steps;                 // undo steps made
    };
    using form::kKeyStepDown, form::kKeyStepDownTen, form::kKeyStepUp, form::kKeyStepUpTen;
    const Case cases[] = {
        {{kKeyStepUp}, true, {101, 176, 180}, "90", 1},  // the bar's end holds
        {{kKeyStepDown, kKeyStepDown}, true, {98, 173, 178}, "88", 2},
        {{kKeyStepDownTen}, true, {90, 165, 170}, "80", 1},
        {{kKeyStepUpTen, kKeyStepDown}, true, {109, 179, 179}, "89", 2},
        {{kKeyStepUpTen}, false, {100, 175, 180}, "90", 0},  // Monitor: nothing moves
        // Within an entry the step keys step nothing; '-' and '+' begin one.
        {{'2', kKeyStepUp, kKeyStepDown, form::kKeyEnter}, true, {100, 175, 92}, "2", 1},
        {{'-', '7', form::kKeyEnter}, true, {100, 175, 83}, "-7", 1},
        {{'+', '3', form::kKeyEnter}, true, {100, 175, 93}, "+3", 1},
    };
    for (const Case& k : cases) {
        Editing c({{34, 100}, {35, 175}, {36, 180}});
        auto& f = c.f();
        if (!k.edit_mode) f.monitor.UserClick();
        c.page.RunEvent([&] { f.datatable[1].UserClick(3, 1); });
        c.page.RunEvent([&] { f.datatable[1].UserExtend(5); });
        const Image before = c.page.cal.mem_image;
        for (int key : k.keys) c.page.RunEvent([&] { f.datatable[1].UserKeyPress(key); });
        const auto& image = c.page.cal.mem_image;
        EXPECT_EQ((std::array<int, 3>{image[34], image[35], image[36]}), k.after) << k.keys.front();
        EXPECT_EQ(f.datatable[1].Cell(5, 1), k.cell) << k.keys.front();
        EXPECT_EQ(f.Text1[1].Text, f.datatable[1].Text()) << k.keys.front();
        EXPECT_EQ(f.HScroll1[1].Value(), image[32 + f.datatable[1].Row - 1]) << k.keys.front();
        int steps = 0;
        while (c.page.Undo()) ++steps;
        EXPECT_EQ(steps, k.steps) << k.keys.front();
        EXPECT_EQ(c.page.cal.mem_image, before) << k.keys.front();
    }
}
