#include "app/dial_face.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <QResizeEvent>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace orv::app {

namespace {

const QColor kMajorMark(245, 245, 240);
const QColor kMinorMark(240, 176, 48);
const QColor kLabel(235, 235, 230);
const QColor kTitle(240, 176, 48);
const QColor kRedZone(214, 48, 40);
const QColor kColdZone(60, 130, 220);
const QColor kNeedle(255, 92, 36);
const QColor kInactiveNeedle(96, 99, 106);

// Pixels from the pivot. The needle (1150 twips, 76.7 px) reaches just past
// the marks; the numbers stand beyond them.
constexpr double kTickOuter = 74;
constexpr double kMajorInner = 65;
constexpr double kMinorInner = 69.5;
constexpr double kMajorPen = 1.8, kMinorPen = 1.0;
constexpr double kRim = 2;     // the face's rounded border, kept clear of numbers
constexpr int kMaxSlide = 30;  // half degrees a number may slide along the scale
constexpr double kHubRadius = 4.5;

}  // namespace

DialScale EngineSpeedScale() {
    DialScale s;
    s.sweep = kGaugeSweep[kGaugeRpm];
    s.at_raw0 = 0, s.per_raw = 0.1;  // raw in 100 rpm, read in 1000 rpm
    s.first = 0, s.last = 15;
    s.minor = 0.5, s.major = 1, s.label = 1;
    s.title = "RPM x1000";
    s.red = {{12, 15}};
    return s;
}

DialScale PressureScale() {
    DialScale s;
    s.sweep = kGaugeSweep[kGaugePressure];
    s.at_raw0 = -1.0, s.per_raw = 0.1;
    s.first = -1, s.last = 4;
    s.minor = 0.1, s.major = 0.5, s.label = 1;
    s.label_origin = -1;
    s.title = "BAR";
    return s;
}

DialScale AirScale() {
    DialScale s;
    s.sweep = kGaugeSweep[kGaugeAir];
    s.at_raw0 = -20, s.per_raw = 1;
    s.first = -20, s.last = 130;
    s.minor = 5, s.major = 10, s.label = 30;
    s.label_origin = -20;
    s.title = "AIR \u00B0C";
    s.cold = {{-20, 0}};
    return s;
}

DialScale WaterScale() {
    DialScale s = AirScale();
    s.sweep = kGaugeSweep[kGaugeWater];
    s.title = "WATER \u00B0C";
    s.red = {{110, 130}};
    return s;
}

DialScale AdvanceScale() {
    DialScale s;
    // The monitor passes 85 - advance byte: +40 degrees at raw 0, -5 at raw 45.
    s.sweep = kGaugeSweep[kGaugeAdvance];
    s.at_raw0 = 40, s.per_raw = -1;
    s.first = -5, s.last = 40;
    s.minor = 1, s.major = 5, s.label = 10;
    s.title = "ADVANCE \u00B0";
    return s;
}

