#pragma once
// The plot windows the "View" menu opens. Each is made the first time it is
// asked for and then kept, hidden when closed; a window never opened costs
// nothing.
#include <QPointer>
#include <array>
#include <functional>
#include <optional>

#include "core/calibration/image.h"

class QMenu;
class QWidget;

namespace orv {
class Main_Page;
}

namespace orv::app {
class Binding;
}

namespace orv::app::plots {

// Shows a window of the console's: opened whole on the screen the console is
// on, at its own size where there is room, centred on the console; one
// already open is brought forward as it is.
void Present(QWidget& w, QWidget* console);

class RecordingTimelineWindow;
class TableCurvesWindow;

class PlotWindows {
   public:
    // The windows are children of `parent` (they close with it); user
    // actions on them run through the main window's binding.
    PlotWindows(Main_Page& console, Binding& binding, QWidget* parent);
    ~PlotWindows();
    PlotWindows(const PlotWindows&) = delete;
    PlotWindows& operator=(const PlotWindows&) = delete;

    // Adds "Table curves" and "Recording timeline" to `menu`.
    void AddTo(QMenu* menu);

    // The windows, made on first use (not shown).
    TableCurvesWindow& TableCurves();
    RecordingTimelineWindow& Timeline();
    // The log viewer's cursor rows, for the table curves now and when they open.
    void SetLogRows(const std::optional<std::array<int, kTableCount>>& rows);

   private:
    Main_Page& console_;
    Binding& binding_;
    QWidget* parent_;
    QPointer<TableCurvesWindow> table_curves_;
    QPointer<RecordingTimelineWindow> timeline_;
    std::optional<std::array<int, kTableCount>> log_rows_;
};

}  // namespace orv::app::plots
