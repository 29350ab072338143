// Editing as a tuner does it in the window: the wheel, the arrows and the
// trough of the bars, typing on a grid. Each case sets up the image, acts
// with the mouse and the keys, then looks at the controls and the image.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include "app/line_edit.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

// One notch of the wheel, turned down, over the middle of w, as the mouse
// sends it (only such an event goes on to the parent when ignored).
void Wheel(QWidget* w) {
    const QPointF at = QRectF(w->rect()).center();
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(w, &e);  // as QTest does: sendEvent would make it synthetic
}

QRect BarPart(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.state |= QStyle::State_Horizontal;
    opt.subControls = QStyle::SC_All;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

void ClickPart(QScrollBar* bar, QStyle::SubControl part) {
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, BarPart(bar, part).center());
}

// Counts the wheel events a widget receives.
class WheelCount : public QObject {
   public:
    explicit WheelCount(QWidget* w) { w->installEventFilter(this); }
    int n = 0;

   protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Wheel) ++n;
        return false;
    }
};

class EditWindowTest : public WindowTest {
   protected:
    // Grid 0's rows hold 5, 10, 15 ... (row r: 5 (r - 1)), in edit mode.
    void SetUpTable() {
        for (int k = 0; k < 31; ++k) console.cal.mem_image[k] = static_cast<std::uint8_t>(5 * k);
        console.Load_Memory_Map();
        window->Refresh();
        EnterEditMode();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid = Widget<QTableWidget>("datatable(0)");
        box = Widget<LineEdit>("Text1(0)");
        bar = Widget<QScrollBar>("HScroll1(0)");
    }
    void ClickCell(int widget_row) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid->visualItemRect(grid->item(widget_row, 1)).center());
    }
    QTableWidget* grid = nullptr;
    LineEdit* box = nullptr;
    QScrollBar* bar = nullptr;
};

TEST_F(EditWindowTest, WheelMovesAValueControlOnlyOnceItHasTheFocus) {
    SetUpTable();
    console.cal.mem_image[console.cal.slot_base + 152] = 14;  // water switch 50
    console.cal.mem_image[console.cal.slot_base + 156] = 107;  // limiter 10.7
    console.Show_Settings();
    console.form.COM.SetListIndex(2);
    window->Refresh();
    grid->setFocus();
    const Image before = console.cal.mem_image;
    for (const char* name : {"WaterAcc", "Limiter", "HScroll1(0)", "cylinsel"}) {
        auto* w = Widget<QScrollBar>(name);
        WheelCount parent(w->parentWidget());
        const int value = w->value();
        Wheel(w);
        EXPECT_EQ(w->value(), value) << name;
        EXPECT_EQ(parent.n, 1) << name << ": the wheel goes on to what holds the bar";
    }
    auto* slider = Widget<QSlider>("timesel");
    auto* com = Widget<QComboBox>("COM");
    for (QWidget* w : {static_cast<QWidget*>(slider), static_cast<QWidget*>(com)}) {
        WheelCount parent(w->parentWidget());
        Wheel(w);
        EXPECT_EQ(parent.n, 1) << w->objectName().toStdString();
    }
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(com->currentIndex(), 2);
    EXPECT_EQ(console.form.COM.ListIndex(), 2);
    EXPECT_EQ(console.cal.mem_image, before);
    EXPECT_EQ(Widget<QLineEdit>("TWaterAcc")->text(), "50");

    // Given the focus, the bar takes the wheel as a step of its own.
    auto* water = Widget<QScrollBar>("WaterAcc");
    water->setFocus();
    Wheel(water);
    EXPECT_EQ(water->value(), 15);  // one step a notch
    EXPECT_EQ(console.cal.mem_image[console.cal.slot_base + 152], water->value());
}

TEST_F(EditWindowTest, AfterAnyMoveABarArrowEditsTheRowShownFromItsOwnByte) {
    struct Case {
        const char* how;
        std::function<void(QTableWidget*)> move;
    };
    const Case cases[] = {
        {"arrow key", [](QTableWidget* g) { QTest::keyClick(g, Qt::Key_Down); }},
        {"page down", [](QTableWidget* g) { QTest::keyClick(g, Qt::Key_PageDown, Qt::ControlModifier); }},
        {"wheel", [](QTableWidget* g) { Wheel(g->viewport()); }},
    };
    SetUpTable();
    for (const Case& k : cases) {
        ClickCell(2);  // model row 3, byte 10
        ASSERT_EQ(bar->value(), 10);
        k.move(grid);
        const int row = console.form.datatable[0].Row;
        ASSERT_NE(row, 3) << k.how;
        const int own = console.cal.mem_image[row - 1];
        EXPECT_EQ(bar->value(), own) << k.how;
        EXPECT_EQ(box->text().toStdString(), console.form.datatable[0].Cell(row, 1)) << k.how;
        Image expected = console.cal.mem_image;
        expected[row - 1] = static_cast<std::uint8_t>(own + 1);
        ClickPart(bar, QStyle::SC_ScrollBarAddLine);
        EXPECT_EQ(console.cal.mem_image, expected) << k.how;
        EXPECT_EQ(grid->item(row - 1, 1)->text(), QString::number((own + 1) / 10.0, 'f', 1)) << k.how;
    }
}

