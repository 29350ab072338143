// The log viewer on a small known log: what it opens and says, the cursor's
// read-out, zoom, fit and pan, the statistics of the span shown, markers,
// the table rows it reports, the table hits, the recomputation with its duty
// limit, bad files, and the channel choice kept in logviewer.ini.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBarSet>
#include <QChartView>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <cstdio>
#include <fstream>

#include "app/command_line.h"
#include "app/log_viewer/log_viewer.h"
#include "app/log_viewer/log_viewer_entry.h"
#include "app/log_viewer/table_hits_view.h"
#include "core/files/map_file.h"
#include "core/log/live_log.h"
#include "core/log/log_view.h"
#include "core/recorder/recording.h"
#include "tests/log/log_fixture.h"
#include "window_fixture.h"

namespace orv::app::test {
namespace {

using viewer::LogViewer;

// 20 rows: 13 at 10 a second from 0.0 s, the link lost at 1.5 s, then 7 from
// 2.0 s; marker 1 on the row at 0.5 s, marker 2 on a row of its own at 2.25 s.
// Row k: engine speed 1,000 + 100k rpm, pressure 0.1k bar, throttle 5k %,
// air 20 and water 80 degrees, bank 1 2.0 + 0.1k ms, bank 2 3.0 ms, advance
// k degrees, battery 13.0 V.
constexpr int kRows = 20;
double TimeOf(int k) { return k <= 12 ? 0.1 * k : 0.1 * k + 0.7; }
LiveValues ValuesOf(int k) {
    LiveValues v;
    v.live_rpm = static_cast<std::uint8_t>(10 + k);
    v.live_pressure = static_cast<std::uint8_t>(10 + k);
    v.live_tps = static_cast<std::uint8_t>(5 * k);
    v.live_air = 40;
    v.live_water = 100;
    v.live_tinj1 = static_cast<std::uint8_t>(20 + k);
    v.live_tinj2 = 30;
    v.live_advance = static_cast<std::uint8_t>(45 + k);
    v.live_batt = 130;
    return v;
}

std::string Seconds(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", t);
    return text;
}

std::string KnownLog() {
    const std::string stamp = ",2026-12-08 14:03:27.415,";
    std::string text = orv::test::kEarlierLogHeader;
    for (int k = 0; k < kRows; ++k) {
        if (k == 13) text += Seconds(1.5) + ",,,,,,,,," + stamp + kGapLinkLost + "\r\n";
        if (k == 16) text += Seconds(2.25) + ",,,,,,,,," + stamp + "2\r\n";
        text += Seconds(TimeOf(k)) + "," + LiveChannelCells(ValuesOf(k)) + stamp + (k == 5 ? "1" : "") + "\r\n";
    }
    return text;
}

void Write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class LogViewerTest : public ::testing::Test {
   protected:
    LogViewerTest() {
        Write(Log(), KnownLog());
        viewer = Make();
        viewer->on_rows = [this](const std::optional<std::array<int, kTableCount>>& rows) { told.push_back(rows); };
        viewer->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
    }
    std::unique_ptr<LogViewer> Make() {
        return std::make_unique<LogViewer>(Dir(), [this]() -> const Image& { return image; });
    }
    std::filesystem::path Dir() const { return std::filesystem::path(dir.path().toStdString()); }
    std::filesystem::path Log() const { return Dir() / "known.csv"; }
    void OpenKnown() {
        ASSERT_TRUE(viewer->Open(Log())) << viewer->status().toStdString();
        QApplication::processEvents();  // the panels laid out and drawn at their width
    }
    std::pair<double, double> Span() const { return {viewer->viewStart(), viewer->viewEnd()}; }
    QString Cursor(int channel) { return viewer->ReadOut(channel, false, viewer::kColCursor); }

    QTemporaryDir dir;
    Image image{};
    std::unique_ptr<LogViewer> viewer;
    std::vector<std::optional<std::array<int, kTableCount>>> told;
};

#define EXPECT_SPAN(span, a, b)              \
    do {                                     \
        EXPECT_NEAR((span).first, (a), 1e-9);  \
        EXPECT_NEAR((span).second, (b), 1e-9); \
    } while (0)

TEST_F(LogViewerTest, OpensTheLogWholeAndSaysWhatItHolds) {
    EXPECT_TRUE(viewer->status().startsWith("No log open")) << viewer->status().toStdString();
    OpenKnown();
    EXPECT_EQ(viewer->log().rows(), 20u);
    EXPECT_EQ(viewer->status(), "known.csv: 20 rows, 0:00:02");
    EXPECT_EQ(viewer->windowTitle(), "Log viewer - known.csv");
    EXPECT_SPAN(Span(), 0.0, 2.6);
    // The default channels, the duties waiting for the recomputation.
    std::vector<int> drawn;
    for (viewer::LogPanel* p : viewer->panels()) drawn.push_back(p->channel());
    EXPECT_EQ(drawn, (std::vector<int>{kChRpm, kChPressure, kChTps, kChBank1, kChBank2, kChAdvance}));
    EXPECT_TRUE(viewer->panels().back()->bottom());
    auto* markers = viewer->findChild<QListWidget*>("logmarkers");
    ASSERT_EQ(markers->count(), 3);
    EXPECT_EQ(markers->item(0)->text(), "0.500 s   Marker 1");
    EXPECT_EQ(markers->item(1)->text(), "1.500 s   gap: link lost");
    EXPECT_EQ(markers->item(2)->text(), "2.250 s   Marker 2");
    ASSERT_EQ(viewer->overlays().gaps.size(), 1u);
    EXPECT_NEAR(viewer->overlays().gaps[0].start, 1.2, 1e-9);  // the row before the gap to the row after it
    EXPECT_NEAR(viewer->overlays().gaps[0].end, 2.0, 1e-9);
}

TEST_F(LogViewerTest, ARecordingFileAndTheRecordersCsvOpenToo) {
    // The event recorder's file: nine values a sample, ten samples a second.
    std::vector<std::uint8_t> samples(3 * kRecSampleSize);
    for (int k = 0; k < 3; ++k)
        StoreSample(ValuesOf(k), std::span<std::uint8_t, kRecSampleSize>(samples.data() + k * kRecSampleSize, kRecSampleSize));
    Write(Dir() / "drive.rec", FormatRecording(samples, 3));
    ASSERT_TRUE(viewer->Open(Dir() / "drive.rec")) << viewer->status().toStdString();
    EXPECT_EQ(viewer->log().rows(), 3u);
    EXPECT_SPAN(Span(), 0.0, 0.2);
    viewer->SetCursorTime(0.15);
    EXPECT_EQ(Cursor(kChRpm), "1100");
    // Its CSV export: the first ten columns.
    Write(Dir() / "drive-export.csv", FormatRecordingCsv(samples, 3));
    ASSERT_TRUE(viewer->Open(Dir() / "drive-export.csv")) << viewer->status().toStdString();
    EXPECT_EQ(viewer->status(), "drive-export.csv: 3 rows, 0:00:00");
}

TEST_F(LogViewerTest, TheCursorReadsEveryChannelOfTheRowAtItsTime) {
    OpenKnown();
    const struct {
        double t;
        const char *rpm, *pressure, *throttle, *bank1, *advance, *battery;
        const char* label;
    } cases[] = {
        {0.0, "1000", "0.0", "0", "2.0", "0", "13.0", "Cursor 0.000 s, row 1 of 20"},
        {0.55, "1500", "0.5", "25", "2.5", "5", "13.0", "Cursor 0.550 s, row 6 of 20"},
        {1.9, "2200", "1.2", "60", "3.2", "12", "13.0", "Cursor 1.900 s, row 13 of 20"},  // in the gap
        {2.6, "2900", "1.9", "95", "3.9", "19", "13.0", "Cursor 2.600 s, row 20 of 20"},
        {-4, "1000", "0.0", "0", "2.0", "0", "13.0", "Cursor 0.000 s, row 1 of 20"},  // held to the log
        {99, "2900", "1.9", "95", "3.9", "19", "13.0", "Cursor 2.600 s, row 20 of 20"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        viewer->SetCursorTime(c.t);
        EXPECT_EQ(Cursor(kChRpm), c.rpm);
        EXPECT_EQ(Cursor(kChPressure), c.pressure);
        EXPECT_EQ(Cursor(kChTps), c.throttle);
        EXPECT_EQ(Cursor(kChBank1), c.bank1);
        EXPECT_EQ(Cursor(kChAdvance), c.advance);
        EXPECT_EQ(Cursor(kChBattery), c.battery);
        EXPECT_EQ(Cursor(kChWater), "80");
        EXPECT_TRUE(viewer->findChild<QWidget*>("logcursor")->property("text").toString().startsWith(c.label));
    }
}

TEST_F(LogViewerTest, ZoomFitAndPanKeepTheSpanInsideTheLog) {
    OpenKnown();
    const struct {
        const char* what;
        std::function<void(LogViewer&)> act;
        double t0, t1;
    } cases[] = {
        {"zoom to a span", [](LogViewer& v) { v.ZoomTo(0.5, 1.0); }, 0.5, 1.0},
        {"pan on", [](LogViewer& v) { v.Pan(0.3); }, 0.8, 1.3},
        {"pan past the start", [](LogViewer& v) { v.Pan(-10); }, 0.0, 0.5},
        {"pan past the end", [](LogViewer& v) { v.Pan(10); }, 2.1, 2.6},
        {"a span given backwards", [](LogViewer& v) { v.ZoomTo(1.0, 0.2); }, 0.2, 1.0},
        {"zoom in about the cursor", [](LogViewer& v) { v.SetCursorTime(0.4), v.ZoomIn(); }, 0.3, 0.7},
        {"zoom out about the middle", [](LogViewer& v) { v.ZoomOut(); }, 0.1, 0.9},
        {"the wheel about a time", [](LogViewer& v) { v.ZoomBy(0.5, 0.1); }, 0.1, 0.5},
        {"wider than the log", [](LogViewer& v) { v.ZoomTo(-5, 1); }, 0.0, 2.6},
        {"past its end", [](LogViewer& v) { v.ZoomTo(2.0, 3.0); }, 1.6, 2.6},
        {"no shorter than 20 ms", [](LogViewer& v) { v.ZoomTo(1.0, 1.0); }, 0.99, 1.01},
        {"fit", [](LogViewer& v) { v.Fit(); }, 0.0, 2.6},
        {"key +", [](LogViewer& v) { v.SetCursorTime(1.3), v.Key(Qt::Key_Plus, {}); }, 0.65, 1.95},
        {"key -", [](LogViewer& v) { v.Key(Qt::Key_Minus, {}); }, 0.0, 2.6},
        {"Ctrl+Right pans a quarter", [](LogViewer& v) { v.ZoomTo(0, 1), v.Key(Qt::Key_Right, Qt::ControlModifier); }, 0.25, 1.25},
        {"key F", [](LogViewer& v) { v.Key(Qt::Key_F, {}); }, 0.0, 2.6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.act(*viewer);
        EXPECT_SPAN(Span(), c.t0, c.t1);
        // Every panel is on the same span.
        for (viewer::LogPanel* p : viewer->panels()) {
            const auto* x = static_cast<const QValueAxis*>(p->chart()->axes(Qt::Horizontal).first());
            EXPECT_NEAR(x->min(), c.t0, 1e-9);
            EXPECT_NEAR(x->max(), c.t1, 1e-9);
        }
    }
}

TEST_F(LogViewerTest, TheArrowKeysStepTheCursorByRowsAndTheViewFollows) {
    OpenKnown();
    viewer->ZoomTo(0, 0.5);
    viewer->SetCursorTime(0.45);
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        double cursor;
    } steps[] = {
        {Qt::Key_Left, {}, 0.4},   // from between rows, to the row before
        {Qt::Key_Right, {}, 0.5},
        {Qt::Key_Right, {}, 0.6},  // out of view: the view centres on it
        {Qt::Key_Right, Qt::ShiftModifier, 0.65},  // a tenth of the span
        {Qt::Key_End, {}, 2.6},
        {Qt::Key_Left, {}, 2.5},
        {Qt::Key_Home, {}, 0.0},
    };
    for (const auto& s : steps) {
        QTest::keyClick(viewer->panels().front(), static_cast<Qt::Key>(s.key), s.modifiers);
        EXPECT_NEAR(viewer->cursorTime(), s.cursor, 1e-9);
        EXPECT_GE(viewer->cursorTime(), viewer->viewStart());
        EXPECT_LE(viewer->cursorTime(), viewer->viewEnd());
    }
    EXPECT_SPAN(Span(), 0.0, 0.5);
}

TEST_F(LogViewerTest, MinMaxAndMeanAreOfTheSpanShown) {
    OpenKnown();
    const struct {
        double t0, t1;
        int channel;
        const char *min, *max, *mean;
    } cases[] = {
        {0.5, 1.0, kChRpm, "1500", "2000", "1750"},
        {0.5, 1.0, kChBank1, "2.5", "3.0", "2.8"},  // 2.75 away from zero
        {0.0, 2.6, kChRpm, "1000", "2900", "1950"},
        {0.0, 2.6, kChWater, "80", "80", "80"},
        {1.3, 1.9, kChRpm, "", "", ""},  // in the gap: no row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.t0) + " " + std::to_string(c.channel));
        viewer->ZoomTo(c.t0, c.t1);
        EXPECT_EQ(viewer->ReadOut(c.channel, false, viewer::kColMin), c.min);
        EXPECT_EQ(viewer->ReadOut(c.channel, false, viewer::kColMax), c.max);
        EXPECT_EQ(viewer->ReadOut(c.channel, false, viewer::kColMean), c.mean);
    }
}

TEST_F(LogViewerTest, AMarkerClickedPutsTheCursorOnItAndCentresTheView) {
    OpenKnown();
    viewer->ZoomTo(0.5, 1.0);
    auto* markers = viewer->findChild<QListWidget*>("logmarkers");
    markers->scrollToItem(markers->item(2));
    QTest::mouseClick(markers->viewport(), Qt::LeftButton, {}, markers->visualItemRect(markers->item(2)).center());
    EXPECT_NEAR(viewer->cursorTime(), 2.25, 1e-9);
    EXPECT_SPAN(Span(), 2.0, 2.5);
    EXPECT_EQ(Cursor(kChRpm), "2500");  // the row at 2.2 s
    viewer->ClickMarker(0);
    EXPECT_NEAR(viewer->cursorTime(), 0.5, 1e-9);
    EXPECT_SPAN(Span(), 0.25, 0.75);
    viewer->ClickMarker(7);  // none: nothing moves
    EXPECT_NEAR(viewer->cursorTime(), 0.5, 1e-9);
}

TEST_F(LogViewerTest, TheTableRowsAtTheCursorAreToldAsTheyChangeAndNothingOnceClosed) {
    OpenKnown();
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), OperatingRows(ValuesOf(0)));
    viewer->SetCursorTime(0.55);
    EXPECT_EQ(told.back(), OperatingRows(ValuesOf(5)));
    // Air 20 degrees is row 5 of its table, water 80 row 11.
    EXPECT_EQ((*told.back())[3], 5);
    EXPECT_EQ((*told.back())[4], 11);
    const std::size_t calls = told.size();
    viewer->SetCursorTime(0.56);  // the same row: nothing new to tell
    EXPECT_EQ(told.size(), calls);
    viewer->close();
    EXPECT_EQ(told.back(), std::nullopt);
    viewer->show();
    EXPECT_EQ(told.back(), OperatingRows(ValuesOf(5)));
}

TEST_F(LogViewerTest, TableHitsShowTheSecondsOnEachRowOfTheSpan) {
    OpenKnown();
    viewer->tabs()->setCurrentWidget(viewer->tableHits());
    const struct {
        double t0, t1;
        double water_row_11;  // every row has water at 80 degrees
    } cases[] = {
        {0.0, 2.6, 1.8},  // 12 tenths before the gap, 6 after it; the gap counts nothing
        {0.0, 0.5, 0.5},
        {0.25, 0.75, 0.5},
        {1.3, 1.9, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t0);
        viewer->ZoomTo(c.t0, c.t1);
        const QBarSet* water = viewer->tableHits()->bars(4);
        ASSERT_EQ(water->count(), 16);  // -20 to 130 degrees
        for (int k = 0; k < water->count(); ++k) EXPECT_NEAR(water->at(k), k == 10 ? c.water_row_11 : 0, 1e-6) << k;
    }
    EXPECT_EQ(viewer::TableHitsView::SecondsText(1.8), "1.8 s");
    EXPECT_EQ(viewer::TableHitsView::SecondsText(0), "");
    // The cursor's rows are marked.
    viewer->SetCursorTime(0.55);
    EXPECT_EQ(viewer->tableHits()->bars(4)->selectedBars(), QList<int>{10});
}

TEST_F(LogViewerTest, TheRecomputationIsDrawnBesideTheLoggedValuesAndItsDutyOverTheLimitIsFlagged) {
    ApplyMapValues(image, ReadMapFile(ORV_SAMPLE_MAP).values);
    OpenKnown();
    viewer->findChild<QWidget*>("recompute")->setProperty("checked", true);
    ASSERT_NE(viewer->replay(), nullptr);
    const Replay expected = Recompute(viewer->log(), image);
    EXPECT_EQ(viewer->replay()->bank1_ms, expected.bank1_ms);
    QApplication::processEvents();
    // Beside the logged line, with a legend; the duty panels come in.
    for (int c : std::initializer_list<int>{kChBank1, kChBank2, kChAdvance, viewer::kDuty1, viewer::kDuty2}) {
        ASSERT_NE(viewer->panel(c), nullptr) << c;
        EXPECT_TRUE(viewer->panel(c)->showsRecomputed()) << c;
        EXPECT_GT(viewer->panel(c)->recomputed().size(), 0) << c;
    }
    EXPECT_FALSE(viewer->panel(kChRpm)->showsRecomputed());
    viewer->SetCursorTime(0.55);
    EXPECT_EQ(viewer->ReadOut(kChBank1, true, viewer::kColCursor).toStdString(),
              viewer::FormatValue(kChBank1, expected.bank1_ms[5]));
    EXPECT_EQ(viewer->ReadOut(viewer::kDuty1, true, viewer::kColCursor).toStdString(),
              viewer::FormatValue(viewer::kDuty1, expected.duty1_pct[5]));

    // A limit inside the duties' range flags some of the log.
    const auto [lo, hi] = std::minmax_element(expected.duty1_pct.begin(), expected.duty1_pct.end());
    ASSERT_LT(*lo, *hi);
    const double limit = std::floor((*lo + *hi) / 2);
    for (double l : {limit, 200.0}) {
        SCOPED_TRACE(l);
        viewer->SetDutyLimit(l);
        const std::vector<TimeSpan> over = DutyOver(viewer->log(), expected, l);
        EXPECT_EQ(viewer->overlays().over.size(), over.size());
        EXPECT_TRUE(viewer->status().contains(over.empty() ? QStringLiteral("never over %1 %").arg(l)
                                                           : QStringLiteral("over %1 %: %2 time").arg(l).arg(over.size())))
            << viewer->status().toStdString();
    }
    EXPECT_FALSE(DutyOver(viewer->log(), expected, limit).empty());

    // The calibration changes: recomputed once it is still.
    for (int slot = 0; slot < kSlotCount; ++slot)
        for (int k = 0; k < 31; ++k) image[slot * kSlotSize + k] = static_cast<std::uint8_t>(image[slot * kSlotSize + k] / 2);
    viewer->CalibrationMayHaveChanged();
    EXPECT_EQ(viewer->replay()->bank1_ms, expected.bank1_ms) << "not at every step of a drag";
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->replay()->bank1_ms != expected.bank1_ms; }, 2000));
    EXPECT_EQ(viewer->replay()->bank1_ms, Recompute(viewer->log(), image).bank1_ms);

    viewer->SetRecompute(false);
    EXPECT_EQ(viewer->replay(), nullptr);
    EXPECT_EQ(viewer->panel(viewer::kDuty1), nullptr);
    EXPECT_TRUE(viewer->overlays().over.empty());
    EXPECT_EQ(viewer->ReadOut(kChBank1, true, viewer::kColCursor), "");
}

