// The window as tuners use it: every control keeps its place whatever is
// shown or hidden, the instrument panel grows with the window, and the link
// status reads at a glance.
#include <QRegularExpression>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "app/bar_face.h"
#include "app/dial_face.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

// Where every widget of the window stands, in the window's coordinates.
std::map<QWidget*, QRect> Places(QWidget* window) {
    QApplication::processEvents();  // pending layout requests
    std::map<QWidget*, QRect> places;
    for (QWidget* w : window->findChildren<QWidget*>())
        places[w] = QRect(w->mapTo(window, QPoint(0, 0)), w->size());
    return places;
}

TEST_F(WindowTest, ShowingOrHidingAControlMovesNoOther) {
    EnterEditMode();  // the Bank 2 frame is enabled only there
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"Bank 2 off", [&] { Click("ignsel"); }},
        {"Bank 2 on", [&] { Click("bank2sel"); }},
        {"ignition tables", [&] { Click("IgnMem"); }},
        {"bank 1 tables", [&] { Click("bank1mem"); }},
        {"no ignition", [&] { console.RunEvent([&] { console.form.Advancer.Visible = false; }); }},
        {"ignition again", [&] { console.RunEvent([&] { console.form.Advancer.Visible = true; }); }},
    };
    for (const auto& [what, step] : steps) {
        const auto before = Places(window.get());
        step();
        const auto after = Places(window.get());
        int moved = 0;
        for (const auto& [w, place] : before) {
            auto it = after.find(w);
            if (it == after.end() || it->second == place) continue;
            ADD_FAILURE() << what << " moved " << w->objectName().toStdString() << " ("
                          << w->metaObject()->className() << ")";
            if (++moved > 5) break;
        }
    }
    EXPECT_TRUE(console.form.bank2sel.Value());
    EXPECT_TRUE(Widget<QWidget>("Advancer")->isVisible());
}

TEST_F(WindowTest, TheInstrumentPanelGrowsWithTheWindow) {
    const char* dials[] = {"Picture4", "Picture5", "Picture6", "Picture7", "Advancer"};
    const char* bars[] = {"Picture8", "Injector1", "Injector2"};
    window->resize(window->minimumSizeHint());
    QApplication::processEvents();
    std::map<std::string, double> small;
    for (const char* d : dials) small[d] = Widget<DialFace>(d)->Scale();
    for (const char* b : bars) small[b] = Widget<BarFace>(b)->FullScalePx();

    window->resize(1280, 800);
    QApplication::processEvents();
    for (const char* d : dials) {
        auto* face = Widget<DialFace>(d);
        EXPECT_GT(face->Scale(), small[d] * 1.15) << d;
        // The read-out stays under the pivot, inside the face.
        QWidget* readout = face->findChild<QLineEdit*>();
        ASSERT_NE(readout, nullptr) << d;
        const double pivot_x = face->Origin().x() + DialFace::kPivotX * face->Scale();
        EXPECT_NEAR(QRectF(readout->geometry()).center().x(), pivot_x, 1) << d;
        EXPECT_TRUE(face->rect().contains(readout->geometry())) << d;
    }
    for (const char* b : bars) EXPECT_GT(Widget<BarFace>(b)->FullScalePx(), small[b] * 1.15) << b;
    // No band of the window is left empty: the programming frame reaches its bottom.
    QWidget* programming = Widget<QWidget>("programming");
    const int bottom = programming->mapTo(window.get(), programming->rect().bottomLeft()).y();
    EXPECT_GT(bottom, window->centralWidget()->height() - 20);
}

TEST_F(WindowTest, LinkStatusIsReadOnlyAndColouredByWhatItSays) {
    auto* status = Widget<QLineEdit>("Text3");
    EXPECT_TRUE(status->isReadOnly());
    status->setFocus();
    QTest::keyClicks(status, "x");
    EXPECT_EQ(console.form.Text3.Text, "OffLine");
    // Each state as the link reaches it: the first request out, a reply,
    // then a silent line.
    const std::tuple<const char*, std::function<void()>, QColor> cases[] = {
        {"Connected ", [&] { console.form.COM.SetListIndex(0); }, QColor(0xf0, 0xb0, 0x30)},
        {"Connected", [&] { port.Signal(CommEvent::Receive); }, QColor(0x3e, 0xc4, 0x6d)},
        // A controller not heard yet has its first reply's deadline before it counts as lost.
        {"OffLine", [&] { for (int i = 0; i < 15; ++i) console.Timer1_Timer(); }, QColor(0xf0, 0x46, 0x3c)},
    };
    for (const auto& [text, reach, colour] : cases) {
        console.RunEvent(reach);
        EXPECT_EQ(status->text().toStdString(), text);
        EXPECT_EQ(status->palette().color(QPalette::Text), colour) << text;
    }
}

// The contrast of two colours, as the accessibility guidelines define it.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Mended: messages were near-black on the bar's dark grey (about 1.4:1).
// Every message reads at 4.5:1 at least; a success and a failure differ.
TEST_F(WindowTest, StatusBarMessagesAreLegibleAndSuccessDiffersFromFailure) {
    auto* bar = window->findChild<QStatusBar*>("Notice");
    ASSERT_NE(bar, nullptr);
    using Kind = form::Form::NoticeKind;
    std::map<Kind, QColor> seen;
    for (Kind kind : {Kind::Info, Kind::Done, Kind::Failed}) {
        console.RunEvent([&] { console.form.Tell("message " + std::to_string(static_cast<int>(kind)), kind); });
        bar->ensurePolished();
        const QColor text = bar->palette().color(QPalette::WindowText);
        EXPECT_GE(Contrast(text, bar->palette().color(QPalette::Window)), 4.5) << static_cast<int>(kind);
        // Each message carries the time it was given.
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  message %1$").arg(static_cast<int>(kind)))
                        .match(bar->currentMessage())
                        .hasMatch())
            << bar->currentMessage().toStdString();
        seen[kind] = text;
    }
    EXPECT_NE(seen[Kind::Done], seen[Kind::Failed]);
    EXPECT_NE(seen[Kind::Done], seen[Kind::Info]);
}

TEST_F(WindowTest, CalculatedOutputBoxesHaveCaptions) {
    const std::pair<const char*, const char*> cases[] = {{"showtinj1", "Table output"}, {"showduty", "Duty"}};
    for (const auto& [box, caption] : cases) {
        auto* label = window->findChild<QLabel*>(QString(box) + "_caption");
        ASSERT_NE(label, nullptr) << box;
        EXPECT_EQ(label->text(), caption);
        EXPECT_EQ(label->buddy(), Widget<QWidget>(box));
        EXPECT_EQ(window->Control(label->objectName().toStdString()), nullptr);  // no control of the form
        // Just left of its box, on the same line.
        const QRect l = label->geometry(), b = Widget<QWidget>(box)->geometry();
        EXPECT_LE(l.right(), b.left());
        EXPECT_GT(l.right(), b.left() - 12);
        EXPECT_NEAR(l.center().y(), b.center().y(), 3);
    }
}

}  // namespace
}  // namespace orv::app::test
