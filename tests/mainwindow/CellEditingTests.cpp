// In-place editing of grid cells, driven by mouse and key events, checked by a connection of
// the test's own.
#include "tests/mainwindow/GridTest.h"

#include <QWindow>

#include <thread>

class CellEditingTest : public GridTest {};

TEST_F(CellEditingTest, DoubleClickAndReturnWriteOneUpdateOfThatField) {
    makeRowsTable(20);
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    doubleClick(2, 1);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "name 3");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 2);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    typeAndEnd("renamed");
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "renamed");
    EXPECT_EQ(readBack("select group_concat(id) from updates"), "3");
    EXPECT_EQ(readBack("select count(*) from t where name = 'name 4'"), "1");
    EXPECT_EQ(shown(2, 1), "renamed");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(2), FieldIndex(1)),
              "renamed");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, AnEditedIntegerPrimaryKeyShowsTheValueTheMovedRowHolds) {
    run("create table k (id integer primary key, name text); insert into k values (3, 'c')");
    showGrid("k");
    doubleClick(0, 1);
    typeAndEnd("7");
    EXPECT_EQ(readBack("select group_concat(id) from k"), "7");
    EXPECT_EQ(shown(0, 1), "7");
    // The row's next edit goes to the row where the new key moved it.
    doubleClick(0, 2);
    typeAndEnd("seven");
    EXPECT_EQ(readBack("select name from k where id = 7"), "seven");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, ReturnOnTheFocusedCellStartsTheEditAndQuotesAreStoredExactly) {
    makeRowsTable(5);
    showGrid("t");
    click(1, 1);
    key(Qt::Key_Return);
    ASSERT_NE(openedEditor(), nullptr);
    typeAndEnd("O'Brien \"quoted\" '); drop table t; --");
    EXPECT_EQ(readBack("select name from t where rowid = 2"),
              "O'Brien \"quoted\" '); drop table t; --");
    EXPECT_EQ(readBack("select count(*) from t"), "5");
}

TEST_F(CellEditingTest, EscapeWritesNothingAndShowsTheLoadedValue) {
    makeRowsTable(5);
    logUpdates();
    showGrid("t");
    doubleClick(0, 1);
    typeAndEnd("never stored", Qt::Key_Escape);
    EXPECT_EQ(editor(), nullptr);
    // Taking the keyboard elsewhere afterwards must not write the abandoned text either.
    click(3, 2);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    EXPECT_EQ(readBack("select name from t where rowid = 1"), "name 1");
    EXPECT_EQ(shown(0, 1), "name 1");
}

TEST_F(CellEditingTest, AnUntouchedNullStaysNullEvenWithThePlaceholderShown) {
    UserDefaults::standard().setBool(true, "ShowNULLInRowsView");
    makeRowsTable(12);
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    c->state().display.showNULLInRowsView = true;
    // Row 10 holds a NULL amount.
    EXPECT_EQ(shown(9, 2), "");
    EXPECT_EQ(shown(9, 2, RowsTableModel::PlaceholderRole), "NULL");
    doubleClick(9, 2);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "");
    EXPECT_EQ(editor()->placeholderText(), "NULL");
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select typeof(amount) from t where rowid = 10"), "null");
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    // A single space is a change.
    doubleClick(9, 2);
    typeAndEnd(" ");
    EXPECT_EQ(readBack("select quote(amount) from t where rowid = 10"), "' '");
}

