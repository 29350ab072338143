#include "app/log_viewer/log_panel.h"

#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/accessibility.h"
#include "app/log_viewer/log_viewer.h"
#include "app/log_viewer/viewer_channels.h"
#include "app/plots/plot_look.h"

namespace orv::app::viewer {

using namespace plots::colours;

namespace {

// Room around each plot, the same on every panel so that their time scales
// line up; the bottom panel has the time written under it.
constexpr int kLeftRoom = 64, kRightRoom = 10, kTopRoom = 6, kBottomRoom = 6, kTimeRoom = 36;
// A press that moves less than this is a click, not a box.
constexpr int kLeastBoxPx = 5;
// One wheel step: a fifth of the span in or out; with Shift, a tenth across.
constexpr double kWheelZoom = 0.8, kWheelPan = 0.1;

const QColor kGapShade(150, 153, 158, 60);
const QColor kOverShade(240, 70, 60, 70);
const QColor kBoxShade(240, 176, 48, 50);

// The roundest tick interval that gives no more than `ticks` ticks over `span`.
double TickStep(double span, int ticks) {
    const double rough = span / std::max(1, ticks);
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= rough) return m * decade;
    return 10 * decade;
}

}  // namespace

LogPanel::LogPanel(LogViewer& viewer, int channel, QWidget* parent)
    : QChartView(new QChart, parent), viewer_(viewer), channel_(channel) {
    const ChannelLook& look = Look(channel);
    QChart* c = chart();
    plots::StyleChart(c, {});
    // A plot area set by hand keeps its background where the automatic
    // layout put it: the whole panel is the plot's colour instead.
    c->setPlotAreaBackgroundVisible(false);
    c->setBackgroundBrush(kPlot);
    x_ = plots::MakeAxis({}, "%.0f");
    x_->setLabelsVisible(false);
    y_ = plots::MakeAxis(QString::fromUtf8(look.title), look.decimals > 0 ? "%.1f" : "%.0f");
    c->addAxis(x_, Qt::AlignBottom);
    c->addAxis(y_, Qt::AlignLeft);
    logged_ = new QLineSeries;
    logged_->setName(QStringLiteral("Logged"));
    logged_->setPen(QPen(look.colour, 1.2));
    recomputed_ = new QLineSeries;
    recomputed_->setName(QStringLiteral("Recomputed"));
    recomputed_->setPen(QPen(RecomputedColour(), 1.2));
    for (QLineSeries* s : {logged_, recomputed_}) {
        c->addSeries(s);
        s->attachAxis(x_);
        s->attachAxis(y_);
    }
    recomputed_->hide();
    QLegend* legend = c->legend();
    legend->detachFromChart();
    legend->setAlignment(Qt::AlignTop);  // side by side
    legend->setLabelColor(kText);
    legend->setBackgroundVisible(true);
    legend->setBrush(QColor(18, 20, 23, 220));
    legend->setPen(QPen(kGrid));
    legend->hide();
    y_->setRange(look.lo, look.hi);

    plots::StyleView(this);
    setStyleSheet(QStringLiteral("QChartView { border: 1px solid #50555e; border-radius: 5px; }"
                                 "QChartView:focus { border: 1px solid %1; }")
                      .arg(kAmber.name()));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setObjectName(QStringLiteral("logpanel(%1)").arg(QLatin1String(look.key)));
    ExposeChart(this, QString::fromUtf8(look.name) + QStringLiteral(" over time"));
    setToolTip(QStringLiteral("%1 over the time shown. Move the mouse or press Left/Right to read every channel "
                              "there; wheel or + and - zoom, a box drawn with the mouse zooms to it, Shift with "
                              "the wheel or a drag pans, F or a double click shows the whole log")
                   .arg(QString::fromUtf8(look.name)));
    setMinimumHeight(64);
}

