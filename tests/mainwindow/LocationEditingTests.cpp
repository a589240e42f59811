// The location editor, the location chooser and the writer of chosen values: positions come from
// an NMEA log replayed by the location service, writes are read back by a connection of the
// test's own.
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdio>

#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/LocationChooser.h"
#include "mainwindow/record/LocationEditor.h"
#include "mainwindow/rows/ChosenValueWriter.h"
#include "platform/ui/LocationService.h"
#include "platform/ui/MapView.h"
#include "tests/mainwindow/GridTest.h"

namespace {

// An RMC sentence of the position with its checksum.
std::string rmcSentence(const char* time, const char* latitude, const char* longitude) {
    std::string body = std::string("GPRMC,") + time + ",A," + latitude + "," + longitude +
                       ",000.0,000.0,061226,,,A";
    unsigned char sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "%02X", sum);
    return "$" + body + "*" + checksum + "\r\n";
}

}  // namespace

class LocationEditingTest : public GridTest {
  protected:
    // The location service replays this log: Munich, then a point a kilometre north.
    void useNMEALog() {
        std::string path = pathInDocuments("positions.nmea");
        QFile log(QString::fromStdString(path));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write((rmcSentence("120000.00", "4807.038,N", "01131.000,E") +
                   rmcSentence("120001.00", "4807.578,N", "01131.000,E"))
                      .c_str());
        log.close();
        UserDefaults::standard().setString(path, "NMEALogFile");
    }
    // Table p of a Text and a Location field, typed in the meta tables as the program reads them.
    TablesAndRowsController* showPlaces() {
        run("select 1");  // the database file, which creating a table does not make
        std::string error;
        EXPECT_EQ(
            DBInterface::createTable("p", 0, {"name", "place"},
                                     {DBInterface::kFieldTypeText, DBInterface::kFieldTypeLocation},
                                     nullptr, nullptr, db, &error),
            0)
            << error;
        run("insert into p values ('zoo', '52.5 13.4; 500'), ('park', '48.1 11.5'), "
            "('sea', 'north')");
        return showGrid("p");
    }
    // Opens the edit-field panel on the cell with Control-Return.
    EditFieldPanel* openPanelOn(TablesAndRowsController* c, int row, int column) {
        click(row, column);
        key(Qt::Key_Return, Qt::ControlModifier);
        QApplication::processEvents();
        return &partsOf(c).editField;
    }
    static std::string panelText(EditFieldPanel* panel) {
        return panel->textView()->toPlainText().toStdString();
    }
    // Waits up to two seconds for the texts to reach the count.
    static void waitFor(const std::vector<QString>& texts, size_t count) {
        QDeadlineTimer deadline(2000);
        while (texts.size() < count && !deadline.hasExpired()) QTest::qWait(10);
    }
};

TEST_F(LocationEditingTest, TheEditorShowsValidAreasOnlyAndClicksGivePlainLocations) {
    LocationEditor editor;
    editor.resize(400, 300);
    editor.show();
    std::vector<QString> texts;
    QObject::connect(&editor, &LocationEditor::locationTextChosen,
                     [&](const QString& text) { texts.push_back(text); });
    editor.fill("52.5 13.4; 500");
    ASSERT_EQ(editor.mapView()->annotations().size(), 1u);
    ASSERT_EQ(editor.mapView()->overlays().size(), 1u);
    EXPECT_DOUBLE_EQ(editor.mapView()->overlays()[0].radius, 500);
    EXPECT_DOUBLE_EQ(editor.mapView()->region().latitudeDelta, LocationEditor::kDefaultSpan);
    // A Control-click keeps the circle and gives a plain location.
    QPoint middle = editor.mapView()->rect().center();
    QTest::mouseClick(editor.mapView(), Qt::LeftButton, Qt::ControlModifier, middle);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].startsWith("52.5")) << texts[0].toStdString();
    EXPECT_EQ(texts[0].count(' '), 1);
    EXPECT_FALSE(texts[0].contains(';'));
    EXPECT_EQ(texts[0].section(' ', 1).section('.', 1).size(), 6);
    EXPECT_EQ(editor.mapView()->overlays().size(), 1u);
    // Out of range or unreadable: an empty map, no crash.
    for (const char* bad : {"91 10", "10 181", "-90.5 0; 10", "north", ""}) {
        editor.fill(bad);
        EXPECT_TRUE(editor.mapView()->annotations().empty()) << bad;
        EXPECT_TRUE(editor.mapView()->overlays().empty()) << bad;
    }
    // A zoom of the user's is the span of the next field.
    editor.mapView()->setRegion({{10, 10}, 0.5, 0.75});
    LocationEditor next;
    next.fill("1 2");
    EXPECT_DOUBLE_EQ(next.mapView()->region().latitudeDelta, 0.5);
    EXPECT_DOUBLE_EQ(next.mapView()->region().longitudeDelta, 0.75);
}

