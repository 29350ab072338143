#pragma once
// One panel of the log viewer: a channel over the viewer's time span, drawn
// from min/max per pixel column, with what every panel shows over it (the
// cursor, the markers, the gaps and where the recomputed duty is over its
// limit). The mouse and the keys on it go to the viewer's handlers.
#include <QChartView>
#include <vector>

#include "core/log/log_replay.h"
#include "core/log/log_view.h"

class QLineSeries;
class QValueAxis;

namespace orv::app::viewer {

class LogViewer;

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
    // The time axis; the bottom panel writes its labels, the top one the
    // markers' texts.
    void SetSpan(double t0, double t1);
    void SetPlace(bool top, bool bottom);
    // The logged line and, when `recomputed` is not null, the recomputed one
    // beside it with a legend naming both; columns without rows are skipped.
    void Draw(const std::vector<ColumnRange>& logged, const std::vector<ColumnRange>* recomputed);
    // Pixel columns of the plot: the most columns Draw is given.
    int Columns() const;
    // The time under a point of the widget, and where a time is on it.
    double TimeAt(QPointF at) const;
    QPoint PositionOf(double seconds) const;
    // Repaints what a cursor move changes: the strips under the old and new line.
    void CursorMoved(double from, double to);

    const QLineSeries* logged() const { return logged_; }
    const QLineSeries* recomputed() const { return recomputed_; }
    const QValueAxis* valueAxis() const { return y_; }
    bool bottom() const { return bottom_; }

   protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

   private:
    void PlaceArea();
    double XOf(double t) const;

    LogViewer& viewer_;
    int channel_;
    bool bottom_ = false;
    bool top_ = false;
    double t0_ = 0, t1_ = 1;
    QValueAxis* x_ = nullptr;
    QValueAxis* y_ = nullptr;
    QLineSeries* logged_ = nullptr;
    QLineSeries* recomputed_ = nullptr;
    // A box being drawn (from, to: widget x), or a drag panning from a time.
    bool boxing_ = false;
    double box_from_ = 0, box_to_ = 0;
    bool panning_ = false;
    double pan_anchor_ = 0;
};

}  // namespace orv::app::viewer
