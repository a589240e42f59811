// The commands of the grid's selection: writes into cells, whole rows and whole fields, deleting
// rows, blank rows and Go to Row, each checked by a connection of the test's own; and the
// statistics of the selected cells.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "mainwindow/rows/CellCommands.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/SelectionStatistics.h"
#include "tests/mainwindow/GridTest.h"

class CellCommandsTest : public GridTest {
  protected:
    CellCommands& commands(TablesAndRowsController* c) { return rowsOf(c)->cellCommands(); }
    // A search for names holding the text, as the search panel sets it.
    void search(TablesAndRowsController* c, const std::string& text) {
        c->state().sortAndSearch.likeString = "%" + text + "%";
        c->state().sortAndSearch.searchFieldIndexes = {FieldPosition(0)};
        c->sortOrSearchDidChange();
    }
    void selectRows(TablesAndRowsController* c, int64_t first, int64_t last) {
        rowsOf(c)->selection().includeRowIndexes(RowIndex(first), RowIndex(last));
    }
};

TEST(NumberFromCellText, ToleratesCurrencyParenthesesAndTrailingText) {
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("$1.50"), 1.5);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("(2.00)"), -2);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("($3)"), -3);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue(" -4 "), -4);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("12%"), 12);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("1,234"), 1);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("€ 7.25\n"), 7.25);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("abc"), 0);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue("nan"), 0);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue(""), 0);
    EXPECT_DOUBLE_EQ(doubleValueFromFieldValue(std::nullopt), 0);
}

TEST_F(CellCommandsTest, StatisticsCountTheFocusOnceAndOnlyTheLoadedRowsOfAField) {
    run("create table t (n number); insert into t values ('-5'), ('-2'), ('(3)'), ('$10'), "
        "(null)");
    TablesAndRowsController* c = showGrid("t");
    auto& selection = c->state().selection;
    selection.focusedRowIndex = RowIndex();
    SelectedCellsStatistics none = rowsOf(c)->selectionStatistics().computeUsingSelectedCells();
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.average, 0);
    // All negative, nothing focused: the maximum is the largest of them.
    click(0, 1);
    click(1, 1, Qt::ControlModifier);
    click(2, 1, Qt::ControlModifier);
    selection.focusedRowIndex = RowIndex();
    SelectedCellsStatistics negative = rowsOf(c)->selectionStatistics().computeUsingSelectedCells();
    EXPECT_EQ(negative.count, 3);
    EXPECT_DOUBLE_EQ(negative.total, -10);
    EXPECT_DOUBLE_EQ(negative.maximum, -2);
    EXPECT_DOUBLE_EQ(negative.minimum, -5);
    // A focused cell that is also selected counts once; its text comes first.
    selection.focusedRowIndex = RowIndex(0);
    selection.focusedFieldIndex = FieldIndex(1);
    EXPECT_EQ(rowsOf(c)->selectionStatistics().computeUsingSelectedCells().count, 3);
    std::vector<DBValue> values = rowsOf(c)->selectionStatistics().fieldValuesForSelectedCells();
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], "-5");
    // A whole field: every loaded row, NULL as 0.
    clickHeader(1);
    SelectedCellsStatistics field = rowsOf(c)->selectionStatistics().computeUsingSelectedCells();
    EXPECT_EQ(field.count, 5);
    EXPECT_DOUBLE_EQ(field.total, 0);
    EXPECT_DOUBLE_EQ(field.maximum, 10);
}

TEST_F(CellCommandsTest, CellsAreWrittenByTheirLoadedRowidsAndTheSelectionEmpties) {
    makeRowsTable(30);
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    search(c, "name 2");  // 2, 20 to 29
    ASSERT_EQ(c->state().dataPort.totalRows, 11);
    click(1, 1);
    click(3, 2, Qt::ControlModifier);
    commands(c).clearMenuItemClicked();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Clear the selected fields?");
    EXPECT_EQ(readBack("select name from t where rowid = 20"), "");
    EXPECT_EQ(readBack("select amount from t where rowid = 22"), "");
    EXPECT_EQ(readBack("select group_concat(id) from (select id from updates order by id)"),
              "20,22");
    EXPECT_TRUE(c->state().selection.mySelectedCells.empty());
    // The Control-click focused its cell; the focus stays on its row, one up now that the
    // cleared name left the search.
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(2));
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForDatabaseRowIndex(RowIndex(2), FieldIndex(1)),
              "name 22");
    // Cancel writes nothing.
    alertAnswer = 1;
    commands(c).setToNULLMenuItemClicked();
    EXPECT_EQ(readBack("select count(*) from updates"), "2");
}

