// Selecting objects and paging their rows through the data port.
#include "tests/mainwindow/ControllerTest.h"

#include <QListWidget>
#include <QPushButton>

#include <sqlite3.h>

#include <filesystem>

#include "Common/DBConnection.h"
#include "mainwindow/rows/views/RowsTableModel.h"
#include "mainwindow/rows/views/RowsTableView.h"

using Status = DBInterface::SelectedObjectStatus;

class DataPortTest : public ControllerTest {};

TEST_F(DataPortTest, SelectingATableLoadsItsFieldModelAndFirstPage) {
    makeRowsTable(100);
    TablesAndRowsController* c = show("t");
    EXPECT_EQ(c->state().selectedObject.selectedObjectStatus, Status::kObjectEditable);
    EXPECT_EQ(c->state().fieldModel.fieldNames, (std::vector<std::string>{"name", "amount"}));
    EXPECT_EQ(c->state().dataPort.numberOfFieldsPerRow, 3);
    EXPECT_EQ(c->state().dataPort.totalRows, 100);
    EXPECT_EQ(title(), "test.db - t");
    int64_t rows = rowsOf(c)->numberOfDataPortRows();
    ASSERT_GT(rows, 3);
    ASSERT_EQ(c->state().dataPort.page.numberOfRows(), rows);
    ASSERT_EQ(c->state().dataPort.page.fieldsPerRow(), 3);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(0)), "1");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 1");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(1), FieldIndex(2)), "3");
    // Row 10 has a NULL amount: empty text, but the null object underneath.
    ASSERT_NE(rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(9), FieldIndex(2)), nullptr);
    EXPECT_FALSE(
        rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(9), FieldIndex(2))->has_value());
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(9), FieldIndex(2)), "");
    EXPECT_EQ(rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(0), FieldIndex(3)), nullptr);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForDatabaseRowIndex(RowIndex(-1), FieldIndex(1)), "");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldHeaderNameAtFieldIndex(FieldIndex(0)), "ROWID");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldHeaderNameAtFieldIndex(FieldIndex(3)), "(Unknown)");
    EXPECT_EQ(rowsOf(c)->nextFieldIndexInViewport(FieldIndex(2)), kFirstFieldIndex);
    // The rowid is a number; past the fields reads as text.
    const auto& fields = c->state().fieldModel;
    EXPECT_EQ(fields.fieldTypeAtFieldIndexP1(kRowidFieldIndex), DBInterface::kFieldTypeNumber);
    EXPECT_EQ(fields.fieldTypeAtFieldIndexP1(FieldIndex(3)), DBInterface::kFieldTypeText);
    EXPECT_EQ(fields.fieldTypeAtFieldIndexP1(FieldIndex()), DBInterface::kFieldTypeText);

    // The grid shows the port: row numbers, then the fields that fit, headed by their names.
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    EXPECT_EQ(grid->numberOfRows(), rows);
    ASSERT_EQ(grid->numberOfColumns(), 3);
    QAbstractItemModel* model = grid->model();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "name");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "amount");
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), "1");
    EXPECT_EQ(model->data(model->index(4, 1)).toString(), "name 5");
    EXPECT_EQ(grid->columnWithIdentifier("DataCol1"), 2);
    EXPECT_EQ(grid->columnWithIdentifier("DataCol2"), -1);
    EXPECT_EQ(rowsOf(c)->rowsViewNumberOfRowsButton()->text(), "100");
    // A reload never points the record editor or the focus at the rowid.
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(c->state().selection.fieldIndexToEdit.value, -1);
}

TEST_F(DataPortTest, PagesFollowTheSortAndStopAtTheEnd) {
    makeRowsTable(100);
    std::string error;
    ASSERT_EQ(DBInterface::updateSortCodes({4}, "t", db, &error), 0) << error;  // amount desc
    TablesAndRowsController* c = show("t");
    // NULLs sort last in descending numeric order.
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 99");
    rowsOf(c)->moveDataPortToRow(RowIndex(95));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 95);
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), 5);
    rowsOf(c)->moveDataPortToRow(RowIndex(100));  // beyond the rows: ignored
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 95);
    std::vector<DBValue> page;
    EXPECT_EQ(rowsOf(c)->dataPort().loadFieldValues(&page, RowIndex(98), 10, false, nullptr), 0);
    EXPECT_EQ(page.size(), 6u);
}

