// Edit > "Memory slots": the dialogs choose the slots, a copy asks before it
// replaces one, and cancelling at either step changes nothing.
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "window_fixture.h"

namespace orv::app::test {
namespace {

class SlotToolsTest : public WindowTest {
   protected:
    void SetUp() override {
        console.RunEvent([&] {
            console.cal.mem_image[0] = 11;    // Mem 1's first fuel row
            console.cal.mem_image[918] = 33;  // Mem 3's
        });
        EnterEditMode();
        start = console.cal.mem_image;
    }
    // Opens an entry's dialog as the menu does, and chooses the two slots.
    QDialog* Choose(const char* entry, int from, int to) {
        window->editMenu()->findChild<QAction*>(entry)->trigger();
        QApplication::processEvents();
        auto* dialog = Shown<QDialog>("SlotChoice");
        if (!dialog) return nullptr;
        dialog->findChild<QComboBox*>("slotfrom")->setCurrentIndex(from);
        dialog->findChild<QComboBox*>("slotto")->setCurrentIndex(to);
        return dialog;
    }
    static void Press(QWidget* parent, const char* button) {
        auto* b = parent->findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    // The one open by that name: a closed one may wait for its deletion.
    template <typename T>
    T* Shown(const char* name) {
        for (T* w : window->findChildren<T*>(name))
            if (w->isVisible()) return w;
        return nullptr;
    }
    QMessageBox* Question() { return Shown<QMessageBox>("SlotCopyQuestion"); }
    Image start;
};

TEST_F(SlotToolsTest, CopyAsksNamingBothSlotsAndCancelChangesNothing) {
    Click("mem3");
    console.Timer1_Timer();
    ASSERT_EQ(console.form.datatable[0].Cell(1, 1), "3.3");
    start = console.cal.mem_image;
    QDialog* dialog = Choose("copyslot", 0, 2);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    Press(dialog, "slotok");
    ASSERT_NE(Question(), nullptr);
    EXPECT_TRUE(Question()->text().startsWith("Copy Mem 1 over Mem 3?")) << Question()->text().toStdString();
    QTest::mouseClick(Question()->button(QMessageBox::Cancel), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(console.cal.mem_image, start);

    Press(Choose("copyslot", 0, 2), "slotok");
    Press(Question(), "SlotCopyConfirm");
    EXPECT_EQ(console.cal.mem_image[918], 11);
    EXPECT_EQ(console.cal.mem_image[0], 11);
    EXPECT_EQ(console.form.Notice, "Mem 1 copied over Mem 3");
    EXPECT_EQ(console.form.datatable[0].Cell(1, 1), "1.1");  // Mem 3 shown, with the copy
    EXPECT_EQ(console.cal.mem_image[157], 2);
    ASSERT_TRUE(console.Undo());
    EXPECT_EQ(console.cal.mem_image, start);
}

TEST_F(SlotToolsTest, SwapNeedsTwoSlotsAndIsOneStep) {
    QDialog* dialog = Choose("swapslots", 1, 1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->findChild<QPushButton*>("slotok")->isEnabled());  // a slot with itself
    dialog->findChild<QComboBox*>("slotto")->setCurrentIndex(2);
    dialog->findChild<QComboBox*>("slotfrom")->setCurrentIndex(0);
    const std::size_t steps = console.History().DoneSteps();
    Press(dialog, "slotok");
    EXPECT_EQ(console.cal.mem_image[0], 33);
    EXPECT_EQ(console.cal.mem_image[918], 11);
    EXPECT_EQ(console.History().DoneSteps(), steps + 1);
    EXPECT_EQ(console.form.Notice, "Mem 1 and Mem 3 swapped");

    // Cancel at the choice: nothing.
    dialog = Choose("swapslots", 0, 2);
    ASSERT_NE(dialog, nullptr);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(console.History().DoneSteps(), steps + 1);
}

TEST_F(SlotToolsTest, TheEntriesAndControlsSayWhatTheyAre) {
    auto* slot_menu = window->editMenu()->findChild<QMenu*>("MemorySlotsMenu");
    ASSERT_NE(slot_menu, nullptr);
    for (QAction* a : slot_menu->actions()) EXPECT_FALSE(a->toolTip().isEmpty()) << a->objectName().toStdString();
    QDialog* dialog = Choose("copyslot", 0, 1);
    ASSERT_NE(dialog, nullptr);
    for (const char* name : {"slotfrom", "slotto"}) {
        auto* box = dialog->findChild<QComboBox*>(name);
        EXPECT_FALSE(box->toolTip().isEmpty()) << name;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << name;
    }
    dialog->reject();
    // Outside edit mode the entries are not offered.
    Click("monitor");
    emit slot_menu->aboutToShow();
    EXPECT_FALSE(slot_menu->actions().at(0)->isEnabled());
}

}  // namespace
}  // namespace orv::app::test