TEST_F(LogViewerTest, AFileThatGivesNothingKeepsTheLogShownAndSaysWhy) {
    OpenKnown();
    viewer->ZoomTo(0.5, 1.0);
    const struct {
        const char* name;
        std::string text;
        const char* says;
    } cases[] = {
        {"empty.csv", "", "empty"},
        {"binary.csv", std::string("\x7f" "ELF\0\0\x01\x02", 8), "binary"},
        {"header.csv", orv::test::kEarlierLogHeader, "not opened"},
        {"words.csv", "just some words\r\nand more\r\n", "not opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(Dir() / c.name, c.text);
        EXPECT_FALSE(viewer->Open(Dir() / c.name));
        EXPECT_TRUE(viewer->status().startsWith(QStringLiteral("\"%1\" not opened: ").arg(c.name)))
            << viewer->status().toStdString();
        EXPECT_TRUE(viewer->status().contains(c.says)) << viewer->status().toStdString();
        EXPECT_TRUE(viewer->status().endsWith("; still showing \"known.csv\"")) << viewer->status().toStdString();
        EXPECT_EQ(viewer->log().rows(), 20u);
        EXPECT_SPAN(Span(), 0.5, 1.0);
    }
    EXPECT_FALSE(viewer->Open(Dir() / "missing.csv"));
    EXPECT_EQ(viewer->log().rows(), 20u);
    // Nothing was written to what it read.
    EXPECT_EQ(std::filesystem::file_size(Dir() / "header.csv"), orv::test::kEarlierLogHeader.size());
}

TEST_F(LogViewerTest, TheChannelChoiceIsKeptForTheNextViewer) {
    OpenKnown();
    viewer->SetChannels({kChWater, kChRpm, kChBank1});
    viewer->MoveChannel(kChBank1, -1);
    viewer->ShowChannel(kChAir, true);
    viewer->ShowChannel(kChRpm, false);
    const std::vector<int> want = {kChWater, kChBank1, kChAir};
    std::vector<int> drawn;
    for (viewer::LogPanel* p : viewer->panels()) drawn.push_back(p->channel());
    EXPECT_EQ(drawn, want);
    EXPECT_TRUE(std::filesystem::exists(Dir() / "logviewer.ini"));
    // The list shows the order, the drawn ones ticked.
    auto* list = viewer->findChild<QListWidget*>("logchannels");
    ASSERT_EQ(list->count(), viewer::kViewerChannels);
    EXPECT_EQ(list->item(0)->data(Qt::UserRole).toInt(), kChWater);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(2)->data(Qt::UserRole).toInt(), kChRpm);
    EXPECT_EQ(list->item(2)->checkState(), Qt::Unchecked);
    // Ticking an item in the list draws it.
    list->item(2)->setCheckState(Qt::Checked);
    EXPECT_NE(viewer->panel(kChRpm), nullptr);
    list->item(2)->setCheckState(Qt::Unchecked);

    viewer.reset();
    const auto again = Make();
    EXPECT_EQ(again->choice().shown, want);
    EXPECT_EQ(again->choice().order.size(), static_cast<std::size_t>(viewer::kViewerChannels));

    // A file edited by hand still gives every channel once.
    Write(Dir() / "logviewer.ini", "[channels]\norder=rpm, bogus, rpm, water_c\nshown=water_c, bogus\n");
    const viewer::ChannelChoice edited = viewer::ReadChoice(Dir());
    EXPECT_EQ(edited.shown, std::vector<int>{kChWater});
    EXPECT_EQ(edited.order.size(), static_cast<std::size_t>(viewer::kViewerChannels));
    EXPECT_EQ(edited.order.front(), kChRpm);

    // A folder where the file cannot be written: the viewer says so and
    // draws the channels chosen all the same.
    LogViewer nowhere(Log() / "not a folder", [this]() -> const Image& { return image; });
    nowhere.SetChannels({kChWater});
    EXPECT_TRUE(nowhere.status().endsWith("cannot be written: the channels chosen are not kept"))
        << nowhere.status().toStdString();
    EXPECT_EQ(nowhere.choice().shown, std::vector<int>{kChWater});
}

