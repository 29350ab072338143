// The window as the user meets it: every control in its frame with the
// system's own caption, and option groups that keep one selection.
#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <variant>

#include "app/bar_face.h"
#include "core/calibration/image.h"
#include "app/dial_face.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

bool HasAncestor(const QWidget* w, const QWidget* ancestor) {
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (p == ancestor) return true;
    return false;
}

// What the widget shows as its caption or text, if it shows one.
std::optional<std::string> Shown(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text().toStdString();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text().toStdString();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title().toStdString();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text().toStdString();
    return std::nullopt;
}

std::optional<std::string> Expected(const form::Form::Ref& ref) {
    return std::visit(
        [](auto* c) -> std::optional<std::string> {
            using C = std::remove_pointer_t<decltype(c)>;
            if constexpr (requires { c->Caption; }) return c->Caption;
            // Before any live data a read-out shows that it holds no reading.
            else if constexpr (std::is_same_v<C, form::TextBox>) return c->NoReading ? "\u2014" : c->Text;
            else return std::nullopt;
        },
        ref);
}

TEST_F(WindowTest, EveryControlSitsInItsFrameWithItsCaption) {
    EXPECT_EQ(window->objectName(), "Main_Page");
    EXPECT_EQ(window->windowTitle().toStdString(), "ORV Engine Controller's Console - Version 2.1");
    int checked = 0;
    for (const form::Form::Entry& e : console.form.Controls()) {
        const bool drawn = std::holds_alternative<form::Line*>(e.ref) || std::holds_alternative<form::Shape*>(e.ref);
        QWidget* w = window->Control(e.name);
        if (drawn) {
            // Needles and bars are painted by the face that holds them.
            EXPECT_EQ(w, nullptr) << e.name;
            QWidget* face = window->Control(e.parent);
            EXPECT_TRUE(dynamic_cast<DialFace*>(face) || dynamic_cast<BarFace*>(face)) << e.name;
            continue;
        }
        ASSERT_NE(w, nullptr) << e.name;
        EXPECT_EQ(w->objectName().toStdString(), e.name);
        EXPECT_EQ(window->findChild<QWidget*>(QString::fromStdString(e.name)), w) << e.name;
        if (!e.parent.empty()) {
            EXPECT_TRUE(HasAncestor(w, window->Control(e.parent))) << e.name << " in " << e.parent;
        }
        if (auto want = Expected(e.ref); want) {
            EXPECT_EQ(Shown(w), want) << e.name;
            ++checked;
        }
    }
    EXPECT_GT(checked, 80);
    // The blanks are part of these captions.
    EXPECT_EQ(Widget<QRadioButton>("Host")->text(), "     Host");
    EXPECT_EQ(Widget<QLabel>("window")->text(), "Window Size ");
}

TEST_F(WindowTest, WindowFitsA1280By800Screen) {
    const QSize size = window->frameGeometry().size();
    EXPECT_LE(size.width(), 1280);
    EXPECT_LE(size.height(), 760);  // room for a title bar and a panel
}

// Mended: 25 boxes that only show a value took typing, and what was typed
// in the cylinder box drove the duty cycle. Only the cell editors take it.
TEST_F(WindowTest, BoxesThatShowAValueTakeNoTyping) {
    EnterEditMode();
    int locked = 0;
    for (const form::Form::Entry& e : console.form.Controls()) {
        auto* const* box = std::get_if<form::TextBox*>(&e.ref);
        if (!box) continue;
        auto* w = Widget<QLineEdit>(e.name);
        const bool editor = e.name.rfind("Text1(", 0) == 0;
        EXPECT_EQ(w->isReadOnly(), !editor) << e.name;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(a->state().readOnly, !editor) << e.name;
        locked += !editor;
    }
    EXPECT_EQ(locked, 26);
    // Typing 8 over the 4 cylinders stored, "Full" ticked, changes nothing.
    console.RunEvent([&] {
        console.cal.mem_image[console.cal.slot_base + slot::kCylMode] = 2;  // 4 cylinders
        console.form.FullSel.SetValue(1);
        console.live.live_rpm = 30;
        console.live.live_tinj1 = 50;
        console.Calc_Duty_Cycle();
    });
    const std::string duty = console.form.duty1.Text;
    auto* cylinders = Widget<QLineEdit>("ncylinder");
    QTest::mouseClick(cylinders, Qt::LeftButton);
    QTest::keyClicks(cylinders, "8");
    QTest::keyClick(cylinders, Qt::Key_Return);
    console.RunEvent([&] { console.Calc_Duty_Cycle(); });
    EXPECT_EQ(console.form.duty1.Text, duty);
    EXPECT_EQ(cylinders->text().toStdString(), console.form.ncylinder.Text);
}

TEST_F(WindowTest, OptionGroupsKeepExactlyOneSelection) {
    const std::vector<std::vector<std::string>> groups = {
        // Each group ends on the choice that keeps the next group's frame enabled.
        {"Host", "remote"},          {"bank1mem", "bank2mem", "IgnMem"}, {"ignsel", "bank2sel"},
        {"ignnormal", "igninv"},     {"mem1", "mem2", "mem3", "mem4"},  {"monitor", "edit"},
    };
    for (const auto& group : groups) {
        EnterEditMode();  // the settings frames are enabled only there
        for (const std::string& chosen : group) {
            // Twice: clicking the selected button must not clear it.
            for (int round = 0; round < 2; ++round) {
                Click(chosen);
                for (const std::string& name : group)
                    EXPECT_EQ(Widget<QRadioButton>(name)->isChecked(), name == chosen)
                        << name << " after clicking " << chosen << " (round " << round << ")";
            }
        }
    }
}

}  // namespace
}  // namespace orv::app::test
