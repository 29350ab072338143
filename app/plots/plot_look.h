#pragma once
// The plots' instrument look: the main window's dark panel and amber, with
// one colour per quantity, shared by the table curves and the timeline.
#include <QColor>
#include <QString>

class QChart;
class QChartView;
class QValueAxis;
class QWidget;

namespace orv::app::plots {

namespace colours {
inline const QColor kPanel(38, 41, 46);
inline const QColor kPlot(18, 20, 23);
inline const QColor kGrid(52, 56, 63);
inline const QColor kText(228, 228, 224);
inline const QColor kDim(150, 153, 158);
inline const QColor kAmber(240, 176, 48);
inline const QColor kCursor(255, 96, 64);
// The log viewer's cursor where the main window shows it (grids, curves).
inline const QColor kLogCursor(178, 136, 255);
inline const QColor kLogCursorBack(84, 52, 150);
}  // namespace colours

// A chart on the dark panel: no legend, no animation, tight margins.
void StyleChart(QChart* chart, const QString& title);
// A value axis in the panel's colours; `title` empty hides the title.
QValueAxis* MakeAxis(const QString& title, const QString& label_format);
// Sets the axis to a range with round ticks that holds lo..hi, with at most
// `max_ticks` ticks, and `headroom` steps of room above the top tick (for
// its label, where the plot area is set by hand); FixedTicks: ticks from
// `first` every `interval`.
void NiceScale(QValueAxis* axis, double lo, double hi, int max_ticks, double headroom = 0);
void FixedTicks(QValueAxis* axis, double first, double interval);
// A view that paints the chart antialiased, framed like the main window's
// group boxes.
void StyleView(QChartView* view);
// The window's own palette and font, as the main window has them.
void StyleWindow(QWidget* window);

}  // namespace orv::app::plots
