#include "mainwindow/rows/views/HorizontalDataScrollerView.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

HorizontalDataScrollerView::HorizontalDataScrollerView(QWidget* parent) : DataScrollerView(parent) {
    setObjectName("horizontalDataScrollerView");
}

bool HorizontalDataScrollerView::validCounts(Counts* counts) const {
    if (!controller_) return false;
    *counts = {controller_->firstFieldIndexOfDataPort() - controller_->firstFieldIndexToShow(),
               controller_->numberOfDataPortFieldsInFirstPage(),
               controller_->totalNumberOfFieldsToShow()};
    return counts->first >= 0 && counts->perPage >= 1 && counts->total >= 1;
}

QRectF HorizontalDataScrollerView::knobRect() const {
    Counts counts;
    if (!knobShown(&counts)) return {};
    double w = scrollerWidth();
    double x = std::clamp(width() * double(counts.first) / double(counts.total), 0.0, width() - w);
    return QRectF(x, scrollerYOffset(), w, scrollerHeight());
}

void HorizontalDataScrollerView::stepTowards(double x, const Counts& counts) {
    FieldIndex firstToShow = controller_->firstFieldIndexToShow();
    if (x < 0) {
        controller_->moveDataPortToFieldIndex(firstToShow);
    } else if (x >= width()) {
        controller_->moveDataPortToFieldIndex(FieldIndex(counts.total));
    } else {
        int64_t underPointer = int64_t(std::trunc(x / width() * double(counts.total)));
        if (counts.first < underPointer) {
            controller_->moveDataPortToFieldIndex(firstToShow + (counts.first + 1));
        } else if (counts.first > underPointer) {
            controller_->moveDataPortToFieldIndex(firstToShow + (counts.first - 1));
        }
    }
}

void HorizontalDataScrollerView::knobDragged(const QMouseEvent* event, const Counts& counts) {
    stepTowards(event->position().x(), counts);
}

void HorizontalDataScrollerView::clickedBesideKnob(const QMouseEvent* event, const Counts& counts) {
    stepTowards(event->position().x(), counts);
}

void HorizontalDataScrollerView::paintEvent(QPaintEvent* event) {
    DataScrollerView::paintEvent(event);
    if (!controller_) return;
    // The view's left edge, beside the row-number column.
    QPainter painter(this);
    QPen pen(palette().mid(), 1);
    pen.setJoinStyle(Qt::BevelJoin);
    painter.setPen(pen);
    painter.drawLine(QPointF(0.5, 0.5), QPointF(0.5, height()));
}
