#pragma once
// A map drawn by ourselves, since no map tiles can be reached: the Web-Mercator plane with a
// labelled graticule, a pin per point annotation and translucent red circles with radii in
// metres. The region shown is set by a centre and a span and fitted into the view keeping the
// projection's aspect; the wheel zooms and a drag pans.
#include <QWidget>

#include <optional>
#include <vector>

#include "platform/ui/MapGeometry.h"

class MapView : public QWidget {
    Q_OBJECT

  public:
    explicit MapView(QWidget* parent = nullptr);

    // How far a pin's drawing reaches above its point, in view points.
    static constexpr double kPinHeight = 24;

    // Clamped into the world; the animation flag of the callers is not needed here. The whole
    // region is shown, edgePadding view points inside each edge of the view (room for the pins
    // drawn at its edges); a pan or zoom shows what is then in view, without padding.
    void setRegion(const MapRegion& region, double edgePadding = 0);
    const MapRegion& region() const { return region_; }

    void addAnnotation(MapCoordinate coordinate);
    void removeAllAnnotations();
    const std::vector<MapCoordinate>& annotations() const { return annotations_; }
    void addCircleOverlay(const MapCircle& circle);
    void removeAllOverlays();
    const std::vector<MapCircle>& overlays() const { return overlays_; }
    // The user's position, drawn as a dot; nothing hides it.
    void setUserLocation(std::optional<MapCoordinate> location);

    MapCoordinate convertPointToCoordinate(QPointF point) const;
    QPointF convertCoordinateToPoint(MapCoordinate coordinate) const;
    // The circle's radius as drawn, in view points.
    double radiusInViewPoints(const MapCircle& circle) const;

    QSize sizeHint() const override { return {420, 300}; }

  signals:
    void regionDidChange();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Map points per view point: the region fits inside the view less its padding.
    double scale() const;
    MapPoint centerPoint() const;
    void setCenterAndScale(MapPoint center, double scale);
    void drawGraticule(class QPainter& painter) const;

    MapRegion region_;
    double edgePadding_ = 0;
    std::vector<MapCoordinate> annotations_;
    std::vector<MapCircle> overlays_;
    std::optional<MapCoordinate> userLocation_;
    std::optional<QPointF> dragFrom_;
};

// Reports a Control-click (Command on a Mac keyboard) as a coordinate; every other release is the
// map's own (it ends a drag).
class ClickableMapView : public MapView {
    Q_OBJECT

  public:
    using MapView::MapView;

  signals:
    void pointWasClicked(MapCoordinate coordinate);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
