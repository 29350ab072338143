#include "app/log_viewer/log_panel.h"

#include <QChart>
#include <QLegend>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/accessibility.h"
#include "app/log_viewer/log_viewer.h"
#include "core/log/log_view.h"
#include "app/log_viewer/viewer_channels.h"
#include "app/plots/plot_look.h"

namespace orv::app::viewer {

using namespace plots::colours;

namespace {

// Room beside each plot, the same on every panel so that their time scales
// line up: the value scale is written there by the panel itself (an axis's
// own labels would make each panel's room as wide as its widest label).
constexpr int kLeftRoom = 58, kRightRoom = 8, kTopRoom = 4, kBottomRoom = 2;
constexpr int kTimeRoomPx = 18;  // the bottom panel's time scale
// A press that moves less than this is a click, not a box.
constexpr int kLeastBoxPx = 5;
// One wheel step: a fifth of the span in or out; with Shift, a tenth across.
constexpr double kWheelZoom = 0.8, kWheelPan = 0.1;

const QColor kGapShade(150, 153, 158, 60);
const QColor kOverShade(240, 70, 60, 70);
const QColor kBoxShade(240, 176, 48, 50);

// The legend of a panel with two lines: a swatch and a name for each.
constexpr int kSwatch = 10, kSwatchGap = 4, kLegendPad = 5;
const QString kLineNames[2] = {QStringLiteral("Logged"), QStringLiteral("Recomputed")};

// The roundest tick interval that gives no more than `ticks` ticks over `span`.
double TickStep(double span, int ticks) {
    const double rough = span / std::max(1, ticks);
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= rough) return m * decade;
    return 10 * decade;
}

}  // namespace

void SetScale(QValueAxis* axis, double lo, double hi, double first, double step) {
    const bool finer = axis->tickType() == QValueAxis::TicksDynamic && step < axis->tickInterval();
    if (!finer) plots::FixedTicks(axis, first, step);
    axis->setRange(lo, hi);
    if (finer) plots::FixedTicks(axis, first, step);
}

void SetRoundScale(QValueAxis* axis, double lo, double hi, int max_ticks) {
    // The plots' round scale, worked out on an axis of no chart's.
    QValueAxis scale;
    plots::NiceScale(&scale, lo, hi, max_ticks);
    SetScale(axis, scale.min(), scale.max(), scale.tickAnchor(), scale.tickInterval());
}

LogPanel::LogPanel(LogViewer& viewer, int channel, QWidget* parent)
    : QChartView(new QChart, parent), viewer_(viewer), channel_(channel) {
    const ChannelLook& look = Look(channel);
    QChart* c = chart();
    plots::StyleChart(c, {});
    // A plot area set by hand keeps its background where the automatic
    // layout put it: the whole panel is the plot's colour instead.
    c->setPlotAreaBackgroundVisible(false);
    c->setBackgroundBrush(kPlot);
    c->setMargins(QMargins(kLeftRoom, kTopRoom, kRightRoom, kBottomRoom));
    x_ = plots::MakeAxis({}, "%.0f");
    x_->setLabelsVisible(false);
    y_ = plots::MakeAxis({}, "%.0f");
    y_->setLabelsVisible(false);
    c->addAxis(x_, Qt::AlignBottom);
    c->addAxis(y_, Qt::AlignLeft);
    y_->setRange(look.lo, look.hi);

    c->legend()->hide();
    connect(c, &QChart::plotAreaChanged, this, [this] { viewer_.PanelResized(); });

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
    SetRooms();
    setMinimumHeight(bottom ? 64 + kTimeRoomPx : 64);
}

void LogPanel::SetRooms() {
    // The time scale is written under the bottom panel alone; the legend
    // naming two lines above the plot, where it hides none of them.
    const QMargins rooms(kLeftRoom, kTopRoom + (shows_recomputed_ ? LegendHeight() : 0), kRightRoom,
                         bottom_ ? kTimeRoomPx : kBottomRoom);
    if (chart()->margins() != rooms) chart()->setMargins(rooms);
}

QFont LogPanel::SmallFont() const {
    QFont f = font();
    f.setPixelSize(10);
    return f;
}