namespace {

// Screen angle (radians, clockwise, y down) of a read value.
double AngleOf(const DialScale& s, double value) { return NeedleAngle(s.sweep, (value - s.at_raw0) / s.per_raw); }

QPointF Polar(QPointF pivot, double r, double a) { return pivot + QPointF(r * std::cos(a), r * std::sin(a)); }

// Marks counted in whole steps from `origin`, so rounding never drops the
// last one; only those on the scale are drawn.
template <typename F>
void ForEachStep(const DialScale& s, double origin, double step, F f) {
    const int lo = static_cast<int>(std::ceil((s.first - origin) / step - 1e-6));
    const int hi = static_cast<int>(std::floor((s.last - origin) / step + 1e-6));
    for (int k = lo; k <= hi; ++k) f(origin + k * step);
}

bool OnStep(double v, double first, double step) {
    double q = (v - first) / step;
    return std::abs(q - std::round(q)) < 1e-6;
}

void PaintZone(QPainter& p, const DialScale& s, QPointF pivot, std::pair<double, double> zone, QColor colour) {
    double a0 = AngleOf(s, zone.first), a1 = AngleOf(s, zone.second);
    QPainterPath band;
    const int steps = 24;
    for (int k = 0; k <= steps; ++k) {
        QPointF pt = Polar(pivot, kTickOuter, a0 + (a1 - a0) * k / steps);
        k == 0 ? band.moveTo(pt) : band.lineTo(pt);
    }
    for (int k = steps; k >= 0; --k) band.lineTo(Polar(pivot, kTickOuter - 4.5, a0 + (a1 - a0) * k / steps));
    band.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(band);
}

// The needle is filled, never stroked: the raster engine takes several
// times as long to stroke an outline as to fill one, and the needle is drawn
// each time it moves. These are the outlines the pens drew.

// What a pen of `width` (bevel joins, QPen's default) draws around the
// convex polygon `corners`, together with its inside.
QPolygonF Widened(const QPolygonF& corners, double width) {
    QPolygonF c;
    for (const QPointF& pt : corners)
        if (c.isEmpty() || pt != c.back()) c << pt;
    while (c.size() > 1 && c.front() == c.back()) c.removeLast();
    const qsizetype n = c.size();
    if (n < 3) return c;
    double area = 0;
    for (qsizetype i = 0; i < n; ++i) area += c[i].x() * c[(i + 1) % n].y() - c[(i + 1) % n].x() * c[i].y();
    const double half = (area > 0 ? 1 : -1) * width / 2;
    auto outward = [&](qsizetype i) {  // of the edge from corner i to the next
        const QPointF d = c[(i + 1) % n] - c[i];
        const double len = std::hypot(d.x(), d.y());
        return QPointF(d.y(), -d.x()) * (half / len);
    };
    QPolygonF out;
    for (qsizetype i = 0; i < n; ++i) out << c[i] + outward((i + n - 1) % n) << c[i] + outward(i);
    return out;
}

// What a pen of `width` with round caps draws along `line`.
QPolygonF RoundCapped(QLineF line, double width) {
    constexpr int kArcSteps = 8;
    const double r = width / 2, len = line.length();
    const QPointF u = len > 0 ? (line.p2() - line.p1()) / len : QPointF(1, 0);
    const QPointF v(-u.y(), u.x());
    QPolygonF out;
    // Half way round each end, from one side of the line to the other.
    auto cap = [&](QPointF end, QPointF ahead, QPointF side) {
        for (int k = 0; k <= kArcSteps; ++k) {
            const double a = std::numbers::pi * k / kArcSteps;
            out << end + r * (side * std::cos(a) + ahead * std::sin(a));
        }
    };
    cap(line.p2(), u, v);
    cap(line.p1(), -u, -v);
    return out;
}

}  // namespace