TEST_F(CellCommandsTest, WholeFieldsWriteEveryRowAlsoThoseTheSearchHidesAndSaySo) {
    makeRowsTable(40);
    TablesAndRowsController* c = showGrid("t");
    search(c, "name 3");
    clickHeader(2);
    commands(c).setToNULLMenuItemClicked();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].informativeText.find("also in the rows the search hides"),
              std::string::npos);
    // One UPDATE over the whole table.
    EXPECT_EQ(readBack("select count(*) from t where amount is null"), "40");
    EXPECT_EQ(readBack("select count(*) from t where name is null"), "0");
    EXPECT_FALSE(c->state().selection.mySelectedFieldIndexes.empty());
    // Replace writes the text as typed, into a Number field too.
    QDialog* sheet = commands(c).replaceMenuItemClicked();
    ASSERT_NE(sheet, nullptr);
    sheet->findChild<QLineEdit*>("promptTextField")->setText("12 apples");
    sheet->findChild<QPushButton*>("promptDoneButton")->click();
    EXPECT_EQ(readBack("select count(*) from t where amount = '12 apples'"), "40");
}

TEST_F(CellCommandsTest, WholeRowsUnderASearchWriteOnlyTheSelectedRowsUpToTheLimit) {
    makeRowsTable(3000);
    TablesAndRowsController* c = showGrid("t");
    search(c, "name 1");  // 1, 10-19, 100-199, 1000-1999
    ASSERT_EQ(c->state().dataPort.totalRows, 1111);
    selectRows(c, 1, 2);  // name 10, name 11
    std::optional<std::string> answer = commands(c).replaceButtonPressed("x");
    EXPECT_FALSE(answer);
    EXPECT_EQ(readBack("select group_concat(rowid) from t where name = 'x'"), "10,11");
    EXPECT_EQ(readBack("select count(*) from t where amount = 'x'"), "2");
    EXPECT_TRUE(alerts.empty());
    // Exactly 1000 rows: all written and no notice.
    c->state().selection.mySelectedRowIndexes.clear();
    selectRows(c, 100, 1099);
    commands(c).replaceSelectedFieldsWith(std::string("y"), "t", 0);
    EXPECT_EQ(readBack("select count(*) from t where name = 'y'"), "1000");
    EXPECT_TRUE(alerts.empty());
    // 1500 rows: the first 1000 by position, and a notice that does not speak of pasting.
    search(c, "");
    c->state().sortAndSearch.searchFieldIndexes.clear();
    c->sortOrSearchDidChange();
    selectRows(c, 0, 1499);
    commands(c).replaceSelectedFieldsWith(std::nullopt, "t", 0);
    EXPECT_EQ(readBack("select count(*) from t where name is null"), "1000");
    EXPECT_EQ(readBack("select max(rowid) from t where name is null"), "1000");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Row Limit Exceeded|Only 1000 rows were changed.");
}

TEST_F(CellCommandsTest, RowsWrittenOutOfTheSearchTakeTheirSelectionWithThem) {
    makeRowsTable(30);
    TablesAndRowsController* c = showGrid("t");
    search(c, "name 1");  // 1, 10-19
    selectRows(c, 1, 2);  // name 10, name 11
    EXPECT_FALSE(commands(c).replaceButtonPressed("x"));
    ASSERT_EQ(c->state().dataPort.totalRows, 9);
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
    // The rows that moved up into those positions were never chosen.
    EXPECT_FALSE(commands(c).replaceButtonPressed("y"));
    EXPECT_EQ(readBack("select count(*) from t where name in ('name 12', 'name 13')"), "2");
    EXPECT_EQ(readBack("select group_concat(rowid) from t where name = 'x'"), "10,11");
}

