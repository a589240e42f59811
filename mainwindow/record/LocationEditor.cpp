#include "mainwindow/record/LocationEditor.h"

#include <QLabel>
#include <QVBoxLayout>

#include "Common/CircularArea.h"
#include "Common/DateTexts.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/LocationService.h"
#include "platform/ui/MapView.h"
#include "platform/ui/QtStrings.h"

namespace {

double rememberedSpan(const char* key) {
    double span = UserDefaults::standard().doubleForKey(key);
    return span >= LocationEditor::kMinimumRememberedSpan ? span : LocationEditor::kDefaultSpan;
}

}  // namespace

LocationEditor::LocationEditor(QWidget* parent)
    : QWidget(parent),
      mapView_(new ClickableMapView(this)),
      helpLabel_(new QLabel(this)),
      locations_(new LocationService(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mapView_, 1);
    helpLabel_->setWordWrap(true);
    helpLabel_->setText(
        toQString(localizedString("Control-click the map to set a location, or press Here. "
                                  "No base map is shown: the lines are degrees.")));
    layout->addWidget(helpLabel_);
    connect(mapView_, &ClickableMapView::pointWasClicked, this, &LocationEditor::pointWasClicked);
    connect(mapView_, &MapView::regionDidChange, this, &LocationEditor::rememberSpan);
    connect(locations_, &LocationService::locationDidUpdate, this,
            &LocationEditor::locationDidUpdate);
}

LocationEditor::~LocationEditor() = default;

void LocationEditor::fill(const std::string& value) {
    showing_ = true;
    mapView_->removeAllAnnotations();
    mapView_->removeAllOverlays();
    DBInterface::CircularArea area = DBInterface::circularAreaFromString(value);
    if (!value.empty() && DBInterface::circularAreaIsValid(area)) {
        MapCoordinate pin{area.latitude, area.longitude};
        mapView_->addAnnotation(pin);
        mapView_->setRegion(
            {pin, rememberedSpan("MapViewLatitudeDelta"), rememberedSpan("MapViewLongitudeDelta")});
        if (area.radius > 0) mapView_->addCircleOverlay({pin, area.radius});
    }
    filledOnce_ = true;
}

void LocationEditor::stopShowing() {
    showing_ = false;
    locations_->stopUpdatingLocation();
}

void LocationEditor::hideEvent(QHideEvent* event) {
    stopShowing();
    QWidget::hideEvent(event);
}

void LocationEditor::hereButtonPressed() {
    if (showing_) locations_->startUpdatingLocation();
}

bool LocationEditor::isUpdatingLocation() const {
    return locations_->isUpdating();
}

void LocationEditor::pointWasClicked(MapCoordinate coordinate) {
    // The old circle stays drawn until the next fill.
    mapView_->removeAllAnnotations();
    mapView_->addAnnotation(coordinate);
    emit locationTextChosen(toQString(DBInterface::stringForDatabaseFromLocationWithLatitude(
        coordinate.latitude, coordinate.longitude)));
}

void LocationEditor::locationDidUpdate(MapCoordinate coordinate) {
    if (!showing_) return;
    mapView_->removeAllAnnotations();
    mapView_->addAnnotation(coordinate);
    mapView_->setRegion({coordinate, kDefaultSpan, kDefaultSpan});
    emit locationTextChosen(toQString(DBInterface::stringForDatabaseFromLocationWithLatitude(
        coordinate.latitude, coordinate.longitude)));
}

void LocationEditor::rememberSpan() {
    if (!filledOnce_) return;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setDouble(mapView_->region().latitudeDelta, "MapViewLatitudeDelta");
    defaults.setDouble(mapView_->region().longitudeDelta, "MapViewLongitudeDelta");
}
