#include "mainwindow/views/HorizontalDataScrollerView.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "mainwindow/views/DataScrollerKnob.h"

HorizontalDataScrollerView::HorizontalDataScrollerView(QWidget* parent) : QWidget(parent) {
    setObjectName("horizontalDataScrollerView");
    setFocusPolicy(Qt::ClickFocus);
}

bool HorizontalDataScrollerView::validCounts(Counts* counts) const {
    if (!controller_) return false;
    *counts = {controller_->firstFieldIndexOfDataPort() - controller_->firstFieldIndexToShow(),
               controller_->numberOfDataPortFieldsInFirstPage(),
               controller_->totalNumberOfFieldsToShow()};
    return counts->first >= 0 && counts->perPage >= 1 && counts->total >= 1;
}

double HorizontalDataScrollerView::scrollerWidth() const {
    Counts counts;
    if (!validCounts(&counts)) return DataScrollerKnob::kMinimumLength;
    return std::min<double>(width(),
                            DataScrollerKnob::length(width(), counts.perPage, counts.total));
}

double HorizontalDataScrollerView::scrollerHeight() const {
    return height() - 2 * scrollerYOffset();
}

QRectF HorizontalDataScrollerView::knobRect() const {
    Counts counts;
    if (!validCounts(&counts) || counts.total <= counts.perPage) return {};
    double w = scrollerWidth();
    double x = std::clamp(width() * double(counts.first) / double(counts.total), 0.0, width() - w);
    return QRectF(x, scrollerYOffset(), w, scrollerHeight());
}

void HorizontalDataScrollerView::stepTowards(double x, const Counts& counts) {
    int64_t firstToShow = controller_->firstFieldIndexToShow();
    if (x < 0) {
        controller_->moveDataPortToFieldIndex(firstToShow);
    } else if (x >= width()) {
        controller_->moveDataPortToFieldIndex(counts.total);
    } else {
        int64_t underPointer = int64_t(std::trunc(x / width() * double(counts.total)));
        if (counts.first < underPointer) {
            controller_->moveDataPortToFieldIndex(counts.first + firstToShow + 1);
        } else if (counts.first > underPointer) {
            controller_->moveDataPortToFieldIndex(counts.first + firstToShow - 1);
        }
    }
    update();
}

void HorizontalDataScrollerView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !knobRect().contains(event->position())) return;
    scrolling_ = true;
    update();
}

void HorizontalDataScrollerView::mouseMoveEvent(QMouseEvent* event) {
    Counts counts;
    if (!scrolling_ || !validCounts(&counts) || counts.total <= counts.perPage) return;
    stepTowards(event->position().x(), counts);
}

void HorizontalDataScrollerView::mouseReleaseEvent(QMouseEvent* event) {
    if (!controller_) {
        event->ignore();
        return;
    }
    if (scrolling_) {
        scrolling_ = false;
        update();
        return;
    }
    Counts counts;
    if (!validCounts(&counts) || counts.total <= counts.perPage) return;
    stepTowards(event->position().x(), counts);
}

void HorizontalDataScrollerView::paintEvent(QPaintEvent*) {
    DataScrollerKnob::paint(this, knobRect());
    if (!controller_) return;
    QPainter painter(this);
    QPen pen(palette().mid(), 1);
    pen.setJoinStyle(Qt::BevelJoin);
    painter.setPen(pen);
    painter.drawLine(QPointF(0.5, 0.5), QPointF(0.5, height()));
}
