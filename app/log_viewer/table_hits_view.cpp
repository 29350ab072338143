#include "app/log_viewer/table_hits_view.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/accessibility.h"
#include "app/log_viewer/log_panel.h"
#include "app/plots/plot_look.h"
#include "core/calibration/table_coding.h"

namespace orv::app::viewer {

using namespace plots::colours;

namespace {

constexpr const char* kTableNames[kTableCount] = {"Engine speed", "Pressure", "Throttle", "Air temperature",
                                                  "Water temperature"};

constexpr int kRowTextRoom = 34;  // left of the bars: the rows' axis values

// A table's chart, which writes each row's axis value and each bar's time
// beside it (a crowded axis of the chart's own would write "..." instead).
class HitsChart : public QChartView {
   public:
    HitsChart(QChart* chart, QWidget* parent) : QChartView(chart, parent) {}
    QBarSet* set = nullptr;
    QHorizontalBarSeries* series = nullptr;
    QStringList rows;

   protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override {
        QChartView::drawForeground(painter, rect);
        if (!set) return;
        const QRectF area = chart()->mapRectToScene(chart()->plotArea());
        QFont f = font();
        f.setPixelSize(9);
        painter->setFont(f);
        const QFontMetrics metrics(f);
        // Every row's value where there is room, else every second or third.
        const double pitch = rows.isEmpty() ? 0 : area.height() / rows.size();
        const int every = pitch > 0 ? static_cast<int>(std::ceil(metrics.height() / pitch)) : 1;
        painter->setPen(kDim);
        for (int k = 0; k < rows.size(); k += every) {
            const QPointF at = chart()->mapToScene(chart()->mapToPosition(QPointF(0, k), series));
            painter->drawText(QRectF(area.left() - kRowTextRoom, at.y() - metrics.height() / 2.0, kRowTextRoom - 4,
                                     metrics.height()),
                              Qt::AlignRight | Qt::AlignVCenter, rows[k]);
        }
        painter->setPen(kText);
        for (int k = 0; k < set->count(); ++k) {
            const QString text = TableHitsView::SecondsText(set->at(k));
            if (text.isEmpty()) continue;
            const QPointF end = chart()->mapToScene(chart()->mapToPosition(QPointF(set->at(k), k), series));
            // Beside the bar's end, or inside it where the plot ends first.
            const int w = metrics.horizontalAdvance(text);
            double x = end.x() + 3;
            if (x + w > area.right()) x = std::max(area.left() + 2, end.x() - w - 3);
            painter->drawText(QPointF(x, end.y() + metrics.ascent() / 2.0 - 1), text);
        }
    }
};

}  // namespace

QString TableHitsView::SecondsText(double seconds) {
    if (!(seconds >= 0.05)) return {};
    return QString::number(seconds, 'f', seconds < 100 ? 1 : 0) + QStringLiteral(" s");
}

TableHitsView::TableHitsView(QWidget* parent) : QWidget(parent) {
    setObjectName("TableHits");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(3);
    for (int t = 0; t < kTableCount; ++t) {
        auto* chart = new QChart;
        plots::StyleChart(chart, QString::fromLatin1(kAxes[t].name));
        auto* series = new QHorizontalBarSeries;
        series->setBarWidth(0.8);
        auto* set = new QBarSet(QStringLiteral("Seconds"));
        set->setColor(QColor(86, 182, 230));
        set->setBorderColor(QColor(86, 182, 230));
        set->setSelectedColor(kCursor);
        series->append(set);
        chart->addSeries(series);
        auto* rows = new QBarCategoryAxis;
        rows->setReverse(true);  // the first row on top, as in the grid
        rows->setLabelsVisible(false);
        rows->setGridLineVisible(false);
        rows->setLinePenColor(kGrid);
        chart->setMargins(QMargins(kRowTextRoom, 2, 8, 2));
        auto* seconds = plots::MakeAxis({}, "%.0f");
        seconds->setLabelsVisible(false);  // each bar has its time written beside it
        chart->addAxis(rows, Qt::AlignLeft);
        chart->addAxis(seconds, Qt::AlignBottom);
        series->attachAxis(rows);
        series->attachAxis(seconds);
        seconds->setRange(0, 1);
        auto* view = new HitsChart(chart, this);
        view->set = set;
        view->series = series;
        plots::StyleView(view);
        view->setObjectName(QStringLiteral("tablehits(%1)").arg(t));
        const QString name = QString::fromLatin1(kTableNames[t]) + QStringLiteral(" table: time on each row");
        ExposeChart(view, name);
        view->setToolTip(name + QStringLiteral(", in seconds over the span shown; the rows at the cursor in red"));
        view->setMinimumWidth(76);
        row->addWidget(view, 1);
        views_[t] = view;
        sets_[t] = set;
    }
}

void TableHitsView::Show(const TableHits& hits) {
    for (int t = 0; t < kTableCount; ++t) {
        const std::vector<double>& h = hits[t];
        QChart* chart = views_[t]->chart();
        auto* rows = static_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).first());
        if (rows_[t] != static_cast<int>(h.size())) {
            rows_[t] = static_cast<int>(h.size());
            QStringList names;
            for (int k = 0; k < rows_[t]; ++k) names << QString::fromStdString(AxisText(t, k));
            rows->setCategories(names);
            static_cast<HitsChart*>(views_[t])->rows = names;
        }
        QList<qreal> values;
        values.reserve(static_cast<qsizetype>(h.size()));
        double most = 0;
        for (double s : h) {
            values.append(s);
            most = std::max(most, s);
        }
        QBarSet* set = sets_[t];
        set->remove(0, set->count());
        set->append(values);
        // Room beside the longest bar for its time.
        SetRoundScale(static_cast<QValueAxis*>(chart->axes(Qt::Horizontal).first()), 0, std::max(1.0, most * 1.3), 3);
    }
}

void TableHitsView::Mark(const std::optional<std::array<int, kTableCount>>& rows) {
    for (int t = 0; t < kTableCount; ++t) {
        QBarSet* set = sets_[t];
        set->deselectAllBars();
        if (rows && (*rows)[t] >= 1 && (*rows)[t] <= set->count()) set->selectBar((*rows)[t] - 1);
    }
}

}  // namespace orv::app::viewer
