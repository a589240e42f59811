#include "mainwindow/rows/views/DataScrollerView.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

DataScrollerView::DataScrollerView(QWidget* parent) : QWidget(parent) {
    // A drag or click here leaves the keyboard with the grid, so its keys keep working.
    setFocusPolicy(Qt::NoFocus);
}

bool DataScrollerView::knobShown(Counts* counts) const {
    return validCounts(counts) && counts->total > counts->perPage;
}

double DataScrollerView::knobLength(double trackLength) const {
    Counts counts;
    if (!validCounts(&counts)) return kMinimumKnobLength;
    double pages = std::ceil(double(counts.total) / double(counts.perPage));
    return std::min(trackLength, std::max(kMinimumKnobLength, trackLength / pages));
}

void DataScrollerView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !knobRect().contains(event->position())) return;
    knobPressed(event);
    scrolling_ = true;
    update();
}

void DataScrollerView::mouseMoveEvent(QMouseEvent* event) {
    Counts counts;
    if (!scrolling_ || !knobShown(&counts)) return;
    knobDragged(event, counts);
    update();
}

void DataScrollerView::mouseReleaseEvent(QMouseEvent* event) {
    if (!hasController()) {
        event->ignore();
        return;
    }
    // Another button's click (a context click) neither pages nor ends a drag.
    if (event->button() != Qt::LeftButton) return;
    if (scrolling_) {
        scrolling_ = false;
        update();
        return;
    }
    Counts counts;
    if (!knobShown(&counts)) return;
    clickedBesideKnob(event, counts);
    update();
}

void DataScrollerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    QRectF knob = knobRect();
    if (!knob.isEmpty()) painter.fillRect(knob, QColor(Qt::lightGray));
}
