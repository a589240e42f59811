#pragma once
// The map panel: the selected grid cells that read as locations or circular areas, as pins and
// translucent red circles, in a region fitted around them. It follows the selection only when
// asked (Update), never by itself.
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "platform/ui/MapGeometry.h"

class LocationService;
class MapView;
class QLabel;
class RowsConsole;

// The valid circular areas among the texts, in their order.
std::vector<MapCircle> circlesOfFieldValues(const std::vector<DBValue>& values);

class MapPanel : public QWidget {
    Q_OBJECT

  public:
    // The main database window's grid; nullptr without one.
    using GridSource = std::function<RowsConsole*()>;

    explicit MapPanel(GridSource grid, QWidget* parent = nullptr);

    void showMapPanel();
    void updateMapPanelMapView();
    void mapPanelHereButtonClicked();

    MapView* mapView() const { return mapView_; }
    QLabel* helpLabel() const { return helpLabel_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    GridSource grid_;
    MapView* mapView_;
    QLabel* helpLabel_;
    LocationService* locations_;
};
