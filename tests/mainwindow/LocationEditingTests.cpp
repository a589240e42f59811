// The location editor, the location chooser and the writer of chosen values: positions come from
// an NMEA log replayed by the location service, writes are read back by a connection of the
// test's own.
#include <QFile>
#include <QPushButton>

#include <cstdio>

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
