// The tuner's tools through the real window: undo and redo by their keys,
// a range chosen with Shift and edited from the menu, a reference map's
// marks, and the keys of the map and link buttons.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include "app/binding.h"
#include "app/line_edit.h"
#include "app/tuner_tools.h"
#include "core/calibration/heat_map.h"
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
        QApplication::processEvents();  // what the key opens runs once the loop turns
    }
    QAction* Entry(const char* name) { return window->findChild<QAction*>(name); }
    // An entry chosen; what it opens runs once the loop turns, as after a click.
    void Choose(const char* name) {
        Entry(name)->trigger();
        QApplication::processEvents();
    }
    // Which value cells of grid 0 the view holds selected, or carry a mark.
    std::vector<int> Selected() {
        std::vector<int> rows;
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->selectionModel()->isSelected(grid->model()->index(r, 1))) rows.push_back(r);
        return rows;
    }
    std::vector<int> Marked() {
        std::vector<int> rows;
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->item(r, 1)->data(kGridMarkRole).isValid()) rows.push_back(r);
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
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4, 5}));
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(model.SelLast(), 7);

    ASSERT_TRUE(Entry("interpolaterange")->isEnabled());
    Choose("interpolaterange");
    const std::vector<std::uint8_t> line{5, 18, 31, 44, 57, 70};
    EXPECT_EQ(std::vector<std::uint8_t>(console.cal.mem_image.begin() + 1, console.cal.mem_image.begin() + 7), line);
    EXPECT_EQ(grid->item(3, 1)->text(), "3.1");

    // Scale by a percentage: what cannot be stored is clamped, and said so.
    window->tools().ask_value = [](const TunerTools::ValueQuestion&) { return 500.0; };
    Choose("scalerange");
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
    EXPECT_EQ(Selected(), std::vector<int>{2});
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
    Choose("comparemap");
    EXPECT_EQ(dialog.asked.back().title, "Compare with map");
    EXPECT_EQ(Marked(), std::vector<int>{3});
    EXPECT_EQ(grid->item(3, 1)->toolTip(), "Differs from reference: 1.5");
    EXPECT_EQ(grid->item(4, 1)->toolTip(), "");
    auto* full = Widget<QCheckBox>("FullSel");
    EXPECT_TRUE(full->property("refdiff").toBool());
    EXPECT_EQ(full->toolTip().toStdString(), "Differs from reference: " + *console.ReferenceSetting("FullSel"));
    for (const char* other : {"cylinsel", "RPMAcc", "mem1", "igninv"})
        EXPECT_FALSE(Widget<QWidget>(other)->property("refdiff").toBool()) << other;
    EXPECT_TRUE(Widget<LineEdit>("TRPMAcc")->mark().isEmpty());
    auto* status = window->findChild<QLabel*>("ReferenceStatus");
    EXPECT_EQ(status->text(), "Differences from \"ref.map\": Mem 1: 2, Mem 2: 0, Mem 3: 0, Mem 4: 0");

    Keys(Qt::CTRL | Qt::Key_Z);  // the setting back: its mark goes
    EXPECT_FALSE(full->property("refdiff").toBool());
    EXPECT_EQ(Marked(), std::vector<int>{3});
    Choose("stopcomparing");
    EXPECT_TRUE(Marked().empty());
    EXPECT_EQ(grid->item(3, 1)->toolTip(), "");
    EXPECT_TRUE(status->isHidden());
    EXPECT_FALSE(Entry("stopcomparing")->isEnabled());
}

TEST_F(TunerToolsTest, RangeQuestionsNameTheRowsInTheAxissUnits) {
    const std::tuple<const char*, int, int, const char*> cases[] = {
        {"setrange", 0, 5, "Value for 2,500 to 4,500 rpm (0 to 25.5):"},
        {"offsetrange", 0, 5, "Add to each value, 2,500 to 4,500 rpm:"},
        {"scalerange", 2, 2, "Percent of each value, 10 to 20 %:"},
    };
    for (const auto& [entry, t, first, label] : cases) {
        auto* table = Widget<QTableWidget>("datatable(" + std::to_string(t) + ")");
        auto click = [&](int row, Qt::KeyboardModifiers mods) {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, mods,
                              table->visualItemRect(table->item(row, 1)).center());
        };
        click(first, Qt::NoModifier);
        click(first + (t == 0 ? 4 : 2), Qt::ShiftModifier);
        QString asked;
        window->tools().ask_value = [&](const TunerTools::ValueQuestion& q) -> std::optional<double> {
            asked = q.label;
            return std::nullopt;
        };
        Choose(entry);
        EXPECT_EQ(asked, label) << entry;
    }
}

