// Every control a user can act on or read says what it is in its tooltip,
// and keeps saying it after a mark or a refusal has used the tooltip.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QChartView>
#include <QMenu>
#include <QTabBar>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QTest>

#include "app/bar_face.h"
#include "app/log_viewer/log_viewer.h"
#include "app/log_viewer/log_viewer_entry.h"
#include "app/dial_face.h"
#include "app/line_edit.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

bool Acted(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QProgressBar*>(w) ||
           dynamic_cast<const DialFace*>(w) || dynamic_cast<const BarFace*>(w);
}

// A part of another control (a grid's scroll bar, a combo box's list); the
// window's own panel, which scrolls on a small screen, is not one.
bool PartOfAnother(const QWidget* w, const QWidget* window) {
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (p->objectName() == "central") return false;
        if (qobject_cast<const QAbstractScrollArea*>(p) || qobject_cast<const QComboBox*>(p)) return true;
    }
    return false;
}

TEST_F(WindowTest, EveryControlAndMenuEntrySaysWhatItIs) {
    int seen = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || !Acted(w) || PartOfAnother(w, window.get())) continue;
        ++seen;
        EXPECT_FALSE(w->toolTip().trimmed().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_GT(seen, 80);
    // The menus show their entries' tooltips, and each says more than its text.
    for (QAction* top : window->menuBar()->actions()) {
        ASSERT_NE(top->menu(), nullptr);
        EXPECT_TRUE(top->menu()->toolTipsVisible());
        for (QAction* a : top->menu()->actions()) {
            if (a->isSeparator()) continue;
            QString plain = a->text();
            plain.remove('&');
            EXPECT_NE(a->toolTip(), plain) << a->objectName().toStdString();
        }
    }
    // The units as the window shows them.
    EXPECT_TRUE(Widget<QWidget>("loadtime")->toolTip().contains("ms"));
    EXPECT_TRUE(Widget<QWidget>("pdeltatps")->toolTip().contains("%"));
    EXPECT_TRUE(Widget<QWidget>("COM")->toolTip().contains("Serial port"));
}

TEST_F(WindowTest, TheTableOutputSaysWhoseValueItShows) {
    auto* output = Widget<QWidget>("showtinj1");
    EXPECT_TRUE(output->toolTip().contains("live")) << output->toolTip().toStdString();
    EnterEditMode();
    EXPECT_TRUE(output->toolTip().contains("selected rows, not the live value")) << output->toolTip().toStdString();
    EXPECT_TRUE(Widget<QWidget>("showduty")->toolTip().contains("selected rows"));
    // The console may change the mode itself; the tooltip follows by the
    // time the window has painted.
    Click("monitor");
    QTest::qWait(10);
    EXPECT_FALSE(Widget<QAbstractButton>("edit")->isChecked());
    EXPECT_FALSE(output->toolTip().contains("selected")) << output->toolTip().toStdString();
}

TEST_F(WindowTest, AMarkOrRefusalOverTheTooltipFallsBackToIt) {
    EnterEditMode();
    auto* full = Widget<QWidget>("FullSel");
    auto* box = Widget<LineEdit>("TRPMAcc");
    const QString full_tip = full->toolTip(), box_tip = box->toolTip();
    ASSERT_FALSE(full_tip.isEmpty());
    // As a reference's mark comes and goes.
    full->setToolTip("Differs from reference: 1");
    EXPECT_EQ(full->toolTip(), "Differs from reference: 1");
    full->setToolTip({});
    EXPECT_EQ(full->toolTip(), full_tip);
    box->SetMark("Differs from reference: 2.5");
    EXPECT_EQ(box->toolTip(), "Differs from reference: 2.5");
    box->SetMark({});
    EXPECT_EQ(box->toolTip(), box_tip);
}

// The log viewer's controls too: each says what it does and has a name a
// screen reader can say.
TEST_F(WindowTest, EveryControlOfTheLogViewerSaysWhatItIsAndHasAName) {
    window->viewMenu()->findChild<QAction*>("logviewer")->trigger();
    viewer::LogViewer* v = LogViewerOf(*window);
    ASSERT_TRUE(v && v->isVisible());
    v->SetRecompute(true);  // every panel and box there is
    QApplication::processEvents();
    int seen = 0;
    for (QWidget* w : v->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || qobject_cast<QChartView*>(w);
        // Parts of another control: a tab bar's scroll buttons, a view's headers.
        const bool part = qobject_cast<QTabBar*>(w->parentWidget()) || qobject_cast<QAbstractItemView*>(w->parentWidget());
        if (!w->isVisible() || !control || part) continue;
        ++seen;
        EXPECT_FALSE(w->toolTip().trimmed().isEmpty()) << w->objectName().toStdString() << " "
                                                        << w->metaObject()->className();
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty()) << w->objectName().toStdString() << " "
                                                                     << w->metaObject()->className();
    }
    EXPECT_GT(seen, 12);
}

}  // namespace
}  // namespace orv::app::test
