#pragma once
// A calibration table's grid. Under the window's style sheet a scroll
// area's viewport is see-through (the area paints the background behind
// it), so every cell the live cursor moves would repaint the frames behind
// the grid too; this viewport paints all of itself.
#include <QTableWidget>

namespace orv::app {

class GridView : public QTableWidget {
   public:
    explicit GridView(QWidget* parent = nullptr);

   protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace orv::app
