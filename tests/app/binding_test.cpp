// Widgets and model in both directions: a user action runs the console's
// handler exactly once; a change made in code reaches the widget and runs
// nothing.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QHeaderView>
#include <QTest>
#include <fstream>
#include <sstream>

#include "window_fixture.h"

namespace orv::app::test {
namespace {

std::string Text(QWidget* w) { return static_cast<QLineEdit*>(w)->text().toStdString(); }

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(WindowTest, ClickingAButtonRunsItsHandlerOnce) {
    EnterEditMode();  // "Full" sits in a frame enabled only there
    struct Case {
        const char* widget;
        form::Handler& handler;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"bank2mem", console.form.bank2mem.on_click,
         [&] {
             EXPECT_EQ(console.cal.mem_image[console.cal.slot_base + 158] & 0x03, 0x01);
             EXPECT_TRUE(console.cal.reload_tables);
             EXPECT_TRUE(Widget<QRadioButton>("bank2mem")->isChecked());
             EXPECT_FALSE(Widget<QRadioButton>("bank1mem")->isChecked());
         }},
        {"FullSel", console.form.FullSel.on_click,
         [&] {
             EXPECT_EQ(console.cal.mem_image[150] & 0x80, 0x80);
             EXPECT_TRUE(Widget<QCheckBox>("FullSel")->isChecked());
         }},
        // No reply since start-up: the connect falls back to the short live block.
        {"Connect", console.form.Connect.on_click,
         [&] {
             EXPECT_EQ(console.link.live_len, 8);
             EXPECT_EQ(Text(Widget<QLineEdit>("Text3")), "OffLine");
         }},
    };
    for (const Case& c : cases) {
        RunCount runs(c.handler);
        Click(c.widget);
        EXPECT_EQ(*runs, 1) << c.widget;
        c.check();
    }
}

TEST_F(WindowTest, ScrollBarStepsChangeAtOnceAndADragCommitsWhereItEnds) {
    EnterEditMode();
    RunCount delta(console.form.deltasel.on_change);
    auto* deltasel = Widget<QScrollBar>("deltasel");
    deltasel->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(*delta, 1);
    EXPECT_EQ(console.cal.mem_image[153], 1);
    EXPECT_EQ(Text(Widget<QLineEdit>("pdeltatps")), "1");

    // The table bars tell a drag (Scroll) from its end (Change).
    RunCount change(console.form.HScroll1[0].on_change);
    RunCount scroll(console.form.HScroll1[0].on_scroll);
    auto* bar = Widget<QScrollBar>("HScroll1(0)");
    bar->setSliderDown(true);
    bar->setSliderPosition(40);
    bar->setSliderPosition(41);
    EXPECT_EQ(*scroll, 2);
    EXPECT_EQ(*change, 0);
    bar->setSliderDown(false);
    EXPECT_EQ(*change, 1);
    EXPECT_EQ(console.form.HScroll1[0].Value(), 41);
    EXPECT_EQ(console.cal.mem_image[0], 41);
    EXPECT_EQ(Widget<QTableWidget>("datatable(0)")->item(0, 1)->text(), "4.1");
}

TEST_F(WindowTest, PickingAPortRunsThePortSelectionOnce) {
    RunCount runs(console.form.COM.on_click);
    auto* com = Widget<QComboBox>("COM");
    ASSERT_EQ(com->count(), 7);
    com->setFocus();
    QTest::keyClick(com, Qt::Key_End);
    EXPECT_EQ(*runs, 1);
    EXPECT_EQ(console.form.COM.ListIndex(), 6);
    EXPECT_EQ(port.opened_port, 7);
    EXPECT_EQ(ReadFile(dir / "config.dat"), "7,,\r\n");
    ASSERT_FALSE(port.writes.empty());
    EXPECT_EQ(port.writes.front(), (Bytes{0x8A, 0x01, 0x03}));
}

TEST_F(WindowTest, CodeChangesReachTheWidgetsWithoutRunningHandlers) {
    // The model raises its own handler once; the refresh adds none.
    RunCount ign(console.form.IgnMem.on_click);
    console.form.IgnMem.SetValue(true);
    window->Refresh();
    EXPECT_EQ(*ign, 1);
    EXPECT_TRUE(Widget<QRadioButton>("IgnMem")->isChecked());
    EXPECT_FALSE(Widget<QRadioButton>("bank1mem")->isChecked());
    EXPECT_EQ(Widget<QLabel>("tinj")->text(), "Degrees");

    RunCount window_size(console.form.windowsel.on_change);
    console.form.windowsel.SetValue(33);
    window->Refresh();
    EXPECT_EQ(*window_size, 1);
    EXPECT_EQ(Widget<QScrollBar>("windowsel")->value(), 33);
    EXPECT_EQ(Text(Widget<QLineEdit>("windowsize")), "33");

    RunCount com(console.form.COM.on_click);
    console.form.COM.SetListIndex(2);
    window->Refresh();
    EXPECT_EQ(*com, 1);
    EXPECT_EQ(Widget<QComboBox>("COM")->currentIndex(), 2);

    // Grid cursor and scrolling moved by code raise nothing. (In edit mode:
    // outside it, with no reading, a grid marks no row.)
    EnterEditMode();
    RunCount sel(console.form.datatable[0].on_sel_change);
    RunCount scr(console.form.datatable[0].on_scroll);
    console.Show_Live_Cell(0, 20);
    window->Refresh();
    auto* grid = Widget<QTableWidget>("datatable(0)");
    EXPECT_EQ(grid->currentRow(), 20);
    EXPECT_EQ(grid->currentColumn(), 1);
    // Row 21 is the last one in view, however many the grid's height shows.
    EXPECT_EQ(grid->verticalScrollBar()->value(), 21 - console.form.datatable[0].VisibleRows);
    EXPECT_EQ(*sel, 0);
    EXPECT_EQ(*scr, 0);

    console.form.Advancer.Visible = false;
    console.form.Connect.Enabled = false;
    console.form.Label6.Caption = "Off";
    window->Refresh();
    EXPECT_TRUE(Widget<QWidget>("Advancer")->isHidden());
    EXPECT_FALSE(Widget<QWidget>("advance")->isVisible());
    EXPECT_FALSE(Widget<QWidget>("Connect")->isEnabled());
    EXPECT_EQ(Widget<QLabel>("Label6")->text(), "Off");
}

TEST_F(WindowTest, TextBoxForwardsClickTypingEnterAndLostFocus) {
    EnterEditMode();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* box = Widget<QLineEdit>("Text1(0)");
    RunCount keys(console.form.Text1[0].on_key_press);
    RunCount lost(console.form.Text1[0].on_lost_focus);

    box->setFocus();
    QTest::mouseClick(box, Qt::LeftButton);  // Text1_Click empties the box
    EXPECT_EQ(box->text(), "");

    QTest::keyClicks(box, "12.5");
    EXPECT_EQ(*keys, 4);
    EXPECT_EQ(console.form.Text1[0].Text, "12.5");  // typing reaches the model at once
    EXPECT_EQ(console.cal.mem_image[0], 0);             // only Enter commits

    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(*keys, 5);
    EXPECT_EQ(console.form.HScroll1[0].Value(), 125);
    EXPECT_EQ(console.cal.mem_image[0], 125);
    EXPECT_EQ(Widget<QTableWidget>("datatable(0)")->item(0, 1)->text(), "12.5");
    EXPECT_EQ(Widget<QScrollBar>("HScroll1(0)")->value(), 125);

    // A half-typed value is dropped when the focus moves on.
    QTest::keyClicks(box, "7");
    EXPECT_EQ(box->text(), "12.57");
    Widget<QLineEdit>("Text1(1)")->setFocus();
    EXPECT_EQ(*lost, 1);
    EXPECT_EQ(box->text(), "12.5");
    EXPECT_EQ(console.cal.mem_image[0], 125);
}

TEST_F(WindowTest, GridForwardsClicksKeysAndScrolling) {
    EnterEditMode();  // outside it, with no reading, a grid marks no row
    for (int k = 0; k < 32; ++k) console.cal.mem_image[k] = static_cast<std::uint8_t>(2 * k);
    console.Load_Memory_Map();
    window->Refresh();
    auto* grid = Widget<QTableWidget>("datatable(0)");
    auto* text1 = Widget<QLineEdit>("Text1(0)");
    RunCount sel(console.form.datatable[0].on_sel_change);
    RunCount click(console.form.datatable[0].on_click);
    RunCount scroll(console.form.datatable[0].on_scroll);
    auto click_cell = [&](int row, int col) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid->visualItemRect(grid->item(row, col)).center());
    };

    click_cell(3, 1);
    EXPECT_EQ(*sel, 1);
    EXPECT_EQ(*click, 1);
    EXPECT_EQ(console.form.datatable[0].Row, 4);
    EXPECT_EQ(text1->text(), "0.6");

    click_cell(5, 0);  // an axis cell is not one to pick: the click lands on its row's value
    EXPECT_EQ(*sel, 2);
    EXPECT_EQ(*click, 2);
    EXPECT_EQ(console.form.datatable[0].Row, 6);
    EXPECT_EQ(console.form.datatable[0].Col, 1);
    EXPECT_EQ(grid->currentRow(), 5);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(text1->text(), "1.0");

    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(*sel, 3);
    EXPECT_EQ(*click, 2);
    EXPECT_EQ(console.form.datatable[0].Row, 7);
    EXPECT_EQ(text1->text(), "1.2");
    QTest::keyClick(grid, Qt::Key_Left);  // nothing to the left but the axis
    EXPECT_EQ(*sel, 3);
    // The header is the grid's row 0: a click there lands on the first value.
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(*click, 3);
    EXPECT_EQ(*sel, 4);
    EXPECT_EQ(console.form.datatable[0].Row, 1);
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(grid->selectedItems().size(), 1);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(console.form.datatable[0].Col, 1);

    // Stepping below the last visible row scrolls the grid by one.
    const int shown = console.form.datatable[0].VisibleRows;
    EXPECT_GE(shown, 10);
    console.form.datatable[0].Row = shown;
    window->Refresh();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(console.form.datatable[0].Row, shown + 1);
    EXPECT_EQ(*scroll, 1);
    EXPECT_EQ(console.form.datatable[0].TopRow, 2);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 1);

    // Scrolling the cursor out of view brings it back into the rows shown.
    grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(*scroll, 2);
    const int top = console.form.datatable[0].TopRow;
    EXPECT_GT(top, shown + 1);
    EXPECT_EQ(grid->verticalScrollBar()->value(), top - 1);
    EXPECT_EQ(console.form.datatable[0].Row, top + 4);
    EXPECT_EQ(grid->currentRow(), top + 3);
    EXPECT_EQ(text1->text().toStdString(), console.form.datatable[0].Cell(top + 4, 1));
}