TEST_F(CellEditingTest, TabWritesAndMovesTheEditToTheNextFieldAndRow) {
    makeRowsTable(5);
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    doubleClick(0, 1);
    typeAndEnd("first", Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 1"), "first");
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "1.5");
    // From the last field the edit continues in the next row's first field.
    typeAndEnd("7", Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select amount from t where rowid = 1"), "7");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    ASSERT_NE(openedEditor(), nullptr);
    typeAndEnd("above", Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "above");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    EXPECT_EQ(readBack("select count(*) from updates"), "3");
}

TEST_F(CellEditingTest, KeysTypedBeforeTheNextEditOpensGoIntoIt) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    typeInto(0, 1, "first");
    // Typed faster than the window answers: each key is handled where the keyboard is by then.
    QWindow* window = grid->window()->windowHandle();
    auto type = [&](Qt::Key key, const QString& text) {
        for (QEvent::Type kind : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QCoreApplication::postEvent(window, new QKeyEvent(kind, key, Qt::NoModifier, text));
        }
    };
    type(Qt::Key_Tab, "\t");
    type(Qt::Key_9, "9");
    type(Qt::Key_Tab, "\t");
    type(Qt::Key_N, "n");
    type(Qt::Key_E, "e");
    type(Qt::Key_W, "w");
    type(Qt::Key_Return, "\r");
    // Posted keys are handled when the loop gets to them; a loaded machine takes longer.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return readBack("select name from t where rowid = 2") == "new"; }, 5000));
    EXPECT_EQ(readBack("select name from t where rowid = 1"), "first");
    EXPECT_EQ(readBack("select amount from t where rowid = 1"), "9");
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "new");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(editor(), nullptr);
}

TEST_F(CellEditingTest, RawFieldsAndViewsAreNeverEditedInPlace) {
    makeRowsTable(5);
    run("create view v as select * from t");
    TablesAndRowsController* c = showGrid("t");
    c->state().fieldModel.fieldTypes[0] = DBInterface::kFieldTypeRaw;
    doubleClick(1, 1);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value,
              1);  // the double click still moves the focus
    key(Qt::Key_Return);
    EXPECT_EQ(editor(), nullptr);
    // Tab from an edited cell into the Raw field does not open it either.
    doubleClick(0, 2);
    ASSERT_NE(openedEditor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(editor(), nullptr);

    c->selectTableWithName("v");
    QApplication::processEvents();
    doubleClick(0, 1);
    EXPECT_EQ(editor(), nullptr);
}

TEST_F(CellEditingTest, ALockedDatabaseShowsTheErrorAndKeepsTheTypedText) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    doubleClick(3, 1);
    // Tab would move on to the next cell; the failed one is edited again instead.
    typeAndEnd("blocked", Qt::Key_Tab);
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_NE(alerts[0].both().find("locked"), std::string::npos) << alerts[0].both();
    EXPECT_EQ(shown(3, 1), "name 4");
    EXPECT_EQ(readBack("select name from t where rowid = 4"), "name 4");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "blocked");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 3);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    // With the lock gone the text offered again is written.
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 4"), "blocked");
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(CellEditingTest, AFailedEditIsOfferedAgainOnlyOnceItsAlertIsClosed) {
    makeRowsTable(5);
    showGrid("t");
    run("create trigger t_refused before update on t begin select raise(abort, 'refused'); end");
    // A real sheet: it takes the focus the way a recorder does not.
    Alert::setTestResponder({});
    doubleClick(3, 1);
    typeAndEnd("typed");
    QApplication::processEvents();
    QWidget* alert = QApplication::activeModalWidget();
    ASSERT_NE(alert, nullptr);
    // An editor under the alert would lose the focus to it and write again, alert after alert.
    EXPECT_EQ(editor(), nullptr);
    alert->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "typed");
}

TEST_F(CellEditingTest, AWriteWaitingOnALockShowsTheWaitCursor) {
    makeRowsTable(5);
    showGrid("t");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    // The other connection looks at the cursor while the write waits, then lets it through
    // within the blink the window waits.
    Qt::CursorShape seen = Qt::ArrowCursor;
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (const QCursor* cursor = QGuiApplication::overrideCursor()) seen = cursor->shape();
        sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    });
    doubleClick(1, 1);
    typeAndEnd("waited");
    other.join();
    sqlite3_close(locker);
    EXPECT_EQ(seen, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "waited");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, AnEditOfARowDeletedElsewhereSaysSoAndReloadsTheGrid) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    doubleClick(2, 1);
    ASSERT_NE(openedEditor(), nullptr);
    run("delete from t where rowid = 3");
    typeAndEnd("lost");
    QApplication::processEvents();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_NE(alerts[0].both().find("no longer exists"), std::string::npos) << alerts[0].both();
    EXPECT_EQ(readBack("select count(*) from t where name = 'lost'"), "0");
    EXPECT_EQ(c->state().dataPort.totalRows, 4);
    EXPECT_EQ(grid->numberOfRows(), 4);
    EXPECT_EQ(shown(2, 1), "name 4");
}

