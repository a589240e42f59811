#pragma once
// The user's position through Qt Positioning: the platform's default source, or an NMEA log
// replayed from the file that VARNELO_NMEA_LOG or the NMEALogFile default names (tests, and
// machines without a positioning service). Coarse positioning stands for the kilometre accuracy
// asked for, and positions within 10 metres of the last one reported are dropped. Failures are
// only logged: a missing source reports nothing and never blocks.
#include <QObject>

#include <optional>

#include "platform/ui/MapGeometry.h"

class QGeoPositionInfo;
class QGeoPositionInfoSource;

class LocationService : public QObject {
    Q_OBJECT

  public:
    static constexpr double kDistanceFilter = 10;

    explicit LocationService(QObject* parent = nullptr);
    ~LocationService() override;

    void startUpdatingLocation();
    void stopUpdatingLocation();
    bool isUpdating() const { return updating_; }

  signals:
    void locationDidUpdate(MapCoordinate coordinate);

  private:
    // Made at the first start; nullptr when there is no source.
    QGeoPositionInfoSource* source();
    void positionUpdated(const QGeoPositionInfo& info);

    QGeoPositionInfoSource* source_ = nullptr;
    bool triedSource_ = false;
    bool updating_ = false;
    std::optional<MapCoordinate> lastReported_;
};
