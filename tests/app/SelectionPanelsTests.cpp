// The map and math panels over the main window's selected cells.
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/MapPanel.h"
#include "app/MathPanel.h"
#include "platform/ui/MapView.h"
#include "tests/mainwindow/GridTest.h"

TEST(MathPanelText, FormatsWithTheDecimalPlacesAndReadsBadPlacesAsNone) {
    EXPECT_EQ(mathPanelText(1234.5, 2), "1234.50");
    EXPECT_EQ(mathPanelText(1234.5, 0), "1234");
    EXPECT_EQ(mathPanelText(-0.125, 30), "-0.125000000000000000000000000000");
    EXPECT_EQ(mathPanelText(2.5, 45), "2");
    EXPECT_EQ(mathPanelText(1e300, 30).size(), 332u);
    EXPECT_EQ(mathDecimalPlaces(30), 30);
    EXPECT_EQ(mathDecimalPlaces(31), 0);
    EXPECT_EQ(mathDecimalPlaces(-1), 0);
}

class SelectionPanelsTest : public GridTest {};

TEST_F(SelectionPanelsTest, TheMapPinsTheSelectedLocationsAndFitsTheirRegion) {
    run("create table t (place text); insert into t values ('52.5 13.4'), ('52.501, 13.403'), "
        "('north'), ('91 10'), ('0 30; 500')");
    TablesAndRowsController* c = showGrid("t");
    MapPanel& panel = app->mapPanel();
    MapView* map = panel.mapView();
    // Nothing selected: the default help and no pins.
    c->state().selection.focusedRowIndex = RowIndex();
    panel.showMapPanel();
    EXPECT_TRUE(map->annotations().empty());
    EXPECT_EQ(panel.helpLabel()->text(),
              "Select some coordinates in the Rows Console and press the Update button.");
    click(0, 1);
    click(1, 1, Qt::ControlModifier);
    click(2, 1, Qt::ControlModifier);
    click(3, 1, Qt::ControlModifier);
    panel.updateMapPanelMapView();
    ASSERT_EQ(map->annotations().size(), 2u);
    EXPECT_TRUE(map->overlays().empty());
    EXPECT_DOUBLE_EQ(map->region().latitudeDelta, 0.00725);
    EXPECT_NEAR(map->region().center.longitude, 13.4015, 1e-9);
    EXPECT_EQ(panel.helpLabel()->text(), "2 coordinate(s) shown.");
    // With a circle the region grows by its radius and 0.1 degree.
    click(4, 1, Qt::ControlModifier);
    panel.updateMapPanelMapView();
    ASSERT_EQ(map->annotations().size(), 3u);
    ASSERT_EQ(map->overlays().size(), 1u);
    EXPECT_GT(map->region().latitudeDelta, 52.5);
    EXPECT_EQ(panel.helpLabel()->text(), "3 coordinate(s) shown.");
    // Only texts that are no location: the whole world and the default help.
    click(2, 1);
    panel.updateMapPanelMapView();
    EXPECT_TRUE(map->annotations().empty());
    EXPECT_TRUE(map->overlays().empty());
    EXPECT_DOUBLE_EQ(map->region().latitudeDelta, 180);
    EXPECT_DOUBLE_EQ(map->region().longitudeDelta, 360);
    EXPECT_EQ(panel.helpLabel()->text(),
              "Select some coordinates in the Rows Console and press the Update button.");
}

TEST_F(SelectionPanelsTest, EveryPinOfTheSelectionIsDrawnWholeInsideTheMap) {
    // Far from the equator the projection stretches the half of a region nearer the pole.
    run("create table t (place text); insert into t values ('48.12 11.58'), ('48.2 16.37'), "
        "('52.52 13.40'), ('10 20'), ('70 20'), ('-78 -60'), ('-81.5 -58.5')");
    const std::vector<std::vector<int>> selections{{0, 1, 2}, {3, 4}, {5, 6}};
    showGrid("t");
    MapPanel& panel = app->mapPanel();
    MapView* map = panel.mapView();
    panel.showMapPanel();
    for (const std::vector<int>& rows : selections) {
        click(rows[0], 1);
        for (size_t i = 1; i < rows.size(); ++i) click(rows[i], 1, Qt::ControlModifier);
        panel.updateMapPanelMapView();
        ASSERT_EQ(map->annotations().size(), rows.size()) << rows[0];
        EXPECT_EQ(panel.helpLabel()->text(),
                  QString::number(rows.size()) + " coordinate(s) shown.");
        // The pin's point, with the pin above it, within rounding.
        const QRectF room =
            QRectF(0, MapView::kPinHeight, map->width(), map->height() - MapView::kPinHeight)
                .adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
        for (const MapCoordinate& pin : map->annotations()) {
            const QPointF at = map->convertCoordinateToPoint(pin);
            EXPECT_TRUE(room.contains(at)) << pin.latitude << " at " << at.x() << ", " << at.y();
        }
    }
}

TEST_F(SelectionPanelsTest, TheMathPanelComputesTheSelectionAndKeepsFieldAndStepperInStep) {
    run("create table t (amount number); insert into t values (1000), (234.5), ('(4)'), (null)");
    UserDefaults::standard().setInteger(45, "MathDecimal");
    TablesAndRowsController* c = showGrid("t");
    MathPanel& panel = app->mathPanel();
    panel.mathMenuItemClicked();
    EXPECT_EQ(panel.decimalField()->text(), "0");
    EXPECT_EQ(panel.cellCountLabel()->text(), "Select cells then press Compute");
    c->state().selection.focusedRowIndex = RowIndex();
    panel.mathPanelComputeButtonPressed();
    EXPECT_TRUE(panel.totalField()->text().isEmpty());
    clickHeader(1);
    panel.decimalField()->setText("2");
    panel.mathPanelDecimalTextFieldChanged();
    EXPECT_EQ(panel.decimalStepper()->value(), 2);
    panel.mathPanelComputeButtonPressed();
    EXPECT_EQ(panel.cellCountLabel()->text(), "4 cells selected");
    EXPECT_EQ(panel.totalField()->text(), "1230.50");
    EXPECT_EQ(panel.averageField()->text(), "307.62");
    EXPECT_EQ(panel.minimumField()->text(), "-4.00");
    EXPECT_EQ(panel.maximumField()->text(), "1000.00");
    EXPECT_EQ(UserDefaults::standard().integerForKey("MathDecimal"), 2);
    // Out of range in the field: the stepper's value comes back and nothing is re-formatted.
    for (const char* bad : {"31", "-1"}) {
        panel.decimalField()->setText(bad);
        panel.mathPanelDecimalTextFieldChanged();
        EXPECT_EQ(panel.decimalField()->text(), "2");
        EXPECT_EQ(panel.totalField()->text(), "1230.50");
    }
    panel.decimalStepper()->stepUp();
    EXPECT_EQ(panel.decimalField()->text(), "3");
    EXPECT_EQ(panel.totalField()->text(), "1230.500");
}
