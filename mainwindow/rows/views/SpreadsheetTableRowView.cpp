#include "mainwindow/rows/views/SpreadsheetTableRowView.h"

#include <QPainter>

#include <cmath>

void SpreadsheetTableRowView::drawRect(QPainter* painter, const QRect& rowRect,
                                       QWidget* window) const {
    if (!spreadsheetDelegate_) return;
    int x = static_cast<int>(std::lround(spreadsheetDelegate_->lastColumnPosition()));
    if (x >= rowRect.right()) return;
    QRect beyond(x, rowRect.top(), rowRect.right() - x + 1, rowRect.height());
    painter->fillRect(beyond, spreadsheetDelegate_->spreadsheetTableRowViewBackgroundColor(window));
}
