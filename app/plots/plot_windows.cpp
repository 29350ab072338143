#include "app/plots/plot_windows.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <algorithm>

#include "app/binding.h"
#include "app/plots/recording_timeline.h"
#include "app/plots/table_curves.h"

namespace orv::app::plots {

namespace {
constexpr int kTitleBarPx = 30;  // what a window manager adds above a window
constexpr int kBorderPx = 4;     // and around it
}  // namespace

void Present(QWidget& w, QWidget* console) {
    if (!w.isVisible()) {
        QScreen* screen = console && console->screen() ? console->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect room = screen->availableGeometry().adjusted(kBorderPx, kTitleBarPx, -kBorderPx, -kBorderPx);
            w.resize(w.size().boundedTo(room.size()));
            QRect place(QPoint(0, 0), w.size());
            place.moveCenter(console ? console->geometry().center() : room.center());
            place.moveLeft(std::clamp(place.left(), room.left(), std::max(room.left(), room.right() - place.width() + 1)));
            place.moveTop(std::clamp(place.top(), room.top(), std::max(room.top(), room.bottom() - place.height() + 1)));
            w.move(place.topLeft());
        }
    }
    w.show();
    w.raise();
    w.activateWindow();
}

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
    QObject::connect(curves, &QAction::triggered, menu, [this] { Present(TableCurves(), parent_); });
    QAction* timeline = menu->addAction(QStringLiteral("&Recording timeline"));
    timeline->setObjectName("rectimeline");
    QObject::connect(timeline, &QAction::triggered, menu, [this] { Present(Timeline(), parent_); });
}

TableCurvesWindow& PlotWindows::TableCurves() {
    if (!table_curves_) {
        table_curves_ = new TableCurvesWindow(console_, parent_);
        table_curves_->SetLogRows(log_rows_);
    }
    return *table_curves_;
}

void PlotWindows::SetLogRows(const std::optional<std::array<int, kTableCount>>& rows) {
    log_rows_ = rows;
    if (table_curves_) table_curves_->SetLogRows(rows);
}

RecordingTimelineWindow& PlotWindows::Timeline() {
    if (!timeline_) {
        timeline_ = new RecordingTimelineWindow(
            console_, [this](const std::function<void()>& action) { binding_.User(action); }, parent_);
    }
    return *timeline_;
}

}  // namespace orv::app::plots
