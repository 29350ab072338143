#include "app/plots/plot_windows.h"

#include <QAction>
#include <QMenu>

#include "app/binding.h"
#include "app/plots/recording_timeline.h"
#include "app/plots/table_curves.h"

namespace orv::app::plots {

namespace {
void Present(QWidget& w) {
    w.show();
    w.raise();
    w.activateWindow();
}
}  // namespace

PlotWindows::PlotWindows(Main_Page& console, Binding& binding, QWidget* parent)
    : console_(console), binding_(binding), parent_(parent) {}

PlotWindows::~PlotWindows() {
    // Before the binding they act through and the console they listen to.
    delete table_curves_.data();
    delete timeline_.data();
}

void PlotWindows::AddTo(QMenu* menu) {
    QAction* curves = menu->addAction(QStringLiteral("&Table curves"));
    curves->setObjectName("tablecurves");
    QObject::connect(curves, &QAction::triggered, menu, [this] { Present(TableCurves()); });
    QAction* timeline = menu->addAction(QStringLiteral("&Recording timeline"));
    timeline->setObjectName("rectimeline");
    QObject::connect(timeline, &QAction::triggered, menu, [this] { Present(Timeline()); });
}

TableCurvesWindow& PlotWindows::TableCurves() {
    if (!table_curves_) table_curves_ = new TableCurvesWindow(console_, parent_);
    return *table_curves_;
}

RecordingTimelineWindow& PlotWindows::Timeline() {
    if (!timeline_) {
        timeline_ = new RecordingTimelineWindow(
            console_, [this](const std::function<void()>& action) { binding_.User(action); }, parent_);
    }
    return *timeline_;
}

}  // namespace orv::app::plots
