#pragma once
// The flat map's geometry: a Web-Mercator plane of map points, regions of a centre and a span in
// degrees, and the region that fits a set of circles. Nothing here yields NaN: latitudes are
// held inside the projection's limit and spans inside the world.
#include <optional>
#include <vector>

struct MapCoordinate {
    double latitude = 0;
    double longitude = 0;
};

struct MapPoint {
    double x = 0;
    double y = 0;
};

struct MapRegion {
    MapCoordinate center;
    double latitudeDelta = 180;
    double longitudeDelta = 360;
};

// A centre with a radius in metres; 0 for a plain pin.
struct MapCircle {
    MapCoordinate center;
    double radius = 0;
};

// The projection cannot show the poles.
constexpr double kMercatorLatitudeLimit = 85.0511287798066;
// The world's width and height in map points.
constexpr double kMapWorldSize = 268435456.0;
// The smallest span a region fitted around pins gets.
constexpr double kMinimumFittedSpan = 0.00725;

MapPoint mapPointForCoordinate(MapCoordinate coordinate);
MapCoordinate coordinateForMapPoint(MapPoint point);
double mapPointsPerMeterAtLatitude(double latitude);
// Latitude inside the projection's limit, longitude in -180...180, spans inside the world.
MapRegion clampedRegion(MapRegion region);
// The region centred between the circles, at least kMinimumFittedSpan wide, widened by twice the
// largest radius and 0.1 degree when any circle has one; it takes the shorter way around the
// antimeridian. Nothing for no circles.
std::optional<MapRegion> regionFittingCircles(const std::vector<MapCircle>& circles);