TEST_F(LocationEditingTest, HereFeedsALocationFieldAndStopsWhenAnotherFieldIsShown) {
    useNMEALog();
    LocationEditor editor;
    std::vector<QString> texts;
    QObject::connect(&editor, &LocationEditor::locationTextChosen,
                     [&](const QString& text) { texts.push_back(text); });
    editor.fill("1 2");
    editor.hereButtonPressed();
    waitFor(texts, 1);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], "48.117300 11.516667");
    EXPECT_DOUBLE_EQ(editor.mapView()->region().latitudeDelta, LocationEditor::kDefaultSpan);
    // The panel moves to a Text field: the updates stop and none reaches the text.
    editor.stopShowing();
    EXPECT_FALSE(editor.isUpdatingLocation());
    size_t shown = texts.size();
    QTest::qWait(1300);
    EXPECT_EQ(texts.size(), shown);
    // "Here" on a field that is not a Location field starts nothing.
    editor.hereButtonPressed();
    EXPECT_FALSE(editor.isUpdatingLocation());
}

TEST_F(LocationEditingTest, TheChooserWritesOneCellByRowidOnlyOnceALocationIsChosen) {
    run("create table t (name text, place text); insert into t values ('a', ''), ('b', ''), "
        "('c', ''); delete from t where name = 'a'");
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    LocationChooser chooser;
    EXPECT_FALSE(chooser.doneButton()->isEnabled());
    EXPECT_TRUE(chooser.chosenText().empty());
    chooser.mapView()->setRegion({{-33.8688, 151.2093}, 1, 1});
    chooser.chooseLocationWindowCenterPinButtonPressed();
    EXPECT_TRUE(chooser.doneButton()->isEnabled());
    EXPECT_EQ(chooser.chosenText(), "-33.868800 151.209300");
    EXPECT_EQ(chooser.mapView()->annotations().size(), 1u);
    // The second row shown is rowid 3.
    click(1, 2);
    ChosenValueWriter writer(*c, *rowsOf(c));
    ASSERT_TRUE(writer.updateFocusedCell(chooser.chosenText()));
    EXPECT_EQ(readBack("select place from t where rowid = 3"), "-33.868800 151.209300");
    EXPECT_EQ(readBack("select place from t where rowid = 2"), "");
    EXPECT_EQ(readBack("select group_concat(id) from updates"), "3");
    EXPECT_EQ(shown(1, 2), "-33.868800 151.209300");
    // A row that is not loaded, and the rowid column, are not written.
    EXPECT_FALSE(writer.updateFieldValue("1 1", "t", RowIndex(50), FieldIndex(2)));
    EXPECT_FALSE(writer.updateFieldValue("1 1", "t", RowIndex(0), kRowidFieldIndex));
    EXPECT_EQ(readBack("select count(*) from updates"), "1");
    // A failed write is reported, and the cell keeps its text.
    EXPECT_FALSE(writer.updateFieldValue("1 1", "no such table", RowIndex(0), FieldIndex(2)));
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(shown(0, 2), "");
}

TEST_F(LocationEditingTest, TheChooserTakesThePositionFromHere) {
    useNMEALog();
    LocationChooser chooser;
    chooser.chooseLocationWindowHereButtonPressed();
    QDeadlineTimer deadline(2000);
    while (!chooser.doneButton()->isEnabled() && !deadline.hasExpired()) QTest::qWait(10);
    EXPECT_EQ(chooser.chosenText(), "48.117300 11.516667");
    chooser.reject();
    EXPECT_FALSE(chooser.locationService()->isUpdating());
}

