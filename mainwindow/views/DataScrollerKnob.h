#pragma once
// What both data scrollers share: the knob's length along the track and the painting of the
// track and knob.
#include <QRectF>

#include <cstdint>

class QWidget;

namespace DataScrollerKnob {
constexpr double kMinimumLength = 30;
// The track divided by the number of pages, never below the minimum.
double length(double trackLength, int64_t perPage, int64_t total);
// Fills the view with the window background and, unless knob is empty, the knob.
void paint(QWidget* view, const QRectF& knob);
}  // namespace DataScrollerKnob
