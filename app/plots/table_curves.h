#pragma once
// "Table curves": each grid's viewed table drawn against its axis, in a
// window of its own. The curve follows the image as it is edited, and the
// point of the grid's current row is marked. It listens to the console only
// while it is shown, and redraws a table only when that table changed.
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/calibration/table_coding.h"
#include "core/calibration/image.h"
#include "core/shell/subscription.h"

class QChart;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace orv {
class Main_Page;
}

namespace orv::app::plots {

class TableCurvesWindow : public QWidget {
   public:
    explicit TableCurvesWindow(Main_Page& console, QWidget* parent = nullptr);

    // What is drawn, for tests: grid t's curve and its marked point (none
    // when the grid's row is no entry).
    const QLineSeries* curve(int t) const { return plots_[t].curve; }
    const QScatterSeries* mark(int t) const { return plots_[t].mark; }
    const QChart* chart(int t) const { return plots_[t].chart; }
    // The log viewer's cursor: a point of its own on each curve (none for
    // nullopt or a row that is no entry).
    void SetLogRows(const std::optional<std::array<int, kTableCount>>& rows);
    const QScatterSeries* logMark(int t) const { return plots_[t].log_mark; }
    // How many times a table has been redrawn since the window was made.
    int redraws() const { return redraws_; }

   protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

   private:
    // What a table's drawing was made from; equal keys, nothing to draw.
    struct Key {
        TableView view = TableView::Fuel;
        int address = -1;
        std::vector<std::uint8_t> bytes;
        int row = -1;
        int log_row = 0;
        unsigned long revision = 0;
        bool operator==(const Key&) const = default;
    };
    struct Plot {
        QChart* chart = nullptr;
        QLineSeries* curve = nullptr;
        QScatterSeries* points = nullptr;
        QScatterSeries* mark = nullptr;
        QScatterSeries* log_mark = nullptr;
        QValueAxis* x = nullptr;
        QValueAxis* y = nullptr;
        Key drawn;
    };
    void Follow();
    void Draw(int t, const Key& key);

    Main_Page& console_;
    std::array<Plot, kTableCount> plots_;
    Subscription listener_;  // while shown
    std::optional<std::array<int, kTableCount>> log_rows_;
    int redraws_ = 0;
};

}  // namespace orv::app::plots