// The colour of a pixel of grid 0's value cell in widget row `row`: `dx`, `dy`
// from its top left corner, negative from its bottom right.
QColor CellPixel(QTableWidget* grid, int row, int dx, int dy) {
    const QImage shot = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualItemRect(grid->item(row, 1));
    return shot.pixelColor(dx >= 0 ? cell.left() + dx : cell.right() + 1 + dx,
                           dy >= 0 ? cell.top() + dy : cell.bottom() + 1 + dy);
}

TEST_F(TunerToolsTest, EveryCellIsColouredByItsValueUnderTextThatReads) {
    // Every byte grid 0 may hold, 31 at a time, and grid 2 (0..180) beside it.
    for (int from = 0; from <= 255; from += 31) {
        for (int k = 0; k < 31; ++k) console.cal.mem_image[k] = static_cast<std::uint8_t>(std::min(from + k, 255));
        console.cal.mem_image[94 + 5] = static_cast<std::uint8_t>(std::min(from, 180));
        console.Load_Memory_Map();
        window->Refresh();
        for (int r = 0; r < 31; ++r) {
            const int b = console.cal.mem_image[r];
            const Colour want = HeatColour(HeatFraction(TableView::Fuel, 0, b));
            const QColor back = grid->item(r, 1)->background().color(), text = grid->item(r, 1)->foreground().color();
            ASSERT_EQ(back, QColor(want.r, want.g, want.b)) << b;
            const Colour bc{back.red(), back.green(), back.blue()}, tc{text.red(), text.green(), text.blue()};
            EXPECT_GE(ContrastRatio(tc, bc), 4.5) << b;
            // The selection's frame stands out from every colour of the ramp.
            EXPECT_GE(ContrastRatio({240, 176, 64}, bc), 3.0) << b;
        }
        const Colour gain = HeatColour(HeatFraction(TableView::Fuel, 2, std::min(from, 180)));
        EXPECT_EQ(Widget<QTableWidget>("datatable(2)")->item(5, 1)->background().color(),
                  QColor(gain.r, gain.g, gain.b));
    }
    // The ends of the range take the ends of the ramp; the grid shows them.
    EXPECT_NE(grid->item(0, 1)->background().color(), grid->item(30, 1)->background().color());
    EXPECT_EQ(CellPixel(grid, 5, 6, -4), grid->item(5, 1)->background().color());
}

