#pragma once
// The location editor of the edit-field panel: a clickable map showing the stored location as a
// pin (and its radius as a circle), at the span last shown, which the MapViewLatitudeDelta and
// MapViewLongitudeDelta defaults keep across fields and launches. A Control-click or a position
// from "Here" yields a plain location text for the panel's text view. Positions reach the text
// only while the editor shows a Location field: hiding the editor, for another field's editor or
// with its panel, stops them.
#include <QWidget>

#include <string>

#include "platform/ui/MapGeometry.h"

class ClickableMapView;
class LocationService;
class QLabel;

class LocationEditor : public QWidget {
    Q_OBJECT

  public:
    // The span a position from "Here" is shown at, and the one used when none was remembered.
    static constexpr double kDefaultSpan = kMinimumFittedSpan;
    static constexpr double kMinimumRememberedSpan = 0.00001;

    explicit LocationEditor(QWidget* parent = nullptr);
    ~LocationEditor() override;

    // Shows a Location field's stored text: a pin and circle when it reads as a valid area,
    // otherwise an empty map with the region as it was.
    void fill(const std::string& value);
    // The panel shows a field of another type, or closes: position updates stop.
    void stopShowing();
    // The panel's "Here" button.
    void hereButtonPressed();
    bool isUpdatingLocation() const;

    ClickableMapView* mapView() const { return mapView_; }
    LocationService* locationService() const { return locations_; }

  protected:
    void hideEvent(QHideEvent* event) override;

  signals:
    // A plain location text ("%2.6f %2.6f") that replaces the panel's text.
    void locationTextChosen(const QString& text);

  private:
    void pointWasClicked(MapCoordinate coordinate);
    void locationDidUpdate(MapCoordinate coordinate);
    void rememberSpan();

    ClickableMapView* mapView_;
    QLabel* helpLabel_;
    LocationService* locations_;
    // Set while a Location field is shown; the span is remembered only after the first fill.
    bool showing_ = false;
    bool filledOnce_ = false;
};