int LogPanel::LegendHeight() const { return QFontMetrics(SmallFont()).height() + 4; }

QRectF LogPanel::LegendArea() const {
    if (!shows_recomputed_) return {};
    const QFontMetrics metrics(SmallFont());
    const int w = 2 * (kSwatch + kSwatchGap) + metrics.horizontalAdvance(kLineNames[0]) +
                  metrics.horizontalAdvance(kLineNames[1]) + 3 * kLegendPad;
    const QRectF area = chart()->plotArea();
    return QRectF(area.right() - w, area.top() - LegendHeight() - 1, w, LegendHeight());
}

QRectF LogPanel::TitleSpan() const {
    // The panel's whole height beside the plot ("Time (s)" is written right
    // of the name's column).
    return QRectF(chart()->plotArea().left() - kLeftRoom, 0, kLeftRoom, chart()->size().height());
}

void LogPanel::Draw(double t0, double t1, const std::vector<ColumnRange>& logged,
                    const std::vector<ColumnRange>* recomputed) {
    t0_ = t0;
    t1_ = t1 > t0 ? t1 : t0 + 1;
    const double width = (t1_ - t0_) / std::max<std::size_t>(1, logged.size());
    double lo = INFINITY, hi = -INFINITY;
    auto line = [&](const std::vector<ColumnRange>& columns, QPolygonF& out) {
        out.clear();
        out.reserve(static_cast<qsizetype>(2 * columns.size()));
        std::size_t last = columns.size();
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const ColumnRange& c = columns[k];
            if (!c.any) continue;
            // Where no row came for longer than a gap, the line stops: it
            // never draws values the controller did not send.
            if (last < k && static_cast<double>(k - last - 1) * width > kHitGapSeconds)
                out.append(QPointF(qQNaN(), qQNaN()));
            last = k;
            // A stroke from the least to the greatest value of the column:
            // every spike shows, and no column holds more than two points.
            const double x = t0_ + (static_cast<double>(k) + 0.5) * width;
            out.append(QPointF(x, c.min));
            if (c.max != c.min) out.append(QPointF(x, c.max));
            lo = std::min<double>(lo, c.min);
            hi = std::max<double>(hi, c.max);
        }
    };
    line(logged, lines_[0]);
    line(recomputed ? *recomputed : std::vector<ColumnRange>{}, lines_[1]);
    shows_recomputed_ = recomputed != nullptr;
    SetRooms();

    const double step = TickStep(t1_ - t0_, std::max(2, Columns() / 90));
    SetScale(x_, t0_, t1_, std::ceil(t0_ / step) * step, step);
    const ChannelLook& look = Look(channel_);
    if (!(lo <= hi)) lo = look.lo, hi = look.hi;
    const double margin = std::max((hi - lo) * 0.08, std::pow(10.0, -look.decimals));
    // The values fill the panel; the ticks fall on round values inside.
    lo -= margin, hi += margin;
    const double y_step = TickStep(hi - lo, std::clamp(height() / 24, 2, 6));
    SetScale(y_, lo, hi, std::ceil(lo / y_step) * y_step, y_step);
    viewport()->update();
}

void LogPanel::DrawLines(QPainter* painter, const QRectF& area) {
    const double lo = y_->min(), hi = y_->max();
    if (!(hi > lo)) return;
    // The lines are drawn by the panel, not as a chart's series: a chart
    // works out the outline of every line again at each change (for the
    // mouse to hit it), which costs more than the drawing itself.
    const QColor colours[2] = {Look(channel_).colour, RecomputedColour()};
    QPolygonF pixels;
    for (int i = 0; i < 2; ++i) {
        QPen pen(colours[i], 1);
        pen.setCosmetic(true);
        painter->setPen(pen);
        pixels.clear();
        pixels.reserve(lines_[i].size());
        // One stroke per stretch between gaps (a point of NaN marks one).
        for (qsizetype k = 0; k <= lines_[i].size(); ++k) {
            if (k == lines_[i].size() || qIsNaN(lines_[i][k].x())) {
                painter->drawPolyline(pixels);
                pixels.clear();
                continue;
            }
            pixels.append(QPointF(area.left() + (lines_[i][k].x() - t0_) / (t1_ - t0_) * area.width(),
                                  area.bottom() - (lines_[i][k].y() - lo) / (hi - lo) * area.height()));
        }
    }
}