TEST_F(TunerToolsTest, MarksShowOnTheSelectionAndSayWhatTheyMean) {
    const std::string ref = (dir / "ref.map").string();
    dialog.answers.push_back(ref);
    Click("savemem");
    ClickCell(3);
    QTest::keyClicks(grid, "9.9");
    QTest::keyClick(grid, Qt::Key_Return);
    dialog.answers.push_back(ref);
    Choose("comparemap");
    ASSERT_EQ(Marked(), std::vector<int>{3});

    // Selected, in a range or alone, the marked cell shows its mark, the
    // frame and its own colour.
    const QColor amber(240, 176, 64), cyan(76, 210, 238);
    const QColor heat = grid->item(3, 1)->background().color();
    for (Qt::KeyboardModifiers mods : {Qt::NoModifier, Qt::ShiftModifier}) {
        ClickCell(mods == Qt::NoModifier ? 3 : 5, mods);
        ASSERT_TRUE(grid->selectionModel()->isSelected(grid->model()->index(3, 1)));
        EXPECT_EQ(CellPixel(grid, 3, -2, 1), cyan);
        EXPECT_EQ(CellPixel(grid, 3, 20, 0), amber);
        EXPECT_EQ(CellPixel(grid, 3, 6, -4), heat);
        EXPECT_NE(CellPixel(grid, 4, -2, 1), cyan) << "an unmarked cell has no corner";
    }

    // A slot change marks the slot buttons: their tooltip says why.
    Click("mem3");
    auto* mem1 = Widget<QWidget>("mem1");
    EXPECT_TRUE(mem1->property("refdiff").toBool());
    EXPECT_EQ(mem1->toolTip().toStdString(), "Marked: the active slot differs from the reference's. Here it is Mem 3, in the "
                               "reference Mem 1.\nValues that differ, per slot: Mem 1: 2.");
    auto* status = window->findChild<QLabel*>("ReferenceStatus");
    EXPECT_FALSE(status->toolTip().isEmpty());
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

// The bytes of grid 0's rows first..last (1: the first).
Bytes Rows0(const Image& image, int first, int last) { return Bytes(image.begin() + first - 1, image.begin() + last); }

TEST_F(TunerToolsTest, CtrlCAndCtrlVGoThroughTheSystemClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    ClickCell(1);
    ClickCell(4, Qt::ShiftModifier);
    Keys(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(clipboard->text(), "RPM / bank 1 injection (ms)\n0.5\t0.5\n1.0\t1.0\n1.5\t1.5\n2.0\t2.0\n");
    EXPECT_NE(window->statusBar()->currentMessage().indexOf("Copied RPM rows 2 to 5"), -1);

    struct Step {
        QString clipboard;
        int row;               // where the paste starts
        Bytes rows;            // the bytes from there on afterwards
        const char* message;   // part of the status line
    };
    const Image start = console.cal.mem_image;
    const Step steps[] = {
        {clipboard->text(), 11, {5, 10, 15, 20}, "Pasted 4 values into RPM rows 11 to 14"},
        {"12,5\r\n99\r\n", 20, {125, 255}, "Pasted 2 values into RPM rows 20 to 21; 1 clamped to the box's limits"},
        {"0.0\t1.0\n0.5\tnan\n", 20, {125, 255}, "Paste refused: line 2: NaN is not a value"},
        {"1\n2\n3\n", 30, {145, 150}, "Paste refused: 3 values from RPM row 30 run past the table's last row (31)"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.message);
        clipboard->setText(s.clipboard);
        grid->scrollToItem(grid->item(s.row - 1, 1));
        ClickCell(s.row - 1);
        Keys(Qt::CTRL | Qt::Key_V);
        EXPECT_EQ(Rows0(console.cal.mem_image, s.row, s.row + static_cast<int>(s.rows.size()) - 1), s.rows);
        EXPECT_NE(window->statusBar()->currentMessage().indexOf(s.message), -1)
            << window->statusBar()->currentMessage().toStdString();
        EXPECT_EQ(grid->item(s.row - 1, 1)->text().toStdString(), CellText(TableView::Fuel, 0, s.rows[0]));
    }
    // Each paste was one step.
    Keys(Qt::CTRL | Qt::Key_Z);
    Keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(console.cal.mem_image, start);

    // Out of edit mode a paste cannot run; a copy can.
    Click("monitor");
    grid->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(Entry("copytable")->isEnabled());
    EXPECT_FALSE(Entry("pastetable")->isEnabled());
    EXPECT_FALSE(Entry("pasteset")->isEnabled());
    Keys(Qt::CTRL | Qt::Key_V);
    EXPECT_EQ(console.cal.mem_image, start);
}

TEST_F(TunerToolsTest, AGridsMenuActsOnItsRowsAsTheyAre) {
    console.cal.mem_image[3] = 100;  // a spike on row 4
    console.Load_Memory_Map();
    window->Refresh();
    ClickCell(1);
    ClickCell(5, Qt::ShiftModifier);
    // A right click on another row keeps the range.
    const QPoint at = grid->visualItemRect(grid->item(8, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &event);
    auto* menu = grid->findChild<QMenu*>("gridmenu(0)");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(console.form.datatable[0].SelFirst(), 2);
    EXPECT_EQ(console.form.datatable[0].SelLast(), 6);
    QStringList enabled;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->isEnabled()) enabled << a->objectName();
    EXPECT_EQ(enabled, QStringList({"copytable", "pastetable", "copyset", "pasteset", "interpolaterange", "scalerange",
                                    "offsetrange", "setrange", "smoothrange"}));
    menu->close();
    window->activateWindow();  // the offscreen platform leaves that to the test
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Choose("smoothrange");
    // 5, 10, 100, 20, 25 -> 5, 38, 43, 48, 25: the ends stay.
    EXPECT_EQ(Rows0(console.cal.mem_image, 2, 6), (Bytes{5, 38, 43, 48, 25}));
    EXPECT_NE(window->statusBar()->currentMessage().indexOf("Smoothed RPM rows 2 to 6"), -1);
    Keys(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(console.cal.mem_image[3], 100);

    // A set copied from the menu pastes into bank 2 the same.
    Choose("copyset");
    Click("bank2mem");
    console.Timer1_Timer();
    window->Refresh();
    grid->setFocus();
    Choose("pasteset");
    EXPECT_EQ(Rows0(console.cal.mem_image, 160, 190), Rows0(console.cal.mem_image, 1, 31));
    EXPECT_NE(window->statusBar()->currentMessage().indexOf("Pasted the five tables into the bank 2 set"), -1);
}

}  // namespace
}  // namespace orv::app::test