TEST_F(EditWindowTest, TroughClickMovesByAPageThatSuitsTheRange) {
    SetUpTable();
    auto* cylinders = Widget<QScrollBar>("cylinsel");
    ClickPart(cylinders, QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(cylinders->value(), 1);
    EXPECT_EQ(console.cal.mem_image[150] & 0x7F, 1);
    EXPECT_EQ(Widget<QLineEdit>("ncylinder")->text(), "2");
    auto* water = Widget<QScrollBar>("WaterAcc");  // 0..30
    ClickPart(water, QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(water->value(), 3);

    ClickCell(0);
    ASSERT_EQ(bar->value(), 0);
    ASSERT_EQ(bar->maximum(), 255);
    ClickPart(bar, QStyle::SC_ScrollBarAddPage);
    const int page = bar->value();
    EXPECT_GT(page, 1);
    EXPECT_LE(page, 26);
    Image expected = console.cal.mem_image;
    expected[0] = static_cast<std::uint8_t>(page);
    EXPECT_EQ(console.cal.mem_image, expected);
    ClickPart(bar, QStyle::SC_ScrollBarSubPage);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(console.cal.mem_image[0], 0);

    // The thumb is small and the same on every range.
    const int thumb = BarPart(bar, QStyle::SC_ScrollBarSlider).width();
    EXPECT_LE(thumb, 12);
    EXPECT_EQ(BarPart(cylinders, QStyle::SC_ScrollBarSlider).width(), thumb);
}

TEST_F(EditWindowTest, TypingOnAGridNeverSearchesItsCells) {
    SetUpTable();
    // "5.0" and "7.0" sit in rows 11 and 15: a search would jump there.
    ClickCell(2);
    console.form.monitor.UserClick();  // the box takes no entry
    window->Refresh();
    const Image before = console.cal.mem_image;
    QTest::keyClicks(grid, "57");
    EXPECT_EQ(grid->currentRow(), -1);  // with no reading no row is marked
    EXPECT_EQ(console.form.datatable[0].Row, 3);
    EXPECT_EQ(box->text(), QString(QChar(0x2014)));  // and the box shows a dash
    EXPECT_EQ(console.cal.mem_image, before);
}

TEST_F(EditWindowTest, NumberTypedOnAGridIsEnteredAndTheCursorStepsDown) {
    SetUpTable();
    ClickCell(4);  // model row 5, byte 20
    grid->setFocus();
    Image expected = console.cal.mem_image;
    QTest::keyClicks(grid, "7.6");
    EXPECT_EQ(box->text(), "7.6");
    EXPECT_EQ(console.cal.mem_image, expected);  // only Enter commits
    QTest::keyClick(grid, Qt::Key_Return);
    expected[4] = 76;
    EXPECT_EQ(console.cal.mem_image, expected);
    EXPECT_EQ(grid->item(4, 1)->text(), "7.6");
    EXPECT_EQ(grid->currentRow(), 5);
    EXPECT_EQ(box->text(), "2.5");
    EXPECT_EQ(bar->value(), 25);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_FALSE(box->flashing());

    // Refused: nothing written, the cursor stays, and the box says so.
    QTest::keyClicks(grid, "30");
    QTest::keyClick(grid, Qt::Key_Enter);
    EXPECT_EQ(console.cal.mem_image, expected);
    EXPECT_EQ(grid->currentRow(), 5);
    EXPECT_TRUE(box->flashing());
    EXPECT_TRUE(box->toolTip().contains("25.5"));
}

TEST_F(EditWindowTest, ArrowKeysRaiseAndLowerEveryBar) {
    console.form.Advancer.Visible = true;  // the ignition settings take edits too
    SetUpTable();
    int bars = 0;
    for (const form::Form::Entry& e : console.form.Controls()) {
        auto* const* model = std::get_if<form::ScrollBar*>(&e.ref);
        if (!model) continue;
        ++bars;
        auto* w = Widget<QScrollBar>(e.name);
        (*model)->Enabled = true;
        console.RunEvent([&] { (*model)->SetValue(((*model)->Min() + (*model)->Max()) / 2); });
        window->Refresh();
        ASSERT_TRUE(w->isEnabled()) << e.name;
        w->setFocus();
        const int mid = (*model)->Value();
        const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Right, 1}, {Qt::Key_Up, 2}, {Qt::Key_Left, 1},
                                                {Qt::Key_Down, 0},  {Qt::Key_PageUp, -1}, {Qt::Key_PageDown, 0}};
        for (const auto& [key, want] : keys) {
            QTest::keyClick(w, key);
            const int step = want < 0 ? (*model)->Value() - mid : want;
            if (want < 0) {
                EXPECT_GT(step, 0) << e.name << ": PageUp raises";
            }
            EXPECT_EQ((*model)->Value(), mid + step) << e.name << " after key " << key;
        }
    }
    EXPECT_EQ(bars, 12);
}

