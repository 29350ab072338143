#pragma once
// Edit > "Memory slots": "Copy slot…" and "Swap slots…". Each opens a small
// dialog choosing the two slots; a copy then asks before it replaces one
// ("Copy Mem 1 over Mem 3?"). Both dialogs are window-modal and open without
// a nested loop; the console does the work (Main_Page::CopySlot, SwapSlots),
// as one undo step, and its status line says what was done.
#include <QObject>
#include <QPointer>

class QAction;
class QComboBox;
class QDialog;
class QMessageBox;

namespace orv {
class Main_Page;
}

namespace orv::app {

class MainWindow;

class SlotTools : public QObject {
   public:
    SlotTools(MainWindow& window, Main_Page& console);

    // What the entries open.
    void AskCopy() { Choose(true); }
    void AskSwap() { Choose(false); }
    // The dialogs while they are open, for tests.
    QDialog* chooser() const { return chooser_; }
    QMessageBox* confirmation() const { return confirmation_; }

   private:
    void Choose(bool copy);
    void Confirm(int from, int to);
    // The entries are offered where the slot buttons may be used.
    void ShowState();

    MainWindow& window_;
    Main_Page& console_;
    QAction* copy_ = nullptr;
    QAction* swap_ = nullptr;
    QPointer<QDialog> chooser_;
    QPointer<QMessageBox> confirmation_;
};

// Adds the "Memory slots" submenu to the Edit menu; it lives as long as the
// window.
SlotTools* AddSlotTools(MainWindow& window, Main_Page& console);

}  // namespace orv::app
