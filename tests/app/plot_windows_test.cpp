// The plot windows of the "View" menu: the table curves follow edits and the
// grids' cursors, the recording timeline shows the recording and seeks.
#include <QAction>
#include <QScreen>
#include <QChart>
#include <QGraphicsLineItem>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QScatterSeries>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QMenuBar>
#include <QTest>
#include <QValueAxis>

#include "app/binding.h"
#include "app/plots/plot_windows.h"
#include "app/plots/recording_timeline.h"
#include "app/plots/table_curves.h"
#include "core/common/numbers.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

using plots::RecordingTimelineWindow;
using plots::TableCurvesWindow;

class PlotWindowTest : public WindowTest {
   protected:
    // Opens a plot window the way the user does, from the "View" menu.
    void Open(const char* action) {
        QAction* a = window->viewMenu()->findChild<QAction*>(action);
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
    TableCurvesWindow& Curves() { return window->plotWindows().TableCurves(); }
    RecordingTimelineWindow& Timeline() { return window->plotWindows().Timeline(); }
    void ClickCell(int t, int row) {
        auto* grid = Widget<QTableWidget>("datatable(" + std::to_string(t) + ")");
        grid->scrollToItem(grid->item(row - 1, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid->visualItemRect(grid->item(row - 1, 1)).center());
    }
    static QPointF Mark(const TableCurvesWindow& w, int t) {
        EXPECT_EQ(w.mark(t)->count(), 1) << t;
        return w.mark(t)->count() ? w.mark(t)->at(0) : QPointF(-999, -999);
    }
};

TEST_F(PlotWindowTest, MenuBarHoldsFileEditAndViewWithThePlots) {
    QStringList titles;
    for (QAction* a : window->menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Help"}));
    QStringList views;
    for (QAction* a : window->viewMenu()->actions()) views << a->text();
    EXPECT_EQ(views, (QStringList{"&Table curves", "&Recording timeline", "&Log viewer"}));
    // The form's controls are all still there, and no new one among them.
    EXPECT_NE(window->Control("datatable(4)"), nullptr);
    EXPECT_EQ(window->Control("tablecurves"), nullptr);
}

// Mended: the timeline opened 960 x 760, taller than a 700-pixel screen.
TEST_F(PlotWindowTest, EveryPlotWindowOpensWithinTheScreen) {
    const QRect room = window->screen()->availableGeometry();
    for (const char* action : {"tablecurves", "rectimeline"}) {
        Open(action);
        QWidget* plot = action == std::string("tablecurves") ? static_cast<QWidget*>(&Curves()) : &Timeline();
        ASSERT_TRUE(plot->isVisible()) << action;
        QApplication::processEvents();
        const QRect at = plot->frameGeometry();
        EXPECT_TRUE(room.contains(at)) << action << " at " << at.x() << "," << at.y() << " " << at.width() << "x"
                                       << at.height() << " on " << room.width() << "x" << room.height();
        plot->close();
    }
}

TEST_F(PlotWindowTest, TableCurvesFollowEditsAndTheGridsCursor) {
    for (int k = 0; k < 31; ++k) console.cal.mem_image[k] = static_cast<std::uint8_t>(20 + k);
    console.RunEvent([&] { console.Load_Memory_Map(); });
    EnterEditMode();
    Open("tablecurves");
    TableCurvesWindow& w = Curves();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    const int entries[] = {31, 51, 21, 16, 16};
    for (int t = 0; t < 5; ++t) EXPECT_EQ(w.curve(t)->count(), entries[t]) << t;
    EXPECT_EQ(w.curve(0)->at(30), QPointF(15.0, 5.0));  // 15,000 rpm: byte 50, 5.0 ms
    EXPECT_EQ(Mark(w, 0), QPointF(0.0, 2.0));           // a refill leaves row 1 current

    // The cursor follows a click on the grid.
    ClickCell(0, 9);
    EXPECT_EQ(Mark(w, 0), QPointF(4.0, 2.8));
    ClickCell(1, 21);
    EXPECT_NEAR(Mark(w, 1).x(), 1.0, 1e-9);  // PRES row 21: 1.0 bar
    EXPECT_EQ(w.chart(1)->title(), "PRES   1.0 : -90");

    // A typed entry moves the marked point.
    auto* box = Widget<QLineEdit>("Text1(0)");
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClicks(box, "12.3");
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(console.cal.mem_image[8], 123);
    EXPECT_EQ(w.curve(0)->at(8), QPointF(4.0, 12.3));
    EXPECT_EQ(Mark(w, 0), QPointF(4.0, 12.3));
    EXPECT_EQ(w.chart(0)->title(), "RPM   4.0 : 12.3");

    // So does the bar.
    Widget<QScrollBar>("HScroll1(1)")->setValue(150);
    EXPECT_EQ(w.curve(1)->at(20).y(), 60);
    EXPECT_EQ(Mark(w, 1).y(), 60);

    // The ignition view: the same grids, the ignition set in degrees.
    console.cal.mem_image[309 + 2] = 75;
    Click("IgnMem");
    console.Timer1_Timer();  // the grids refill on the tick, row 1 current again
    EXPECT_EQ(w.curve(0)->at(2).y(), 30);
    EXPECT_EQ(Mark(w, 0), QPointF(0.0, -45));
}

// The log viewer's cursor: each grid colours the axis cell of its row and
// brings it into view, the curves mark its point, and the grids' own
// cursors stay where they were.
TEST_F(PlotWindowTest, TheLogCursorMarksGridRowsAndCurvePoints) {
    for (int k = 0; k < 31; ++k) console.cal.mem_image[k] = static_cast<std::uint8_t>(20 + k);
    console.RunEvent([&] { console.Load_Memory_Map(); });
    Open("tablecurves");
    TableCurvesWindow& w = Curves();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto grid = [&](int t) { return Widget<QTableWidget>("datatable(" + std::to_string(t) + ")"); };
    const int row_before = console.form.datatable[1].Row;

    window->ShowLogRows(std::array<int, 5>{9, 45, 1, 4, 16});
    const int rows[] = {9, 45, 1, 4, 16};
    for (int t = 0; t < 5; ++t) {
        const form::Grid& g = console.form.datatable[t];
        EXPECT_EQ(grid(t)->property(kGridLogRowProperty).toInt(), rows[t]) << t;
        EXPECT_FALSE(grid(t)->item(rows[t] - 1, 0)->toolTip().isEmpty()) << t;
        EXPECT_TRUE(rows[t] >= g.TopRow && rows[t] < g.TopRow + g.VisibleRows) << t;
        ASSERT_EQ(w.logMark(t)->count(), 1) << t;
    }
    EXPECT_EQ(w.logMark(0)->at(0), QPointF(4.0, 2.8));  // RPM row 9: 4,000 rpm, byte 28
    EXPECT_NEAR(w.logMark(1)->at(0).x(), 3.4, 1e-9);    // PRES row 45: 3.4 bar
    EXPECT_EQ(console.form.datatable[1].Row, row_before);

    // Gone with the viewer's log: no colour, no tooltip, no point.
    window->ShowLogRows(std::nullopt);
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(grid(t)->property(kGridLogRowProperty).toInt(), 0) << t;
        EXPECT_TRUE(grid(t)->item(rows[t] - 1, 0)->toolTip().isEmpty()) << t;
        EXPECT_EQ(w.logMark(t)->count(), 0) << t;
    }
}

// Mended: with no reading the grids framed a row and the curves marked its point ("RPM 0.0 : 2.0"),
// before the first block and after a lost link; and the curves' end points were drawn half cut.
TEST_F(PlotWindowTest, CurvesMarkNoPointWithoutAReadingAndShowTheirEndsWhole) {
    console.form.COM.SetListIndex(0);
    Open("tablecurves");
    TableCurvesWindow& w = Curves();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (const bool reading : {false, true, false, true}) {  // silent ticks till off line (the block after an ask
                                                            // makes the controller a slow one), or a block
        if (reading) port.Deliver({0x32, 0x1E, 0x14, 0x28, 0x50, 0x28, 0x2D, 0x4B, 0x78, 0x21});
        for (int i = 0; i < (reading ? 1 : 40); ++i) console.Timer1_Timer();
        window->Refresh();
        for (int t = 0; t < 5; ++t) {
            auto* grid = Widget<QTableWidget>("datatable(" + std::to_string(t) + ")");
            EXPECT_EQ(grid->currentRow() >= 0 || !grid->selectedItems().isEmpty(), reading) << t;
            EXPECT_EQ(w.mark(t)->count() == 1 && !w.chart(t)->title().endsWith("no reading"), reading) << t;
        }
    }
    w.resize(760, 400);
    QApplication::processEvents();
    for (int t = 0; t < 5; ++t) {
        auto* c = const_cast<QChart*>(w.chart(t));
        auto* curve = const_cast<QLineSeries*>(w.curve(t));
        const double r = w.mark(t)->markerSize() / 2;
        for (const QPointF end : {curve->points().front(), curve->points().back()})
            EXPECT_TRUE(c->plotArea().contains(QRectF(c->mapToPosition(end, curve), QSizeF()).adjusted(-r, -r, r, r)))
                << t << ": " << end.x();
    }
}

TEST_F(PlotWindowTest, TableCurvesRedrawOnlyWhatChangedAndNothingWhileClosed) {
    console.form.COM.SetListIndex(0);
    port.Deliver({0, 10, 0, 0, 0, 0x28, 0x2D, 0x4B, 0x78, 0x21});  // 0 rpm, 0 bar, 0 % and -20 degrees
    Open("tablecurves");
    TableCurvesWindow& w = Curves();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.redraws(), 5);
    // Outside edit mode the tick moves the cursors to the live operating
    // point: 0 bar is PRES row 11. Only that table is drawn again.
    console.Timer1_Timer();
    EXPECT_NEAR(Mark(w, 1).x(), 0.0, 1e-9);
    EXPECT_EQ(w.redraws(), 6);
    const int opened = w.redraws();
    console.Timer1_Timer();  // nothing changed
    EXPECT_EQ(w.redraws(), opened);
    console.RunEvent([&] { console.cal.mem_image[94 + 3] = 100; });  // grid 2 only
    EXPECT_EQ(w.redraws(), opened + 1);
    EXPECT_EQ(w.curve(2)->at(3).y(), 10);

    w.close();
    console.RunEvent([&] { console.cal.mem_image[94 + 3] = 120; });
    console.Timer1_Timer();
    EXPECT_EQ(w.redraws(), opened + 1);  // closed: not even looked at
    Open("tablecurves");
    EXPECT_EQ(&Curves(), &w);  // the same window again, brought up to date
    EXPECT_EQ(w.curve(2)->at(3).y(), 30);
}

class TimelineTest : public PlotWindowTest {
   protected:
    // A recording of 200 samples, as a loaded file leaves it: rpm rising by
    // 100 a sample, the other values fixed.
    void Record200() {
        for (int k = 0; k < 200; ++k) {
            const std::uint8_t s[9] = {static_cast<std::uint8_t>(k), 20, 50, 40, 100, 55, 60, 70, 125};
            std::copy(std::begin(s), std::end(s), console.rec.rec_buffer.begin() + 9 * k);
        }
        console.rec.rec_count = 200;
    }
};

TEST_F(TimelineTest, ShowsTheRecordingAndAClickSeeksAsTheSliderDoes) {
    Record200();
    Open("rectimeline");
    RecordingTimelineWindow& w = Timeline();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QLineSeries* rpm = w.series(Channel::Rpm);
    ASSERT_EQ(rpm->count(), 200);
    EXPECT_NEAR(rpm->at(42).x(), 4.2, 1e-9);
    EXPECT_NEAR(rpm->at(42).y(), 4.2, 1e-9);
    EXPECT_NEAR(w.series(Channel::Pressure)->at(7).y(), 1.0, 1e-9);
    EXPECT_EQ(w.series(Channel::Water)->at(7).y(), 80);
    EXPECT_EQ(w.series(Channel::Advance)->at(7).y(), 25);
    EXPECT_EQ(w.position(), 0);

    plots::TimelineView* panel = w.panel(2);
    QTest::mouseClick(panel->viewport(), Qt::LeftButton, Qt::NoModifier, panel->PositionOf(12.3));
    const int at = console.form.timesel.Value();
    EXPECT_NEAR(at, 123, 1);
    EXPECT_TRUE(console.rec.rec_review);
    EXPECT_EQ(console.rec.rec_index, at);
    EXPECT_EQ(Widget<QLineEdit>("chrono")->text().toStdString(), Format(at / 10.0, "#0.0"));
    EXPECT_EQ(Widget<QSlider>("timesel")->value(), at);
    EXPECT_EQ(Widget<QLineEdit>("rpm")->text().toStdString(), Format(at / 10.0, "#0.0"));  // the sample's rpm
    EXPECT_NEAR(w.position(), at / 10.0, 1e-9);

    // Play goes on from there; the position line follows the tick.
    Click("play");
    console.Timer1_Timer();
    console.Timer1_Timer();
    EXPECT_NEAR(w.position(), (at + 1) / 10.0, 1e-9);

    // Where the slider cannot be moved, neither can the timeline seek.
    Click("Stop");
    console.form.recorder.Enabled = false;
    QTest::mouseClick(panel->viewport(), Qt::LeftButton, Qt::NoModifier, panel->PositionOf(3));
    EXPECT_EQ(console.form.timesel.Value(), at + 1);
}

// Mended: the time scale was a fixed minute, mostly empty under a short recording; after a
// resize its grid kept the old size while the traces and the playback line took the new one.
TEST_F(TimelineTest, TheTimeScaleSpansTheRecordingAndMatchesTheTracesAfterAResize) {
    Record200();
    Open("rectimeline");
    RecordingTimelineWindow& w = Timeline();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    console.RunEvent([&] { console.form.timesel.UserMove(64); });
    w.resize(700, 640);
    QApplication::processEvents();
    QChart* chart = w.panel(5)->chart();
    const QRectF area = chart->mapRectToScene(chart->plotArea());
    double left = area.right(), right = area.left();  // of the time grid, each line as tall as the area
    for (QGraphicsItem* item : w.panel(5)->scene()->items()) {
        const auto* g = qgraphicsitem_cast<QGraphicsLineItem*>(item);
        const QLineF l = g && g->isVisible() ? g->sceneTransform().map(g->line()) : QLineF();
        if (std::abs(l.dx()) > 0.5 || std::abs(l.dy()) < 20) continue;  // not a tick, nor the value grid
        EXPECT_NEAR(std::abs(l.dy()), area.height(), 3);
        left = std::min(left, l.x1()), right = std::max(right, l.x1());
    }
    EXPECT_TRUE(std::abs(left - area.left()) < 1.5 && std::abs(right - area.right()) < 1.5) << left << ".." << right;
    auto* cursor = static_cast<QLineSeries*>(chart->series().back());  // at 6.4 s of the recording's 20
    EXPECT_NEAR(chart->mapToScene(chart->mapToPosition(cursor->at(0), cursor)).x(), left + (right - left) * 0.32, 1.5);
    const double ends[][3] = {{0, 60, 60}, {64, 6.4, 8}, {3, 1, 1}};  // samples: the scale's end, least and most
    for (const auto& k : ends) {
        console.RunEvent([&] { console.rec.rec_count = static_cast<int>(k[0]); });
        const auto* x = static_cast<const QValueAxis*>(chart->axes(Qt::Horizontal).front());
        EXPECT_TRUE(x->min() == 0 && x->max() > k[1] - 1e-9 && x->max() < k[2] + 1e-9) << k[0] << ": " << x->max();
    }
}

TEST_F(TimelineTest, FollowsACaptureAndRedrawsOnlyOnChange) {
    console.form.COM.SetListIndex(0);
    Open("rectimeline");
    RecordingTimelineWindow& w = Timeline();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.series(Channel::Rpm)->count(), 0);
    const int opened = w.redraws();
    console.Timer1_Timer();
    EXPECT_EQ(w.redraws(), opened);

    Click("record");
    for (std::uint8_t rpm : {30, 31, 32}) {
        port.Deliver({rpm, 0x1E, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
        console.Timer1_Timer();
    }
    EXPECT_EQ(w.series(Channel::Rpm)->count(), 3);
    EXPECT_NEAR(w.series(Channel::Rpm)->at(2).y(), 3.2, 1e-9);
    EXPECT_NEAR(w.series(Channel::Bank2)->at(2).y(), 4.5, 1e-9);
    // A seek during a capture is refused by the handler itself.
    QTest::mouseClick(w.panel(0)->viewport(), Qt::LeftButton, Qt::NoModifier, w.panel(0)->PositionOf(30));
    EXPECT_TRUE(console.rec.recording);
    EXPECT_EQ(console.rec.rec_index, 3);

    w.close();
    const int closed = w.redraws();
    port.Deliver({33, 0x1E, 0x00, 0x14, 0x46, 0x28, 0x2D, 0x4B, 0x78, 0x21});
    console.Timer1_Timer();
    EXPECT_EQ(w.redraws(), closed);
}

}  // namespace
}  // namespace orv::app::test