void LogPanel::SetPlace(bool top, bool bottom) {
    top_ = top;
    if (bottom == bottom_) return;
    bottom_ = bottom;
    x_->setLabelsVisible(bottom);
    x_->setTitleText(bottom ? QStringLiteral("Time (s)") : QString());
    x_->setTitleVisible(bottom);
    setMinimumHeight(bottom ? 64 + kTimeRoom : 64);
    PlaceArea();
}

void LogPanel::SetSpan(double t0, double t1) {
    t0_ = t0;
    t1_ = t1 > t0 ? t1 : t0 + 1;
    const double span = t1_ - t0_;
    const double step = TickStep(span, std::max(2, Columns() / 90));
    x_->setLabelFormat(step >= 1 ? "%.0f" : step >= 0.1 ? "%.1f" : step >= 0.01 ? "%.2f" : "%.3f");
    x_->setRange(t0_, t1_);
    plots::FixedTicks(x_, std::ceil(t0_ / step) * step, step);
}

void LogPanel::Draw(const std::vector<ColumnRange>& logged, const std::vector<ColumnRange>* recomputed) {
    const double width = (t1_ - t0_) / std::max<std::size_t>(1, logged.size());
    double lo = INFINITY, hi = -INFINITY;
    auto points = [&](const std::vector<ColumnRange>& columns) {
        QList<QPointF> out;
        out.reserve(static_cast<qsizetype>(2 * columns.size()));
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const ColumnRange& c = columns[k];
            if (!c.any) continue;
            // A stroke from the least to the greatest value of the column:
            // every spike shows, and no column holds more than two points.
            const double x = t0_ + (static_cast<double>(k) + 0.5) * width;
            out.append(QPointF(x, c.min));
            if (c.max != c.min) out.append(QPointF(x, c.max));
            lo = std::min<double>(lo, c.min);
            hi = std::max<double>(hi, c.max);
        }
        return out;
    };
    logged_->replace(points(logged));
    if (recomputed) recomputed_->replace(points(*recomputed));
    recomputed_->setVisible(recomputed != nullptr);
    chart()->legend()->setVisible(recomputed != nullptr);
    if (recomputed) {
        for (QLegendMarker* m : chart()->legend()->markers()) m->setLabelBrush(kText);
    }
    const ChannelLook& look = Look(channel_);
    if (!(lo <= hi)) lo = look.lo, hi = look.hi;
    const double margin = std::max((hi - lo) * 0.08, std::pow(10.0, -look.decimals));
    plots::NiceScale(y_, lo - margin, hi + margin, std::clamp(height() / 28, 2, 6));
}

int LogPanel::Columns() const { return std::max(1, static_cast<int>(chart()->plotArea().width())); }

void LogPanel::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    PlaceArea();
    viewer_.PanelResized();
}

void LogPanel::PlaceArea() {
    const int below = bottom_ ? kTimeRoom : kBottomRoom;
    const QRectF area(kLeftRoom, kTopRoom, std::max(10, width() - kLeftRoom - kRightRoom),
                      std::max(10, height() - kTopRoom - below));
    chart()->setPlotArea(area);
    chart()->legend()->setGeometry(QRectF(area.right() - 184, area.top() + 2, 180, 24));
}

double LogPanel::XOf(double t) const {
    const QRectF area = chart()->plotArea();
    return area.left() + (t - t0_) / (t1_ - t0_) * area.width();
}

double LogPanel::TimeAt(QPointF at) const {
    const QRectF area = chart()->plotArea();
    const QPointF in_chart = chart()->mapFromScene(mapToScene(at.toPoint()));
    return t0_ + (in_chart.x() - area.left()) / area.width() * (t1_ - t0_);
}

QPoint LogPanel::PositionOf(double seconds) const {
    const QPointF in_chart(XOf(seconds), chart()->plotArea().center().y());
    return mapFromScene(chart()->mapToScene(in_chart));
}

void LogPanel::CursorMoved(double from, double to) {
    const QRectF area = chart()->plotArea();
    for (double t : {from, to}) {
        const QPoint at = mapFromScene(chart()->mapToScene(QPointF(XOf(t), area.top())));
        viewport()->update(QRect(at.x() - 2, 0, 5, viewport()->height()));
    }
}

