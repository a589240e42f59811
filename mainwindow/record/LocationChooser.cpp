#include "mainwindow/record/LocationChooser.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Common/DateTexts.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/LocationService.h"
#include "platform/ui/MapView.h"
#include "platform/ui/QtStrings.h"

LocationChooser::LocationChooser(QWidget* parent)
    : QDialog(parent),
      mapView_(new MapView(this)),
      coordinatesLabel_(new QLabel(this)),
      doneButton_(new QPushButton(toQString(localizedString("Done")), this)),
      locations_(new LocationService(this)) {
    setWindowTitle(toQString(localizedString("Choose Location")));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mapView_, 1);
    auto* help = new QLabel(
        toQString(localizedString("Press Here for your position, or move the map and press Pin "
                                  "Centre. No base map is shown: the lines are degrees.")),
        this);
    help->setWordWrap(true);
    layout->addWidget(help);
    coordinatesLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(coordinatesLabel_);
    auto* buttons = new QHBoxLayout;
    auto* here = new QPushButton(toQString(localizedString("Here")), this);
    auto* centre = new QPushButton(toQString(localizedString("Pin Centre")), this);
    auto* cancel = new QPushButton(toQString(localizedString("Cancel")), this);
    buttons->addWidget(here);
    buttons->addWidget(centre);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(doneButton_);
    layout->addLayout(buttons);
    doneButton_->setEnabled(false);
    doneButton_->setDefault(true);
    connect(here, &QPushButton::clicked, this,
            &LocationChooser::chooseLocationWindowHereButtonPressed);
    connect(centre, &QPushButton::clicked, this,
            &LocationChooser::chooseLocationWindowCenterPinButtonPressed);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(locations_, &LocationService::locationDidUpdate, this,
            [this](MapCoordinate coordinate) { pin(coordinate); });
    resize(480, 420);
}

std::optional<std::string> LocationChooser::chooseLocation() {
    if (exec() != QDialog::Accepted || chosenText().empty()) return std::nullopt;
    return chosenText();
}

void LocationChooser::chooseLocationWindowHereButtonPressed() {
    locations_->startUpdatingLocation();
}

void LocationChooser::chooseLocationWindowCenterPinButtonPressed() {
    pin(mapView_->region().center);
}

std::string LocationChooser::chosenText() const {
    return toStdString(coordinatesLabel_->text());
}

void LocationChooser::done(int result) {
    // Positions stop with the window; nothing else listens for them.
    locations_->stopUpdatingLocation();
    QDialog::done(result);
}

void LocationChooser::pin(MapCoordinate coordinate) {
    mapView_->removeAllAnnotations();
    mapView_->addAnnotation(coordinate);
    mapView_->setRegion({coordinate, kMinimumFittedSpan, kMinimumFittedSpan});
    coordinatesLabel_->setText(toQString(DBInterface::stringForDatabaseFromLocationWithLatitude(
        coordinate.latitude, coordinate.longitude)));
    doneButton_->setEnabled(true);
}
