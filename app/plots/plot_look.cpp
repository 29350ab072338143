#include "app/plots/plot_look.h"

#include <QChart>
#include <QChartView>
#include <QFont>
#include <QPen>
#include <QValueAxis>

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