void LogPanel::DrawLegend(QPainter* painter) {
    if (!shows_recomputed_) return;
    // The two lines named over the plot's top right corner.
    const QColor colours[2] = {Look(channel_).colour, RecomputedColour()};
    const QFont f = SmallFont();
    painter->setFont(f);
    const QFontMetrics metrics(f);
    const QRectF box = chart()->mapRectToScene(LegendArea());
    double x = box.left() + kLegendPad;
    for (int i = 0; i < 2; ++i) {
        painter->fillRect(QRectF(x, box.center().y() - kSwatch / 2.0, kSwatch, kSwatch), colours[i]);
        x += kSwatch + kSwatchGap;
        painter->setPen(kText);
        painter->drawText(QRectF(x, box.top(), metrics.horizontalAdvance(kLineNames[i]) + 1, box.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, kLineNames[i]);
        x += metrics.horizontalAdvance(kLineNames[i]) + kLegendPad;
    }
}

int LogPanel::Columns() const { return std::max(1, static_cast<int>(chart()->plotArea().width())); }

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

void LogPanel::DrawScale(QPainter* painter, const QRectF& area) {
    const ChannelLook& look = Look(channel_);
    const QFont f = SmallFont();
    painter->setFont(f);
    const QFontMetrics metrics(f);
    // The value at each tick, right-aligned against the plot.
    painter->setPen(kDim);
    const double lo = y_->min(), hi = y_->max(), step = y_->tickInterval();
    if (hi > lo && step > 0) {
        const int decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : 2;
        for (double v = y_->tickAnchor() + std::ceil((lo - y_->tickAnchor()) / step - 1e-9) * step; v <= hi + 1e-9;
             v += step) {
            const double y = area.bottom() - (v - lo) / (hi - lo) * area.height();
            const QString text = QString::number(std::abs(v) < step * 1e-6 ? 0.0 : v, 'f', decimals);
            const QRectF box(area.left() - 46, y - metrics.height() / 2.0, 42, metrics.height());
            if (box.top() >= area.top() - 6 && box.bottom() <= area.bottom() + 6)
                painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
        }
    }
    // The time under the bottom panel.
    const double t_step = x_->tickInterval();
    if (bottom_ && t_step > 0) {
        const int decimals = t_step >= 1 ? 0 : t_step >= 0.1 ? 1 : t_step >= 0.01 ? 2 : 3;
        for (double t = x_->tickAnchor(); t <= t1_ + 1e-9; t += t_step) {
            const double x = area.left() + (t - t0_) / (t1_ - t0_) * area.width();
            painter->drawText(QRectF(x - 40, area.bottom() + 3, 80, metrics.height()), Qt::AlignHCenter | Qt::AlignTop,
                              QString::number(t, 'f', decimals));
        }
        painter->drawText(QRectF(area.left() - 56, area.bottom() + 3, 50, metrics.height()),
                          Qt::AlignRight | Qt::AlignTop, QStringLiteral("Time (s)"));
    }
    // The channel's name along the left edge, over the plot and the room
    // above it.
    painter->setPen(kText);
    painter->save();
    const QRectF span = chart()->mapRectToScene(TitleSpan());
    painter->translate(area.left() - 50, span.center().y());
    painter->rotate(-90);
    const QString title = metrics.elidedText(QString::fromUtf8(look.title), Qt::ElideRight,
                                             static_cast<int>(std::max(20.0, span.height())));
    painter->drawText(QRectF(-span.height() / 2, -metrics.height(), span.height(), metrics.height()),
                      Qt::AlignCenter, title);
    painter->restore();
}

void LogPanel::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    const Overlays& o = viewer_.overlays();
    const QRectF area = chart()->mapRectToScene(chart()->plotArea());
    DrawScale(painter, area);
    DrawLegend(painter);
    painter->save();
    painter->setClipRect(area);
    DrawLines(painter, area);
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
