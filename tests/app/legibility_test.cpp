// The window read on a laptop in a car: every text as drawn stands out from
// what is drawn behind it by 4.5:1 at least, in the window, its menus, its
// dialogs and tooltips; everything fits a 1024 x 700 screen, and a large
// screen's room shows more of the tables.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOption>
#include <QTableWidget>
#include <QTest>
#include <QToolTip>
#include <cmath>
#include <fstream>
#include <map>

#include "app/dial_face.h"
#include "app/log_viewer/log_viewer.h"
#include "app/log_viewer/log_viewer_entry.h"
#include "core/link/transfer_messages.h"
#include "core/log/live_log.h"
#include "tests/log/log_fixture.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

double Luminance(QRgb c) {
    auto channel = [](int v8) {
        const double v = v8 / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Over `area` of a picture: the colour most of it is painted with (the
// background) against the one that stands out from it most (the ink).
double InkContrast(const QImage& picture, QRect area) {
    area &= picture.rect();
    std::map<QRgb, int> count;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++count[picture.pixel(x, y) | 0xff000000u];
    if (count.empty()) return 0;
    const QRgb background = std::max_element(count.begin(), count.end(), [](auto& a, auto& b) {
                                return a.second < b.second;
                            })->first;
    double best = 1;
    for (const auto& [colour, n] : count) best = std::max(best, Contrast(colour, background));
    return best;
}

// Where a widget draws its text, if it shows one.
std::optional<QRect> TextArea(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->text().trimmed().isEmpty()) return std::nullopt;
        return l->contentsRect();
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text().trimmed().isEmpty()) return std::nullopt;
        return e->rect().adjusted(2, 2, -2, -2);
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (b->text().trimmed().isEmpty()) return std::nullopt;
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        if (qobject_cast<QRadioButton*>(b))
            return b->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, b);
        if (qobject_cast<QCheckBox*>(b)) return b->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, b);
        return b->rect().adjusted(4, 4, -4, -4);
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        if (g->title().isEmpty()) return std::nullopt;
        QStyleOptionGroupBox option;
        option.initFrom(g);
        option.text = g->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        return g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->currentText().isEmpty()) return std::nullopt;
        return c->rect().adjusted(3, 3, -20, -3);
    }
    return std::nullopt;
}

// Every text of `top` and what it holds, as drawn; what reads under 4.5:1.
std::vector<std::string> Illegible(QWidget* top) {
    QApplication::processEvents();
    const QImage picture = top->grab().toImage();
    std::vector<std::string> found;
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    widgets.prepend(top);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(top) || w->window() != top) continue;
        const std::optional<QRect> area = TextArea(w);
        if (!area || area->isEmpty()) continue;
        const QRect in_top(w->mapTo(top, area->topLeft()), area->size());
        const double ratio = InkContrast(picture, in_top);
        if (ratio < 4.5)
            found.push_back(w->objectName().toStdString() + " (" + w->metaObject()->className() + ") " +
                            std::to_string(ratio));
    }
    return found;
}

// Mended: the status bar's messages read at about 1.4:1, greyed-out
// settings at 3.4:1; dialogs, tooltips and lists were light on a dark window.
TEST_F(WindowTest, EveryTextReadsAtFourAndAHalfToOneWhereverItIsShown) {
    window->resize(1024, 670);
    for (bool edit : {false, true}) {
        if (edit) EnterEditMode();  // the settings are greyed out in Monitor mode, live in Edit mode
        console.RunEvent([&] { console.form.Tell("A message", form::Form::NoticeKind::Failed); });
        EXPECT_EQ(Illegible(window.get()), std::vector<std::string>{}) << (edit ? "edit" : "monitor");
    }
    // The menus, each as it drops down.
    for (QAction* entry : window->menuBar()->actions()) {
        QMenu* menu = entry->menu();
        if (!menu) continue;
        menu->popup(window->mapToGlobal(QPoint(20, 20)));
        QTest::qWait(10);
        const QImage picture = menu->grab().toImage();
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible()) continue;
            EXPECT_GE(InkContrast(picture, menu->actionGeometry(a).adjusted(20, 2, -2, -2)), 4.5)
                << a->text().toStdString();
        }
        menu->hide();
    }
    // A question box and a tooltip wear the window's colours.
    QMessageBox question(QMessageBox::Question, "Download to the controller", "Write the calibration?",
                         QMessageBox::Cancel, window.get());
    question.setCheckBox(new QCheckBox("Verify after download"));
    question.show();
    EXPECT_EQ(Illegible(&question), std::vector<std::string>{});
    EXPECT_LT(Luminance(question.palette().color(QPalette::Window).rgb()), 0.05);  // dark, as the window
    QToolTip::showText(window->mapToGlobal(QPoint(30, 30)), "A tooltip", window.get());
    QWidget* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible()) tip = w;
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(Illegible(tip), std::vector<std::string>{});
    EXPECT_LT(Luminance(tip->palette().color(QPalette::Window).rgb()), 0.05);
}

