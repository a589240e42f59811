#include "platform/ui/LocationService.h"

#include <QFile>
#include <QGeoPositionInfoSource>
#include <QNmeaPositionInfoSource>

#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"

namespace {

QString nmeaLogPath() {
    QString path = qEnvironmentVariable("VARNELO_NMEA_LOG");
    if (path.isEmpty()) {
        path = QString::fromStdString(UserDefaults::standard().stringForKey("NMEALogFile"));
    }
    return path;
}

}  // namespace

LocationService::LocationService(QObject* parent) : QObject(parent) {}

LocationService::~LocationService() = default;

QGeoPositionInfoSource* LocationService::source() {
    if (triedSource_) return source_;
    triedSource_ = true;
    QString log = nmeaLogPath();
    if (!log.isEmpty()) {
        auto* file = new QFile(log, this);
        if (!file->open(QIODevice::ReadOnly)) {
            systemLog("locationManagerFailed: cannot read " + log.toStdString() + " 1");
            return nullptr;
        }
        auto* nmea = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode, this);
        nmea->setDevice(file);
        source_ = nmea;
    } else {
        source_ = QGeoPositionInfoSource::createDefaultSource(this);
        if (!source_) {
            systemLog("locationManagerFailed: no position source 1");
            return nullptr;
        }
    }
    source_->setPreferredPositioningMethods(QGeoPositionInfoSource::NonSatellitePositioningMethods);
    connect(source_, &QGeoPositionInfoSource::positionUpdated, this,
            &LocationService::positionUpdated);
    connect(
        source_, &QGeoPositionInfoSource::errorOccurred, this,
        [](QGeoPositionInfoSource::Error error) {
            systemLog("locationManagerFailed: " + std::to_string(static_cast<int>(error)) + " 1");
        });
    return source_;
}

void LocationService::startUpdatingLocation() {
    QGeoPositionInfoSource* positions = source();
    if (!positions || updating_) return;
    updating_ = true;
    lastReported_.reset();
    positions->startUpdates();
}

void LocationService::stopUpdatingLocation() {
    if (!updating_) return;
    updating_ = false;
    if (source_) source_->stopUpdates();
}

void LocationService::positionUpdated(const QGeoPositionInfo& info) {
    if (!updating_ || !info.coordinate().isValid()) return;
    QGeoCoordinate at = info.coordinate();
    if (lastReported_ &&
        at.distanceTo(QGeoCoordinate(lastReported_->latitude, lastReported_->longitude)) <
            kDistanceFilter) {
        return;
    }
    lastReported_ = MapCoordinate{at.latitude(), at.longitude()};
    emit locationDidUpdate(*lastReported_);
}
