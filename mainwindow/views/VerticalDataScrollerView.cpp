#include "mainwindow/views/VerticalDataScrollerView.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

#include "mainwindow/views/DataScrollerKnob.h"

// The knob's travel (the height less the knob's) stands for the first rows 0 to total - perPage,
// so that the knob is drawn, hit and dragged on one scale and reaches the last page at the
// bottom.

VerticalDataScrollerView::VerticalDataScrollerView(QWidget* parent) : QWidget(parent) {
    setObjectName("verticalDataScrollerView");
    setFocusPolicy(Qt::ClickFocus);
}

bool VerticalDataScrollerView::validCounts(Counts* counts) const {
    if (!controller_) return false;
    *counts = {controller_->firstRowIndex(), controller_->numberOfDataPortRows(),
               controller_->totalNumberOfRows()};
    return counts->first >= 0 && counts->perPage >= 1 && counts->total >= 1;
}

double VerticalDataScrollerView::scrollerHeight() const {
    Counts counts;
    if (!validCounts(&counts)) return DataScrollerKnob::kMinimumLength;
    return std::min<double>(height(),
                            DataScrollerKnob::length(height(), counts.perPage, counts.total));
}

double VerticalDataScrollerView::scrollerWidth() const {
    return width() - 2 * scrollerXOffset();
}

QRectF VerticalDataScrollerView::knobRect() const {
    Counts counts;
    if (!validCounts(&counts) || counts.total <= counts.perPage) return {};
    double h = scrollerHeight();
    double travel = height() - h;
    double fraction = std::min(1.0, double(counts.first) / double(counts.total - counts.perPage));
    return QRectF(scrollerXOffset(), travel * fraction, scrollerWidth(), h);
}

double VerticalDataScrollerView::heightAbove(const QMouseEvent* event) const {
    return height() - event->position().y();
}

void VerticalDataScrollerView::moveTo(double row, const Counts& counts) {
    int64_t last = counts.total - counts.perPage;
    controller_->moveDataPortToRowIndex(std::clamp<int64_t>(int64_t(std::trunc(row)), 0, last));
    update();
}

void VerticalDataScrollerView::mousePressEvent(QMouseEvent* event) {
    QRectF knob = knobRect();
    if (event->button() != Qt::LeftButton || !knob.contains(event->position())) return;
    scrollerHoldFraction_ = (heightAbove(event) - (height() - knob.bottom())) / knob.height();
    scrolling_ = true;
    update();
}

void VerticalDataScrollerView::mouseMoveEvent(QMouseEvent* event) {
    Counts counts;
    if (!scrolling_ || !validCounts(&counts) || counts.total <= counts.perPage) return;
    double h = scrollerHeight();
    double travel = height() - h;
    // Below the view shows the last page; otherwise the knob's top follows the pointer where
    // the knob was grabbed.
    double top = event->position().y() - h * (1 - scrollerHoldFraction_);
    if (heightAbove(event) < 0 || travel <= 0) {
        moveTo(double(counts.total), counts);
    } else {
        moveTo(top / travel * double(counts.total - counts.perPage), counts);
    }
}

void VerticalDataScrollerView::mouseReleaseEvent(QMouseEvent* event) {
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
    QRectF knob = knobRect();
    if (!validCounts(&counts) || knob.isEmpty()) return;
    double y = event->position().y();
    if (event->modifiers() & Qt::AltModifier) {
        // The knob's middle comes under the pointer.
        double travel = height() - knob.height();
        double top = y - knob.height() / 2;
        moveTo(travel > 0 ? top / travel * double(counts.total - counts.perPage) : 0, counts);
    } else if (y < knob.top()) {
        moveTo(double(counts.first - counts.perPage), counts);
    } else if (y >= knob.bottom()) {
        moveTo(double(counts.first + counts.perPage), counts);
    }
}

void VerticalDataScrollerView::paintEvent(QPaintEvent*) {
    DataScrollerKnob::paint(this, knobRect());
}