TEST_F(DataPortTest, SearchCountsAndLoadsOnlyMatchingRows) {
    makeRowsTable(100);
    TablesAndRowsController* c = show("t");
    c->state().sortAndSearch.likeString = "%name 1%";
    c->state().sortAndSearch.searchFieldIndexes = {FieldPosition(0)};
    rowsOf(c)->resetTableSelections();
    EXPECT_EQ(c->state().dataPort.totalRows, 12);  // 1, 10 to 19, 100
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(1), FieldIndex(1)),
              "name 10");
    // No field to search: the plain count.
    c->state().sortAndSearch.searchFieldIndexes.clear();
    rowsOf(c)->calculateTotalRows();
    EXPECT_EQ(c->state().dataPort.totalRows, 100);
    // A quote in the search text is searched for, not run.
    c->state().sortAndSearch.likeString = "%'; drop table t; --%";
    c->state().sortAndSearch.searchFieldIndexes = {FieldPosition(0)};
    rowsOf(c)->resetTableSelections();
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(DataPortTest, ALimitedViewCountsAtMostAThousandRowsAndPagesFromItsCache) {
    makeRowsTable(2500);
    run("create view v as select * from t");
    TablesAndRowsController* c = show("v");
    EXPECT_EQ(c->state().selectedObject.selectedObjectStatus, Status::kObjectLimited);
    EXPECT_EQ(c->state().dataPort.totalRows, 1000);
    EXPECT_EQ(title(), "test.db - v (Limited Rows)");
    EXPECT_EQ(c->state().dataPort.limitedFieldValuesLoaded.size(), 3000u);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(0)), "");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 1");
    std::vector<DBValue> page;
    EXPECT_EQ(rowsOf(c)->dataPort().loadFieldValues(&page, RowIndex(990), 20, false, nullptr), 0);
    ASSERT_EQ(page.size(), 30u);
    EXPECT_EQ(page[1], "name 991");
    // The search is counted under the same cap.
    c->state().sortAndSearch.searchFieldIndexes = {FieldPosition(0)};
    c->state().sortAndSearch.likeString = "%name 2%";
    rowsOf(c)->resetTableSelections();
    EXPECT_EQ(c->state().dataPort.totalRows, 612);
    c->state().sortAndSearch.likeString = "%1%";
    rowsOf(c)->resetTableSelections();
    EXPECT_EQ(c->state().dataPort.totalRows, 1000);
}

TEST_F(DataPortTest, ATableWithoutRowidSortedOnAUniqueKeyIsPagedWithAnEmptyFieldZero) {
    run("create table k (code text primary key, label text) without rowid;"
        "insert into k select 'c' || value, 'label ' || value from generate_series(1, 50)");
    std::string error;
    ASSERT_EQ(DBInterface::updateSystemTable("k", DBInterface::kTableFlagSortedOnUniqueKey, true,
                                             db, &error),
              0)
        << error;
    TablesAndRowsController* c = show("k");
    EXPECT_EQ(c->state().selectedObject.selectedObjectStatus, Status::kObjectReadOnlyPaged);
    EXPECT_EQ(c->state().dataPort.totalRows, 50);
    EXPECT_EQ(title(), "test.db - k");
    for (int64_t row = 0; row < rowsOf(c)->rowsTableView()->numberOfRows(); ++row) {
        const DBValue* rowid =
            rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(row), FieldIndex(0));
        ASSERT_NE(rowid, nullptr);
        EXPECT_EQ(*rowid, "");
    }
}

TEST_F(DataPortTest, AnEmptyViewDoesNotKeepTheLastTablesEditStatus) {
    makeRowsTable(5);
    run("create view e as select * from t where 0");
    TablesAndRowsController* c = show("t");
    ASSERT_EQ(c->state().selectedObject.selectedObjectStatus, Status::kObjectEditable);
    c->selectTableWithName("e");
    EXPECT_NE(c->state().selectedObject.selectedObjectStatus, Status::kObjectEditable);
    EXPECT_EQ(c->state().dataPort.numberOfFieldsPerRow, 0);
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), 0);
    EXPECT_TRUE(rowsOf(c)->rowsTableView()->isColumnHidden(0));
    EXPECT_EQ(rowsOf(c)->rowsViewNumberOfRowsButton()->text(), "0");
}

