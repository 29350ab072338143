#pragma once
// "Recording timeline": the whole recording as time series, one panel per
// quantity, with the playback position across them. A click or a drag on a
// panel seeks there as the user moving the recorder's slider does, so the
// playback and the read-outs follow. It listens to the console only while it
// is shown, and redraws the series only when the recording changed.
#include <QChartView>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/recorder/recording_series.h"
#include "core/shell/subscription.h"

class QLabel;
class QLineSeries;
class QValueAxis;

namespace orv {
class Main_Page;
}

namespace orv::app::plots {

// A panel of the timeline: reports the time under a press or a drag.
class TimelineView : public QChartView {
   public:
    // `bottom_room`: pixels under the plot for the time labels.
    TimelineView(QChart* chart, int bottom_room, QWidget* parent);
    std::function<void(double seconds)> on_seek;
    // Where a time is on the widget, for tests.
    QPoint PositionOf(double seconds) const;

   protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

   private:
    void SeekAt(QPointF at);
    int bottom_room_;
};

class RecordingTimelineWindow : public QWidget {
   public:
    // `user_action` runs a user's action on the console as one event, as the
    // window's own controls do.
    RecordingTimelineWindow(Main_Page& console, std::function<void(const std::function<void()>&)> user_action,
                            QWidget* parent = nullptr);

    static constexpr int kPanels = 6;
    TimelineView* panel(int i) const { return panels_[i].view; }
    // The series of a recorded value, and the position line, for tests.
    const QLineSeries* series(Channel c) const { return series_[static_cast<int>(c)]; }
    double position() const { return drawn_sample_ * kSampleSeconds; }
    int redraws() const { return redraws_; }

   protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

   private:
    struct Panel {
        TimelineView* view = nullptr;
        QValueAxis* x = nullptr;
        QValueAxis* y = nullptr;
        QLineSeries* cursor = nullptr;
        std::vector<Channel> channels;
        double lo = 0, hi = 1;  // the range while nothing is recorded
        double floor = 0;       // the least value the recorded bytes can give
    };
    void Follow();
    void DrawSeries(int samples);
    void DrawPosition(int sample);
    void Seek(double seconds);

    Main_Page& console_;
    std::function<void(const std::function<void()>&)> user_action_;
    Panel panels_[kPanels];
    QLineSeries* series_[kChannelCount] = {};
    QLabel* position_label_ = nullptr;
    std::vector<std::uint8_t> drawn_bytes_;
    int drawn_samples_ = -1;
    int drawn_sample_ = -1;
    Subscription listener_;  // while shown
    int redraws_ = 0;
};

}  // namespace orv::app::plots