TEST_F(EditWindowTest, PageKeysOnAGridStepTheSelectedCells) {
    SetUpTable();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int step;
    };
    const Case cases[] = {
        {Qt::Key_PageUp, Qt::NoModifier, 1},     {Qt::Key_PageDown, Qt::NoModifier, -1},
        {Qt::Key_PageUp, Qt::ShiftModifier, 10}, {Qt::Key_PageDown, Qt::ShiftModifier, -10},
    };
    ClickCell(3);  // rows 4..6: 15, 20, 25
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    const std::size_t done = console.History().DoneSteps();
    int moved = 0;
    for (const Case& k : cases) {
        QTest::keyClick(grid, k.key, k.mods);
        moved += k.step;
        for (int r = 3; r <= 5; ++r) EXPECT_EQ(console.cal.mem_image[r], 5 * r + moved) << k.key << " row " << r;
        EXPECT_EQ(grid->item(5, 1)->text(), QString::number((25 + moved) / 10.0, 'f', 1)) << k.key;
        EXPECT_EQ(bar->value(), 25 + moved) << k.key;
    }
    EXPECT_EQ(console.History().DoneSteps(), done + std::size(cases));
    EXPECT_EQ(console.form.datatable[0].SelCount(), 3);
    console.form.monitor.UserClick();  // in Monitor mode the step entries are off: the keys page the grid
    window->Refresh();
    EXPECT_FALSE(window->findChild<QAction*>("stepup")->isEnabled());
}

// '-' and '+' begin an entry as digits do: stored as typed, or refused.
TEST_F(EditWindowTest, ASignTypedOnAGridBeginsTheEntry) {
    SetUpTable();
    const std::tuple<int, const char*, int> cases[] = {{1, "-7", 83}, {1, "+3", 93}, {0, "-0.5", -1}};  // -1: refused
    for (const auto& [table, typed, stored] : cases) {
        auto* g = Widget<QTableWidget>("datatable(" + std::to_string(table) + ")");
        QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, g->visualItemRect(g->item(1, 1)).center());
        Image expected = console.cal.mem_image;
        if (stored >= 0) expected[console.Get_Mem_Addr(table) + 1] = static_cast<std::uint8_t>(stored);
        QTest::keyClicks(g, typed);
        QTest::keyClick(g, Qt::Key_Return);
        EXPECT_EQ(console.cal.mem_image, expected) << typed;
        EXPECT_EQ(Widget<LineEdit>("Text1(" + std::to_string(table) + ")")->flashing(), stored < 0) << typed;
    }
}

TEST_F(EditWindowTest, ControlDragOnABarMovesOneStepEveryFewPixels) {
    SetUpTable();
    ClickCell(10);  // byte 50
    const QPoint at = BarPart(bar, QStyle::SC_ScrollBarSlider).center();
    const std::size_t done = console.History().DoneSteps();
    QTest::mousePress(bar, Qt::LeftButton, Qt::ControlModifier, at);
    for (int dx = 1; dx <= 20; ++dx) QTest::mouseMove(bar, at + QPoint(dx, 0));
    EXPECT_EQ(bar->value(), 55);  // 20 pixels: 5 steps
    EXPECT_EQ(console.cal.mem_image[10], 55);
    QTest::mouseMove(bar, at + QPoint(-9, 0));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::ControlModifier, at + QPoint(-9, 0));
    EXPECT_EQ(console.cal.mem_image[10], 48);
    EXPECT_EQ(grid->item(10, 1)->text(), "4.8");
    EXPECT_EQ(console.History().DoneSteps(), done + 1);  // the whole drag is one edit
    EXPECT_TRUE(bar->hasFocus());
}

}  // namespace
}  // namespace orv::app::test