void LogPanel::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const bool pan = event->button() == Qt::MiddleButton || event->button() == Qt::RightButton ||
                     (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    if (pan) {
        panning_ = true;
        pan_anchor_ = TimeAt(event->position());
    } else if (event->button() == Qt::LeftButton) {
        boxing_ = true;
        box_from_ = box_to_ = event->position().x();
        viewer_.SetCursorTime(TimeAt(event->position()));
    }
    event->accept();
}

void LogPanel::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        // The time taken hold of stays under the mouse.
        viewer_.Pan(pan_anchor_ - TimeAt(event->position()));
    } else {
        if (boxing_) {
            box_to_ = event->position().x();
            viewport()->update();
        }
        viewer_.SetCursorTime(TimeAt(event->position()));
    }
    event->accept();
}

void LogPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (boxing_) {
        boxing_ = false;
        viewport()->update();
        box_to_ = event->position().x();
        if (std::abs(box_to_ - box_from_) >= kLeastBoxPx)
            viewer_.ZoomTo(TimeAt(QPointF(box_from_, 0)), TimeAt(QPointF(box_to_, 0)));
    }
    panning_ = false;
    event->accept();
}

void LogPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    viewer_.Fit();
    event->accept();
}

void LogPanel::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    // A wheel turned with Shift, or one that turns sideways, pans.
    const bool across = (event->modifiers() & Qt::ShiftModifier) || (delta.y() == 0 && delta.x() != 0);
    const double steps = (delta.y() != 0 ? delta.y() : delta.x()) / 120.0;
    if (across) viewer_.Pan(-steps * kWheelPan * (t1_ - t0_));
    else viewer_.ZoomBy(std::pow(kWheelZoom, steps), TimeAt(event->position()));
    event->accept();
}

void LogPanel::keyPressEvent(QKeyEvent* event) {
    if (viewer_.Key(event->key(), event->modifiers())) event->accept();
    else QChartView::keyPressEvent(event);
}

void LogPanel::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    const Overlays& o = viewer_.overlays();
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    painter->save();
    painter->setClipRect(area);
    auto band = [&](double from, double to, const QColor& colour) {
        const double a = area.left() + (from - t0_) / (t1_ - t0_) * area.width();
        const double b = area.left() + (to - t0_) / (t1_ - t0_) * area.width();
        if (b < area.left() || a > area.right()) return;
        painter->fillRect(QRectF(a, area.top(), std::max(1.0, b - a), area.height()), colour);
    };
    for (const TimeSpan& g : o.gaps) band(g.start, g.end, kGapShade);
    for (const TimeSpan& s : o.over) band(s.start, s.end, kOverShade);
    const double sx = area.left() - chart()->plotArea().left();
    for (const LogMarker& m : o.markers) {
        if (m.gap || m.time < t0_ || m.time > t1_) continue;
        const double x = sx + XOf(m.time);
        painter->setPen(QPen(kAmber, 1, Qt::DashLine));
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        if (top_) {
            painter->setPen(kAmber);
            painter->drawText(QPointF(x + 3, area.top() + 11), QString::fromStdString(m.text));
        }
    }
    if (boxing_ && std::abs(box_to_ - box_from_) >= kLeastBoxPx) {
        const double a = mapToScene(QPoint(static_cast<int>(std::min(box_from_, box_to_)), 0)).x();
        const double b = mapToScene(QPoint(static_cast<int>(std::max(box_from_, box_to_)), 0)).x();
        painter->fillRect(QRectF(a, area.top(), b - a, area.height()), kBoxShade);
    }
    if (o.cursor_shown && o.cursor >= t0_ && o.cursor <= t1_) {
        const double x = sx + XOf(o.cursor);
        painter->setPen(QPen(kCursor, 1));
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    painter->restore();
}

}  // namespace orv::app::viewer
