#include "mainwindow/views/DataScrollerKnob.h"

#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace DataScrollerKnob {

double length(double trackLength, int64_t perPage, int64_t total) {
    if (perPage < 1 || total < 1) return kMinimumLength;
    double pages = std::ceil(double(total) / double(perPage));
    return std::max(kMinimumLength, trackLength / pages);
}

void paint(QWidget* view, const QRectF& knob) {
    QPainter painter(view);
    painter.fillRect(view->rect(), view->palette().window());
    if (!knob.isEmpty()) painter.fillRect(knob, QColor(Qt::lightGray));
}

}  // namespace DataScrollerKnob
