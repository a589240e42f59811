// Writes into rows through the menus, keys and buttons a user meets: what they say when the row
// was deleted elsewhere, what the cells show afterwards, how many pasted rows they write, and
// new rows of tables keyed by their rowid; read back by a connection of the test's own.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "app/FileTableView.h"
#include "app/ImagesWindow.h"
#include "exchange/GridPaste.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/LocationChooser.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MapView.h"
#include "platform/ui/Pasteboard.h"
#include "tests/app/MenuGridTest.h"
#include "tests/support/OtherProgram.h"

class RowWritesTest : public MenuGridTest {
  protected:
    void TearDown() override {
        GridPaste::suppressPasteUpdateAlert(false);
        MenuGridTest::TearDown();
    }
    void keys(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(app->databaseWindowForWindowIndex(0), Qt::Key(key), modifiers);
        QApplication::processEvents();
    }
    void paste(const std::string& text) {
        Pasteboard::clear();
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        keys(Qt::Key_V, Qt::ControlModifier);
    }
    // Paste Rows from the menu, the text alone on the clipboard.
    void pasteRows(const std::string& text) {
        Pasteboard::clear();
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        pick("pasteRowsMenuItemClicked");
    }
    // Answers the next modal window of that class, once it runs, with the function.
    template <class Window>
    void whenModal(std::function<void(Window*)> answer) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, answer] {
            if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                answer(window);
            }
        });
        poll->start(5);
    }
    // Picks Choose Location… and pins the place in the chooser.
    void chooseLocation(MapCoordinate place) {
        whenModal<LocationChooser>([place](LocationChooser* chooser) {
            chooser->mapView()->setRegion({place, 1, 1});
            chooser->chooseLocationWindowCenterPinButtonPressed();
            chooser->doneButton()->click();
        });
        pick("chooseLocationMenuItemClicked");
    }
    // The edit-field panel over the cell, opened with Control-Return.
    EditFieldPanel* openPanel(TablesAndRowsController* c, int row, int column) {
        click(row, column);
        key(Qt::Key_Return, Qt::ControlModifier);
        QApplication::processEvents();
        EditFieldPanel* panel = &partsOf(c).editField;
        EXPECT_TRUE(panel->isShown());
        return panel;
    }
    // Lets the reload that follows a write happen.
    static void settle() { QTest::qWait(50); }
    std::string loaded(TablesAndRowsController* c, int row, int field) const {
        const DBValue* value = rowsOf(c)->dataPort().fieldValueObjectForTableViewRowIndex(
            GridRow(row), FieldIndex(field));
        return value ? value->value_or("<null>") : "<none>";
    }
    bool toldRowIsGone() const {
        return !alerts.empty() && alerts.back().messageText == "Error" &&
               alerts.back().informativeText.find("The row no longer exists") != std::string::npos;
    }
};

TEST_F(RowWritesTest, EveryWriterOfACellTellsOfARowDeletedElsewhereAndShowsTheRowsLeft) {
    run("create table t (name text, place text); insert into t select 'row ' || value, '' from "
        "generate_series(1, 6)");
    TablesAndRowsController* c = showMain("t");
    GridPaste::suppressPasteUpdateAlert(true);

    // Paste over the second row, deleted by another program meanwhile.
    click(1, 1);
    run("delete from t where rowid = 2");
    paste("pasted");
    settle();
    EXPECT_TRUE(toldRowIsGone()) << (alerts.empty() ? "no alert" : alerts.back().both());
    EXPECT_EQ(readBack("select count(*) from t where name = 'pasted'"), "0");
    EXPECT_EQ(c->state().dataPort.totalRows, 5);
    EXPECT_EQ(shown(1, 1), "row 3");

    // Choose Location… into a row deleted meanwhile.
    alerts.clear();
    click(1, 2);
    run("delete from t where rowid = 3");
    chooseLocation({-33.8688, 151.2093});
    settle();
    EXPECT_TRUE(toldRowIsGone()) << (alerts.empty() ? "no alert" : alerts.back().both());
    EXPECT_EQ(readBack("select count(*) from t where place <> ''"), "0");
    EXPECT_EQ(shown(1, 1), "row 4");

    // The edit-field panel's Save, as the image chooser fills it.
    alerts.clear();
    EditFieldPanel* panel = openPanel(c, 2, 1);
    panel->textView()->setPlainText("photo.jpg");
    run("delete from t where rowid = 5");
    QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(toldRowIsGone()) << (alerts.empty() ? "no alert" : alerts.back().both());
    EXPECT_EQ(readBack("select count(*) from t where name = 'photo.jpg'"), "0");
    EXPECT_EQ(c->state().dataPort.totalRows, 3);

    // A row that is still there is written as before, and nothing is told.
    alerts.clear();
    click(0, 2);
    chooseLocation({48.1173, 11.516667});
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
    EXPECT_EQ(readBack("select place from t where rowid = 1"), "48.117300 11.516667");
    EXPECT_EQ(shown(0, 2), "48.117300 11.516667");

    // The record editor's Save.
    click(1, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    auto* record = &partsOf(c).record;
    QLineEdit* name = record->valueField(FieldIndex(1));
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "renamed");
    run("delete from t where rowid = 4");
    QTest::mouseClick(record->view()->findChild<QPushButton*>("addRowViewSaveButton"),
                      Qt::LeftButton);
    settle();
    EXPECT_TRUE(toldRowIsGone()) << (alerts.empty() ? "no alert" : alerts.back().both());
    EXPECT_NE(record->statusLabel()->text(), "Saved");
    EXPECT_EQ(readBack("select count(*) from t where name = 'renamed'"), "0");
    EXPECT_EQ(c->state().dataPort.totalRows, 2);
}