TEST_F(LogViewerTest, ALongLogIsDrawnWithNoMorePointsThanTwoAColumn) {
    std::string text = orv::test::kEarlierLogHeader;
    for (int k = 0; k < 20000; ++k) {
        LiveValues v = ValuesOf(k % 20);
        v.live_rpm = static_cast<std::uint8_t>(k % 7 == 0 ? 120 : 20 + k % 3);  // spikes every 7th row
        // Nothing for 10 s after row 10,000: the link was lost.
        text += Seconds(k * 0.007 + (k >= 10000 ? 10 : 0)) + "," + LiveChannelCells(v) + ",,\r\n";
    }
    Write(Dir() / "long.csv", text);
    ASSERT_TRUE(viewer->Open(Dir() / "long.csv")) << viewer->status().toStdString();
    QApplication::processEvents();
    viewer::LogPanel* rpm = viewer->panel(kChRpm);
    ASSERT_NE(rpm, nullptr);
    EXPECT_GT(rpm->Columns(), 100);
    EXPECT_LE(rpm->logged().size(), 2 * rpm->Columns());
    EXPECT_GT(rpm->logged().size(), rpm->Columns());  // min and max of nearly every column
    // The spikes are all there.
    double top = 0;
    for (const QPointF& p : rpm->logged()) top = std::max(top, p.y());
    EXPECT_EQ(top, 12000);
    EXPECT_GE(rpm->valueAxis()->max(), 12000);
    // The line stops at the gap, once, and nowhere between rows 7 ms apart.
    auto breaks = [&] { return std::count_if(rpm->logged().begin(), rpm->logged().end(), [](QPointF p) { return qIsNaN(p.x()); }); };
    EXPECT_EQ(breaks(), 1);
    viewer->ZoomTo(60, 61);
    EXPECT_EQ(breaks(), 0);
}

