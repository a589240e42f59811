#include "platform/ui/MapView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

QSizeF viewSize(const QWidget& view) {
    QSize size = view.size();
    if (size.width() < 1 || size.height() < 1) size = view.sizeHint();
    return size;
}

// Graticule step in degrees: about six lines across the span.
double graticuleStep(double span) {
    const double steps[] = {0.0001, 0.0002, 0.0005, 0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,
                            0.2,    0.5,    1,      2,     5,     10,    15,   30,   45};
    for (double step : steps) {
        if (span / step <= 8) return step;
    }
    return 45;
}

}  // namespace

MapView::MapView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(120, 90);
    setMouseTracking(false);
}

void MapView::setRegion(const MapRegion& region, double edgePadding) {
    region_ = clampedRegion(region);
    edgePadding_ = std::max(edgePadding, 0.0);
    update();
    emit regionDidChange();
}

void MapView::addAnnotation(MapCoordinate coordinate) {
    annotations_.push_back(coordinate);
    update();
}

void MapView::removeAllAnnotations() {
    annotations_.clear();
    update();
}

void MapView::addCircleOverlay(const MapCircle& circle) {
    overlays_.push_back(circle);
    update();
}

void MapView::removeAllOverlays() {
    overlays_.clear();
    update();
}

void MapView::setUserLocation(std::optional<MapCoordinate> location) {
    userLocation_ = location;
    update();
}

MapPoint MapView::centerPoint() const {
    return mapPointForCoordinate(region_.center);
}

double MapView::scale() const {
    QSizeF size = viewSize(*this);
    const double inside = 2 * edgePadding_;
    double width = region_.longitudeDelta / 360 * kMapWorldSize;
    double centre = centerPoint().y;
    double north =
        mapPointForCoordinate({region_.center.latitude + region_.latitudeDelta / 2, 0}).y;
    double south =
        mapPointForCoordinate({region_.center.latitude - region_.latitudeDelta / 2, 0}).y;
    // The view centres on the centre latitude, and the projection stretches the half nearer the
    // pole: that half must fit too.
    double halfHeight = std::max(centre - north, south - centre);
    double fitted = std::max(width / std::max(size.width() - inside, 1.0),
                             2 * halfHeight / std::max(size.height() - inside, 1.0));
    // A zero span still shows something.
    return std::max(fitted, 0.01);
}

void MapView::setCenterAndScale(MapPoint center, double scale) {
    QSizeF size = viewSize(*this);
    scale = std::clamp(scale, 0.01, kMapWorldSize / size.width());
    center.y = std::clamp(center.y, 0.0, kMapWorldSize);
    MapCoordinate middle = coordinateForMapPoint(center);
    double top = coordinateForMapPoint({center.x, center.y - scale * size.height() / 2}).latitude;
    double bottom =
        coordinateForMapPoint({center.x, center.y + scale * size.height() / 2}).latitude;
    // The half nearer the pole spans fewer degrees; twice it is the span whose region, shown
    // again, has this scale.
    setRegion({middle, 2 * std::min(top - middle.latitude, middle.latitude - bottom),
               scale * size.width() / kMapWorldSize * 360});
}

MapCoordinate MapView::convertPointToCoordinate(QPointF point) const {
    QSizeF size = viewSize(*this);
    MapPoint center = centerPoint();
    double s = scale();
    MapCoordinate coordinate =
        coordinateForMapPoint({center.x + (point.x() - size.width() / 2) * s,
                               center.y + (point.y() - size.height() / 2) * s});
    coordinate.longitude = clampedRegion({coordinate, 0, 0}).center.longitude;
    return coordinate;
}

QPointF MapView::convertCoordinateToPoint(MapCoordinate coordinate) const {
    QSizeF size = viewSize(*this);
    MapPoint center = centerPoint();
    MapPoint point = mapPointForCoordinate(coordinate);
    // The copy of the point nearest the centre, across the antimeridian.
    double dx = std::remainder(point.x - center.x, kMapWorldSize);
    double s = scale();
    return {size.width() / 2 + dx / s, size.height() / 2 + (point.y - center.y) / s};
}

