#include "app/plots/recording_timeline.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QResizeEvent>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

#include "app/accessibility.h"
#include "app/plots/plot_look.h"
#include "core/common/numbers.h"
#include "core/page/main_page.h"
#include "core/recorder/recording.h"

namespace orv::app::plots {

using namespace colours;

namespace {

constexpr double kFullTime = kRecMaxSamples * kSampleSeconds;
// The time scale: the shortest it spans, and the most ticks it writes.
constexpr double kLeastTime = 1.0;
constexpr int kTimeTicks = 13;

// Room around each panel's plot, the same on all so that their time scales
// line up.
constexpr int kLeftRoom = 80, kRightRoom = 12, kTopRoom = 12, kTimeRoom = 40;

struct PanelSpec {
    const char* title;
    double lo, hi;  // shown while nothing is recorded
    double floor;   // the value of byte 0
    const char* label_format;
    struct Line {
        Channel channel;
        const char* name;
        QColor colour;
    } lines[2];
    int line_count;
};

const PanelSpec kPanelSpecs[RecordingTimelineWindow::kPanels] = {
    {"RPM x1000", 0, 8, 0, "%.1f", {{Channel::Rpm, "RPM", QColor(240, 176, 48)}, {}}, 1},
    {"PRES (bar)", -1, 1, -1, "%.1f", {{Channel::Pressure, "PRES", QColor(86, 182, 230)}, {}}, 1},
    {"TPS (%)", 0, 100, 0, "%.0f", {{Channel::Throttle, "TPS", QColor(62, 196, 109)}, {}}, 1},
    {"TEMP (\u00b0C)", -20, 120, -20, "%.0f",
     {{Channel::Air, "Air", QColor(140, 200, 255)}, {Channel::Water, "Water", QColor(236, 98, 84)}}, 2},
    {"TINJ (ms)", 0, 10, 0, "%.1f",
     {{Channel::Bank1, "Bank 1", QColor(240, 176, 48)}, {Channel::Bank2, "Bank 2", QColor(206, 214, 96)}}, 2},
    {"ADV (\u00b0)", -10, 40, -45, "%.0f", {{Channel::Advance, "ADV", QColor(190, 140, 240)}, {}}, 1},
};

}  // namespace

TimelineView::TimelineView(QChart* chart, int bottom_room, QWidget* parent)
    : QChartView(chart, parent), bottom_room_(bottom_room) {
    setCursor(Qt::CrossCursor);
}

void TimelineView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    const QRectF area(kLeftRoom, kTopRoom, std::max(10, width() - kLeftRoom - kRightRoom),
                      std::max(10, height() - kTopRoom - bottom_room_));
    chart()->setPlotArea(area);
    // The plot area moves the traces at once; the axes' grid and frame were
    // laid out by the resize, on the old area: they must be laid out again.
    chart()->layout()->invalidate();
    // The names of a panel's lines sit in its top right corner.
    QLegend* legend = chart()->legend();
    if (legend->isVisible()) legend->setGeometry(QRectF(area.right() - 164, area.top() + 2, 160, 26));
}

QPoint TimelineView::PositionOf(double seconds) const {
    const QRectF area = chart()->plotArea();
    const QPointF in_chart(chart()->mapToPosition(QPointF(seconds, 0)).x(), area.center().y());
    return mapFromScene(chart()->mapToScene(in_chart));
}

void TimelineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) SeekAt(event->position());
    event->accept();
}

void TimelineView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) SeekAt(event->position());
    event->accept();
}

void TimelineView::SeekAt(QPointF at) {
    const QPointF in_chart = chart()->mapFromScene(mapToScene(at.toPoint()));
    const QRectF area = chart()->plotArea();
    // Dragged past either end, the position stops at the end.
    if (in_chart.y() < area.top() || in_chart.y() > area.bottom()) return;
    if (on_seek) on_seek(chart()->mapToValue(in_chart).x());
}

