// The tuner's tools through the real window: undo and redo by their keys,
// a range chosen with Shift and edited from the menu, a reference map's
// marks, and the keys of the map and link buttons.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include "app/line_edit.h"
#include "app/tuner_tools.h"
#include "testing/scripted_file_dialog.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

class TunerToolsTest : public WindowTest {
   protected:
    // Grid 0's rows hold 5, 10, 15 ... (row r: 5 (r - 1)), in edit mode.
    TunerToolsTest() {
        console.file_dialog = &dialog;
        for (int k = 0; k < 31; ++k) console.cal.mem_image[k] = static_cast<std::uint8_t>(5 * k);
        console.Load_Memory_Map();
        window->Refresh();
        EnterEditMode();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid = Widget<QTableWidget>("datatable(0)");
    }
    void ClickCell(int widget_row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods,
                          grid->visualItemRect(grid->item(widget_row, 1)).center());
    }
    void Keys(QKeyCombination keys) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), keys.key(), keys.keyboardModifiers());
    }
    QAction* Entry(const char* name) { return window->findChild<QAction*>(name); }
    // Which value cells of grid 0 carry a range's or a mark's look.
    std::vector<int> Looking(int role) {
        std::vector<int> rows;
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->item(r, 1)->data(role).isValid()) rows.push_back(r);
        return rows;
    }

    orv::test::ScriptedFileDialog dialog;
    QTableWidget* grid = nullptr;
};

// What the window shows of the image, beside the image itself.
struct Shown {
    Image image;
    QString cell, box, full;
    int bar;
    bool operator==(const Shown&) const = default;
};

TEST_F(TunerToolsTest, UndoAndRedoKeysStepThroughEveryEdit) {
    auto shown = [&] {
        return Shown{console.cal.mem_image, grid->item(2, 1)->text(), Widget<LineEdit>("Text1(0)")->text(),
                     Widget<QCheckBox>("FullSel")->isChecked() ? "on" : "off",
                     Widget<QScrollBar>("HScroll1(0)")->value()};
    };
    ClickCell(3);  // the cursor stays on row 4 throughout: undo keeps it where it is
    std::vector<Shown> states{shown()};
    EXPECT_FALSE(Entry("undo")->isEnabled());

    ClickCell(2);  // a typed entry in grid 0
    QTest::keyClicks(grid, "7.6");
    QTest::keyClick(grid, Qt::Key_Return);
    states.push_back(shown());
    auto* bar = Widget<QScrollBar>("HScroll1(0)");  // the next row's bar moved by its arrow key
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    states.push_back(shown());
    Click("FullSel");  // a setting
    states.push_back(shown());
    for (std::size_t k = 1; k < states.size(); ++k) ASSERT_NE(states[k], states[k - 1]) << k;

    Widget<LineEdit>("Text1(0)")->setFocus();  // the box's own undo does not take the key
    for (std::size_t k = states.size() - 1; k > 0; --k) {
        Keys(Qt::CTRL | Qt::Key_Z);
        EXPECT_EQ(shown(), states[k - 1]) << "undo to " << k - 1;
    }
    EXPECT_FALSE(Entry("undo")->isEnabled());
    EXPECT_TRUE(Entry("redo")->isEnabled());
    for (std::size_t k = 1; k < states.size(); ++k) {
        Keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        EXPECT_EQ(shown(), states[k]) << "redo to " << k;
    }
    EXPECT_FALSE(Entry("redo")->isEnabled());
}

TEST_F(TunerToolsTest, ShiftSelectsARangeThatOneUndoTakesBackWhole) {
    form::Grid& model = console.form.datatable[0];
    console.cal.mem_image[6] = 70;  // row 7: 7.0 ms, so the line runs 0.5 .. 7.0
    console.Load_Memory_Map();
    window->Refresh();
    const Image before = console.cal.mem_image;
    EXPECT_FALSE(Entry("interpolaterange")->isEnabled());
    ClickCell(1);
    ClickCell(5, Qt::ShiftModifier);
    EXPECT_EQ(model.SelFirst(), 2);
    EXPECT_EQ(model.SelLast(), 6);
    EXPECT_EQ(grid->currentRow(), 5);
    EXPECT_EQ(Looking(Qt::BackgroundRole), (std::vector<int>{1, 2, 3, 4, 5}));
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(model.SelLast(), 7);

    ASSERT_TRUE(Entry("interpolaterange")->isEnabled());
    Entry("interpolaterange")->trigger();
    const std::vector<std::uint8_t> line{5, 18, 31, 44, 57, 70};
    EXPECT_EQ(std::vector<std::uint8_t>(console.cal.mem_image.begin() + 1, console.cal.mem_image.begin() + 7), line);
    EXPECT_EQ(grid->item(3, 1)->text(), "3.1");

    // Scale by a percentage: what cannot be stored is clamped, and said so.
    window->tools().ask_value = [](const TunerTools::ValueQuestion&) { return 500.0; };
    Entry("scalerange")->trigger();
    EXPECT_EQ(console.cal.mem_image[6], 255);
    EXPECT_NE(window->statusBar()->currentMessage().indexOf("clamped"), -1);

    Keys(Qt::CTRL | Qt::Key_Z);
    Keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(console.cal.mem_image, before);
    EXPECT_EQ(grid->item(3, 1)->text(), "1.5");
}