TEST_F(DataPortTest, MovesFasterThanPagesLoadAreMergedIntoOneLoad) {
    makeRowsTable(1000);
    TablesAndRowsController* c = show("t");
    for (int64_t row = 1; row <= 15; ++row) rowsOf(c)->moveDataPortToRowIndex(RowIndex(row));
    rowsOf(c)->moveDataPortToRowIndex(RowIndex(14));
    // The position is taken at once; the page follows once the waiting moves are handled.
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 14);
    EXPECT_EQ(rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(0), FieldIndex(0)), nullptr);
    QApplication::processEvents();
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(0)),
              "15");
    // Rows outside the table are ignored.
    rowsOf(c)->moveDataPortToRowIndex(RowIndex(1000));
    rowsOf(c)->moveDataPortToRowIndex(RowIndex(-1));
    QApplication::processEvents();
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 14);
    rowsOf(c)->moveDataPortToRowIndex(RowIndex(999));
    QApplication::processEvents();
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), 1);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 1000");
}

TEST_F(DataPortTest, NoSelectionEmptiesThePortAndForgetsTheLastTable) {
    makeRowsTable(5);
    TablesAndRowsController* c = show("t");
    ASSERT_EQ(UserDefaults::standard().dictionaryForKey("LastTablesShown")["test.db"], "t");
    c->tablesTableView()->clearSelection();
    EXPECT_EQ(c->state().dataPort.numberOfFieldsPerRow, 0);
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_TRUE(c->state().dataPort.page.empty());
    EXPECT_FALSE(UserDefaults::standard().dictionaryForKey("LastTablesShown").contains("test.db"));
    EXPECT_EQ(rowsOf(c)->rowsViewNumberOfRowsButton()->text(), "");
    EXPECT_EQ(title(), "test.db");
}

TEST_F(DataPortTest, NamesWithQuotesAreCountedAndPaged) {
    run("create table \"we\"\"ird 'table\" (\"a\"\"b\" text); insert into \"we\"\"ird 'table\" "
        "select 'v' || value from generate_series(1, 30);"
        "create view \"it's \"\"v\"\"\" as select * from \"we\"\"ird 'table\"");
    TablesAndRowsController* c = show("we\"ird 'table");
    EXPECT_EQ(c->state().dataPort.totalRows, 30);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "v1");
    c->selectTableWithName("it's \"v\"");
    EXPECT_EQ(c->state().selectedObject.selectedObjectStatus, Status::kObjectLimited);
    EXPECT_EQ(c->state().dataPort.totalRows, 30);
    c->state().sortAndSearch.likeString = "%v2%";
    c->state().sortAndSearch.searchFieldIndexes = {FieldPosition(0)};
    rowsOf(c)->resetTableSelections();
    EXPECT_EQ(c->state().dataPort.totalRows, 11);  // v2 and v20 to v29
    EXPECT_TRUE(alerts.empty());
}

TEST_F(DataPortTest, AVirtualTableWithHiddenColumnsShowsEachValueUnderItsField) {
    run("create virtual table ft using fts5(title, body); insert into ft values ('a', 'first'), "
        "('b', 'second'), ('c', 'third')");
    TablesAndRowsController* c = show("ft");
    EXPECT_TRUE(alerts.empty());
    ASSERT_EQ(c->state().dataPort.numberOfFieldsPerRow,
              static_cast<int64_t>(c->state().fieldModel.fieldNames.size()) + 1);
    ASSERT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), 3);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(1), FieldIndex(0)), "2");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(1), FieldIndex(1)), "b");
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(2), FieldIndex(2)),
              "third");
}

TEST_F(DataPortTest, AFileThatVanishesWhileShownGivesAnErrorAndAnEmptyPage) {
    makeRowsTable(100);
    TablesAndRowsController* c = show("t");
    std::filesystem::remove(db);
    rowsOf(c)->moveDataPortToRow(RowIndex(40));
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().messageText, "Error");
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), 0);
    EXPECT_EQ(rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(0), FieldIndex(0)), nullptr);
}