TEST_F(LogViewerTest, TheMouseMovesTheCursorZoomsAndPans) {
    OpenKnown();
    viewer::LogPanel* p = viewer->panels().front();
    QTest::mouseMove(p->viewport(), p->PositionOf(1.0));
    EXPECT_NEAR(viewer->cursorTime(), 1.0, 0.01);
    // A box drawn from 0.5 to 1.5 s.
    QTest::mousePress(p->viewport(), Qt::LeftButton, {}, p->PositionOf(0.5));
    QTest::mouseMove(p->viewport(), p->PositionOf(1.0));
    QTest::mouseRelease(p->viewport(), Qt::LeftButton, {}, p->PositionOf(1.5));
    EXPECT_NEAR(viewer->viewStart(), 0.5, 0.01);
    EXPECT_NEAR(viewer->viewEnd(), 1.5, 0.01);
    // Shift and a drag: the time taken hold of stays under the mouse.
    const double span = viewer->viewEnd() - viewer->viewStart();
    const QPoint from = p->PositionOf(1.0);
    QTest::mousePress(p->viewport(), Qt::LeftButton, Qt::ShiftModifier, from);
    QTest::mouseMove(p->viewport(), from + QPoint(p->PositionOf(0.8).x() - p->PositionOf(1.0).x(), 0));
    QTest::mouseRelease(p->viewport(), Qt::LeftButton, Qt::ShiftModifier, from);
    EXPECT_NEAR(viewer->viewStart(), 0.7, 0.01);
    EXPECT_NEAR(viewer->viewEnd() - viewer->viewStart(), span, 1e-9);
    // The wheel zooms about the time under the mouse; with Shift it pans.
    viewer->Fit();
    auto wheel = [&](double at, int steps, Qt::KeyboardModifiers modifiers) {
        const QPointF pos = p->PositionOf(at);
        QWheelEvent event(pos, p->viewport()->mapToGlobal(pos), {}, QPoint(0, 120 * steps), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(p->viewport(), &event);
    };
    wheel(1.0, 1, {});
    EXPECT_NEAR(viewer->viewEnd() - viewer->viewStart(), 2.6 * 0.8, 1e-9);
    EXPECT_NEAR(p->TimeAt(p->PositionOf(1.0)), 1.0, 0.01);
    EXPECT_NEAR(viewer->viewStart(), 1.0 - 1.0 * 0.8, 0.01);
    const double before = viewer->viewStart();
    wheel(1.0, -1, Qt::ShiftModifier);
    EXPECT_NEAR(viewer->viewStart(), before + 0.1 * 2.6 * 0.8, 1e-6);
    // A double click shows the whole log.
    QTest::mouseDClick(p->viewport(), Qt::LeftButton, {}, p->PositionOf(1.0));
    EXPECT_SPAN(Span(), 0.0, 2.6);
}

// --- on the console's window ---

class LogViewerWindowTest : public WindowTest {};

TEST_F(LogViewerWindowTest, ViewLogViewerOpensItWithinTheScreenAndItsDialogInLogs) {
    QAction* open = window->viewMenu()->findChild<QAction*>("logviewer");
    ASSERT_NE(open, nullptr);
    open->trigger();
    LogViewer* v = LogViewerOf(*window);
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(v->isVisible());
    EXPECT_EQ(v->objectName(), "LogViewer");
    QApplication::processEvents();
    EXPECT_TRUE(window->screen()->availableGeometry().contains(v->frameGeometry()))
        << v->frameGeometry().width() << "x" << v->frameGeometry().height() << " min " << v->minimumSizeHint().width()
        << "x" << v->minimumSizeHint().height() << " screen " << window->screen()->availableGeometry().width() << "x"
        << window->screen()->availableGeometry().height();
    EXPECT_LE(v->minimumSizeHint().width(), 1024);
    EXPECT_LE(v->minimumSizeHint().height(), 670);

    std::filesystem::create_directories(dir / "logs");
    Write(dir / "logs" / "drive.csv", KnownLog());
    v->findChild<QAction*>("logopen")->trigger();
    QFileDialog* dialog = v->openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(std::filesystem::path(dialog->directory().absolutePath().toStdString()), dir / "logs");
    dialog->selectFile(QString::fromStdString((dir / "logs" / "drive.csv").string()));
    static_cast<QDialog*>(dialog)->accept();  // as its Open button does
    EXPECT_EQ(v->log().rows(), 20u);
    // The window going takes the viewer with it.
    window.reset();
}

TEST_F(LogViewerWindowTest, ACalibrationChangedInTheConsoleIsRecomputed) {
    ApplyMapValues(console.cal.mem_image, ReadMapFile(ORV_SAMPLE_MAP).values);
    Write(dir / "drive.csv", KnownLog());
    OpenLogViewer(*window, dir / "drive.csv");
    LogViewer* v = LogViewerOf(*window);
    v->SetRecompute(true);
    const std::vector<float> before = v->replay()->bank1_ms;
    // As an edit would: the console's event, its listeners told.
    console.RunEvent([this] {
        for (int slot = 0; slot < kSlotCount; ++slot)
            for (int k = 0; k < 31; ++k) console.cal.mem_image[slot * kSlotSize + k] /= 2;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return v->replay()->bank1_ms != before; }, 2000));
    EXPECT_EQ(v->replay()->bank1_ms, Recompute(v->log(), console.cal.mem_image).bank1_ms);
}

TEST_F(LogViewerWindowTest, TheCommandLinesLogIsOpenedInTheViewer) {
    Write(dir / "drive.csv", KnownLog());
    const CommandLine line = ParseCommandLine({"orv-console", "--log", "drive.csv"}, false);
    ASSERT_FALSE(line.exit_code) << line.message;
    EXPECT_EQ(std::filesystem::path(line.log_file), std::filesystem::current_path() / "drive.csv");
    OpenLogViewer(*window, line.log_file);
    LogViewer* v = LogViewerOf(*window);
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(v->log().rows(), 20u);
    EXPECT_EQ(ParseCommandLine({"orv-console", "--log"}, false).exit_code, 2);
}

}  // namespace
}  // namespace orv::app::test