RecordingTimelineWindow::RecordingTimelineWindow(Main_Page& console,
                                                 std::function<void(const std::function<void()>&)> user_action,
                                                 QWidget* parent)
    : QWidget(parent, Qt::Window), console_(console), user_action_(std::move(user_action)) {
    setObjectName("RecordingTimeline");
    setWindowTitle(QStringLiteral("Recording timeline"));
    ExposeWindow(this);
    StyleWindow(this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(3);
    position_label_ = new QLabel(this);
    position_label_->setObjectName("position");
    position_label_->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(kAmber.name()));
    column->addWidget(position_label_);

    for (int i = 0; i < kPanels; ++i) {
        const PanelSpec& spec = kPanelSpecs[i];
        Panel& p = panels_[i];
        auto* chart = new QChart;
        StyleChart(chart, {});
        // A plot area set by hand keeps its background where the automatic
        // layout put it: the whole panel is the plot's colour instead.
        chart->setPlotAreaBackgroundVisible(false);
        chart->setBackgroundBrush(kPlot);
        const bool bottom = i == kPanels - 1;
        p.x = MakeAxis(bottom ? QStringLiteral("Time (s)") : QString(), "%.0f");
        // One time scale for all panels; only the bottom one writes it.
        p.x->setLabelsVisible(bottom);
        p.y = MakeAxis(QString::fromUtf8(spec.title), spec.label_format);
        p.lo = spec.lo;
        p.hi = spec.hi;
        p.floor = spec.floor;
        chart->addAxis(p.x, Qt::AlignBottom);
        chart->addAxis(p.y, Qt::AlignLeft);
        for (int l = 0; l < spec.line_count; ++l) {
            auto* s = new QLineSeries;
            s->setName(QString::fromLatin1(spec.lines[l].name));
            s->setPen(QPen(spec.lines[l].colour, 1.5));
            chart->addSeries(s);
            s->attachAxis(p.x);
            s->attachAxis(p.y);
            series_[static_cast<int>(spec.lines[l].channel)] = s;
            p.channels.push_back(spec.lines[l].channel);
        }
        p.cursor = new QLineSeries;
        p.cursor->setPen(QPen(kCursor, 1.5));
        chart->addSeries(p.cursor);
        p.cursor->attachAxis(p.x);
        p.cursor->attachAxis(p.y);
        if (spec.line_count > 1) {
            // Two lines in a panel: name them, the position line needs no name.
            QLegend* legend = chart->legend();
            legend->detachFromChart();
            legend->setAlignment(Qt::AlignTop);  // side by side
            legend->show();
            legend->setLabelColor(kText);
            legend->setBackgroundVisible(true);
            legend->setBrush(QColor(18, 20, 23, 220));
            legend->setPen(QPen(kGrid));
            legend->markers(p.cursor).first()->setVisible(false);
        }

        p.view = new TimelineView(chart, bottom ? kTimeRoom : kTopRoom, this);
        p.view->setObjectName(QStringLiteral("timeline(%1)").arg(i));
        ExposeChart(p.view, p.y->titleText() + QStringLiteral(" over time"));
        StyleView(p.view);
        p.view->setMinimumHeight(bottom ? 110 : 80);  // all six fit a 700-pixel-high screen
        p.view->on_seek = [this](double seconds) { Seek(seconds); };
        column->addWidget(p.view, bottom ? 13 : 10);
    }
    resize(960, 760);
}

void RecordingTimelineWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!listener_) listener_ = console_.AddListener([this] { Follow(); });
    Follow();
}

void RecordingTimelineWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Closed, the window costs the console nothing.
    listener_.Reset();
}

void RecordingTimelineWindow::Follow() {
    const RecorderState& rec = console_.rec;
    const int samples = RecordedSamples(rec);
    const auto bytes = std::span(rec.rec_buffer).first(static_cast<std::size_t>(samples) * kRecSampleSize);
    bool drawn = false;
    if (samples != drawn_samples_ || !std::equal(bytes.begin(), bytes.end(), drawn_bytes_.begin(), drawn_bytes_.end())) {
        drawn_bytes_.assign(bytes.begin(), bytes.end());
        DrawSeries(samples);
        drawn = true;
    }
    const int position = console_.form.timesel.Value();
    if (drawn || position != drawn_sample_) DrawPosition(position);
}

void RecordingTimelineWindow::DrawSeries(int samples) {
    const RecordingSeries s = SeriesOf(console_.rec.rec_buffer, samples);
    // The time scale spans what was recorded; with nothing recorded, the
    // minute the recorder can hold.
    const double span = samples > 0 ? std::max(samples * kSampleSeconds, kLeastTime) : kFullTime;
    for (Panel& p : panels_) {
        NiceScale(p.x, 0, span, kTimeTicks);
        p.x->setLabelFormat(p.x->tickInterval() < 1 ? "%.1f" : "%.0f");
        double lo = p.lo, hi = p.hi;
        if (samples > 0) {
            lo = hi = s[p.channels.front()].front();
            for (Channel c : p.channels) {
                auto [a, b] = std::minmax_element(s[c].begin(), s[c].end());
                lo = std::min(lo, *a);
                hi = std::max(hi, *b);
            }
            const double margin = std::max((hi - lo) * 0.08, 0.5);
            lo = std::max(p.floor, lo - margin);
            hi += margin;
        }
        NiceScale(p.y, lo, hi, 4, 0.3);
        for (Channel c : p.channels) {
            QList<QPointF> points;
            points.reserve(samples);
            for (int k = 0; k < samples; ++k) points.append(QPointF(s.time[k], s[c][k]));
            series_[static_cast<int>(c)]->replace(points);
        }
    }
    drawn_samples_ = samples;
    ++redraws_;
}

void RecordingTimelineWindow::DrawPosition(int sample) {
    drawn_sample_ = sample;
    const double at = position();
    for (Panel& p : panels_) p.cursor->replace(QList<QPointF>{{at, p.y->min()}, {at, p.y->max()}});
    position_label_->setText(QStringLiteral("%1 s   of %2 s recorded")
                                 .arg(QString::fromStdString(Format(at, "#0.0")),
                                      QString::fromStdString(Format(drawn_samples_ * kSampleSeconds, "#0.0"))));
}

void RecordingTimelineWindow::Seek(double seconds) {
    form::Form& f = console_.form;
    // The slider's own rules: no seek where the user could not move it.
    if (!f.recorder.Enabled || !f.timesel.Enabled) return;
    const int sample = SampleAt(seconds);
    user_action_([&f, sample] { f.timesel.UserMove(sample); });
}

}  // namespace orv::app::plots
