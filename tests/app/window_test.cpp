// The window as the user meets it: every control in its frame with the
// system's own caption, and option groups that keep one selection.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <variant>

#include "app/bar_face.h"
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
