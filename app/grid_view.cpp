#include "app/grid_view.h"

#include <QPaintEvent>
#include <QPainter>

namespace orv::app {

GridView::GridView(QWidget* parent) : QTableWidget(parent) { viewport()->setAttribute(Qt::WA_OpaquePaintEvent); }

void GridView::paintEvent(QPaintEvent* event) {
    {
        // The colour the style sheet gives the grid's background.
        QPainter p(viewport());
        p.fillRect(event->rect(), viewport()->palette().brush(viewport()->backgroundRole()));
    }
    QTableWidget::paintEvent(event);
}

}  // namespace orv::app
