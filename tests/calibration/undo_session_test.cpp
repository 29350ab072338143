// Undo and redo over a session of the edits a tuner makes: every earlier
// image comes back byte for byte and the window shows it again; an edit is
// one step however many events it took.
#include <gtest/gtest.h>

#include "core/files/map_file.h"
#include "tests/support/console_fixture.h"
#include "tests/support/random_image.h"
#include "testing/scripted_file_dialog.h"

using namespace orv;
using orv::test::RandomImage;

namespace {

// What the window shows of the image.
struct Shown {
    Image image;
    std::vector<bool> options;
    std::vector<int> bars;
    std::vector<std::string> texts;
    bool operator==(const Shown&) const = default;
};

struct Session : test::Console {
    test::ScriptedFileDialog dialog;
    Session() {
        page.file_dialog = &dialog;
        StartUp(1);
        page.form.edit.UserClick();
    }
    Shown Show() {
        form::Form& f = page.form;
        Shown s{page.cal.mem_image, {}, {}, {}};
        for (form::OptionButton* o : {&f.mem1, &f.mem2, &f.mem3, &f.mem4, &f.bank1mem, &f.bank2mem, &f.IgnMem,
                                      &f.bank2sel, &f.ignsel, &f.ignnormal, &f.igninv})
            s.options.push_back(o->Value());
        s.options.push_back(f.FullSel.Value() != 0);
        for (form::ScrollBar* b : {&f.cylinsel, &f.RPMAcc, &f.deltasel, &f.WaterAcc, &f.Limiter, &f.loadtimesel, &f.windowsel})
            s.bars.push_back(b->Value());
        for (form::TextBox* t : {&f.ncylinder, &f.TRPMAcc, &f.pdeltatps, &f.TWaterAcc, &f.TLimiter, &f.loadtime, &f.windowsize})
            s.texts.push_back(t->Text);
        s.texts.push_back(f.tinj.Caption);
        for (const form::Grid& g : f.datatable)
            for (int r = 0; r < g.Rows(); ++r) s.texts.push_back(g.Cell(r, 1));
        return s;
    }
    // The bar and box of each grid show its current row's byte.
    void ExpectCurrentRowsShown() {
        for (int t = 0; t < kTableCount; ++t) {
            const form::Grid& g = page.form.datatable[t];
            EXPECT_EQ(page.form.Text1[t].Text, g.Text()) << t;
            const int byte = page.cal.mem_image[MemAddr(page.cal.mem_image, t) + g.Row - 1];
            const ByteRange range{page.form.HScroll1[t].Min(), page.form.HScroll1[t].Max()};
            EXPECT_EQ(page.form.HScroll1[t].Value(), std::clamp(byte, range.lo, range.hi)) << t;
        }
    }
    void Type(int t, int row, const std::string& text) {
        page.form.datatable[t].UserClick(row, 1);
        page.form.Text1[t].UserClick();
        page.form.Text1[t].UserType(text);
    }
};

}  // namespace

TEST(UndoSession, EveryStepComesBackExactlyBothWays) {
    Session c;
    form::Form& f = c.page.form;
    Image map = RandomImage(21);
    map[157] = 1;
    ASSERT_EQ(WriteMapFile(c.dir.path() / "other.map", map), "");

    const std::vector<std::function<void()>> edits = {
        [&] { c.Type(0, 5, "12.3"); },
        [&] {
            f.datatable[2].UserClick(3, 1);
            f.HScroll1[2].UserChange(120);
        },
        [&] {  // a drag, ticks between its events: one step
            f.datatable[1].UserClick(7, 1);
            for (int v : {100, 101, 105}) {
                f.HScroll1[1].UserScroll(v);
                c.page.Timer1_Timer();
            }
            f.HScroll1[1].UserChange(105);
        },
        [&] { f.RPMAcc.UserChange(77); },
        [&] { f.FullSel.UserClick(); },
        [&] { f.bank2mem.UserClick(); },
        [&] { c.Type(3, 2, "-12"); },
        [&] { f.IgnMem.UserClick(); },
        [&] { c.Type(0, 9, "10"); },
        [&] { f.mem3.UserClick(); },
        [&] { f.WaterAcc.UserChange(12); },
        [&] {
            c.dialog.answers.push_back((c.dir.path() / "other.map").string());
            f.loadmem.UserClick();
        },
        [&] { ASSERT_TRUE(c.page.RangeEdit(1, 3, 20, RangeOp::Interpolate, 0).ok); },
        [&] { ASSERT_TRUE(c.page.RangeEdit(0, 1, 31, RangeOp::Offset, 0.4).ok); },
    };
    std::vector<Shown> states{c.Show()};
    for (std::size_t k = 0; k < edits.size(); ++k) {
        edits[k]();
        c.page.Timer1_Timer();
        ASSERT_EQ(c.page.History().DoneSteps(), k + 1) << "edit " << k;
        ASSERT_NE(c.page.cal.mem_image, states.back().image) << "edit " << k;
        states.push_back(c.Show());
    }
    const std::size_t loaded = edits.size() - 2;  // the state right after the map load

    for (std::size_t k = states.size() - 1; k-- > 0;) {
        ASSERT_TRUE(c.page.Undo());
        c.page.Timer1_Timer();
        EXPECT_EQ(c.Show(), states[k]) << "undone to " << k;
        c.ExpectCurrentRowsShown();
        // Saved means as last loaded: at the load, and not before or after it.
        EXPECT_EQ(c.page.CalibrationUnsaved(), k != loaded) << k;
    }
    EXPECT_FALSE(c.page.CanUndo());
    EXPECT_FALSE(c.page.Undo());
    for (std::size_t k = 1; k < states.size(); ++k) {
        ASSERT_TRUE(c.page.Redo());
        c.page.Timer1_Timer();
        EXPECT_EQ(c.Show(), states[k]) << "redone to " << k;
        c.ExpectCurrentRowsShown();
    }
    EXPECT_FALSE(c.page.Redo());

    // An edit after undoing starts a new branch; undo and redo stay exact.
    c.page.Undo();
    c.Type(4, 3, "7");
    EXPECT_FALSE(c.page.CanRedo());
    c.page.Undo();
    EXPECT_EQ(c.Show(), states[states.size() - 2]);
}

TEST(UndoSession, RangeEditShowsTheRowsAndNeedsEditMode) {
    Session c;
    form::Form& f = c.page.form;
    f.datatable[0].UserClick(4, 1);
    const RangeEditResult r = c.page.RangeEdit(0, 2, 6, RangeOp::Set, 30);  // above 25.5
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.clamped, 5);
    for (int row = 2; row <= 6; ++row) EXPECT_EQ(f.datatable[0].Cell(row, 1), "25.5");
    EXPECT_EQ(f.datatable[0].Cell(7, 1), "0.0");
    EXPECT_EQ(f.Text1[0].Text, "25.5");
    EXPECT_EQ(f.HScroll1[0].Value(), 255);
    EXPECT_EQ(c.page.History().DoneSteps(), 1u);

    const Image before = c.page.cal.mem_image;
    for (auto [t, first, last] : {std::tuple{0, 0, 3}, {0, 5, 32}, {1, 9, 8}, {5, 1, 1}})
        EXPECT_FALSE(c.page.RangeEdit(t, first, last, RangeOp::Set, 1).ok);
    f.monitor.UserClick();
    EXPECT_FALSE(c.page.RangeEdit(0, 1, 2, RangeOp::Set, 1).ok);
    EXPECT_EQ(c.page.cal.mem_image, before);
}
