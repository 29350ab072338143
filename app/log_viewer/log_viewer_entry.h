#pragma once
// The log viewer on the console's window: "View" > "Log viewer" opens it
// (made on first use, then kept and hidden when closed), its cursor's table
// rows are marked on the window's grids, and a change of the calibration in
// memory is recomputed over the log.
#include <filesystem>

namespace orv {
class Main_Page;
}

namespace orv::app {

class MainWindow;
namespace viewer {
class LogViewer;
}

// Adds the entry to the window's View menu; it lives as long as the window.
void AddLogViewer(MainWindow& window, Main_Page& console);
// The viewer of a window that has the entry, made if need be; null without.
viewer::LogViewer* LogViewerOf(MainWindow& window);
// Shows the viewer on a log (orv-console --log FILE).
void OpenLogViewer(MainWindow& window, const std::filesystem::path& log);

}  // namespace orv::app