TEST_F(CellCommandsTest, RowsSelectedBeforeAnotherConnectionChangedTheTableAreTheOnesTouched) {
    run("create table t (name text); insert into t select 'n' || value from "
        "generate_series(1, 20)");
    TablesAndRowsController* c = showGrid("t");
    c->state().sortAndSearch.sortCodes = {2};  // name descending
    c->sortOrSearchDidChange();
    selectRows(c, 0, 1);  // n9, n8
    // Another connection adds a row that sorts first: the places now hold other rows, the rows
    // selected are still written.
    run("insert into t values ('zz')");
    commands(c).replaceSelectedFieldsWith(std::string("changed"), "t", 0);
    EXPECT_EQ(readBack("select group_concat(rowid) from t where name = 'changed'"), "8,9");
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(c->state().dataPort.totalRows, 21);
    // Same count, other order: a row renamed elsewhere moves to the top, above the one selected.
    // The focus followed a changed row to the end: the user goes back to the top first.
    rowsOf(c)->selection().deselectAll();
    EXPECT_FALSE(commands(c).goToRowButtonPressed("1"));
    selectRows(c, 0, 0);  // zz
    run("update t set name = 'zzz' where name = 'n1'");
    alertAnswer = 0;
    commands(c).rowsTableViewDelete();
    EXPECT_EQ(readBack("select count(*) from t"), "20");
    EXPECT_EQ(readBack("select count(*) from t where name = 'zzz'"), "1");
    EXPECT_EQ(alerts.size(), 1u);  // the confirmation
    // Renamed again elsewhere, the row selected is not the row shown: nothing is deleted.
    rowsOf(c)->selection().deselectAll();
    selectRows(c, 0, 0);  // zzz
    run("update t set name = 'zzzz' where name = 'zzz'");
    commands(c).rowsTableViewDelete();
    EXPECT_EQ(readBack("select count(*) from t"), "20");
    EXPECT_EQ(alerts.back().messageText, "Rows Changed");
}

TEST_F(CellCommandsTest, DeleteRemovesTheSelectedRowsOnlyAfterConfirmingAndAtMostAThousand) {
    makeRowsTable(1500);
    run("create view v as select * from t");
    TablesAndRowsController* c = showGrid("t");
    // Cells alone delete nothing.
    click(0, 1);
    commands(c).rowsTableViewDelete();
    EXPECT_TRUE(alerts.empty());
    selectRows(c, 3, 4);
    alertAnswer = 1;
    commands(c).rowsTableViewDelete();
    EXPECT_EQ(readBack("select count(*) from t"), "1500");
    alertAnswer = 0;
    commands(c).rowsTableViewDelete();
    EXPECT_EQ(alerts.back().messageText, "Delete the 2 selected rows?");
    EXPECT_EQ(readBack("select count(*) from t where rowid in (4, 5)"), "0");
    EXPECT_EQ(readBack("select count(*) from t"), "1498");
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
    selectRows(c, 0, 1497);
    alerts.clear();
    commands(c).rowsTableViewDelete();
    EXPECT_EQ(readBack("select count(*) from t"), "498");
    EXPECT_EQ(alerts.back().both(), "Delete Limit Exceeded|Only 1000 rows were deleted.");
    // A view says it cannot and stops.
    c->selectTableWithName("v");
    selectRows(c, 0, 0);
    alerts.clear();
    commands(c).rowsTableViewDelete();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Table is not editable in this app.");
    EXPECT_EQ(readBack("select count(*) from t"), "498");
}

TEST_F(CellCommandsTest, BlankRowsTakeOneToTenThousandAndGoToRowChecksTheNumber) {
    run("create table t (a text, b number)");
    TablesAndRowsController* c = showGrid("t");
    for (const char* refused : {"0", "10001", "abc", ""}) {
        EXPECT_TRUE(commands(c).addBlankRowsButtonPressed(refused)) << refused;
    }
    EXPECT_EQ(readBack("select count(*) from t"), "0");
    QDialog* sheet = commands(c).addBlankRows();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->findChild<QLineEdit*>("promptTextField")->text(), "100");
    EXPECT_FALSE(commands(c).addBlankRowsButtonPressed("10000"));
    EXPECT_EQ(readBack("select count(*) from t where a = '' and b = ''"), "10000");
    EXPECT_EQ(UserDefaults::standard().integerForKey("LastNumberOfRowsAdded"), 10000);
    EXPECT_EQ(c->state().dataPort.totalRows, 10000);
    EXPECT_TRUE(commands(c).goToRowButtonPressed("10001"));
    EXPECT_FALSE(commands(c).goToRowButtonPressed("9000"));
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(8999));
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForDatabaseRowIndex(RowIndex(8999), FieldIndex(0)),
              "9000");
}