TEST_F(RowWritesTest, CellsWrittenShowWhatTheFileHolds) {
    run("create table p (label text, price real, qty integer); insert into p values ('a', 1, 1), "
        "('b', 2, 2), ('c', 3, 3)");
    TablesAndRowsController* c = showMain("p");
    GridPaste::suppressPasteUpdateAlert(true);

    // In place.
    doubleClick(0, 2);
    typeAndEnd("12");
    EXPECT_EQ(readBack("select quote(price) from p where rowid = 1"), "12.0");
    EXPECT_EQ(loaded(c, 0, 2), "12.0");
    EXPECT_EQ(shown(0, 2), "12.0");

    // Pasted: a REAL takes 450 as 450.0, an INTEGER takes 7.0 as 7.
    click(1, 2);
    paste("450\t7.0");
    EXPECT_EQ(readBack("select quote(price) || ' ' || quote(qty) from p where rowid = 2"),
              "450.0 7");
    EXPECT_EQ(loaded(c, 1, 2), "450.0");
    EXPECT_EQ(loaded(c, 1, 3), "7");
    EXPECT_EQ(shown(1, 2), "450.0");

    // The edit-field panel.
    EditFieldPanel* panel = openPanel(c, 2, 3);
    panel->textView()->setPlainText("9.0");
    QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
    EXPECT_EQ(readBack("select quote(qty) from p where rowid = 3"), "9");
    EXPECT_EQ(loaded(c, 2, 3), "9");
    EXPECT_EQ(panel->textView()->toPlainText(), "9");
    // Saved again unchanged, nothing more is written.
    run("create table updates (id); create trigger logged after update on p begin insert into "
        "updates values (old.rowid); end");
    QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
}

TEST_F(RowWritesTest, PasteOverCellsAsksForTheRowsItWritesAndNamesThoseLeftOut) {
    run("create table t (a, b); insert into t values ('a1', 'b1'), ('a2', 'b2')");
    TablesAndRowsController* c = showMain("t");
    click(0, 1);
    paste("w\nx\ny\nz");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Number of rows to update: 2");
    EXPECT_NE(alerts[0].informativeText.find(
                  "Pasted rows 3 to 4 are left out: they would go past the rows loaded in the "
                  "grid."),
              std::string::npos)
        << alerts[0].informativeText;
    EXPECT_EQ(readBack("select group_concat(a) from t"), "w,x");
    EXPECT_EQ(readBack("select count(*) from t"), "2");

    // From the last row without asking: the one row left out is still named.
    alerts.clear();
    GridPaste::suppressPasteUpdateAlert(true);
    click(1, 2);
    paste("p\nq");
    EXPECT_EQ(readBack("select b from t where rowid = 2"), "p");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(),
              "Rows Left Out|Pasted row 2 is left out: it would go past the rows loaded in the "
              "grid.");
    // Every row reached: nothing is told.
    alerts.clear();
    click(0, 1);
    paste("r\ns");
    EXPECT_EQ(readBack("select group_concat(a) from t"), "r,s");
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
    EXPECT_EQ(c->state().dataPort.totalRows, 2);
}

