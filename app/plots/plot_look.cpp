#include "app/plots/plot_look.h"

#include <QChart>
#include <QChartView>
#include <QFont>
#include <QPen>
#include <QValueAxis>
#include <cmath>

namespace orv::app::plots {

using namespace colours;

namespace {
QFont SmallFont(int pixels, bool bold = false) {
    QFont f("Verdana");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}
}  // namespace

void StyleChart(QChart* chart, const QString& title) {
    chart->setTheme(QChart::ChartThemeDark);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->hide();
    chart->setBackgroundBrush(kPanel);
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundBrush(kPlot);
    chart->setPlotAreaBackgroundVisible(true);
    chart->setMargins(QMargins(2, 2, 4, 2));
    chart->setTitle(title);
    chart->setTitleFont(SmallFont(12, true));
    chart->setTitleBrush(kAmber);
}

QValueAxis* MakeAxis(const QString& title, const QString& label_format) {
    auto* axis = new QValueAxis;
    axis->setLabelFormat(label_format);
    axis->setLabelsFont(SmallFont(10));
    axis->setLabelsColor(kDim);
    axis->setGridLineColor(kGrid);
    axis->setMinorGridLineVisible(false);
    axis->setLinePenColor(kGrid);
    axis->setTitleText(title);
    axis->setTitleVisible(!title.isEmpty());
    axis->setTitleFont(SmallFont(10));
    axis->setTitleBrush(kText);
    return axis;
}

void NiceScale(QValueAxis* axis, double lo, double hi, int max_ticks, double headroom) {
    if (!(hi > lo)) hi = lo + 1;
    static constexpr double kSteps[] = {1, 2, 2.5, 5};
    // The least round step whose ticks, once the ends are rounded out to it,
    // are no more than max_ticks.
    double step = hi - lo, first = lo, last = hi;
    bool found = false;
    for (double decade = 1e-2; decade <= 1e4 && !found; decade *= 10)
        for (double m : kSteps) {
            const double s = m * decade;
            const double a = std::floor(lo / s + 1e-9) * s, b = std::ceil(hi / s - 1e-9) * s;
            if ((b - a) / s <= max_ticks - 1 + 1e-9) {
                step = s, first = a, last = b, found = true;
                break;
            }
        }
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(first);
    axis->setTickInterval(step);
    axis->setRange(first, last + headroom * step);
}

void FixedTicks(QValueAxis* axis, double first, double interval) {
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(first);
    axis->setTickInterval(interval);
}

void StyleView(QChartView* view) {
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::NoFrame);
    view->setBackgroundBrush(kPanel);
    view->setStyleSheet(QStringLiteral("QChartView { border: 1px solid #50555e; border-radius: 5px; }"));
}

void StyleWindow(QWidget* window) {
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, kPanel);
    pal.setColor(QPalette::WindowText, kText);
    pal.setColor(QPalette::Base, kPlot);
    pal.setColor(QPalette::Text, kText);
    window->setPalette(pal);
    window->setAutoFillBackground(true);
    window->setFont(SmallFont(11));
}

}  // namespace orv::app::plots
