// The map's projection, fitted regions and clicks.
#include <gtest/gtest.h>

#include <QTest>

#include <cmath>

#include "platform/ui/MapView.h"
#include "tests/support/QtApplication.h"

namespace {

// Metres in one degree of a great circle of the projection's sphere.
constexpr double kMetresPerDegree = 6378137.0 * 3.14159265358979323846 / 180;

}  // namespace

TEST(MapProjection, RoundTripsWithinAMillionthOfADegreeAndClampsThePoles) {
    for (double latitude = -85; latitude <= 85; latitude += 8.5) {
        for (double longitude = -180; longitude <= 180; longitude += 22.5) {
            MapCoordinate back =
                coordinateForMapPoint(mapPointForCoordinate({latitude, longitude}));
            EXPECT_NEAR(back.latitude, latitude, 1e-6);
            EXPECT_NEAR(back.longitude, longitude, 1e-6);
        }
    }
    MapPoint pole = mapPointForCoordinate({90, 0});
    EXPECT_TRUE(std::isfinite(pole.y));
    EXPECT_NEAR(coordinateForMapPoint(pole).latitude, kMercatorLatitudeLimit, 1e-9);
    EXPECT_NEAR(mapPointsPerMeterAtLatitude(0), kMapWorldSize / (360 * kMetresPerDegree), 1e-9);
    EXPECT_NEAR(mapPointsPerMeterAtLatitude(60), 2 * mapPointsPerMeterAtLatitude(0), 1e-9);
    EXPECT_TRUE(std::isfinite(mapPointsPerMeterAtLatitude(-90)));
}

TEST(MapRegionFitting, PinsGetTheMinimumSpanAndRadiiWidenIt) {
    EXPECT_FALSE(regionFittingCircles({}));
    // Two pins close together: the minimum span, centred between them.
    auto close = regionFittingCircles({{{52.5, 13.4}, 0}, {{52.501, 13.403}, 0}});
    ASSERT_TRUE(close);
    EXPECT_NEAR(close->center.latitude, 52.5005, 1e-9);
    EXPECT_NEAR(close->center.longitude, 13.4015, 1e-9);
    EXPECT_DOUBLE_EQ(close->latitudeDelta, 0.00725);
    EXPECT_DOUBLE_EQ(close->longitudeDelta, 0.00725);
    auto apart = regionFittingCircles({{{10, 20}, 0}, {{12, 25}, 0}});
    EXPECT_DOUBLE_EQ(apart->latitudeDelta, 2);
    EXPECT_DOUBLE_EQ(apart->longitudeDelta, 5);
    // A radius of 500 m at the equator: 1000 m to each side, plus 0.1 degree.
    auto circle = regionFittingCircles({{{0, 30}, 500}});
    ASSERT_TRUE(circle);
    EXPECT_NEAR(circle->center.latitude, 0, 1e-9);
    EXPECT_NEAR(circle->center.longitude, 30, 1e-9);
    EXPECT_NEAR(circle->latitudeDelta, 2000 / kMetresPerDegree + 0.1, 1e-5);
    EXPECT_NEAR(circle->longitudeDelta, 2000 / kMetresPerDegree + 0.1, 1e-5);
}

TEST(MapRegionFitting, NeverLeavesTheWorldNorGivesNaN) {
    auto valid = [](const std::optional<MapRegion>& region) {
        return region && std::isfinite(region->latitudeDelta) &&
               std::isfinite(region->longitudeDelta) && region->latitudeDelta <= 180 &&
               region->longitudeDelta <= 360 &&
               std::abs(region->center.latitude) <= kMercatorLatitudeLimit &&
               std::abs(region->center.longitude) <= 180;
    };
    auto pole = regionFittingCircles({{{90, 0}, 500}});
    EXPECT_TRUE(valid(pole));
    auto southPole = regionFittingCircles({{{-90, 10}, 999999}, {{-89, 11}, 0}});
    EXPECT_TRUE(valid(southPole));
    auto huge = regionFittingCircles({{{-80, -170}, 999999}, {{80, 170}, 999999}});
    EXPECT_TRUE(valid(huge));
    // Across the antimeridian the short way: two degrees, not 358.
    auto across = regionFittingCircles({{{0, 179}, 0}, {{1, -179}, 0}});
    ASSERT_TRUE(valid(across));
    EXPECT_NEAR(across->longitudeDelta, 2, 1e-9);
    EXPECT_NEAR(std::abs(across->center.longitude), 180, 1e-9);
    auto around = regionFittingCircles({{{0, -120}, 0}, {{0, 0}, 0}, {{0, 120}, 0}});
    ASSERT_TRUE(valid(around));
    EXPECT_NEAR(around->longitudeDelta, 240, 1e-9);
    MapRegion clamped = clampedRegion({{95, 540}, 400, 700});
    EXPECT_DOUBLE_EQ(clamped.center.latitude, kMercatorLatitudeLimit);
    EXPECT_DOUBLE_EQ(std::abs(clamped.center.longitude), 180);
    EXPECT_DOUBLE_EQ(clamped.latitudeDelta, 180);
    EXPECT_DOUBLE_EQ(clamped.longitudeDelta, 360);
    MapRegion notANumber = clampedRegion({{std::nan(""), std::nan("")}, std::nan(""), -1});
    EXPECT_DOUBLE_EQ(notANumber.center.latitude, 0);
    EXPECT_DOUBLE_EQ(notANumber.latitudeDelta, 180);
    EXPECT_DOUBLE_EQ(notANumber.longitudeDelta, 0);
}