TEST_F(RowWritesTest, TextCopiedWithAFinalLineEndPastesOnlyItsLines) {
    // Copied lines end in a line end: the nothing after it is no row to write or add.
    run("create table t (a, b); insert into t values ('a1', 'b1'), ('a2', 'b2'), ('a3', 'b3')");
    TablesAndRowsController* c = showMain("t");
    click(0, 1);
    paste("x1\ty1\r\n");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Number of rows to update: 1");
    EXPECT_EQ(readBack("select group_concat(a || b, ',') from t"), "x1y1,a2b2,a3b3");
    // Over the last row, nothing is named as left out.
    alerts.clear();
    GridPaste::suppressPasteUpdateAlert(true);
    click(2, 1);
    paste("\"q\nr\"\tz\n");
    EXPECT_EQ(readBack("select a || b from t where rowid = 3"), "q\nrz");
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();

    alerts.clear();
    pasteRows("n1\tm1\nn2\tm2\n");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Number of rows to add: 2");
    EXPECT_EQ(readBack("select group_concat(a || b, ',') from t where rowid > 3"), "n1m1,n2m2");
    EXPECT_EQ(c->state().dataPort.totalRows, 5);

    // Empty lines before the last one are rows all the same.
    alerts.clear();
    pasteRows("a\nb\n\n\nc\nd\ne\n");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Number of rows to add: 7");
    EXPECT_EQ(readBack("select group_concat(quote(a), ',') from t where rowid > 5"),
              "'a','b','','','c','d','e'");
}

