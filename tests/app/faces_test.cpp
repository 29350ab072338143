// The dials and bars draw what the model computes: each needle lies on the
// model's lines and points at the scale mark of its reading, each bar has
// the model's height, and hidden parts are not drawn.
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/bar_face.h"
#include "app/dial_face.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

double AngleOf(QLineF needle) {
    return std::atan2(needle.p2().y() - needle.p1().y(), needle.p2().x() - needle.p1().x());
}

// The same direction, whatever turn each angle was counted in.
double Apart(double a, double b) {
    double d = std::fmod(std::abs(a - b), 2 * std::numbers::pi);
    return std::min(d, 2 * std::numbers::pi - d);
}

TEST_F(WindowTest, EveryNeedlePointsAtTheMarkOfItsReading) {
    struct Case {
        const char* face;
        int gauge;
        std::uint8_t LiveValues::*live;
        std::uint8_t raw;
        double reads;  // what the scale says there
    };
    const Case cases[] = {
        {"Picture4", 0, &LiveValues::live_rpm, 0, 0.0},         {"Picture4", 0, &LiveValues::live_rpm, 75, 7.5},
        {"Picture4", 0, &LiveValues::live_rpm, 150, 15.0},      {"Picture5", 1, &LiveValues::live_pressure, 10, 0.0},
        {"Picture5", 1, &LiveValues::live_pressure, 50, 4.0},   {"Picture6", 2, &LiveValues::live_air, 0, -20},
        {"Picture6", 2, &LiveValues::live_air, 60, 40},         {"Picture7", 3, &LiveValues::live_water, 150, 130},
        {"Advancer", 4, &LiveValues::live_advance, 85, 40},     {"Advancer", 4, &LiveValues::live_advance, 65, 20},
        {"Advancer", 4, &LiveValues::live_advance, 40, -5},
    };
    for (const Case& c : cases) {
        console.live.*c.live = c.raw;
        console.ShowNeedles();
        window->Refresh();
        auto* face = Widget<DialFace>(c.face);
        const form::Line& hand = console.form.rpmhand[c.gauge];
        const QLineF drawn = face->NeedleLine(0);
        EXPECT_NEAR(drawn.x2(), hand.X2 / 15.0, 1e-3) << c.face;
        EXPECT_NEAR(drawn.y2(), hand.Y2 / 15.0, 1e-3) << c.face;
        EXPECT_NEAR(drawn.x1(), 1480 / 15.0, 1e-3) << c.face;  // the pivot
        EXPECT_NEAR(drawn.y1(), 1440 / 15.0, 1e-3) << c.face;
        EXPECT_LT(Apart(AngleOf(drawn), face->ScaleAngle(c.reads)), 0.002) << c.face << " at " << c.reads;
        // The flanks meet the centre line at the tip.
        EXPECT_EQ(face->NeedleLine(1).p2(), drawn.p2()) << c.face;
        EXPECT_EQ(face->NeedleLine(2).p2(), drawn.p2()) << c.face;
    }
}

// How far a segment comes to a rectangle (0 when it crosses it).
double Distance(QLineF seg, QRectF box) {
    if (box.contains(seg.p1()) || box.contains(seg.p2())) return 0;
    const QLineF sides[] = {{box.topLeft(), box.topRight()},
                            {box.topRight(), box.bottomRight()},
                            {box.bottomRight(), box.bottomLeft()},
                            {box.bottomLeft(), box.topLeft()}};
    auto to_segment = [](QPointF p, QLineF s) {
        const QPointF d = s.p2() - s.p1();
        const double len2 = QPointF::dotProduct(d, d);
        const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - s.p1(), d) / len2, 0.0, 1.0) : 0.0;
        return QLineF(p, s.p1() + t * d).length();
    };
    double best = 1e9;
    for (const QLineF& side : sides) {
        if (side.intersects(seg) == QLineF::BoundedIntersection) return 0;
        best = std::min({best, to_segment(side.p1(), seg), to_segment(seg.p1(), side), to_segment(seg.p2(), side)});
    }
    return best;
}

TEST_F(WindowTest, ScaleNumbersStandClearOfTheMarksAndInsideTheFace) {
    for (const char* name : {"Picture4", "Picture5", "Picture6", "Picture7", "Advancer"}) {
        auto* face = Widget<DialFace>(name);
        const QRectF inside = QRectF(QPointF(0, 0), QSizeF(face->sizeHint())).adjusted(1.5, 1.5, -1.5, -1.5);
        const auto numbers = face->Numbers();
        ASSERT_FALSE(numbers.empty()) << name;
        for (const DialFace::Number& n : numbers) {
            const std::string what = std::string(name) + " \"" + n.text.toStdString() + "\"";
            EXPECT_GE(n.box.width(), QFontMetricsF(face->NumberFont()).horizontalAdvance(n.text)) << what;
            EXPECT_TRUE(inside.contains(n.box)) << what;
            for (const DialFace::Mark& m : face->Marks())
                EXPECT_GT(Distance(m.line, n.box), m.width / 2 + 1) << what << " touches the mark at " << m.line.p2().x()
                                                                     << "," << m.line.p2().y();
        }
    }
    // The last number of the temperature dials is the top of their scale.
    EXPECT_EQ(Widget<DialFace>("Picture7")->Numbers().back().text, "130");
}

TEST_F(WindowTest, BarsRiseByTheModelsHeights) {
    console.live.live_tps = 50;
    console.form.duty1.Text = "100";
    ASSERT_EQ(console.form.duty2.Text, "0");  // as the form starts
    console.ShowBars();
    window->Refresh();
    EXPECT_NEAR(Widget<BarFace>("Picture8")->BarHeightPx(), 2775 / 2.0 / 15.0, 1e-3);
    auto* bank1 = Widget<BarFace>("Injector1");
    EXPECT_NEAR(bank1->BarHeightPx(), 1455 / 15.0, 1e-3);
    // Full scale fills the face exactly, from its bottom up.
    const QRectF bar = bank1->BarRect();
    EXPECT_NEAR(bar.height(), bank1->FullScalePx(), 1e-6);
    EXPECT_NEAR(bar.bottom(), bank1->height() - BarFace::kBottomMargin, 1e-6);
    EXPECT_TRUE(Widget<BarFace>("Injector2")->BarRect().isEmpty());

    // Bank 2 switched off hides its bar, not its face.
    console.form.bank2sel.SetValue(true);
    console.form.ignsel.SetValue(true);
    console.form.duty2.Text = "50";
    console.ShowBars();
    window->Refresh();
    auto* bank2 = Widget<BarFace>("Injector2");
    EXPECT_FALSE(bank2->isHidden());
    EXPECT_FALSE(bank2->BarVisible());
    EXPECT_TRUE(bank2->BarRect().isEmpty());
}

}  // namespace
}  // namespace orv::app::test
