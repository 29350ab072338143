#pragma once
// The tuner's tools in the window: undo and redo, edits of a range of rows,
// copy and paste of tables with the clipboard, comparing with a reference
// map, and keys for the map and link buttons.
// Their entries go into the window's "File" and "Edit" menus; every action
// runs as one event of the console through the binding, so the window
// refreshes once.
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/calibration/image.h"
#include "core/calibration/range_edit.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;
class QWidget;

namespace orv {
class Main_Page;
}

namespace orv::app {

class Binding;
class MainWindow;

class TunerTools : public QObject {
   public:
    TunerTools(Main_Page& console, Binding& binding, MainWindow& window);

    // "Load map", "Save map", "Compare with map…", "Stop comparing", "Connect".
    void AddFileEntries(QMenu* menu);
    // "Undo", "Redo", the step keys, the range edits, copy and paste; the
    // copy, paste and range entries also make each grid's context menu.
    void AddEditEntries(QMenu* menu);

    // Before the controls follow the model: the reference's marks on the
    // grids' rows, recomputed only when the image, the view or the
    // reference moved.
    void MarkGrids();
    // After: the marks on the settings controls, the status line, and which
    // entries can run now.
    void Follow();

    // The number a scale, offset or set asks for; nothing when cancelled.
    // Tests answer in its place.
    struct ValueQuestion {
        QString title, label;
        double initial = 0;
    };
    std::function<std::optional<double>(const ValueQuestion&)> ask_value;

    // The table the range entries act on: the focused grid, else the first
    // grid holding a range of rows; -1 for none.
    int RangeTable() const;
    // A range edit on that table's range, asking for the value first.
    void EditRange(RangeOp op);
    // With the system clipboard, on the table RangeTable() names (the sets
    // on the set the grids show).
    void CopyTable();
    void PasteTable();
    void CopySet();
    void PasteSet();
    void SmoothRange();
    void Compare();
    void StopComparing();

   private:
    struct Watched {
        bool comparing = false;
        Image image{}, reference{};
        int length = 0;
        std::string path;
        bool views[3] = {};
        bool shown[kTableCount] = {};
    };
    QAction* Add(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys);
    // A menu entry that clicks a button of the window as the mouse does.
    QAction* AddButtonKey(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys,
                          const char* button);
    void UpdateEntries();
    // The entries that act on a table: the range edits, copy and paste.
    void UpdateTableEntries();
    void AddClipboardEntries(QMenu* menu);
    // "Step up", "Step down" and ten steps each, on Page Up and Page Down:
    // the grids' step keys.
    void AddStepEntries(QMenu* menu);
    // A step key (form::kKeyStepUp, ...) on the table RangeTable() names.
    void Step(int code);
    // A right click on grid t: the grid takes the focus and keeps its rows,
    // and its menu opens.
    void AddGridMenu(int t);
    void MarkSettings();
    // Why the slot buttons carry a mark: which slot each map has active, and
    // which slots differ.
    QString SlotMarkTip(const std::string& theirs) const;
    // The heat map: each value cell coloured by its byte, where it moved.
    void ShadeGrids();
    void Tell(const QString& message);
    bool WatchedMoved();

    Main_Page& console_;
    Binding& binding_;
    MainWindow& window_;
    QAction *undo_ = nullptr, *redo_ = nullptr, *stop_ = nullptr;
    std::array<QAction*, 4> range_{};
    std::array<QAction*, 4> step_{};
    QAction *copy_table_ = nullptr, *paste_table_ = nullptr, *copy_set_ = nullptr, *paste_set_ = nullptr,
            *smooth_ = nullptr;
    std::array<std::pair<QAction*, QPushButton*>, 3> buttons_{};
    QLabel* status_ = nullptr;
    std::array<const QWidget*, kTableCount> grids_{};
    Watched watched_;
    struct Shaded {
        const void* first_item = nullptr;  // a rebuilt grid has new items
        bool ignition = false;
        std::vector<int> bytes;
    };
    std::array<QTableWidget*, kTableCount> tables_{};
    std::array<Shaded, kTableCount> shaded_{};
    bool marked_ = false;  // some grid row or control carries a mark
};

}  // namespace orv::app