TEST_F(CellEditingTest, AutoRefreshReloadsTheOtherWindowsAfterAWrite) {
    UserDefaults::standard().setBool(true, "AutoRefreshAllWindows");
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    TablesAndRowsWindow* other =
        app->showDatabase(db, 1, false, std::string("t"), TablesAndRowsState::RowsConsole);
    other->show();
    QApplication::processEvents();
    TablesAndRowsController* second = app->tablesAndRowsControllerForWindowIndex(1);
    second->selectTableWithName("t");
    grid->window()->activateWindow();
    doubleClick(0, 1);
    typeAndEnd("seen elsewhere");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "seen elsewhere");
    EXPECT_EQ(rowsOf(second)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "seen elsewhere");
}

TEST_F(CellEditingTest, TabOnTheLastFieldOfTheLastGridRowPagesDownOneRow) {
    makeRowsTable(200);
    TablesAndRowsController* c = showGrid("t");
    int64_t lastGridRow = grid->numberOfRows() - 1;
    doubleClick(static_cast<int>(lastGridRow), 2);
    typeAndEnd("99", Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select amount from t where rowid = " + std::to_string(lastGridRow + 1)),
              "99");
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 1);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, lastGridRow + 1);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), QString("name %1").arg(lastGridRow + 2));
    // Backtab from field 1 of the first grid row pages back up.
    QTest::keyClick(editor(), Qt::Key_Escape);
    rowsOf(c)->moveDataPortToRow(RowIndex(50));
    doubleClick(0, 1);
    ASSERT_NE(openedEditor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Backtab);
    QApplication::processEvents();
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 49);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 49);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
}

TEST_F(CellEditingTest, AFieldDroppedElsewhereNeverShiftsValuesOrRedirectsAnEdit) {
    run("create table t (name text, extra text, amount number); insert into t select 'name ' || "
        "value, 'x' || value, value from generate_series(1, 30)");
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    // Another program drops a field while the window still holds the old field model.
    run("alter table t drop column extra");
    rowsOf(c)->moveDataPortToRow(RowIndex(1));
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts.back().both().find("have changed"), std::string::npos);
    // Rows of the new shape laid over the old one would make another row's value a rowid:
    // nothing is shown, so nothing can be edited.
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), 0);
    EXPECT_EQ(rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(3), FieldIndex(0)), nullptr);
    c->state().selection.focusedRowIndex.value = 4;
    c->state().selection.focusedFieldIndex.value = 1;
    rowsOf(c)->rowsTableViewReturnKeyPressed();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
}

