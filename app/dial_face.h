#pragma once
// A gauge face: the painted dial with its scale, and the needle the model's
// three lines describe. The needle is drawn exactly where the lines are; the
// scale is laid out with the same angle arithmetic the needle uses, so a
// reading points at its own mark.
#include <QLineF>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "core/monitor/gauge_geometry.h"

namespace orv::app {

struct DialScale {
    // The needle's sweep, from the monitor's own table.
    GaugeSweep sweep{180, 180, 100};
    // What the numbers read: value = at_raw0 + raw * per_raw.
    double at_raw0 = 0, per_raw = 1;
    double first = 0, last = 100;  // scale ends, in read values
    double minor = 5, major = 10, label = 20;
    double label_origin = 0;  // numbers at label_origin + k * label
    int label_decimals = 0;
    QString title;
    std::optional<std::pair<double, double>> red;   // read values
    std::optional<std::pair<double, double>> cold;  // read values
};

// The five dials of the window, in gauge order (rpm, pressure, air, water, advance).
DialScale EngineSpeedScale();
DialScale PressureScale();
DialScale AirScale();
DialScale WaterScale();
DialScale AdvanceScale();

class DialFace : public QWidget {
   public:
    // The model works in twips; the faces are drawn at the design resolution.
    static constexpr double kTwipsPerPixel = orv::kTwipsPerPixel;
    static constexpr double kPivotX = orv::kPivotX / kTwipsPerPixel, kPivotY = orv::kPivotY / kTwipsPerPixel;

    DialFace(DialScale scale, QSize size, QWidget* parent = nullptr);

    // Line 0 is the centre line (rpmhand), 1 and 2 the flanks (line1, line2);
    // end points in twips, as the model holds them.
    void SetNeedleLine(int part, QLineF twips, bool visible);
    QLineF NeedleLine(int part) const;  // pixels
    // With no reading the needle is drawn inactive: grey, at its rest.
    void SetNoReading(bool none);
    bool NoReading() const { return no_reading_; }
    const DialScale& scale() const { return scale_; }
    // Screen angle (radians, clockwise from pointing right) of the scale
    // mark for a read value.
    double ScaleAngle(double value) const;

    // The scale as the face paints it, in design pixels: each mark with its
    // pen's width, and each number with the box its text is centred in.
    // Numbers stand outside the marks, clear of them by kNumberGap, and
    // inside the face.
    struct Mark {
        QLineF line;
        double width;
        bool major;
    };
    struct Number {
        QString text;
        QRectF box;
    };
    static constexpr double kNumberGap = 2;
    std::vector<Mark> Marks() const;
    std::vector<Number> Numbers() const;
    QFont NumberFont() const;

    // The face keeps its proportions and grows with the room the window
    // gives it; the design size is its smallest. Everything is drawn in
    // design pixels, mapped by Scale() and Origin().
    QSize sizeHint() const override { return size_; }
    QSize minimumSizeHint() const override { return size_; }
    double Scale() const;
    QPointF Origin() const;
    // A child shown at a fixed place of the face (the read-out), in design
    // pixels; its text grows with the face from kReadoutTextPx.
    static constexpr int kReadoutTextPx = 12;
    void Place(QWidget* child, QRectF design);

   protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

   private:
    struct Part {
        QLineF px;
        bool visible = true;
    };
    void PaintFace(class QPainter& p) const;
    void PaintNeedle(QPainter& p) const;
    void PaintHub(QPainter& p) const;
    // What the needle covers now, in the widget's pixels.
    QRect NeedleBounds() const;

    DialScale scale_;
    QSize size_;
    std::array<Part, 3> parts_{};
    QPixmap cache_;
    // The hub, the same at every reading: painted once at the size shown,
    // aligned to the device's pixels as if painted in place, and laid over
    // each needle at hub_at_.
    QPixmap hub_;
    QPointF hub_at_;
    QWidget* placed_ = nullptr;
    bool no_reading_ = false;
    QRectF placed_rect_;
};

}  // namespace orv::app