TEST_F(RowWritesTest, BlankRowsAndTheRecordEditorAddRowsToATableKeyedByItsRowid) {
    run("create table items (id integer primary key, name text, price real); insert into items "
        "values (5, 'first', 1.5)");
    TablesAndRowsController* c = showMain("items");

    keys(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
    EXPECT_EQ(readBack("select id || ':' || quote(name) || ':' || quote(price) from items where "
                       "id = 6"),
              "6:'':''");

    pick("addBlankRowsItemClicked");
    QDialog* sheet = QApplication::activeModalWidget()
                         ? qobject_cast<QDialog*>(QApplication::activeModalWidget())
                         : app->databaseWindowForWindowIndex(0)->findChild<QDialog*>("promptSheet");
    ASSERT_NE(sheet, nullptr);
    auto* count = sheet->findChild<QLineEdit*>("promptTextField");
    count->selectAll();
    QTest::keyClicks(count, "3");
    QTest::mouseClick(sheet->findChild<QPushButton*>("promptDoneButton"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
    EXPECT_EQ(readBack("select group_concat(id) from items where id > 6"), "7,8,9");
    EXPECT_EQ(c->state().dataPort.totalRows, 5);

    // Paste Rows of a line whose key is empty.
    pasteRows("\tpasted\t2.5");
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().messageText, "Number of rows to add: 1");
    EXPECT_EQ(readBack("select id || ':' || name || ':' || price from items where id > 9"),
              "10:pasted:2.5");
    alerts.clear();

    // The record editor: Clear empties the key too, and Add leaves it to SQLite.
    click(0, 2);
    key(Qt::Key_Return, Qt::AltModifier);
    auto* record = &partsOf(c).record;
    QWidget* view = record->view();
    QTest::mouseClick(view->findChild<QPushButton*>("addRowViewClearButton"), Qt::LeftButton);
    QLineEdit* price = record->valueField(FieldIndex(3));
    price->setFocus();
    QTest::keyClicks(price, "450");
    QTest::mouseClick(view->findChild<QPushButton*>("addRowViewAddButton"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
    EXPECT_EQ(readBack("select id || ':' || quote(name) || ':' || quote(price) from items where "
                       "id = 11"),
              "11:'':450.0");
    EXPECT_EQ(record->statusLabel()->text(), "Added a row");
    // The editor shows the new row as the file holds it.
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "11");
    EXPECT_EQ(record->valueField(FieldIndex(3))->text(), "450.0");
    EXPECT_EQ(record->addRowViewFieldValues().front(), "11");
    EXPECT_EQ(readBack("select count(*) from items"), "7");
}

TEST_F(RowWritesTest, ShowingThumbnailsLeavesThePhotoEditorsFileAsItIs) {
    QImage tall(100, 200, QImage::Format_RGB32);
    tall.fill(Qt::red);
    ASSERT_TRUE(tall.save(QString::fromStdString(pathInDocuments("tall.jpg"))));
    ASSERT_TRUE(tall.save(QString::fromStdString(pathInDocuments("wide.jpg"))));
    app->imagesWindow().createThumbnail("tall.jpg");
    run("create table varnelo_db_fields (table_name, name, number, type, flags);"
        "insert into varnelo_db_fields values ('p', 'photo', 1, 7, 0);"
        "create table p (photo text); insert into p values ('tall.jpg')");
    TablesAndRowsController* c = showMain("p");
    EditFieldPanel* panel = openPanel(c, 0, 1);
    ASSERT_EQ(panel->textView()->toPlainText(), "tall.jpg");
    QTest::mouseClick(panel->specialButton(), Qt::LeftButton);
    ImagesWindow& images = app->imagesWindow();
    ASSERT_TRUE(images.isVisible());
    // Listing the thumbnails, and back, is no choice of a file.
    images.showThumbnailsButton()->click();
    EXPECT_EQ(panel->textView()->toPlainText(), "tall.jpg");
    images.showThumbnailsButton()->click();
    EXPECT_EQ(panel->textView()->toPlainText(), "tall.jpg");
    std::vector<int> selected = images.tableView()->selectedRows();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(images.filteredImageFilesArray()[size_t(selected[0])].fileName, "tall.jpg");
    // A file the user picks still reaches the editor.
    images.tableView()->selectRows({selected[0] == 0 ? 1 : 0});
    EXPECT_EQ(panel->textView()->toPlainText(), "wide.jpg");
    images.tableView()->selectRows({selected[0]});
    QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(readBack("select photo from p"), "tall.jpg");
    images.close();
}

// Writes from a page or record that another program changed the file under.
class ChangedUnderThePageTest : public RowWritesTest {
  protected:
    // The whole table as text, to tell that nothing in it changed.
    std::string dump(const std::string& table) const {
        return readBack(
            "select group_concat(rowid || ':' || quote(a) || ':' || quote(b), ' ') "
            "from " +
            table);
    }
    void elsewhere(const std::string& sql) { directExec(db, sql); }
    // The grid's cell in the record editor, typed into but not saved.
    RecordConsole* typeInRecord(TablesAndRowsController* c, int row, const char* text) {
        click(row, 1);
        key(Qt::Key_Return, Qt::AltModifier);
        RecordConsole* record = &partsOf(c).record;
        QLineEdit* field = record->valueField(FieldIndex(1));
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        return record;
    }
    void pressRecordButton(RecordConsole* record, const char* name) {
        QTest::mouseClick(record->view()->findChild<QPushButton*>(name), Qt::LeftButton);
        settle();
    }
    std::string lastAlert() const { return alerts.empty() ? "none" : alerts.back().both(); }
    // The alert the record editor's button gave, "none" for none.
    std::string told(RecordConsole* record, const char* button) {
        alerts.clear();
        pressRecordButton(record, button);
        return lastAlert();
    }
    static inline const std::string selectedRowsChanged =
        "Rows Changed|The rows of the table changed since they were selected, so nothing was "
        "changed. Select the rows again.";
    static inline const std::string editedRowChanged =
        "Rows Changed|The row changed since it was shown, so nothing was changed.";
};

TEST_F(ChangedUnderThePageTest, NoWriterWritesIntoTheRowAVacuumGaveTheShownRowid) {
    GridPaste::suppressPasteUpdateAlert(true);
    // Each writer acts on the cell showing row8 (grid row 3) once a vacuum gave its rowid to row12.
    struct Writer {
        const char* name;
        std::function<void(TablesAndRowsController*)> write;
        // What the refusal says: of the rows selected, of the row edited, or of a paste's rows.
        std::string told = selectedRowsChanged;
    };
    const std::vector<Writer> writers = {
        {"in place",
         [&](TablesAndRowsController*) {
             doubleClick(3, 1);
             elsewhere("vacuum");
             typeAndEnd("typed");
         },
         editedRowChanged},
        {"Set to NULL",
         [&](TablesAndRowsController*) {
             click(3, 1);
             elsewhere("vacuum");
             pick("setToNULLMenuItemClicked");
         }},
        {"Clear",
         [&](TablesAndRowsController*) {
             click(3, 1);
             elsewhere("vacuum");
             pick("clearMenuItemClicked");
         }},
        {"paste",
         [&](TablesAndRowsController*) {
             click(3, 1);
             elsewhere("vacuum");
             paste("pasted\t99");
         },
         "Rows Changed|Some rows changed since they were shown and were not written.\n\nRows "
         "written: none."},
        {"Choose Location",
         [&](TablesAndRowsController*) {
             click(3, 2);
             elsewhere("vacuum");
             chooseLocation({48.1173, 11.516667});
         },
         editedRowChanged},
        {"record editor Save",
         [&](TablesAndRowsController* c) {
             RecordConsole* record = typeInRecord(c, 3, "typed");
             elsewhere("vacuum");
             pressRecordButton(record, "addRowViewSaveButton");
             EXPECT_EQ(record->statusLabel()->text(), "Not saved");
             EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "typed");
         },
         editedRowChanged},
    };
    int n = 0;
    for (const Writer& writer : writers) {
        SCOPED_TRACE(writer.name);
        // The table written, and its twin that the vacuum renumbers alike and nobody writes.
        const std::string table = "t" + std::to_string(++n);
        const std::string twin = "twin" + std::to_string(n);
        for (const std::string& name : {table, twin}) {
            run("create table " + name + " (a text, b integer); insert into " + name +
                " select 'row' || value, value from generate_series(1, 40); delete from " + name +
                " where rowid between 2 and 5");
        }
        TablesAndRowsController* c = showMain(table);
        ASSERT_EQ(shown(3, 1), "row8");
        alerts.clear();
        writer.write(c);
        settle();
        EXPECT_EQ(readBack("select a from " + table + " where rowid = 8"), "row12");
        EXPECT_EQ(dump(table), dump(twin));
        // A paste names the rows it wrote after the reason.
        EXPECT_EQ(lastAlert().rfind(writer.told, 0), 0u) << lastAlert();
    }
}

TEST_F(ChangedUnderThePageTest, FieldsSwappedElsewhereAreNeverWrittenUnderTheNamesShown) {
    const std::string fieldsChanged =
        "Error|The fields of the table have changed. Reload the table to see its rows.";
    run("create table t (a text, b text); insert into t values ('name1', 'phone1'), ('name2', "
        "'phone2')");
    showMain("t");
    // The names of the two fields swapped, as a rebuild in another window swaps them.
    const std::string swap =
        "alter table t rename column a to x; alter table t rename column b to a; alter table t "
        "rename column x to b";
    elsewhere(swap);
    const std::string before = dump("t");
    doubleClick(0, 1);
    typeAndEnd("typed");
    settle();
    EXPECT_EQ(lastAlert(), fieldsChanged);
    EXPECT_EQ(dump("t"), before);
    // A whole field selected.
    alerts.clear();
    clickHeader(1);
    pick("clearMenuItemClicked");
    EXPECT_EQ(lastAlert(), fieldsChanged);
    EXPECT_EQ(dump("t"), before);
    // Reloaded, the fields shown are the table's and take the writes.
    alerts.clear();
    keys(Qt::Key_R, Qt::ControlModifier);
    settle();
    doubleClick(0, 1);
    typeAndEnd("typed");
    settle();
    EXPECT_EQ(lastAlert(), "none");
    EXPECT_EQ(readBack("select b || ' ' || a from t where rowid = 1"), "typed phone1");
}

TEST_F(ChangedUnderThePageTest, ARowidTakenByANewRowKeepsItsRowFromEveryWriterOfTheOldOne) {
    run("create table t (a text, b integer); insert into t select 'row' || value, value from "
        "generate_series(1, 5)");
    TablesAndRowsController* c = showMain("t");
    // Delete Rows on row5, whose rowid a new row took.
    click(4, 0);
    ASSERT_EQ(c->state().selection.mySelectedRowIndexes.size(), 1u);
    elsewhere("delete from t where rowid = 5; insert into t values ('new5', 50)");
    alerts.clear();
    pick("delete");
    settle();
    EXPECT_EQ(lastAlert().rfind("Rows Changed|", 0), 0u) << lastAlert();
    EXPECT_EQ(readBack("select a from t where rowid = 5"), "new5");

    // The record editor's Save and Delete on row4, typed into before its rowid went to another.
    RecordConsole* record = typeInRecord(c, 3, "typed");
    elsewhere(
        "delete from t where rowid = 5; delete from t where rowid = 4; insert into t "
        "values ('new4', 40)");
    ASSERT_EQ(readBack("select rowid from t where a = 'new4'"), "4");
    alerts.clear();
    pressRecordButton(record, "addRowViewSaveButton");
    EXPECT_EQ(lastAlert().rfind("Rows Changed|", 0), 0u) << lastAlert();
    EXPECT_EQ(record->statusLabel()->text(), "Not saved");
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "typed");
    // The editor took the row the rowid names now; it changes again before Delete.
    EXPECT_EQ(record->valueField(FieldIndex(2))->text(), "40");
    elsewhere("update t set b = 41 where rowid = 4");
    UserDefaults::standard().setBool(true, "NoWarnOnRowDelete");
    alerts.clear();
    pressRecordButton(record, "addRowViewDeleteButton");
    EXPECT_EQ(lastAlert().rfind("Rows Changed|", 0), 0u) << lastAlert();
    EXPECT_EQ(dump("t"), "1:'row1':1 2:'row2':2 3:'row3':3 4:'new4':41");
}

TEST_F(ChangedUnderThePageTest, ATableDroppedAndMadeAgainKeepsItsNewRows) {
    run("create table t (a text, b integer); insert into t values ('old1', 1), ('old2', 2)");
    TablesAndRowsController* c = showMain("t");
    const std::string remake =
        "drop table t; create table t (a text, b integer); insert into t "
        "values ('new1', 10), ('new2', 20)";
    doubleClick(0, 1);
    elsewhere(remake);
    std::string made = dump("t");
    typeAndEnd("typed");
    settle();
    EXPECT_EQ(lastAlert().rfind("Rows Changed|", 0), 0u) << lastAlert();
    EXPECT_EQ(dump("t"), made);

    RecordConsole* record = typeInRecord(c, 1, "typed");
    int again = 0;
    for (const char* button : {"addRowViewSaveButton", "addRowViewDeleteButton"}) {
        SCOPED_TRACE(button);
        // Made again before each write: a refusal has the editor take the row as it stands.
        elsewhere(
            "drop table t; create table t (a text, b integer); insert into t values ('again1', "
            "1), ('again2', " +
            std::to_string(++again) + ")");
        made = dump("t");
        alerts.clear();
        pressRecordButton(record, button);
        EXPECT_EQ(lastAlert().rfind("Rows Changed|", 0), 0u) << lastAlert();
        EXPECT_EQ(dump("t"), made);
    }
}

// A long value another program changes past the part the page holds, after an editor loaded it
// whole: each editor's write is refused and the other program's change stays.
TEST_F(ChangedUnderThePageTest, ALongValueChangedPastItsShownPartIsNeverWrittenOver) {
    run("create table t (a text, b integer); insert into t values (printf('%.20000c', 'x') || "
        "'END', 1), ('short', 2)");
    TablesAndRowsController* c = showMain("t");
    const std::string tail =
        "update t set a = substr(a, 1, 15000) || 'EXTERNAL-TAIL' where rowid = 1";
    const std::string tailNow = "select substr(a, -13) from t where rowid = 1";
    auto otherProgram = [&](const std::string& sql) {
        EXPECT_EQ(OtherProgram({"hold", db, sql}).told(), "held");
    };

    // The cell's editor, typing at the end of the value.
    doubleClick(0, 1);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(field, "W");
    otherProgram(tail);
    alerts.clear();
    QTest::keyClick(field, Qt::Key_Return);
    settle();
    EXPECT_EQ(lastAlert(), editedRowChanged);
    EXPECT_EQ(readBack(tailNow), "EXTERNAL-TAIL");

    // The record editor's Save: refused, then written from the row as it stands.
    run("update t set a = printf('%.20000c', 'x') || 'END' where rowid = 1");
    keys(Qt::Key_R, Qt::ControlModifier);
    settle();
    click(0, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    RecordConsole* record = &partsOf(c).record;
    CellTextField* body = record->valueField(FieldIndex(1));
    body->setFocus();
    QTest::keyClick(body, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(body, "W");
    otherProgram(tail);
    EXPECT_EQ(told(record, "addRowViewSaveButton"), editedRowChanged);
    EXPECT_EQ(readBack(tailNow), "EXTERNAL-TAIL");
    EXPECT_EQ(record->statusLabel()->text(), "Not saved");
    EXPECT_EQ(told(record, "addRowViewSaveButton"), "none");
    EXPECT_EQ(readBack("select length(a) || substr(a, -4) from t where rowid = 1"), "20004ENDW");
}

// Two windows on one file: A's edit-field panel typed into while B writes the same long value.
TEST_F(ChangedUnderThePageTest, APanelSavesOverAnotherWindowsWriteOnlyOnceTold) {
    run("create table t (a text, b integer); insert into t values (printf('%.5000c', 'p') || "
        "'END', 1)");
    TablesAndRowsController* a = showMain("t");
    RowsTableView* gridA = grid;
    EditFieldPanel* panelA = openPanel(a, 0, 1);
    QTest::keyClick(panelA->textView(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(panelA->textView(), "_P");

    app->showDatabase(db, 1, false, std::string("t"), TablesAndRowsState::RowsConsole);
    TablesAndRowsController* b = app->tablesAndRowsControllerForWindowIndex(1);
    grid = rowsOf(b)->rowsTableView();
    grid->window()->activateWindow();
    QApplication::processEvents();
    EditFieldPanel* panelB = openPanel(b, 0, 1);
    QTest::keyClick(panelB->textView(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(panelB->textView(), "_Q");
    QTest::mouseClick(panelB->saveButton(), Qt::LeftButton);
    settle();
    const std::string ends = "select substr(a, -5) from t";
    ASSERT_EQ(readBack(ends), "END_Q");
    grid = gridA;

    alerts.clear();
    QTest::mouseClick(panelA->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(lastAlert(), editedRowChanged);
    EXPECT_EQ(readBack(ends), "END_Q");
    EXPECT_TRUE(panelA->textView()->wholeText().endsWith("END_P"));
    // Told, the user saves again: the row as it stands now takes the text typed.
    alerts.clear();
    QTest::mouseClick(panelA->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(lastAlert(), "none");
    EXPECT_EQ(readBack(ends), "END_P");
}

// A vacuum gives the rowid of a row shown with a long value to a row that differs from it only
// past the part the page holds: Set to NULL refuses, and nulls the row shown once read again.
TEST_F(ChangedUnderThePageTest, AVacuumNeverHasALookAlikeOfALongValueWrittenInItsPlace) {
    run("create table t (a text, b integer); insert into t values ('one', 1), ('two', 2), "
        "(printf('%.6000c', 'v') || 'A', 7), (printf('%.6000c', 'v') || 'B', 7); delete from t "
        "where rowid = 2");
    showMain("t");
    const std::string ends = "select group_concat(rowid || substr(a, -1) || quote(b), ' ') from t";
    click(1, 2);
    elsewhere("vacuum");
    ASSERT_EQ(readBack(ends), "1e1 2A7 3B7");
    alerts.clear();
    pick("setToNULLMenuItemClicked");
    settle();
    EXPECT_EQ(lastAlert(), selectedRowsChanged);
    EXPECT_EQ(readBack(ends), "1e1 2A7 3B7");
    // The page read again after the refusal: the row shown there is written.
    alerts.clear();
    click(1, 2);
    pick("setToNULLMenuItemClicked");
    settle();
    for (const auto& alert : alerts) EXPECT_NE(alert.messageText, "Rows Changed");
    EXPECT_EQ(readBack(ends), "1e1 2ANULL 3B7");
}

// After a refused Save or Delete the record editor takes the row as it stands, keeps what was
// typed, moves on from a row gone, and refuses while the fields are not those shown.
TEST_F(ChangedUnderThePageTest, TheRecordEditorGoesOnFromARefusal) {
    run("create table t (a text, b text); insert into t values ('a1', 'b1'), ('a2', 'b2'), "
        "('a3', 'b3'), ('a4', 'b4')");
    TablesAndRowsController* c = showMain("t");
    RecordConsole* record = typeInRecord(c, 1, "typed");
    QLineEdit* a = record->valueField(FieldIndex(1));
    QLineEdit* b = record->valueField(FieldIndex(2));
    elsewhere("update t set b = 'b2 elsewhere' where rowid = 2");
    EXPECT_EQ(told(record, "addRowViewSaveButton"), editedRowChanged);
    EXPECT_EQ(a->text(), "typed");
    EXPECT_EQ(b->text(), "b2 elsewhere");
    EXPECT_EQ(record->statusLabel()->text(), "Not saved");
    EXPECT_EQ(told(record, "addRowViewSaveButton"), "none");
    EXPECT_EQ(record->statusLabel()->text(), "Saved");
    EXPECT_EQ(dump("t"), "1:'a1':'b1' 2:'typed':'b2 elsewhere' 3:'a3':'b3' 4:'a4':'b4'");

    // Revert gives the file's values, not those first shown.
    a->setFocus();
    a->selectAll();
    QTest::keyClicks(a, "again");
    elsewhere("update t set a = 'a2 other', b = 'b2 other' where rowid = 2");
    pressRecordButton(record, "addRowViewSaveButton");
    EXPECT_EQ(a->text(), "again");
    EXPECT_EQ(b->text(), "b2 other");
    pressRecordButton(record, "addRowViewRevertButton");
    EXPECT_EQ(a->text(), "a2 other");
    EXPECT_EQ(b->text(), "b2 other");

    // A row gone: the editor shows the row now at its place.
    a->setFocus();
    a->selectAll();
    QTest::keyClicks(a, "gone");
    elsewhere("delete from t where rowid = 2");
    alerts.clear();
    pressRecordButton(record, "addRowViewSaveButton");
    EXPECT_TRUE(toldRowIsGone()) << lastAlert();
    EXPECT_EQ(a->text(), "a3");
    EXPECT_NE(record->statusLabel()->text(), "Not saved");

    // A refused Delete leaves no earlier success on the status line.
    UserDefaults::standard().setBool(true, "NoWarnOnRowDelete");
    pressRecordButton(record, "addRowViewDeleteButton");
    ASSERT_EQ(record->statusLabel()->text(), "Deleted the row");
    ASSERT_EQ(a->text(), "a4");
    elsewhere("update t set b = 'b4 elsewhere' where rowid = 4");
    EXPECT_EQ(told(record, "addRowViewDeleteButton"), editedRowChanged);
    EXPECT_NE(record->statusLabel()->text(), "Deleted the row");
    EXPECT_EQ(dump("t"), "1:'a1':'b1' 4:'a4':'b4 elsewhere'");

    // Fields changed: every Save refused until the table is reloaded.
    const std::string fieldsChanged =
        "Error|The fields of the table have changed. Reload the table to see its rows.";
    a->setFocus();
    a->selectAll();
    QTest::keyClicks(a, "renamed");
    elsewhere("alter table t add column c");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(told(record, "addRowViewSaveButton"), fieldsChanged);
        EXPECT_EQ(a->text(), "renamed");
    }
    keys(Qt::Key_R, Qt::ControlModifier);
    settle();
    c->selectConsole(TablesAndRowsState::RowsConsole);
    record = typeInRecord(c, 1, "renamed");
    EXPECT_EQ(told(record, "addRowViewSaveButton"), "none");
    EXPECT_EQ(readBack("select a from t where rowid = 4"), "renamed");
}

// A paste that wrote some rows before it met one changed says so, with the rows it wrote.
TEST_F(ChangedUnderThePageTest, APasteStoppedPartWayNamesTheRowsItWrote) {
    run("create table t (a text, b integer); insert into t values ('r1', 1), ('r2', 2), ('r3', "
        "3)");
    showMain("t");
    GridPaste::suppressPasteUpdateAlert(true);
    click(0, 1);
    elsewhere("update t set b = 20 where rowid = 2");
    alerts.clear();
    paste("p1\np2\np3");
    settle();
    EXPECT_EQ(lastAlert(),
              "Rows Changed|Some rows changed since they were shown and were not written.\n\nRows "
              "written: 1.\nRows not written: 2 to 3.");
    EXPECT_EQ(dump("t"), "1:'p1':1 2:'r2':20 3:'r3':3");
}

TEST_F(ChangedUnderThePageTest, CellsWrittenOneAfterAnotherInOneRowAreNotTakenForChangesElsewhere) {
    // Each write changes the file and, by its trigger and generated field, other cells of the
    // row: the next write of the same command still finds the row as the page shows it.
    run("create table t (a text, b integer, total as (length(a) + b), c integer default 0); "
        "insert into t (a, b) values ('x', 1), ('y', 2); create trigger counted after update of "
        "a, b on t begin update t set c = c + 1 where rowid = new.rowid; end");
    TablesAndRowsController* c = showMain("t");
    GridPaste::suppressPasteUpdateAlert(true);
    click(0, 1);
    paste("pasted\t5");
    EXPECT_EQ(lastAlert(), "none");
    EXPECT_EQ(readBack("select a || ' ' || b || ' ' || total || ' ' || c from t where rowid = 1"),
              "pasted 5 11 2");
    // Clear on the focused cell and a cell selected beside it.
    click(1, 1);
    click(1, 2, Qt::ControlModifier);
    ASSERT_FALSE(c->state().selection.mySelectedCells.empty());
    pick("clearMenuItemClicked");
    EXPECT_EQ(lastAlert().rfind("Clear the selected fields?|", 0), 0u) << lastAlert();
    EXPECT_EQ(readBack("select quote(a) || ' ' || quote(b) || ' ' || c from t where rowid = 2"),
              "'' '' 2");
}
