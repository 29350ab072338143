#pragma once
// The console's window, Main_Page: one widget per control of the form, in
// the control's frame, bound to the model. Every widget's objectName is its
// control's name as the form lists it ("rpm", "datatable(3)", "HScroll1(0)").
// Needles and bars have no widget of their own: their dial or bar face draws
// them. Three sources of events reach the console: the user's actions
// (through the binding), the serial port's notifications and the 100 ms tick
// of Timer1; after each the console tells its listeners, and the window,
// one of them, refreshes.
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/binding.h"
#include "core/files/file_dialog.h"
#include "core/link/link.h"
#include "core/page/main_page.h"
#include "core/shell/subscription.h"

namespace orv {
class Main_Page;
}

namespace orv::app {

class BarFace;
class DialFace;
class TunerTools;
namespace plots {
class PlotWindows;
}

class MainWindow : public QMainWindow {
   public:
    explicit MainWindow(Main_Page& console, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Brings every widget up to the model (after start-up, before showing).
    void Refresh();
    // Starts Timer1 as the model sets it (100 ms); until then nothing ticks.
    void StartTimer();

    // The widget of a control, by the control's name; nullptr if none.
    QWidget* Control(const std::string& name) const;
    template <typename T>
    T* ControlAs(const std::string& name) const {
        return dynamic_cast<T*>(Control(name));
    }
    Binding& binding() { return *binding_; }

    // Closing with calibration changes neither saved to a map file nor sent
    // to the controller asks this first: Save (the map file dialog; the
    // window stays open if that does not save), Discard, or Cancel. Tests
    // answer in its place; left empty, the window closes without asking.
    std::function<QMessageBox::StandardButton()> ask_save_on_close;
    QTimer& timer() { return timer_; }
    // The question Download asks before it writes the controller, and the
    // one Upload asks before it replaces unsaved changes, while open (they
    // do not block: the answer runs the transfer).
    QMessageBox* downloadQuestion() const { return OpenQuestion("DownloadQuestion"); }
    QMessageBox* uploadQuestion() const { return OpenQuestion("UploadQuestion"); }

    // The menu bar's menus, for whatever adds entries to them.
    QMenu* fileMenu() const { return file_menu_; }
    QMenu* editMenu() const { return edit_menu_; }
    QMenu* viewMenu() const { return view_menu_; }
    plots::PlotWindows& plotWindows() { return *plots_; }
    // Undo and redo, range edits, the reference map, the buttons' keys.
    TunerTools& tools() { return *tools_; }

    // The log viewer's cursor: the grids and the table curves mark these
    // rows (1: the first entry, one per table) beside the monitor's own
    // cursor; nothing clears the marks.
    void ShowLogRows(const std::optional<std::array<int, kTableCount>>& rows);

    // Whether what replies changed still waits to be shown.
    bool LinkRefreshPending() const { return link_refresh_.isActive(); }

   protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    void CreateControls();
    void LayOut();
    // Colours the link status by what it says.
    void FollowLinkState();
    void CreateMenus();
    // The first size: the panel whole, or the screen's room if that is less.
    void FitScreen();
    void AskDownload(const std::string& question, Main_Page::DownloadAnswer answer);
    // A question that does not block (a screen reader's press returns at
    // once), with Cancel and `confirm`; `answer` runs when it closes. The
    // caller adds to it and opens it; nullptr while another is open.
    QMessageBox* Ask(const QString& title, const std::string& question, const QString& confirm, const QString& name,
                     std::function<void(QMessageBox*, bool go)> answer);
    QMessageBox* OpenQuestion(const char* name) const;

    Main_Page& console_;
    // What the window's panel holds: every frame, inside a scroll area.
    QWidget* content_ = nullptr;
    std::unique_ptr<Binding> binding_;
    std::map<std::string, QWidget*> widgets_;
    QTimer timer_;
    QTimer link_refresh_;
    Subscription listener_;
    std::unique_ptr<FileDialog> file_dialog_;
    std::optional<LinkStatus> link_shown_;
    QPointer<QMessageBox> question_;
    // "Verify after download" as the tuner last left it.
    bool verify_download_ = true;
    QMenu* file_menu_ = nullptr;
    QMenu* edit_menu_ = nullptr;
    QMenu* view_menu_ = nullptr;
    std::unique_ptr<TunerTools> tools_;
    // Last, so that the plot windows go before the binding they act through.
    std::unique_ptr<plots::PlotWindows> plots_;
};

}  // namespace orv::app