TEST_F(TunerToolsTest, PlainClickAfterARangeIsAPlainClick) {
    form::Grid& model = console.form.datatable[0];
    RunCount sel(model.on_sel_change), click(model.on_click);
    ClickCell(1);
    ClickCell(4, Qt::ShiftModifier);
    EXPECT_EQ(*sel, 2);  // the shift click moved the row as a click does
    EXPECT_EQ(*click, 2);
    const Image before = console.cal.mem_image;
    ClickCell(2);
    EXPECT_EQ(*sel, 3);
    EXPECT_EQ(*click, 3);
    EXPECT_EQ(model.Row, 3);
    EXPECT_EQ(model.SelCount(), 1);
    EXPECT_EQ(console.cal.mem_image, before);
    EXPECT_EQ(Widget<LineEdit>("Text1(0)")->text(), "1.0");
    EXPECT_TRUE(Looking(Qt::BackgroundRole).empty());
    EXPECT_FALSE(Entry("interpolaterange")->isEnabled());
}

TEST_F(TunerToolsTest, ComparingMarksExactlyWhatDiffersAndFollowsEdits) {
    const std::string ref = (dir / "ref.map").string();
    dialog.answers.push_back(ref);
    Click("savemem");
    ClickCell(3);  // row 4 becomes 9.9 ms
    QTest::keyClicks(grid, "9.9");
    QTest::keyClick(grid, Qt::Key_Return);
    Click("FullSel");

    dialog.answers.push_back(ref);
    Entry("comparemap")->trigger();
    EXPECT_EQ(dialog.asked.back().title, "Compare with map");
    EXPECT_EQ(Looking(Qt::BackgroundRole), std::vector<int>{3});
    EXPECT_EQ(grid->item(3, 1)->toolTip(), "Reference: 1.5");
    EXPECT_EQ(grid->item(4, 1)->toolTip(), "");
    auto* full = Widget<QCheckBox>("FullSel");
    EXPECT_TRUE(full->property("refdiff").toBool());
    EXPECT_EQ(full->toolTip().toStdString(), "Reference: " + *console.ReferenceSetting("FullSel"));
    for (const char* other : {"cylinsel", "RPMAcc", "mem1", "igninv"})
        EXPECT_FALSE(Widget<QWidget>(other)->property("refdiff").toBool()) << other;
    EXPECT_TRUE(Widget<LineEdit>("TRPMAcc")->mark().isEmpty());
    auto* status = window->findChild<QLabel*>("ReferenceStatus");
    EXPECT_EQ(status->text(), "Differences from \"ref.map\": Mem 1: 2, Mem 2: 0, Mem 3: 0, Mem 4: 0");

    Keys(Qt::CTRL | Qt::Key_Z);  // the setting back: its mark goes
    EXPECT_FALSE(full->property("refdiff").toBool());
    EXPECT_EQ(Looking(Qt::BackgroundRole), std::vector<int>{3});
    Entry("stopcomparing")->trigger();
    EXPECT_TRUE(Looking(Qt::BackgroundRole).empty());
    EXPECT_EQ(grid->item(3, 1)->toolTip(), "");
    EXPECT_TRUE(status->isHidden());
    EXPECT_FALSE(Entry("stopcomparing")->isEnabled());
}

TEST_F(TunerToolsTest, ButtonKeysClickOnlyAnEnabledButton) {
    struct Case {
        const char* button;
        QKeyCombination keys;
        form::CommandButton& model;
    };
    const Case cases[] = {{"loadmem", Qt::CTRL | Qt::Key_O, console.form.loadmem},
                          {"savemem", Qt::CTRL | Qt::Key_S, console.form.savemem},
                          {"Connect", QKeyCombination(Qt::Key_F5), console.form.Connect}};
    for (const Case& k : cases) {
        RunCount clicks(k.model.on_click);
        k.model.Enabled = false;
        window->Refresh();
        grid->setFocus();
        Keys(k.keys);
        EXPECT_EQ(*clicks, 0) << k.button;
        k.model.Enabled = true;
        window->Refresh();
        Keys(k.keys);
        EXPECT_EQ(*clicks, 1) << k.button;
    }
    EXPECT_EQ(dialog.asked.size(), 2u);  // Load, then Save, both cancelled
}

}  // namespace
}  // namespace orv::app::test