double MapView::radiusInViewPoints(const MapCircle& circle) const {
    return circle.radius * mapPointsPerMeterAtLatitude(circle.center.latitude) / scale();
}

void MapView::drawGraticule(QPainter& painter) const {
    QSizeF size = viewSize(*this);
    MapCoordinate topLeft = convertPointToCoordinate({0, 0});
    MapCoordinate bottomRight = convertPointToCoordinate({size.width(), size.height()});
    double west = convertPointToCoordinate({0, size.height() / 2}).longitude;
    double lonSpan = scale() * size.width() / kMapWorldSize * 360;
    double latStep = graticuleStep(topLeft.latitude - bottomRight.latitude);
    double lonStep = graticuleStep(lonSpan);
    painter.setPen(QPen(QColor(120, 150, 180), 0));
    QFont font = painter.font();
    font.setPointSizeF(7.5);
    painter.setFont(font);
    for (double lat = std::ceil(bottomRight.latitude / latStep) * latStep; lat <= topLeft.latitude;
         lat += latStep) {
        double y = convertCoordinateToPoint({lat, region_.center.longitude}).y();
        painter.drawLine(QPointF(0, y), QPointF(size.width(), y));
        // The bottom edge carries the longitudes.
        if (y < size.height() - 14) {
            painter.drawText(QPointF(3, y - 2), QString::number(lat, 'g', 8) + QChar(0xB0));
        }
    }
    for (double lon = std::ceil(west / lonStep) * lonStep; lon <= west + lonSpan; lon += lonStep) {
        double x = convertCoordinateToPoint({region_.center.latitude, lon}).x();
        painter.drawLine(QPointF(x, 0), QPointF(x, size.height()));
        double shown = std::remainder(lon, 360.0);
        painter.drawText(QPointF(x + 2, size.height() - 3),
                         QString::number(shown, 'g', 8) + QChar(0xB0));
    }
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(214, 230, 242));
    drawGraticule(painter);
    for (const MapCircle& circle : overlays_) {
        double r = radiusInViewPoints(circle);
        QPointF centre = convertCoordinateToPoint(circle.center);
        painter.setPen(QPen(QColor(255, 0, 0, 160), 1));
        painter.setBrush(QColor(255, 0, 0, 26));
        painter.drawEllipse(centre, r, r);
    }
    const double headRadius = 5;
    const double stem = kPinHeight - 2 * headRadius;
    for (const MapCoordinate& pin : annotations_) {
        QPointF tip = convertCoordinateToPoint(pin);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(tip, tip - QPointF(0, stem));
        painter.setBrush(QColor(220, 30, 30));
        painter.drawEllipse(tip - QPointF(0, stem + headRadius - 1), headRadius, headRadius);
    }
    if (userLocation_) {
        QPointF dot = convertCoordinateToPoint(*userLocation_);
        painter.setPen(QPen(Qt::white, 2));
        painter.setBrush(QColor(0, 110, 255));
        painter.drawEllipse(dot, 6, 6);
    }
}

void MapView::wheelEvent(QWheelEvent* event) {
    double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    // The coordinate under the pointer stays put.
    QSizeF size = viewSize(*this);
    QPointF at = event->position();
    MapPoint center = centerPoint();
    double s = scale();
    MapPoint under{center.x + (at.x() - size.width() / 2) * s,
                   center.y + (at.y() - size.height() / 2) * s};
    double zoomed = s * std::pow(0.8, steps);
    setCenterAndScale({under.x - (at.x() - size.width() / 2) * zoomed,
                       under.y - (at.y() - size.height() / 2) * zoomed},
                      zoomed);
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_ = event->position();
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_) return;
    QPointF moved = event->position() - *dragFrom_;
    dragFrom_ = event->position();
    MapPoint center = centerPoint();
    double s = scale();
    setCenterAndScale({center.x - moved.x() * s, center.y - moved.y() * s}, s);
}

void MapView::mouseReleaseEvent(QMouseEvent*) {
    dragFrom_.reset();
}

void ClickableMapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        emit pointWasClicked(convertPointToCoordinate(event->position()));
    }
    MapView::mouseReleaseEvent(event);
}
