#include "app/bar_face.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace orv::app {

namespace {
constexpr int kLabelWidth = 17;  // "100" left of the scale
constexpr int kTick = 5;
}  // namespace

BarFace::BarFace(int full_scale_px, int width, QColor bar, QString title, QWidget* parent)
    : QWidget(parent), full_px_(full_scale_px), colour_(bar), title_(std::move(title)) {
    setFixedWidth(width);
    setMinimumHeight(full_scale_px + kTopMargin + kBottomMargin);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarFace::SetBar(double height_twips, bool visible) {
    const double px = height_twips / kTwipsPerPixel;
    if (px == bar_px_ && visible == bar_visible_) return;
    const QRectF before = BarRect();
    bar_px_ = px;
    bar_visible_ = visible;
    const QRectF after = BarRect();
    // The bars share their column and bottom: only the strip between the old
    // top and the new changes, and the face under the rest stays.
    if (before.isEmpty() || after.isEmpty()) update((before | after).toAlignedRect());
    else
        update(QRectF(after.left(), std::min(before.top(), after.top()), after.width(), std::abs(before.top() - after.top()))
                   .toAlignedRect()
                   .adjusted(0, -1, 0, 1));
}

QRectF BarFace::BarRect() const {
    // A reading beyond full scale fills the face and stops there.
    const double full = FullScalePx();
    const double h = std::clamp(bar_px_ * full / full_px_, 0.0, full);
    if (!bar_visible_ || h <= 0) return {};
    const double bottom = height() - kBottomMargin;
    const double left = kLabelWidth + kTick + 2;
    return QRectF(left, bottom - h, width() - left - kTick - 4, h);
}

void BarFace::PaintFace(QPainter& p) const {
    const QRectF r(0, 0, width(), height());
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(r, QColor(24, 26, 30));
    p.setPen(QPen(QColor(92, 96, 104), 1.2));
    p.setBrush(QColor(18, 19, 22));
    p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), 4, 4);

    QFont title = font();
    title.setPixelSize(9);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    p.setFont(title);
    p.setPen(QColor(240, 176, 48));
    p.drawText(QRectF(0, 2, width(), kTopMargin - 3), Qt::AlignCenter, title_);

    // Graduation every 10 %, numbered at 0, 50 and 100.
    QFont numbers = font();
    numbers.setPixelSize(8);
    p.setFont(numbers);
    const double bottom = height() - kBottomMargin;
    const double scale_left = kLabelWidth;
    for (int k = 0; k <= 10; ++k) {
        const double y = bottom - FullScalePx() * k / 10.0;
        const bool major = k % 5 == 0;
        p.setPen(QPen(major ? QColor(245, 245, 240) : QColor(240, 176, 48), major ? 1.4 : 1.0));
        p.drawLine(QPointF(scale_left + (major ? 0 : 2), y), QPointF(scale_left + kTick, y));
        p.drawLine(QPointF(width() - 3 - (major ? kTick : kTick - 2), y), QPointF(width() - 3, y));
        // The small injector faces number only their ends.
        if (major && (full_px_ > 120 || k != 5)) {
            p.setPen(QColor(235, 235, 230));
            p.drawText(QRectF(0, y - 5, kLabelWidth - 1, 10), Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(k * 10));
        }
    }
}

void BarFace::SetNoReading(bool none) {
    if (none == no_reading_) return;
    no_reading_ = none;
    update();
}

void BarFace::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal dpr = devicePixelRatioF();
    if (cache_.isNull() || cache_.devicePixelRatio() != dpr) {
        cache_ = QPixmap(size() * dpr);
        cache_.setDevicePixelRatio(dpr);
        QPainter fp(&cache_);
        PaintFace(fp);
    }
    p.drawPixmap(0, 0, cache_);
    const QRectF bar = BarRect();
    if (bar.isEmpty() || no_reading_) return;
    QLinearGradient g(bar.topLeft(), bar.topRight());
    g.setColorAt(0, colour_.darker(150));
    g.setColorAt(0.45, colour_.lighter(120));
    g.setColorAt(1, colour_.darker(160));
    p.fillRect(bar, g);
}

}  // namespace orv::app