TEST(MapViewPoints, CirclesAndCoordinatesConvertToViewPoints) {
    ensureQApplication();
    MapView view;
    view.resize(400, 300);
    // 0.36 degree of longitude across 400 points at the equator.
    view.setRegion({{0, 0}, 0.01, 0.36});
    EXPECT_NEAR(view.radiusInViewPoints({{0, 0}, 1000}), 1000 / (0.36 * kMetresPerDegree) * 400,
                1e-6);
    // A circle at 60 degrees covers twice the points of the same circle at the equator.
    EXPECT_NEAR(view.radiusInViewPoints({{60, 0}, 1000}),
                2 * view.radiusInViewPoints({{0, 0}, 1000}), 1e-6);
    QPointF centre = view.convertCoordinateToPoint({0, 0});
    EXPECT_NEAR(centre.x(), 200, 1e-9);
    EXPECT_NEAR(centre.y(), 150, 1e-9);
    QPointF east = view.convertCoordinateToPoint({0, 0.09});
    EXPECT_NEAR(east.x(), 300, 1e-6);
    MapCoordinate back = view.convertPointToCoordinate({123, 45});
    QPointF again = view.convertCoordinateToPoint(back);
    EXPECT_NEAR(again.x(), 123, 1e-6);
    EXPECT_NEAR(again.y(), 45, 1e-6);
    // Near the antimeridian the pin is drawn on the near side.
    view.setRegion({{0, 179.9}, 0.01, 0.36});
    EXPECT_NEAR(view.convertCoordinateToPoint({0, -179.9}).x(), 200 + 0.2 / 0.36 * 400, 1e-6);
}

TEST(MapViewPoints, ARegionFarNorthIsShownWholeAndADragKeepsItsScale) {
    ensureQApplication();
    MapView view;
    view.resize(400, 300);
    view.show();
    view.setRegion({{40, 20}, 60, 1}, MapView::kPinHeight);
    EXPECT_NEAR(view.convertCoordinateToPoint({70, 20}).y(), MapView::kPinHeight, 1e-6);
    EXPECT_GT(view.convertCoordinateToPoint({10, 20}).y(), MapView::kPinHeight);
    // Dragged, the map moves and keeps its scale, also where a degree is longer.
    const double degree = view.convertCoordinateToPoint({70, 21}).x() - 200;
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(&view, QPoint(200, 40));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(200, 40));
    EXPECT_LT(view.region().center.latitude, 30);
    EXPECT_NEAR(view.convertCoordinateToPoint({70, 21}).x() - 200, degree, 1e-6);
}

TEST(ClickableMapViews, OnlyAControlClickReportsACoordinate) {
    ensureQApplication();
    ClickableMapView view;
    view.resize(400, 300);
    view.setRegion({{48, 11}, 0.2, 0.4});
    view.show();
    std::vector<MapCoordinate> clicked;
    QObject::connect(&view, &ClickableMapView::pointWasClicked,
                     [&](MapCoordinate at) { clicked.push_back(at); });
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseClick(&view, Qt::RightButton, Qt::ControlModifier, QPoint(100, 100));
    EXPECT_TRUE(clicked.empty());
    QTest::mouseClick(&view, Qt::LeftButton, Qt::ControlModifier, QPoint(200, 150));
    QTest::mouseClick(&view, Qt::LeftButton, Qt::ControlModifier, QPoint(300, 150));
    ASSERT_EQ(clicked.size(), 2u);
    EXPECT_NEAR(clicked[0].latitude, 48, 1e-6);
    EXPECT_NEAR(clicked[0].longitude, 11, 1e-6);
    EXPECT_NEAR(clicked[1].longitude, 11.1, 1e-6);
    // The plain clicks left the region where it was.
    EXPECT_DOUBLE_EQ(view.region().center.latitude, 48);
}