DialFace::DialFace(DialScale scale, QSize size, QWidget* parent) : QWidget(parent), scale_(std::move(scale)), size_(size) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(size_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

double DialFace::Scale() const {
    return std::max(1.0, std::min(double(width()) / size_.width(), double(height()) / size_.height()));
}

QPointF DialFace::Origin() const {
    // Centred in the room the layout gives it.
    const double s = Scale();
    return QPointF(std::max(0.0, (width() - size_.width() * s) / 2), std::max(0.0, (height() - size_.height() * s) / 2));
}

void DialFace::Place(QWidget* child, QRectF design) {
    placed_ = child;
    placed_rect_ = design;
    resizeEvent(nullptr);
}

void DialFace::resizeEvent(QResizeEvent*) {
    cache_ = hub_ = QPixmap();
    if (!placed_) return;
    // The read-out keeps its place on the face and grows with it, its text
    // too: a larger window is read from further away.
    const double s = Scale();
    const QPointF o = Origin();
    const QPointF centre = o + placed_rect_.center() * s;
    const QSize box(qRound(placed_rect_.width() * s), qRound(placed_rect_.height() * s));
    QFont font = placed_->font();
    font.setPixelSize(qRound(kReadoutTextPx * s));
    placed_->setFont(font);
    placed_->setGeometry(qRound(centre.x() - box.width() / 2.0), qRound(o.y() + placed_rect_.bottom() * s) - box.height(),
                         box.width(), box.height());
}

void DialFace::SetNeedleLine(int part, QLineF twips, bool visible) {
    if (part < 0 || part > 2) return;
    const QLineF px(twips.p1() / kTwipsPerPixel, twips.p2() / kTwipsPerPixel);
    if (parts_[part].px == px && parts_[part].visible == visible) return;
    // Only where the needle was and where it is now: the ticks move the
    // needles ten times a second, and the face under them stays.
    const QRect before = NeedleBounds();
    parts_[part].px = px;
    parts_[part].visible = visible;
    update(before | NeedleBounds());
}

QRect DialFace::NeedleBounds() const {
    QRectF design(QPointF(kPivotX, kPivotY) - QPointF(6, 6), QSizeF(12, 12));  // the hub
    for (const Part& part : parts_)
        if (part.visible) design |= QRectF(part.px.p1(), part.px.p2()).normalized();
    const double s = Scale();
    const QPointF o = Origin();
    const QRectF shown(o + design.topLeft() * s, design.size() * s);
    return shown.toAlignedRect().adjusted(-3, -3, 3, 3);
}

QLineF DialFace::NeedleLine(int part) const { return parts_[part].px; }

double DialFace::ScaleAngle(double value) const { return AngleOf(scale_, value); }

void DialFace::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The face changes only with its size: painted once into a pixmap at the
    // size shown, the needle on top. Around it, the panel's colour: the dial
    // paints all of itself, so nothing behind it is painted again.
    const qreal dpr = devicePixelRatioF();
    const double s = Scale();
    const QPointF o = Origin();
    if (cache_.isNull() || cache_.devicePixelRatio() != dpr) {
        const QSize shown(qCeil(size_.width() * s), qCeil(size_.height() * s));
        cache_ = QPixmap(shown * dpr);
        cache_.setDevicePixelRatio(dpr);
        // The face, scaled, may fall short of the last row and column by a
        // fraction of a pixel: those show the panel, never uninitialised memory.
        cache_.fill(window()->palette().window().color());
        QPainter fp(&cache_);
        fp.scale(s, s);
        PaintFace(fp);
    }
    if (o != QPointF(0, 0) || cache_.deviceIndependentSize() != QSizeF(size()))
        p.fillRect(rect(), window()->palette().window());  // what the window fills its panels with
    p.drawPixmap(o, cache_);
    p.translate(o);
    p.scale(s, s);
    PaintNeedle(p);
    if (hub_.isNull() || hub_.devicePixelRatio() != dpr) {
        const QPointF pivot = o + QPointF(kPivotX, kPivotY) * s;
        const double reach = (kHubRadius + 1) * s;
        const QPoint first(qFloor((pivot.x() - reach) * dpr), qFloor((pivot.y() - reach) * dpr));
        const QPoint last(qCeil((pivot.x() + reach) * dpr), qCeil((pivot.y() + reach) * dpr));
        hub_ = QPixmap(QSize(last.x() - first.x(), last.y() - first.y()));
        hub_.setDevicePixelRatio(dpr);
        hub_.fill(Qt::transparent);
        hub_at_ = QPointF(first) / dpr;
        QPainter hp(&hub_);
        hp.translate(o - hub_at_);
        hp.scale(s, s);
        PaintHub(hp);
    }
    p.resetTransform();
    p.drawPixmap(hub_at_, hub_);
}

