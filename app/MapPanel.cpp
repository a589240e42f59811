#include "app/MapPanel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Common/CircularArea.h"
#include "mainwindow/rows/RowsConsole.h"
#include "mainwindow/rows/SelectionStatistics.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/FloatingPanel.h"
#include "platform/ui/LocationService.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MapView.h"
#include "platform/ui/QtStrings.h"

namespace {

QString defaultHelpText() {
    return toQString(localizedString(
        "Select some coordinates in the Rows Console and press the Update button."));
}

}  // namespace

std::vector<MapCircle> circlesOfFieldValues(const std::vector<DBValue>& values) {
    std::vector<MapCircle> circles;
    for (const DBValue& value : values) {
        if (!value || value->empty()) continue;
        DBInterface::CircularArea area = DBInterface::circularAreaFromString(*value);
        if (DBInterface::circularAreaIsValid(area)) {
            circles.push_back({{area.latitude, area.longitude}, area.radius});
        }
    }
    return circles;
}

MapPanel::MapPanel(GridSource grid, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      grid_(std::move(grid)),
      mapView_(new MapView(this)),
      helpLabel_(new QLabel(defaultHelpText(), this)),
      locations_(new LocationService(this)) {
    setWindowTitle(toQString(localizedString("Map")));
    declareWindowRole(this, WindowRole::Panel);
    floatAboveApplicationWindows(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mapView_, 1);
    helpLabel_->setWordWrap(true);
    auto* noBaseMap = new QLabel(
        toQString(localizedString("No base map is shown: the lines are degrees.")), this);
    auto* buttons = new QHBoxLayout;
    auto* here = new QPushButton(toQString(localizedString("Here")), this);
    auto* update = new QPushButton(toQString(localizedString("Update")), this);
    buttons->addWidget(helpLabel_, 1);
    buttons->addWidget(here);
    buttons->addWidget(update);
    layout->addWidget(noBaseMap);
    layout->addLayout(buttons);
    connect(here, &QPushButton::clicked, this, &MapPanel::mapPanelHereButtonClicked);
    connect(update, &QPushButton::clicked, this, &MapPanel::updateMapPanelMapView);
    connect(locations_, &LocationService::locationDidUpdate, this,
            [this](MapCoordinate at) { mapView_->setUserLocation(at); });
    resize(520, 440);
}

void MapPanel::showMapPanel() {
    show();
    raise();
    activateWindow();
    updateMapPanelMapView();
}

void MapPanel::updateMapPanelMapView() {
    mapView_->removeAllAnnotations();
    mapView_->removeAllOverlays();
    helpLabel_->setText(defaultHelpText());
    RowsConsole* rows = grid_ ? grid_() : nullptr;
    if (!rows || !rows->isAtLeastOneCellSelected()) return;
    std::vector<DBValue> values = rows->selectionStatistics().fieldValuesForSelectedCells();
    if (values.empty()) return;
    std::vector<MapCircle> circles = circlesOfFieldValues(values);
    for (const MapCircle& circle : circles) {
        mapView_->addAnnotation(circle.center);
        if (circle.radius > 0) mapView_->addCircleOverlay(circle);
    }
    std::optional<MapRegion> fitted = regionFittingCircles(circles);
    if (!fitted) {
        mapView_->setRegion(MapRegion{});
        return;
    }
    mapView_->setRegion(*fitted, MapView::kPinHeight);
    helpLabel_->setText(
        toQString(localizedFormat("%d coordinate(s) shown.", {std::to_string(circles.size())})));
}

void MapPanel::mapPanelHereButtonClicked() {
    locations_->startUpdatingLocation();
}

void MapPanel::closeEvent(QCloseEvent* event) {
    locations_->stopUpdatingLocation();
    QWidget::closeEvent(event);
}
