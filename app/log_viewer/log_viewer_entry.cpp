#include "app/log_viewer/log_viewer_entry.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include "app/log_viewer/log_viewer.h"
#include "app/main_window.h"
#include "app/plots/plot_windows.h"
#include "core/page/main_page.h"
#include "core/shell/subscription.h"

namespace orv::app {

namespace {

constexpr const char* kEntryName = "LogViewerEntry";

class LogViewerEntry : public QObject {
   public:
    LogViewerEntry(MainWindow& window, Main_Page& console) : QObject(&window), window_(window), console_(console) {
        setObjectName(kEntryName);
        QAction* open = window.viewMenu()->addAction(QStringLiteral("&Log viewer"));
        open->setObjectName("logviewer");
        open->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
        open->setToolTip(QStringLiteral("Opens a log: its channels over time with a cursor read-out, the time on "
                                        "each table row, and what the calibration in memory would have given "
                                        "(Ctrl+Shift+L)"));
        connect(open, &QAction::triggered, this, [this] { plots::Present(Viewer(), &window_); });
        // The console's events: an edit, a map loaded or an upload may have
        // changed the calibration the viewer recomputes with.
        listener_ = console.AddListener([this] {
            if (viewer_ && viewer_->isVisible()) viewer_->CalibrationMayHaveChanged();
        });
    }
    ~LogViewerEntry() override {
        // The window is going: its grids are told nothing more.
        if (viewer_) viewer_->on_rows = nullptr;
        delete viewer_.data();
    }

    viewer::LogViewer& Viewer() {
        if (!viewer_) {
            viewer_ = new viewer::LogViewer(
                console_.app_dir, [this]() -> const Image& { return console_.cal.mem_image; }, &window_);
            viewer_->on_rows = [this](const std::optional<std::array<int, kTableCount>>& rows) {
                window_.ShowLogRows(rows);
            };
        }
        return *viewer_;
    }

   private:
    MainWindow& window_;
    Main_Page& console_;
    QPointer<viewer::LogViewer> viewer_;
    Subscription listener_;
};

LogViewerEntry* EntryOf(MainWindow& window) { return window.findChild<LogViewerEntry*>(kEntryName); }

}  // namespace

void AddLogViewer(MainWindow& window, Main_Page& console) { new LogViewerEntry(window, console); }

viewer::LogViewer* LogViewerOf(MainWindow& window) {
    LogViewerEntry* entry = EntryOf(window);
    return entry ? &entry->Viewer() : nullptr;
}

void OpenLogViewer(MainWindow& window, const std::filesystem::path& log) {
    viewer::LogViewer* v = LogViewerOf(window);
    if (!v) return;
    plots::Present(*v, &window);
    v->Open(log);
}

}  // namespace orv::app