TEST_F(LocationEditingTest, ALocationFieldIsEditedOnThePanelsMapAndSaved) {
    TablesAndRowsController* c = showPlaces();
    EditFieldPanel* panel = openPanelOn(c, 0, 2);
    ASSERT_TRUE(panel->isShown());
    QWidget* window = panel->editFieldPanel();
    ClickableMapView* map = panel->locationEditor()->mapView();
    ASSERT_TRUE(map->isVisibleTo(window));
    EXPECT_EQ(panel->specialButton()->text(), "Here");
    EXPECT_TRUE(panel->specialButton()->isVisibleTo(window));
    EXPECT_EQ(panel->textView()->height(), EditFieldPanel::kStripHeight);
    ASSERT_EQ(map->annotations().size(), 1u);
    ASSERT_EQ(map->overlays().size(), 1u);
    EXPECT_DOUBLE_EQ(map->overlays()[0].radius, 500);

    // A plain click pans nothing away and chooses nothing; a Control-click pins a place.
    QPoint east = map->rect().center() + QPoint(60, -30);
    QTest::mouseClick(map, Qt::LeftButton, Qt::NoModifier, east);
    EXPECT_EQ(panelText(panel), "52.5 13.4; 500");
    MapCoordinate at = map->convertPointToCoordinate(east);
    QTest::mouseClick(map, Qt::LeftButton, Qt::ControlModifier, east);
    std::string chosen =
        DBInterface::stringForDatabaseFromLocationWithLatitude(at.latitude, at.longitude);
    EXPECT_EQ(panelText(panel), chosen);
    EXPECT_EQ(map->overlays().size(), 1u);
    panel->saveButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(readBack("select place from p where rowid = 1"), chosen);
    EXPECT_EQ(shown(0, 2), QString::fromStdString(chosen));

    // The panel follows the focus: a plain location has no circle, an unreadable one no pin, and
    // a Text field no map.
    key(Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(map->annotations().size(), 1u);
    EXPECT_TRUE(map->overlays().empty());
    key(Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_TRUE(map->annotations().empty());
    EXPECT_EQ(panelText(panel), "north");
    key(Qt::Key_Left);
    QApplication::processEvents();
    EXPECT_FALSE(map->isVisibleTo(window));
    EXPECT_FALSE(panel->specialButton()->isVisibleTo(window));
    // The text view takes the room back once the layout settles.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return panel->textView()->height() > EditFieldPanel::kStripHeight; }, 1000));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(LocationEditingTest, HereInThePanelFillsTheFieldUntilThePanelLeavesIt) {
    useNMEALog();
    TablesAndRowsController* c = showPlaces();
    EditFieldPanel* panel = openPanelOn(c, 1, 2);
    panel->specialButton()->click();
    QDeadlineTimer deadline(2000);
    while (panelText(panel) == "48.1 11.5" && !deadline.hasExpired()) QTest::qWait(10);
    EXPECT_EQ(panelText(panel), "48.117300 11.516667");
    ClickableMapView* map = panel->locationEditor()->mapView();
    ASSERT_EQ(map->annotations().size(), 1u);
    EXPECT_DOUBLE_EQ(map->annotations()[0].latitude, 48.1173);
    panel->saveButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(readBack("select place from p where rowid = 2"), "48.117300 11.516667");

    // Another field's text is never replaced by a position.
    EXPECT_TRUE(panel->locationEditor()->isUpdatingLocation());
    key(Qt::Key_Left);
    QApplication::processEvents();
    EXPECT_FALSE(panel->locationEditor()->isUpdatingLocation());
    QTest::qWait(1300);
    EXPECT_EQ(panelText(panel), "park");
    // Closing the panel with its close box stops the positions too.
    key(Qt::Key_Right);
    QApplication::processEvents();
    panel->specialButton()->click();
    EXPECT_TRUE(panel->locationEditor()->isUpdatingLocation());
    panel->editFieldPanel()->close();
    EXPECT_FALSE(panel->locationEditor()->isUpdatingLocation());
}