TEST_F(WindowTest, SerialNotificationsAndTicksRefreshTheWindow) {
    console.form.COM.SetListIndex(0);
    window->Refresh();
    port.Deliver({0x12, 0x1E, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
    // What replies change shows a moment later, not as each arrives.
    EXPECT_TRUE(window->LinkRefreshPending());
    EXPECT_NE(Text(Widget<QLineEdit>("rpm")), "1.8");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->LinkRefreshPending(); }, 1000));
    EXPECT_EQ(Text(Widget<QLineEdit>("rpm")), "1.8");
    EXPECT_EQ(Text(Widget<QLineEdit>("pressure")), "2.0");
    EXPECT_EQ(Text(Widget<QLineEdit>("Text3")), "Connected");
    // At once when the user acts: never on a window older than the model.
    port.Deliver({0x18, 0x1E, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
    ASSERT_TRUE(window->LinkRefreshPending());
    QTest::keyClick(Widget<QLineEdit>("rpm"), Qt::Key_Shift);
    EXPECT_EQ(Text(Widget<QLineEdit>("rpm")), "2.4");

    // Timer1 runs the console's tick and then refreshes: here at once.
    const form::Line& hand = console.form.rpmhand[0];
    const float before = hand.X2;
    console.form.Timer1.Interval = 0;
    window->StartTimer();
    EXPECT_TRUE(window->timer().isActive());
    QCoreApplication::processEvents();
    EXPECT_NE(hand.X2, before);
    const int row = Widget<QTableWidget>("datatable(1)")->currentRow();
    EXPECT_EQ(row + 1, console.form.datatable[1].Row);
    EXPECT_EQ(console.form.datatable[1].Row, 0x1E + 1);
}

}  // namespace
}  // namespace orv::app::test