TEST_F(CellEditingTest, ClosingTheWindowWritesTheEditInProgress) {
    makeRowsTable(5);
    showGrid("t");
    typeInto(1, 1, "typed before closing");
    ASSERT_TRUE(app->databaseWindowForWindowIndex(0)->close());
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "typed before closing");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, AReloadDuringAnEditWritesItToItsOwnRowFirst) {
    UserDefaults::standard().setBool(true, "AutoRefreshAllWindows");
    makeRowsTable(5);
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    typeInto(1, 1, "kept over a reload");
    // The menu's reload takes no keyboard focus from the editor.
    c->reloadTablesMenuItemClicked();
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "kept over a reload");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(1), FieldIndex(1)),
              "kept over a reload");

    // A write in another window reloads this one while its editor is still open.
    typeInto(2, 1, "kept over a refresh");
    TablesAndRowsWindow* other =
        app->showDatabase(db, 1, false, std::string("t"), TablesAndRowsState::RowsConsole);
    QApplication::processEvents();
    TablesAndRowsController* second = app->tablesAndRowsControllerForWindowIndex(1);
    second->selectTableWithName("t");
    rowsOf(second)->moveDataPortToRow(RowIndex(3));
    other->activateWindow();
    QApplication::processEvents();
    second->state().selection.focusedRowIndex = RowIndex(3);
    second->state().selection.focusedFieldIndex = FieldIndex(1);
    rowsOf(second)->rowsTableViewReturnKeyPressed();
    QLineEdit* otherEditor = editor(rowsOf(second)->rowsTableView());
    ASSERT_NE(otherEditor, nullptr);
    otherEditor->selectAll();
    QTest::keyClicks(otherEditor, "written elsewhere");
    QTest::keyClick(otherEditor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 4"), "written elsewhere");
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "kept over a refresh");
    EXPECT_EQ(readBack("select group_concat(id) from (select id from updates order by id)"),
              "2,3,4");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, SelectingAnotherTableDuringAnEditWritesItToItsOwnTable) {
    makeRowsTable(5);
    run("create table other (name text, amount number); insert into other select name, amount "
        "from t");
    TablesAndRowsController* c = showGrid("t");
    typeInto(1, 1, "belongs to t");
    // Another part of the window selects a table while the editor keeps the keyboard.
    c->selectTableWithName("other");
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "belongs to t");
    EXPECT_EQ(readBack("select name from other where rowid = 2"), "name 2");
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "other");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(1), FieldIndex(1)),
              "name 2");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, ScrollingDuringAnEditWritesItBeforeTheRowLeaves) {
    makeRowsTable(200);
    showGrid("t");
    typeInto(1, 1, "kept over a wheel move");
    wheel(QPoint(0, -120));
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "kept over a wheel move");
    EXPECT_EQ(editor(), nullptr);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, ReloadsNeverLoseAnEditInProgress) {
    makeRowsTable(50);
    TablesAndRowsController* c = showGrid("t");
    // The grid lays out for the window's new size once the edit has ended, never during it.
    doubleClick(1, 1);
    ASSERT_NE(openedEditor(), nullptr);
    editor()->selectAll();
    QTest::keyClicks(editor(), "typed while resizing");
    grid->window()->resize(grid->window()->size() + QSize(40, 60));
    QTest::qWait(400);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "typed while resizing");
    const int64_t rowsBefore = grid->numberOfRows();
    QTest::keyClick(editor(), Qt::Key_Return);
    QTest::qWait(400);
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "typed while resizing");
    EXPECT_GT(grid->numberOfRows(), rowsBefore);
    EXPECT_EQ(grid->numberOfRows(), rowsOf(c)->numberOfGridRows());
    // Moving the page from elsewhere than the grid.
    doubleClick(2, 1);
    ASSERT_NE(openedEditor(), nullptr);
    editor()->selectAll();
    QTest::keyClicks(editor(), "typed before a jump");
    rowsOf(c)->moveDataPortToRow(RowIndex(20));
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "typed before a jump");
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(readBack("select count(*) from t"), "50");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CellEditingTest, AnEditInAFieldPastTheThousandthIsWrittenToItsRow) {
    std::string columns, values;
    for (int f = 1; f <= 1005; ++f) {
        columns += (f > 1 ? ", f" : "f") + std::to_string(f);
        values += (f > 1 ? ", 'v" : "'v") + std::to_string(f) + "'";
    }
    run("create table t (" + columns + "); insert into t values (" + values + "), (" + values +
        ")");
    TablesAndRowsController* c = showGrid("t");
    rowsOf(c)->changeFirstFieldFieldIndexToShow(FieldIndex(1001));
    ASSERT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1001);
    doubleClick(1, 1);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "v1001");
    typeAndEnd("edited far right");
    EXPECT_EQ(readBack("select f1001 from t where rowid = 2"), "edited far right");
    EXPECT_EQ(readBack("select f1001 from t where rowid = 1"), "v1001");
    EXPECT_EQ(shown(1, 1), "edited far right");
    EXPECT_TRUE(alerts.empty());
}