void DialFace::PaintFace(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(0, 0, size_.width(), size_.height());
    const QPointF pivot(kPivotX, kPivotY);

    p.fillRect(r, QColor(24, 26, 30));
    QRadialGradient glow(pivot, size_.width() * 0.62);
    glow.setColorAt(0, QColor(46, 50, 58));
    glow.setColorAt(1, QColor(16, 17, 20));
    p.setPen(QPen(QColor(92, 96, 104), 1.2));
    p.setBrush(glow);
    p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), 7, 7);

    const DialScale& s = scale_;
    if (s.cold) PaintZone(p, s, pivot, *s.cold, kColdZone);
    if (s.red) PaintZone(p, s, pivot, *s.red, kRedZone);

    p.setBrush(Qt::NoBrush);
    for (const Mark& m : Marks()) {
        p.setPen(QPen(m.major ? kMajorMark : kMinorMark, m.width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(m.line);
    }
    p.setFont(NumberFont());
    p.setPen(kLabel);
    for (const Number& n : Numbers()) p.drawText(n.box, Qt::AlignCenter, n.text);

    QFont title = font();
    title.setPixelSize(9);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    p.setFont(title);
    p.setPen(kTitle);
    // Inside the arc, above the hub; the quarter dial keeps its lower left free.
    const bool quarter = s.sweep.rsize < 120;
    QRectF title_box = quarter ? QRectF(6, pivot.y() + 3, pivot.x() - 34, 14) : QRectF(pivot.x() - 45, pivot.y() - 40, 90, 14);
    p.drawText(title_box, quarter ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter, s.title);
}

std::vector<DialFace::Mark> DialFace::Marks() const {
    const DialScale& s = scale_;
    const QPointF pivot(kPivotX, kPivotY);
    std::vector<Mark> marks;
    ForEachStep(s, s.first, s.minor, [&](double v) {
        if (OnStep(v, s.first, s.major)) return;
        const double a = AngleOf(s, v);
        marks.push_back({QLineF(Polar(pivot, kMinorInner, a), Polar(pivot, kTickOuter, a)), kMinorPen, false});
    });
    ForEachStep(s, s.first, s.major, [&](double v) {
        const double a = AngleOf(s, v);
        marks.push_back({QLineF(Polar(pivot, kMajorInner, a), Polar(pivot, kTickOuter, a)), kMajorPen, true});
    });
    return marks;
}

QFont DialFace::NumberFont() const {
    QFont f = font();
    f.setPixelSize(9);
    f.setBold(true);
    return f;
}

std::vector<DialFace::Number> DialFace::Numbers() const {
    const DialScale& s = scale_;
    const QPointF pivot(kPivotX, kPivotY);
    const QFontMetricsF fm(NumberFont());
    const QRectF face = QRectF(QPointF(0, 0), QSizeF(size_)).adjusted(kRim, kRim, -kRim, -kRim);
    std::vector<Number> numbers;
    ForEachStep(s, s.label_origin, s.label, [&](double v) {
        QString text = QString::number(v, 'f', s.label_decimals);
        if (std::abs(v) < 1e-9) text = "0";
        const QSizeF size(fm.horizontalAdvance(text) + 2, fm.height());
        // The box's centre goes out along the mark's direction until the
        // box's nearest side is kNumberGap beyond the marks' outer ends: a
        // box reaches w/2 |cos a| + h/2 |sin a| towards the pivot. Where that
        // would cross the rim (the wide numbers at the ends of a half dial),
        // the box slides along the scale towards its middle, as far as it
        // must, still clear of the marks.
        const double a = AngleOf(s, v);
        const double towards_middle = AngleOf(s, (s.first + s.last) / 2) > a ? 1 : -1;
        QRectF box;
        for (int step = 0; step <= kMaxSlide; ++step) {
            const double at = a + towards_middle * step * qDegreesToRadians(0.5);
            const double reach = size.width() / 2 * std::abs(std::cos(at)) + size.height() / 2 * std::abs(std::sin(at));
            const QPointF c = Polar(pivot, kTickOuter + kNumberGap + reach, at);
            box = QRectF(c - QPointF(size.width() / 2, size.height() / 2), size);
            if (face.contains(box)) break;
        }
        numbers.push_back({text, box});
    });
    return numbers;
}

void DialFace::SetNoReading(bool none) {
    if (none == no_reading_) return;
    no_reading_ = none;
    update();
}

void DialFace::PaintNeedle(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = no_reading_ ? kInactiveNeedle : kNeedle;
    const Part& hand = parts_[0];
    const Part& f1 = parts_[1];
    const Part& f2 = parts_[2];
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    if (f1.visible && f2.visible) p.drawPolygon(Widened({f1.px.p1(), f1.px.p2(), f2.px.p2(), f2.px.p1()}, 1.1));
    if (hand.visible) p.drawPolygon(RoundCapped(hand.px, 1.6));
}

// The hub covers the pivot, as on a real instrument.
void DialFace::PaintHub(QPainter& p) const {
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF pivot(kPivotX, kPivotY);
    QRadialGradient hub(pivot - QPointF(1, 1), 5);
    hub.setColorAt(0, QColor(150, 150, 156));
    hub.setColorAt(1, QColor(40, 40, 44));
    p.setPen(QPen(QColor(20, 20, 22), 0.8));
    p.setBrush(hub);
    p.drawEllipse(pivot, kHubRadius, kHubRadius);
}

}  // namespace orv::app
