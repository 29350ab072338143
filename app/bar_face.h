#pragma once
// A bar face: a graduated column whose bar grows upward from the bottom by
// the height the model's shape holds (twips).
#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "core/monitor/gauge_geometry.h"

namespace orv::app {

class BarFace : public QWidget {
   public:
    static constexpr double kTwipsPerPixel = orv::kTwipsPerPixel;
    static constexpr int kTopMargin = 15;  // the face's title
    static constexpr int kBottomMargin = 5;

    // full_scale_px: the bar's height at 100 % at the design size, the
    // smallest; a taller face stretches its scale to fill its height.
    BarFace(int full_scale_px, int width, QColor bar, QString title, QWidget* parent = nullptr);

    void SetBar(double height_twips, bool visible);
    double BarHeightPx() const { return bar_px_; }
    bool BarVisible() const { return bar_visible_; }
    // With no reading the bar is not drawn: an empty column, not a zero.
    void SetNoReading(bool none);
    bool NoReading() const { return no_reading_; }
    // The bar's height at 100 % as drawn now.
    double FullScalePx() const { return height() - kTopMargin - kBottomMargin; }
    // Where the bar is drawn, in the face's pixels (empty when hidden or zero).
    QRectF BarRect() const;

   protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override { cache_ = QPixmap(); }

   private:
    void PaintFace(class QPainter& p) const;
    int full_px_;
    QColor colour_;
    QString title_;
    double bar_px_ = 0;
    bool bar_visible_ = true;
    bool no_reading_ = false;
    QPixmap cache_;
};

}  // namespace orv::app
