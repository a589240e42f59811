#include "mainwindow/rows/views/VerticalDataScrollerView.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

// The knob's travel (the height less the knob's) stands for the first rows 0 to total - perPage,
// so that the knob is drawn, hit and dragged on one scale and reaches the last page at the
// bottom.

VerticalDataScrollerView::VerticalDataScrollerView(QWidget* parent) : DataScrollerView(parent) {
    setObjectName("verticalDataScrollerView");
}

bool VerticalDataScrollerView::validCounts(Counts* counts) const {
    if (!controller_) return false;
    *counts = {controller_->firstRowIndex().value, controller_->numberOfDataPortRows(),
               controller_->totalNumberOfRows()};
    return counts->first >= 0 && counts->perPage >= 1 && counts->total >= 1;
}

QRectF VerticalDataScrollerView::knobRect() const {
    Counts counts;
    if (!knobShown(&counts)) return {};
    double h = scrollerHeight();
    double fraction = std::min(1.0, double(counts.first) / double(counts.total - counts.perPage));
    return QRectF(scrollerXOffset(), (height() - h) * fraction, scrollerWidth(), h);
}

void VerticalDataScrollerView::moveTo(int64_t row, const Counts& counts) {
    controller_->moveDataPortToRowIndex(
        RowIndex(std::clamp<int64_t>(row, 0, counts.total - counts.perPage)));
}

void VerticalDataScrollerView::moveKnobTopTo(double y, const Counts& counts) {
    double travel = height() - scrollerHeight();
    int64_t lastFirst = counts.total - counts.perPage;
    double row = travel > 0 ? y / travel * double(lastFirst) : 0;
    // Past the travel the row leaves the int64 range on a huge table; the cast would wrap it.
    moveTo(row >= double(lastFirst) ? lastFirst : int64_t(std::trunc(std::max(row, 0.0))), counts);
}

void VerticalDataScrollerView::knobPressed(const QMouseEvent* event) {
    QRectF knob = knobRect();
    scrollerHoldFraction_ = (knob.bottom() - event->position().y()) / knob.height();
}

void VerticalDataScrollerView::knobDragged(const QMouseEvent* event, const Counts& counts) {
    // Below the view shows the last page.
    if (event->position().y() > height()) {
        moveTo(counts.total, counts);
        return;
    }
    moveKnobTopTo(event->position().y() - scrollerHeight() * (1 - scrollerHoldFraction_), counts);
}

void VerticalDataScrollerView::clickedBesideKnob(const QMouseEvent* event, const Counts& counts) {
    QRectF knob = knobRect();
    double y = event->position().y();
    if (event->modifiers() & Qt::AltModifier) {
        // The knob's middle comes under the pointer.
        moveKnobTopTo(y - knob.height() / 2, counts);
    } else if (y < knob.top()) {
        moveTo(counts.first - counts.perPage, counts);
    } else if (y >= knob.bottom()) {
        moveTo(counts.first + counts.perPage, counts);
    }
}