// The log viewer, a log shown and recomputed, reads as well as the window.
TEST_F(WindowTest, TheLogViewerReadsAtFourAndAHalfToOne) {
    std::string log = orv::test::kEarlierLogHeader;
    for (int k = 0; k < 50; ++k) {
        LiveValues v;
        v.live_rpm = static_cast<std::uint8_t>(10 + k);
        v.live_tinj1 = v.live_tinj2 = static_cast<std::uint8_t>(20 + k);
        log += std::to_string(k) + ".000," + LiveChannelCells(v) + ",," + (k == 20 ? "1" : "") + "\r\n";
        if (k % 7 == 3) log += std::to_string(k) + ".500,1,2,3\r\n";  // damaged rows, each said
    }
    std::ofstream(dir / "drive.csv", std::ios::binary) << log;
    window->viewMenu()->findChild<QAction*>("logviewer")->trigger();
    viewer::LogViewer* v = LogViewerOf(*window);
    ASSERT_NE(v, nullptr);
    v->resize(1024, 670);
    ASSERT_TRUE(v->Open(dir / "drive.csv")) << v->status().toStdString();
    v->SetRecompute(true);
    EXPECT_EQ(Illegible(v), std::vector<std::string>{});
    // Mended, cut on 1024 x 700 and 1920 x 1080: "Downloading - Please Wait!!" in the map box, the damaged
    // log's status line, the panels' names ("DUTY 2..."); and the legends covered the recomputed lines.
    auto* map = Widget<QLineEdit>("mapfile");
    auto* status = v->findChild<QLabel*>("LogViewerStatusText");
    for (const QSize size : {QSize(1024, 670), QSize(1920, 1050)}) {
        window->resize(size);
        v->resize(size);
        QApplication::processEvents();
        EXPECT_LE(QFontMetrics(map->font()).horizontalAdvance(kDownloading) + 4 +
                      2 * map->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, map), map->width());
        EXPECT_TRUE(v->width() == size.width() && status->height() >= status->heightForWidth(status->width()));
        ASSERT_EQ(v->panels().size(), 8u);
        for (const viewer::LogPanel* p : v->panels()) {
            EXPECT_TRUE(!p->showsRecomputed() || QRectF(p->rect()).contains(p->LegendArea())) << size.width();
            EXPECT_LE(QFontMetricsF(p->SmallFont()).horizontalAdvance(viewer::Look(p->channel()).title),
                      p->TitleSpan().height()) << viewer::Look(p->channel()).title;
        }
    }
}

// Mended: the smallest window was 1135 x 623, wider than a 1024-pixel screen.
// On 1024 x 700, less a title bar, every control is in view without scrolling.
TEST_F(WindowTest, EverythingFitsA1024By700Screen) {
    window->resize(1024, 670);
    QApplication::processEvents();
    auto* panel = window->findChild<QScrollArea*>("panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(panel->verticalScrollBar()->isVisible());
    const QRect screen(0, 0, 1024, 670);
    for (const form::Form::Entry& e : console.form.Controls()) {
        QWidget* w = window->Control(e.name);
        if (!w) continue;
        const QRect place(w->mapTo(window.get(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(screen.contains(place)) << e.name << " at " << place.x() << "," << place.y() << " "
                                            << place.width() << "x" << place.height();
    }
    // Smaller still, the panel scrolls rather than cut anything off.
    window->resize(800, 500);
    QApplication::processEvents();
    EXPECT_TRUE(panel->verticalScrollBar()->isVisible());
}

// Mended: on a large screen only the dials grew; the grids kept ten rows.
TEST_F(WindowTest, ALargeScreenShowsMoreRowsAndLargerReadOuts) {
    const int small_font = Widget<QLineEdit>("rpm")->font().pixelSize();
    window->resize(1920, 1050);
    QApplication::processEvents();
    console.RunEvent([] {});
    window->Refresh();
    for (const form::Grid& grid : console.form.datatable) EXPECT_GE(grid.VisibleRows, 24);  // ten at the smallest
    auto* grid = Widget<QTableWidget>("datatable(0)");
    EXPECT_GE(grid->viewport()->height() / grid->verticalHeader()->defaultSectionSize(), 24);
    EXPECT_GT(Widget<QLineEdit>("rpm")->font().pixelSize(), small_font);
}

}  // namespace
}  // namespace orv::app::test
