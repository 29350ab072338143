#pragma once
// One panel of the log viewer: a channel over the viewer's time span, drawn
// from min/max per pixel column, with what every panel shows over it (the
// cursor, the markers, the gaps and where the recomputed duty is over its
// limit). The mouse and the keys on it go to the viewer's handlers.
#include <QChartView>
#include <QPolygonF>
#include <vector>

#include "core/log/log_replay.h"
#include "core/log/log_view.h"

class QValueAxis;

namespace orv::app::viewer {

class LogViewer;

// Sets an axis in a chart to [lo, hi] with ticks from `first` every `step`,
// in the order that never has it draw more ticks than the old or the new
// scale holds (an hour's range with a tick every tenth of a second would be
// tens of thousands of them); and to the plots' round scale that holds lo..hi.
void SetScale(QValueAxis* axis, double lo, double hi, double first, double step);
void SetRoundScale(QValueAxis* axis, double lo, double hi, int max_ticks);

// What every panel draws over its lines, kept by the viewer.
struct Overlays {
    bool cursor_shown = false;
    double cursor = 0;
    std::vector<LogMarker> markers;  // the log's markers and gaps
    std::vector<TimeSpan> gaps;      // the time each gap lost
    std::vector<TimeSpan> over;      // the recomputed duty over its limit
};

class LogPanel : public QChartView {
   public:
    LogPanel(LogViewer& viewer, int channel, QWidget* parent);

    int channel() const { return channel_; }
    // The bottom panel writes the time scale, the top one the markers' texts.
    void SetPlace(bool top, bool bottom);
    // The span [t0, t1] with the logged line and, when `recomputed` is not
    // null, the recomputed one beside it with a legend naming both; columns
    // without rows are skipped.
    void Draw(double t0, double t1, const std::vector<ColumnRange>& logged,
              const std::vector<ColumnRange>* recomputed);
    // Pixel columns of the plot: the most columns Draw is given.
    int Columns() const;
    // The time under a point of the widget, and where a time is on it.
    double TimeAt(QPointF at) const;
    QPoint PositionOf(double seconds) const;
    // Repaints what a cursor move changes: the strips under the old and new line.
    void CursorMoved(double from, double to);

    // The line drawn, in time and value: two points (least, greatest) per
    // pixel column at most, and a point of NaN where a gap breaks the line;
    // the recomputed one, and whether it is shown.
    const QPolygonF& logged() const { return lines_[0]; }
    const QPolygonF& recomputed() const { return lines_[1]; }
    bool showsRecomputed() const { return shows_recomputed_; }
    const QValueAxis* valueAxis() const { return y_; }
    // In the chart's own coordinates: the legend naming the two lines (empty
    // with one), and the room the channel's name is written in.
    QRectF LegendArea() const;
    QRectF TitleSpan() const;
    QFont SmallFont() const;
    bool bottom() const { return bottom_; }

   protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

   private:
    // The value scale and the channel's name, beside the plot.
    void DrawScale(QPainter* painter, const QRectF& area);
    void DrawLines(QPainter* painter, const QRectF& area);
    // The legend naming the lines when there are two.
    void DrawLegend(QPainter* painter);
    // The room around the plot for the scales and the legend.
    void SetRooms();
    int LegendHeight() const;
    double XOf(double t) const;

    LogViewer& viewer_;
    int channel_;
    bool bottom_ = false;
    bool top_ = false;
    double t0_ = 0, t1_ = 1;
    QValueAxis* x_ = nullptr;
    QValueAxis* y_ = nullptr;
    QPolygonF lines_[2];
    bool shows_recomputed_ = false;
    // A box being drawn (from, to: widget x), or a drag panning from a time.
    bool boxing_ = false;
    double box_from_ = 0, box_to_ = 0;
    bool panning_ = false;
    double pan_anchor_ = 0;
};

}  // namespace orv::app::viewer
