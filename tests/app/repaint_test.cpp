// What a new reading repaints: the widgets it changes paint every pixel of
// themselves, so the frames and panels behind them are never painted again.
#include <QGroupBox>
#include <QPainter>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <map>

#include "window_fixture.h"

namespace orv::app::test {
namespace {

const QColor kUnpainted(255, 0, 255);

// The widget's own painting on a colour it never uses: what shows through
// is what it leaves to whatever lies behind it.
int PixelsLeftUnpainted(QWidget* w) {
    QImage image(w->size(), QImage::Format_RGB32);
    image.fill(kUnpainted);
    w->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    int left = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) left += image.pixelColor(x, y) == kUnpainted;
    return left;
}

// Paint events per widget while it is installed.
class PaintLog : public QObject {
   public:
    PaintLog() { qApp->installEventFilter(this); }
    ~PaintLog() override { qApp->removeEventFilter(this); }
    std::map<QObject*, int> painted;

   protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++painted[o];
        return false;
    }
};

TEST_F(WindowTest, WhatReadingsChangePaintsAllOfItself) {
    auto viewport = [this](const char* grid) { return Widget<QTableWidget>(grid)->viewport(); };
    QWidget* const changing[] = {
        Widget<QWidget>("rpm"),      Widget<QWidget>("tps"),       Widget<QWidget>("duty1"),
        Widget<QWidget>("showtinj1"), Widget<QWidget>("Text1(0)"), Widget<QWidget>("Picture4"),
        Widget<QWidget>("Advancer"), Widget<QWidget>("Picture8"),  Widget<QWidget>("Injector1"),
        viewport("datatable(0)"),    viewport("datatable(2)"),   Widget<QWidget>("HScroll1(0)"),
        Widget<QTableWidget>("datatable(1)")->verticalScrollBar(),
    };
    // As shown, and once the window's style sheet is applied again.
    for (const bool restyled : {false, true}) {
        if (restyled) window->setStyleSheet(window->styleSheet() + QStringLiteral(" "));
        for (QWidget* w : changing) {
            const QString name = w->objectName().isEmpty() ? w->parent()->objectName() : w->objectName();
            EXPECT_TRUE(w->testAttribute(Qt::WA_OpaquePaintEvent)) << name.toStdString() << " restyled " << restyled;
            EXPECT_EQ(PixelsLeftUnpainted(w), 0) << name.toStdString();
        }
    }
}

TEST_F(WindowTest, ANewReadingRepaintsNoFrameBehindIt) {
    console.form.COM.SetListIndex(0);
    window->Refresh();
    QCoreApplication::processEvents();
    PaintLog log;
    // Readings that move every read-out, needle, bar and grid cursor.
    for (std::uint8_t step = 1; step <= 4; ++step) {
        const auto v = static_cast<std::uint8_t>(step * 20);
        port.Deliver({v, v, 0x00, v, v, v, v, v, 0x78, 0x21});
        console.Timer1_Timer();
        window->Refresh();
        QCoreApplication::processEvents();
    }
    ASSERT_GT(log.painted[Widget<QWidget>("rpm")], 0);  // the window did paint
    for (QGroupBox* frame : window->findChildren<QGroupBox*>())
        EXPECT_EQ(log.painted[frame], 0) << frame->objectName().toStdString();
}

}  // namespace
}  // namespace orv::app::test
