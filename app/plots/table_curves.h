#pragma once
// "Table curves": each grid's viewed table drawn against its axis, in a
// window of its own. The curve follows the image as it is edited, and the
// point of the grid's current row is marked. It listens to the console only
// while it is shown, and redraws a table only when that table changed.
//
// In edit mode a point can be dragged up or down: the window only passes the
// press, the pointer's travel and the release to the console, which moves
// the rows (Main_Page::CurveDragBegin). Shift-drag moves the grid's selected
// range with the point; the vertical axis stays put until the release.
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/calibration/table_coding.h"
#include "core/calibration/image.h"
#include "core/shell/subscription.h"

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace orv {
class Main_Page;
}

namespace orv::app::plots {

class TableCurvesWindow : public QWidget {
   public:
    explicit TableCurvesWindow(Main_Page& console, QWidget* parent = nullptr);

    // What is drawn, for tests: grid t's curve and its marked point (none
    // when the grid's row is no entry, or stands for a live operating point
    // while there is no reading).
    const QLineSeries* curve(int t) const { return plots_[t].curve; }
    const QScatterSeries* mark(int t) const { return plots_[t].mark; }
    const QChart* chart(int t) const { return plots_[t].chart; }
    QChartView* view(int t) const { return plots_[t].view; }
    // The log viewer's cursor: a point of its own on each curve (none for
    // nullopt or a row that is no entry).
    void SetLogRows(const std::optional<std::array<int, kTableCount>>& rows);
    const QScatterSeries* logMark(int t) const { return plots_[t].log_mark; }
    // How many times a table has been redrawn since the window was made.
    int redraws() const { return redraws_; }

   protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    // What a table's drawing was made from; equal keys, nothing to draw.
    struct Key {
        TableView view = TableView::Fuel;
        int address = -1;
        std::vector<std::uint8_t> bytes;
        int row = -1;
        bool no_reading = false;  // the row stands for an operating point there is not
        int log_row = 0;
        unsigned long revision = 0;
        bool operator==(const Key&) const = default;
    };
    struct Plot {
        QChart* chart = nullptr;
        QLineSeries* curve = nullptr;
        QScatterSeries* points = nullptr;
        QScatterSeries* mark = nullptr;
        QScatterSeries* log_mark = nullptr;
        QValueAxis* x = nullptr;
        QValueAxis* y = nullptr;
        QChartView* view = nullptr;
        Key drawn;
    };
    void Follow();
    void Draw(int t, const Key& key);
    // The table's value under a point of the chart view's viewport, and
    // whether that point lies over the plot.
    QPointF ValueAt(int t, QPointF at) const;
    bool OverPlot(int t, QPointF at) const;
    bool Press(int t, QPointF at, bool together);
    void Release();
    // The pointer's shape says whether the curves can be dragged.
    void ShowEditable();

    Main_Page& console_;
    std::array<Plot, kTableCount> plots_;
    Subscription listener_;  // while shown
    std::optional<std::array<int, kTableCount>> log_rows_;
    int redraws_ = 0;
    int drag_t_ = -1;        // the plot a drag holds, if any
    double press_value_ = 0;  // the value under the pointer at the press
    std::optional<bool> editable_;
};

}  // namespace orv::app::plots
