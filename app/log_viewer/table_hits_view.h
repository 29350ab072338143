#pragma once
// "Table hits": for each of the five tables, the seconds the engine spent on
// each of its rows over the span shown, a bar per row with the time written
// beside it, and the rows the cursor is on marked: the cells that matter.
#include <QWidget>
#include <array>
#include <optional>

#include "core/log/log_view.h"

class QBarSet;
class QChartView;

namespace orv::app::viewer {

class TableHitsView : public QWidget {
   public:
    explicit TableHitsView(QWidget* parent);
    void Show(const TableHits& hits);
    // The rows at the cursor (1: the first), or none.
    void Mark(const std::optional<std::array<int, kTableCount>>& rows);

    const QBarSet* bars(int table) const { return sets_[table]; }
    QChartView* chart(int table) const { return views_[table]; }
    // The text written beside a bar: "12.3 s", empty for no time.
    static QString SecondsText(double seconds);

   private:
    std::array<QChartView*, kTableCount> views_{};
    std::array<QBarSet*, kTableCount> sets_{};
    std::array<int, kTableCount> rows_{};
};

}  // namespace orv::app::viewer
