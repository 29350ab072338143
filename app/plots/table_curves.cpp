#include "app/plots/table_curves.h"

#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QMouseEvent>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include "app/accessibility.h"
#include "app/accessible_names.h"
#include "app/plots/plot_look.h"
#include "core/calibration/curve_drag.h"
#include "core/calibration/table_curve.h"
#include "core/page/main_page.h"

namespace orv::app::plots {

using namespace colours;

namespace {
// The least vertical span of each table's plot, so that a flat table does not
// fill the plot with rounding noise: ms for grid 0, percent or degrees else.
double MinSpan(TableView v, int t) { return v == TableView::Fuel && t == 0 ? 4.0 : 20.0; }
// Axis ticks at round values of each axis.
constexpr double kAxisTick[kTableCount] = {2.5, 0.5, 20, 30, 30};
// The room beyond either end of a curve's axes, as a share of their spans.
constexpr double kEndRoom = 0.06;
}  // namespace

TableCurvesWindow::TableCurvesWindow(Main_Page& console, QWidget* parent) : QWidget(parent, Qt::Window), console_(console) {
    setObjectName("TableCurves");
    setWindowTitle(QStringLiteral("Table curves"));
    ExposeWindow(this);
    StyleWindow(this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(6);
    for (int t = 0; t < kTableCount; ++t) {
        Plot& p = plots_[t];
        p.chart = new QChart;
        StyleChart(p.chart, QString::fromLatin1(kAxes[t].name));
        p.x = MakeAxis({}, t <= 1 ? "%.1f" : "%.0f");
        FixedTicks(p.x, kAxes[t].start, kAxisTick[t]);
        p.y = MakeAxis({}, "%.1f");
        p.chart->addAxis(p.x, Qt::AlignBottom);
        p.chart->addAxis(p.y, Qt::AlignLeft);

        p.curve = new QLineSeries;
        p.curve->setPen(QPen(kAmber, 2));
        p.points = new QScatterSeries;
        p.points->setMarkerSize(5);
        p.points->setColor(kAmber);
        p.points->setBorderColor(kAmber);
        p.mark = new QScatterSeries;
        p.mark->setMarkerSize(11);
        p.mark->setColor(kCursor);
        p.mark->setBorderColor(kText);
        p.log_mark = new QScatterSeries;
        p.log_mark->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        p.log_mark->setMarkerSize(11);
        p.log_mark->setColor(kLogCursor);
        p.log_mark->setBorderColor(kText);
        for (QXYSeries* s : {static_cast<QXYSeries*>(p.curve), static_cast<QXYSeries*>(p.points),
                             static_cast<QXYSeries*>(p.mark), static_cast<QXYSeries*>(p.log_mark)}) {
            p.chart->addSeries(s);
            s->attachAxis(p.x);
            s->attachAxis(p.y);
        }

        auto* view = new QChartView(p.chart, this);
        p.view = view;
        view->setObjectName(QStringLiteral("curve(%1)").arg(t));
        ExposeChart(view, QString::fromStdString(CurveName(t)));
        view->setToolTip(QString::fromStdString(ToolTip("tablecurve")));
        view->viewport()->installEventFilter(this);
        StyleView(view);
        view->setMinimumSize(240, 180);  // three across and two down fit a 1024 x 700 screen
        // Engine speed and pressure, the long tables, across the top.
        if (t < 2)
            grid->addWidget(view, 0, t * 3, 1, 3);
        else
            grid->addWidget(view, 1, (t - 2) * 2, 1, 2);
    }
    resize(980, 560);
}

void TableCurvesWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!listener_) listener_ = console_.AddListener([this] { Follow(); });
    Follow();
}

void TableCurvesWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Release();
    // Closed, the window costs the console nothing.
    listener_.Reset();
}

void TableCurvesWindow::SetLogRows(const std::optional<std::array<int, kTableCount>>& rows) {
    log_rows_ = rows;
    if (isVisible()) Follow();
}

void TableCurvesWindow::Follow() {
    ShowEditable();
    const form::Form& f = console_.form;
    const Image& image = console_.cal.mem_image;
    // The view the grids are coded in, as the option buttons say.
    const TableView view = ViewOf(f.IgnMem.Value(), f.bank1mem.Value());
    for (int t = 0; t < kTableCount; ++t) {
        const form::Grid& g = f.datatable[t];
        const std::span<const std::uint8_t> bytes = ViewedTableBytes(image, t);
        const Plot& p = plots_[t];
        const int log_row = log_rows_ ? (*log_rows_)[t] : 0;
        if (p.drawn.view == view && p.drawn.address == MemAddr(image, t) && p.drawn.row == g.Row &&
            p.drawn.no_reading == g.NoReading && p.drawn.log_row == log_row && p.drawn.revision == g.Revision() &&
            std::equal(bytes.begin(), bytes.end(), p.drawn.bytes.begin(), p.drawn.bytes.end()))
            continue;
        Draw(t, Key{view, MemAddr(image, t), {bytes.begin(), bytes.end()}, g.Row, g.NoReading, log_row, g.Revision()});
    }
}

