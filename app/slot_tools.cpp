#include "app/slot_tools.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "app/accessible_names.h"
#include "app/binding.h"
#include "app/main_window.h"
#include "core/calibration/image.h"
#include "core/page/main_page.h"

namespace orv::app {

namespace {

QString SlotName(int slot) { return QStringLiteral("Mem %1").arg(slot + 1); }

QString Tip(const char* name) { return QString::fromStdString(ToolTip(name)); }

QComboBox* SlotBox(QWidget* parent, const char* name, const QString& accessible, int slot) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (int s = 0; s < kSlotCount; ++s) box->addItem(SlotName(s));
    box->setCurrentIndex(slot);
    box->setToolTip(Tip(name));
    box->setAccessibleName(accessible);
    return box;
}

}  // namespace

SlotTools::SlotTools(MainWindow& window, Main_Page& console) : QObject(&window), window_(window), console_(console) {
    QMenu* edit = window.editMenu();
    edit->addSeparator();
    QMenu* slot_menu = edit->addMenu(QStringLiteral("&Memory slots"));
    slot_menu->setObjectName("MemorySlotsMenu");
    slot_menu->menuAction()->setObjectName("memoryslots");
    slot_menu->setToolTipsVisible(true);
    copy_ = slot_menu->addAction(QStringLiteral("&Copy slot…"));
    copy_->setObjectName("copyslot");
    swap_ = slot_menu->addAction(QStringLiteral("&Swap slots…"));
    swap_->setObjectName("swapslots");
    for (QAction* a : {slot_menu->menuAction(), copy_, swap_}) a->setToolTip(Tip(a->objectName().toUtf8().constData()));
    // Queued: whoever triggered the entry gets its answer before the dialog.
    QObject::connect(copy_, &QAction::triggered, this, [this] { AskCopy(); }, Qt::QueuedConnection);
    QObject::connect(swap_, &QAction::triggered, this, [this] { AskSwap(); }, Qt::QueuedConnection);
    QObject::connect(edit, &QMenu::aboutToShow, this, [this] { ShowState(); });
    QObject::connect(slot_menu, &QMenu::aboutToShow, this, [this] { ShowState(); });
}

void SlotTools::ShowState() {
    const bool usable = console_.form.edit.Value() && console_.form.common.Enabled && console_.Transferring() == TransferUnderWay::None;
    copy_->setEnabled(usable);
    swap_->setEnabled(usable);
}

void SlotTools::Choose(bool copy) {
    // One question at a time: asked again, the open one comes forward.
    for (QWidget* open : {static_cast<QWidget*>(chooser_), static_cast<QWidget*>(confirmation_)})
        if (open && open->isVisible()) {
            open->raise();
            return;
        }
    auto* dialog = new QDialog(&window_);
    dialog->setObjectName("SlotChoice");
    dialog->setWindowTitle(copy ? QStringLiteral("Copy slot") : QStringLiteral("Swap slots"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    const int active = SlotStart(console_.cal.mem_image[kActiveSlotByte]) / kSlotSize;
    QComboBox* from = SlotBox(dialog, "slotfrom", copy ? QStringLiteral("Copy from slot") : QStringLiteral("First slot"), active);
    QComboBox* to = SlotBox(dialog, "slotto", copy ? QStringLiteral("Copy over slot") : QStringLiteral("Second slot"),
                            (active + 1) % kSlotCount);
    auto* form = new QFormLayout(dialog);
    form->addRow(copy ? QStringLiteral("&Copy:") : QStringLiteral("&Swap:"), from);
    form->addRow(copy ? QStringLiteral("&Over:") : QStringLiteral("&With:"), to);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(copy ? QStringLiteral("Copy…") : QStringLiteral("Swap"));
    ok->setObjectName("slotok");
    ok->setToolTip(copy ? QStringLiteral("Asks once more, naming both slots, before the copy")
                        : QStringLiteral("Exchanges the two slots' tables and settings"));
    buttons->button(QDialogButtonBox::Cancel)->setToolTip(QStringLiteral("Closes the dialog; nothing changes"));
    form->addRow(buttons);
    // A slot is neither copied over nor swapped with itself.
    auto differ = [from, to, ok] { ok->setEnabled(from->currentIndex() != to->currentIndex()); };
    QObject::connect(from, &QComboBox::currentIndexChanged, dialog, differ);
    QObject::connect(to, &QComboBox::currentIndexChanged, dialog, differ);
    differ();
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(dialog, &QDialog::accepted, this, [this, copy, from, to] {
        const int a = from->currentIndex(), b = to->currentIndex();
        if (copy) Confirm(a, b);
        else window_.binding().User([this, a, b] { console_.SwapSlots(a, b); });
    });
    chooser_ = dialog;
    dialog->open();
}

void SlotTools::Confirm(int from, int to) {
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Copy slot"),
                                QStringLiteral("Copy %1 over %2? Every table and setting of %2 is replaced by "
                                               "those of %1. Undo takes it back.")
                                    .arg(SlotName(from), SlotName(to)),
                                QMessageBox::Cancel, &window_);
    box->setObjectName("SlotCopyQuestion");
    QPushButton* go = box->addButton(QStringLiteral("Copy"), QMessageBox::AcceptRole);
    go->setObjectName("SlotCopyConfirm");
    go->setToolTip(QStringLiteral("Copies %1 over %2").arg(SlotName(from), SlotName(to)));
    box->setDefaultButton(QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    QObject::connect(box, &QMessageBox::finished, this, [this, box, go, from, to](int) {
        if (box->clickedButton() == go) window_.binding().User([this, from, to] { console_.CopySlot(from, to); });
    });
    confirmation_ = box;
    box->open();
}

SlotTools* AddSlotTools(MainWindow& window, Main_Page& console) { return new SlotTools(window, console); }

}  // namespace orv::app
