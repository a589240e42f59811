#include "mainwindow/rows/views/RowsLowerRightView.h"

#include <QPainter>

RowsLowerRightView::RowsLowerRightView(QWidget* parent) : QWidget(parent) {
    setObjectName("rowsLowerRightView");
}

void RowsLowerRightView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
}
