#include "platform/ui/MapGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kEarthRadius = 6378137.0;

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

double clampedLatitude(double latitude) {
    return std::clamp(finiteOr(latitude, 0), -kMercatorLatitudeLimit, kMercatorLatitudeLimit);
}

double wrappedLongitude(double longitude) {
    longitude = finiteOr(longitude, 0);
    if (longitude >= -180 && longitude <= 180) return longitude;
    double wrapped = std::fmod(longitude + 180, 360);
    if (wrapped < 0) wrapped += 360;
    return wrapped - 180;
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}
double degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

// The shortest arc of longitudes holding them all: its west end and its width. The largest gap
// between neighbours, the one across the antimeridian included, is left out.
std::pair<double, double> longitudeArc(std::vector<double> longitudes) {
    std::sort(longitudes.begin(), longitudes.end());
    double west = longitudes.front();
    double largestGap = longitudes.front() + 360 - longitudes.back();
    for (size_t i = 1; i < longitudes.size(); ++i) {
        double gap = longitudes[i] - longitudes[i - 1];
        if (gap > largestGap) {
            largestGap = gap;
            west = longitudes[i];
        }
    }
    return {west, 360 - largestGap};
}

}  // namespace

MapPoint mapPointForCoordinate(MapCoordinate coordinate) {
    double latitude = radians(clampedLatitude(coordinate.latitude));
    double x = (finiteOr(coordinate.longitude, 0) + 180) / 360 * kMapWorldSize;
    double y = (1 - std::log(std::tan(latitude) + 1 / std::cos(latitude)) / std::numbers::pi) / 2 *
               kMapWorldSize;
    return {x, y};
}

MapCoordinate coordinateForMapPoint(MapPoint point) {
    double longitude = point.x / kMapWorldSize * 360 - 180;
    double n = std::numbers::pi * (1 - 2 * point.y / kMapWorldSize);
    return {clampedLatitude(degrees(std::atan(std::sinh(n)))), longitude};
}

double mapPointsPerMeterAtLatitude(double latitude) {
    return kMapWorldSize / (2 * std::numbers::pi * kEarthRadius) /
           std::cos(radians(clampedLatitude(latitude)));
}

MapRegion clampedRegion(MapRegion region) {
    region.center.latitude = clampedLatitude(region.center.latitude);
    region.center.longitude = wrappedLongitude(region.center.longitude);
    region.latitudeDelta = std::clamp(finiteOr(region.latitudeDelta, 180), 0.0, 180.0);
    region.longitudeDelta = std::clamp(finiteOr(region.longitudeDelta, 360), 0.0, 360.0);
    return region;
}

std::optional<MapRegion> regionFittingCircles(const std::vector<MapCircle>& circles) {
    if (circles.empty()) return std::nullopt;
    double minimumLatitude = 90, maximumLatitude = -90, largestRadius = 0;
    std::vector<double> longitudes;
    for (const MapCircle& circle : circles) {
        minimumLatitude = std::min(minimumLatitude, circle.center.latitude);
        maximumLatitude = std::max(maximumLatitude, circle.center.latitude);
        largestRadius = std::max(largestRadius, finiteOr(circle.radius, 0));
        longitudes.push_back(wrappedLongitude(circle.center.longitude));
    }
    auto [west, longitudeSpan] = longitudeArc(longitudes);
    MapRegion region;
    region.center = {(minimumLatitude + maximumLatitude) / 2, west + longitudeSpan / 2};
    if (largestRadius <= 0) {
        region.latitudeDelta = std::max(maximumLatitude - minimumLatitude, kMinimumFittedSpan);
        region.longitudeDelta = std::max(longitudeSpan, kMinimumFittedSpan);
        return clampedRegion(region);
    }
    // The corners move out by twice the largest radius, measured at the lowest latitude.
    double d = 2 * largestRadius * mapPointsPerMeterAtLatitude(minimumLatitude);
    MapPoint southWest = mapPointForCoordinate({minimumLatitude, west});
    MapPoint northEast = mapPointForCoordinate({maximumLatitude, west + longitudeSpan});
    MapCoordinate south = coordinateForMapPoint({southWest.x - d, southWest.y + d});
    MapCoordinate north = coordinateForMapPoint({northEast.x + d, northEast.y - d});
    region.latitudeDelta = north.latitude - south.latitude + 0.1;
    region.longitudeDelta = north.longitude - south.longitude + 0.1;
    return clampedRegion(region);
}
