// Shaping a curve with the mouse on the "Table curves" window: the chart's
// own mouse events move exactly the rows meant, by the steps the pointer
// travelled, as one undo step, and only in edit mode.
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include "app/plots/plot_windows.h"
#include "app/plots/table_curves.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

using plots::TableCurvesWindow;

class CurveDragTest : public WindowTest {
   protected:
    void SetUp() override {
        // PRES of bank 1 flat at 0 %, so that its plot spans -10 .. 10.
        console.RunEvent([&] {
            for (int k = 0; k < 51; ++k) console.cal.mem_image[32 + k] = 90;
            console.Load_Memory_Map();
        });
        window->viewMenu()->findChild<QAction*>("tablecurves")->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Curves()));
        QApplication::processEvents();
        start = console.cal.mem_image;
    }
    TableCurvesWindow& Curves() { return window->plotWindows().TableCurves(); }
    QWidget* Viewport(int t) { return Curves().view(t)->viewport(); }
    // Where the value (x, y) of table t lies on its plot's viewport.
    QPoint At(int t, double x, double y) {
        auto* chart = const_cast<QChart*>(Curves().chart(t));
        auto* curve = const_cast<QLineSeries*>(Curves().curve(t));
        return Curves().view(t)->mapFromScene(chart->mapToScene(chart->mapToPosition(QPointF(x, y), curve)));
    }
    // A press on PRES entry k at its value, moves to each of `to` (values),
    // and the release there.
    void Drag(int k, std::initializer_list<double> to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        const double x = -1.0 + 0.1 * k;
        QTest::mousePress(Viewport(1), Qt::LeftButton, keys, At(1, x, console.cal.mem_image[32 + k] - 90.0));
        QPoint last;
        for (double y : to) QTest::mouseMove(Viewport(1), last = At(1, x + 0.02, y));
        QTest::mouseRelease(Viewport(1), Qt::LeftButton, keys, last);
    }
    Image start;
};

TEST_F(CurveDragTest, ADragMovesOneRowByTheStepsTravelledAndUndoesInOneStep) {
    EnterEditMode();
    const std::size_t steps = console.History().DoneSteps();
    Drag(10, {2, 7, 5});
    Image expected = start;
    expected[32 + 10] = 95;
    EXPECT_EQ(console.cal.mem_image, expected);
    // The row the grid's current one, and the grid, box, bar and curve show it.
    EXPECT_EQ(console.form.datatable[1].Row, 11);
    EXPECT_EQ(Widget<QTableWidget>("datatable(1)")->item(10, 1)->text(), "5");
    EXPECT_EQ(Widget<QLineEdit>("Text1(1)")->text(), "5");
    EXPECT_EQ(Widget<QScrollBar>("HScroll1(1)")->value(), 95);
    EXPECT_EQ(Curves().curve(1)->at(10).y(), 5);
    EXPECT_EQ(console.form.Notice, "PRES: 0.0 bar moved 5 steps up");
    EXPECT_EQ(console.History().DoneSteps(), steps + 1);
    ASSERT_TRUE(console.Undo());
    EXPECT_EQ(console.cal.mem_image, start);
}

TEST_F(CurveDragTest, ShiftDragMovesTheSelectedRowsTogether) {
    EnterEditMode();
    console.RunEvent([&] { console.form.datatable[1].UserClick(3, 1); });
    Drag(6, {-1, -4}, Qt::ShiftModifier);
    Image expected = start;
    for (int k = 2; k <= 6; ++k) expected[32 + k] = 86;
    EXPECT_EQ(console.cal.mem_image, expected);
    EXPECT_EQ(console.form.Notice, "PRES: -0.8 to -0.4 bar moved 4 steps down");
    ASSERT_TRUE(console.Undo());
    EXPECT_EQ(console.cal.mem_image, start);
}

// Closed in mid-drag (a key, the window manager): the drag ends there, and
// the next one is a step of its own.
TEST_F(CurveDragTest, AWindowClosedInMidDragEndsTheDrag) {
    EnterEditMode();
    const std::size_t steps = console.History().DoneSteps();
    QTest::mousePress(Viewport(1), Qt::LeftButton, {}, At(1, 0.0, 0));
    QTest::mouseMove(Viewport(1), At(1, 0.0, 3));
    Curves().close();
    QTest::mouseRelease(Viewport(1), Qt::LeftButton, {}, At(1, 0.0, 3));
    EXPECT_FALSE(console.CurveDragging());
    EXPECT_EQ(console.cal.mem_image[32 + 10], 93);
    window->viewMenu()->findChild<QAction*>("tablecurves")->trigger();
    Drag(10, {5});
    EXPECT_EQ(console.cal.mem_image[32 + 10], 95);
    EXPECT_EQ(console.History().DoneSteps(), steps + 2);
}

TEST_F(CurveDragTest, OutsideEditModeTheCurvesCannotBeChanged) {
    EXPECT_EQ(Viewport(1)->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(Curves().view(1)->toolTip().contains("drag")) << Curves().view(1)->toolTip().toStdString();
    Drag(10, {6});
    Drag(3, {-6}, Qt::ShiftModifier);
    EXPECT_EQ(console.cal.mem_image, start);
    EnterEditMode();
    EXPECT_EQ(Viewport(1)->cursor().shape(), Qt::SizeVerCursor);
}

}  // namespace
}  // namespace orv::app::test
