#pragma once
// The log viewer: a window of its own on one log at a time. The tuner's
// channels in stacked panels on one time axis, a cursor with every channel's
// value at that instant, zoom and pan, each channel's min, max and mean over
// the span shown, the markers listed, the time spent on each row of each
// table, and what the calibration in memory would have given over the log.
// Every user action is a public handler here; the widgets only call them.
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "app/log_viewer/log_panel.h"
#include "app/log_viewer/viewer_channels.h"
#include "core/calibration/image.h"
#include "core/log/log_data.h"
#include "core/log/log_replay.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QListWidget;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QVBoxLayout;

namespace orv::app::viewer {

class TableHitsView;

// The read-out's columns.
enum ReadOutColumn { kColName, kColCursor, kColMin, kColMax, kColMean, kReadOutColumns };

class LogViewer : public QMainWindow {
   public:
    // `folder`: config.dat's, where logviewer.ini is kept and logs/ is;
    // `calibration`: the calibration in memory, for the recomputation.
    LogViewer(std::filesystem::path folder, std::function<const Image&()> calibration, QWidget* parent = nullptr);
    ~LogViewer() override;

    // --- the user's actions ---
    // Reads a log and shows it whole; a file that gives nothing leaves the
    // log shown before and the status line says why (false).
    bool Open(const std::filesystem::path& path);
    // The file dialog, window-modal, in logs/ beside config.dat; its choice opens.
    void ShowOpenDialog();
    void SetCursorTime(double t);
    // The cursor `rows` rows on, the view following it.
    void StepCursor(int rows);
    void ZoomTo(double t0, double t1);
    // The span `factor` times as long, `centre` staying where it is.
    void ZoomBy(double factor, double centre);
    void ZoomIn();
    void ZoomOut();
    void Fit();
    void Pan(double seconds);
    // The channels drawn, in this order; kept in logviewer.ini.
    void SetChannels(const std::vector<int>& shown);
    void ShowChannel(int channel, bool on);
    // One place up (-1) or down (+1) in the order.
    void MoveChannel(int channel, int by);
    // Marker i of the log: the cursor on it, the view centred there.
    void ClickMarker(int i);
    void SetRecompute(bool on);
    // The recomputation again, with the calibration now in memory.
    void Recalculate();
    // After any of the console's events: a calibration that changed is
    // recomputed shortly (a bar being dragged is not recomputed at each step).
    void CalibrationMayHaveChanged();
    void SetDutyLimit(double percent);
    // A key on the panels; false when it is not one of theirs.
    bool Key(int key, Qt::KeyboardModifiers modifiers);

    // Told the table rows at the cursor, and nothing once the viewer closes
    // or holds no log.
    std::function<void(const std::optional<std::array<int, kTableCount>>&)> on_rows;

    // --- what it shows ---
    const LogData& log() const { return log_; }
    const std::filesystem::path& path() const { return path_; }
    double viewStart() const { return t0_; }
    double viewEnd() const { return t1_; }
    double cursorTime() const { return overlays_.cursor; }
    QString status() const;
    const ChannelChoice& choice() const { return choice_; }
    // The panels drawn, top to bottom, and one by its channel (null if not drawn).
    std::vector<LogPanel*> panels() const;
    LogPanel* panel(int channel) const;
    // A read-out cell of a channel's logged or recomputed value, its span's
    // figures brought up to date; empty when the read-out has no such row.
    QString ReadOut(int channel, bool recomputed, ReadOutColumn column);
    const Replay* replay() const { return replay_ ? &*replay_ : nullptr; }
    double dutyLimit() const { return duty_limit_; }
    const Overlays& overlays() const { return overlays_; }
    TableHitsView* tableHits() const { return hits_; }
    QWidget* panelArea() const { return panel_box_; }
    // The file dialog while it is open.
    QFileDialog* openDialog() const;
    QTabWidget* tabs() const { return tabs_; }

    // A panel changed its width: the columns are drawn again.
    void PanelResized();

   protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

   private:
    void MakeTools();
    QWidget* MakeSide();
    void Redraw();
    void RebuildPanels();
    void FillChannelList();
    void FillMarkerList();
    void FillReadOutRows();
    void ShowCursor();
    void ShowStats();
    void ShowHits();
    // The table rows at the cursor, to on_rows when they changed.
    void SendRows();
    void TellRows(const std::optional<std::array<int, kTableCount>>& rows);
    void ShowStatus();
    void KeepCursorInView();
    void UpdateDutySpans();
    void SaveChoice();
    // The values of a read-out line: a channel's logged or recomputed series.
    const std::vector<float>* Values(int channel, bool recomputed) const;
    std::pair<double, double> Extent() const;

    std::filesystem::path folder_;
    std::function<const Image&()> calibration_;
    LogData log_;
    std::filesystem::path path_;
    double t0_ = 0, t1_ = 1;
    Overlays overlays_;
    ChannelChoice choice_;
    bool recompute_ = false;
    std::optional<Replay> replay_;
    Image replay_image_{};
    double duty_limit_ = kDefaultDutyLimit;
    QString opened_;  // what the status line says of the log
    QString note_;    // and of the settings file, when it cannot be written
    std::optional<std::array<int, kTableCount>> rows_sent_;
    bool rows_told_ = false;

    std::array<QPointer<LogPanel>, kViewerChannels> panel_of_;
    std::vector<LogPanel*> shown_panels_;
    QWidget* panel_box_ = nullptr;
    QVBoxLayout* panel_column_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    TableHitsView* hits_ = nullptr;
    QLabel* cursor_label_ = nullptr;
    QTableWidget* read_out_ = nullptr;
    // Per read-out row: the channel and whether it is the recomputed value.
    std::vector<std::pair<int, bool>> read_out_lines_;
    QListWidget* markers_ = nullptr;
    QListWidget* channels_ = nullptr;
    QCheckBox* recompute_box_ = nullptr;
    QSpinBox* limit_box_ = nullptr;
    QLabel* status_label_ = nullptr;
    QPointer<QFileDialog> open_dialog_;
    QTimer redraw_soon_;
    QTimer stats_soon_;
    QTimer recompute_soon_;
};

}  // namespace orv::app::viewer