TEST_F(DataPortTest, APageMoveOpensOneConnection) {
    makeRowsTable(500);
    std::string error;
    ASSERT_EQ(DBInterface::updateSortCodes({1}, "t", db, &error), 0) << error;
    TablesAndRowsController* c = show("t");
    RowsConsole* rows = rowsOf(c);
    for (int64_t first : {100, 400, 0}) {
        int64_t before = DBConnection::openedConnectionCount();
        rows->moveDataPortToRow(RowIndex(first));
        EXPECT_EQ(DBConnection::openedConnectionCount() - before, 1) << first;
    }
    // A merged burst of wheel moves loads its one page on one connection too.
    int64_t before = DBConnection::openedConnectionCount();
    for (int step = 1; step <= 20; ++step) rows->moveDataPortToRowIndex(RowIndex(step));
    QApplication::processEvents();
    EXPECT_EQ(DBConnection::openedConnectionCount() - before, 1);
    EXPECT_EQ(rows->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 117");
}

TEST_F(DataPortTest, ATableSelectionOpensOneConnection) {
    makeRowsTable(100);
    run("create table other (x); insert into other values (1)");
    std::string error;
    ASSERT_EQ(DBInterface::updateSortCodes({1}, "t", db, &error), 0) << error;
    TablesAndRowsController* c = show("other");
    QListWidget* list = c->tablesTableView();
    auto rowOf = [&](const std::string& name) {
        const auto& names = c->state().selectedObject.tableNames;
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    // A click in the tables list: the field model, the query, the count and the first page.
    int64_t before = DBConnection::openedConnectionCount();
    list->setCurrentRow(rowOf("t"));
    EXPECT_EQ(DBConnection::openedConnectionCount() - before, 1);
    EXPECT_EQ(c->state().dataPort.totalRows, 100);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 1");
    // The list read again with the table chosen in it, too.
    before = DBConnection::openedConnectionCount();
    c->reloadTablesAndSelectTableNamed("other");
    EXPECT_EQ(DBConnection::openedConnectionCount() - before, 1);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)), "1");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(DataPortTest, APageThatCannotBeReadKeepsThePageShownAndSaysWhy) {
    makeRowsTable(200);
    TablesAndRowsController* c = show("t");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    // The wheel's move: the position changes at once, the page follows.
    rowsOf(c)->moveDataPortToRowIndex(RowIndex(50));
    rowsOf(c)->loadPendingDataPort();
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_NE(alerts[0].both().find("locked"), std::string::npos) << alerts[0].both();
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), rowsOf(c)->numberOfDataPortRows());
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 1");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Once the lock is gone the move reads its page.
    rowsOf(c)->moveDataPortToRow(RowIndex(50));
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "name 51");
}

TEST_F(DataPortTest, ALargeTablesPagesAreFoundByKeyAndFollowWritesElsewhere) {
    makeRowsTable(30000);
    std::string error;
    ASSERT_EQ(DBInterface::updateSortCodes({3}, "t", db, &error), 0) << error;  // amount up
    TablesAndRowsController* c = show("t");
    RowsConsole* rows = rowsOf(c);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows->dataPort().pagesFoundByKey(); }, 20000));
    auto expectRowAt = [&](int64_t first, const std::string& rowid) {
        rows->moveDataPortToRow(RowIndex(first));
        EXPECT_EQ(rows->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(0)), rowid)
            << first;
    };
    // The NULLs first, then amount i * 1.5 in order of i.
    expectRowAt(2999, "30000");
    expectRowAt(3000, "1");
    expectRowAt(20000, "18889");
    // Another connection deletes rows before the page: the page moves with them at once.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "delete from t where rowid <= 1000", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    expectRowAt(19999, "19999");
    EXPECT_FALSE(rows->dataPort().pagesFoundByKey());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows->dataPort().pagesFoundByKey(); }, 20000));
    expectRowAt(20000, "20001");
    EXPECT_TRUE(alerts.empty());
}
