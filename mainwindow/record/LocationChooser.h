#pragma once
// The modal window for choosing a location: "Here" takes the user's position, the centre-pin
// button drops a pin at the middle of the map; the chosen location's stored text shows in a label.
// Done stays disabled until a location was chosen, so it never hands back an empty text.
#include <QDialog>

#include <optional>
#include <string>

#include "platform/ui/MapGeometry.h"

class MapView;
class LocationService;
class QLabel;
class QPushButton;

class LocationChooser : public QDialog {
    Q_OBJECT

  public:
    explicit LocationChooser(QWidget* parent = nullptr);

    // Runs the window modally: the chosen location's text after Done, nothing after Cancel.
    std::optional<std::string> chooseLocation();

    void chooseLocationWindowHereButtonPressed();
    void chooseLocationWindowCenterPinButtonPressed();
    // The label's text; empty until a location was chosen.
    std::string chosenText() const;

    MapView* mapView() const { return mapView_; }
    QPushButton* doneButton() const { return doneButton_; }
    LocationService* locationService() const { return locations_; }

  protected:
    void done(int result) override;

  private:
    void pin(MapCoordinate coordinate);

    MapView* mapView_;
    QLabel* coordinatesLabel_;
    QPushButton* doneButton_;
    LocationService* locations_;
};