void TableCurvesWindow::Draw(int t, const Key& key) {
    Plot& p = plots_[t];
    const TableCurve c = CurveOf(console_.cal.mem_image, key.view, t);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(c.points.size()));
    for (const CurvePoint& q : c.points) points.append(QPointF(q.x, q.y));
    p.curve->replace(points);
    p.points->replace(points);
    const int k = key.no_reading ? -1 : CurvePointOfRow(t, key.row);
    QString title = QString::fromLatin1(kAxes[t].name);
    if (key.no_reading) title += QStringLiteral("   no reading");
    if (k >= 0) {
        p.mark->replace(QList<QPointF>{points[k]});
        // The marked entry as the grid's two columns show it.
        title += QStringLiteral("   %1 : %2")
                     .arg(QString::fromStdString(AxisText(t, k)),
                          QString::fromStdString(CellText(key.view, t, key.bytes[static_cast<std::size_t>(k)])));
    } else {
        p.mark->clear();
    }
    if (const int l = CurvePointOfRow(t, key.log_row); key.log_row >= 1 && l >= 0)
        p.log_mark->replace(QList<QPointF>{points[l]});
    else
        p.log_mark->clear();
    p.chart->setTitle(title);

    // Room beyond the first and last entries: their marks are drawn whole.
    const double pad = (c.x_range.hi - c.x_range.lo) * kEndRoom;
    p.x->setRange(c.x_range.lo - pad, c.x_range.hi + pad);
    p.x->setTitleText(QString::fromUtf8(c.axis_title));
    p.x->setTitleVisible(true);
    // Under a drag the axis holds still, so that the pointer's travel keeps
    // meaning the same values; the release scales it anew.
    const ValueRange shown = ShownRange(c, MinSpan(key.view, t));
    if (t != drag_t_) {
        NiceScale(p.y, shown.lo, shown.hi, 6);
        // A curve at either end of what the table holds has room too.
        const double room = (p.y->max() - p.y->min()) * kEndRoom;
        p.y->setRange(p.y->min() - room, p.y->max() + room);
    }
    p.y->setLabelFormat(key.view == TableView::Fuel && t == 0 ? "%.1f" : "%.0f");
    p.y->setTitleText(QString::fromUtf8(c.value_title));
    p.y->setTitleVisible(true);
    p.drawn = key;
    ++redraws_;
}

QPointF TableCurvesWindow::ValueAt(int t, QPointF at) const {
    const Plot& p = plots_[t];
    return p.chart->mapToValue(p.chart->mapFromScene(p.view->mapToScene(at.toPoint())), p.curve);
}

bool TableCurvesWindow::OverPlot(int t, QPointF at) const {
    const Plot& p = plots_[t];
    // A few pixels of slack round the plot: the end points sit on its edge.
    return p.chart->plotArea().adjusted(-6, -6, 6, 6).contains(p.chart->mapFromScene(p.view->mapToScene(at.toPoint())));
}

bool TableCurvesWindow::eventFilter(QObject* watched, QEvent* event) {
    int t = 0;
    while (t < kTableCount && !(plots_[t].view && watched == plots_[t].view->viewport())) ++t;
    if (t == kTableCount) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* m = static_cast<QMouseEvent*>(event);
            if (m->button() != Qt::LeftButton) return false;
            return Press(t, m->position(), m->modifiers().testFlag(Qt::ShiftModifier));
        }
        case QEvent::MouseMove:
            if (t != drag_t_) return false;
            console_.CurveDragMove(ValueAt(t, static_cast<QMouseEvent*>(event)->position()).y() - press_value_);
            return true;
        case QEvent::MouseButtonRelease:
            if (t != drag_t_ || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
            Release();
            return true;
        default: return false;
    }
}

bool TableCurvesWindow::Press(int t, QPointF at, bool together) {
    // Outside edit mode the curves are only looked at: the press does nothing.
    if (!console_.form.edit.Value() || !OverPlot(t, at)) return false;
    const QPointF value = ValueAt(t, at);
    Release();
    // The axis holds from the press on: the press itself moves the grid's row.
    drag_t_ = t;
    press_value_ = value.y();
    if (console_.CurveDragBegin(t, NearestEntry(t, value.x()), together)) return true;
    drag_t_ = -1;
    return false;
}

void TableCurvesWindow::Release() {
    if (drag_t_ < 0) return;
    const int t = drag_t_;
    drag_t_ = -1;
    console_.CurveDragEnd();
    // The axis the drag held is scaled to the curve again.
    plots_[t].drawn = Key{};
    if (isVisible()) Follow();
}

void TableCurvesWindow::ShowEditable() {
    const bool editable = console_.form.edit.Value();
    if (editable_ == editable) return;
    editable_ = editable;
    for (Plot& p : plots_) p.view->viewport()->setCursor(editable ? Qt::SizeVerCursor : Qt::ArrowCursor);
}

}  // namespace orv::app::plots
