// The window when its count of rows no longer matches the file: rows another program added after
// the count never show past it, and a fault of the window's own state ends a test run but, in the
// program users run, is logged and the object read again.
#include <gtest/gtest.h>

#include "tests/mainwindow/GridTest.h"

namespace {

std::string faultOf(const TablesAndRowsState& state) {
    const char* fault = state.consistencyFault();
    return fault ? fault : "none";
}

// The mode of the program users run, for one test.
struct ProgramMode {
    ProgramMode() { TablesAndRowsState::setAbortOnInconsistency(false); }
    ~ProgramMode() { TablesAndRowsState::setAbortOnInconsistency(true); }
};

}  // namespace

class InconsistentStateTest : public GridTest {
  protected:
    // t of 300 rows in a WAL file, sorted on name descending, then amount.
    TablesAndRowsController* showSortedTable() {
        run("pragma journal_mode = wal");
        makeRowsTable(300);
        std::string error;
        EXPECT_EQ(DBInterface::updateSortCodes({2, 3}, "t", db, &error), 0) << error;
        EXPECT_EQ(DBInterface::updateTableIndexes("t", {2, 3}, db, &error), 0) << error;
        TablesAndRowsController* c = showGrid("t");
        EXPECT_EQ(c->state().dataPort.totalRows, 300);
        return c;
    }
    // The page says it holds more rows than were counted, as a fault of our own would leave it.
    void plantFault(TablesAndRowsController* c) {
        c->state().dataPort.totalRows = 2;
        ASSERT_EQ(faultOf(c->state()), "the page reaches past the counted rows");
    }
};

TEST_F(InconsistentStateTest, RowsAddedElsewhereAfterTheCountShowOnlyOnceCounted) {
    TablesAndRowsController* c = showSortedTable();
    // Sorted last, after the row the window counted last.
    directExec(db,
               "with recursive n(v) as (select 1 union all select v + 1 from n where v < 50) "
               "insert into t select 'a' || v, v from n");
    key(Qt::Key_End, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 299);
    EXPECT_EQ(faultOf(c->state()), "none");
    EXPECT_EQ(c->state().dataPort.numberOfLoadedRows(), 1);
    EXPECT_EQ(grid->numberOfRows(), 1);
    click(0, 1);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 299);
    // Reload Tables counts them.
    QTest::keyClick(grid->window(), Qt::Key_R, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(c->state().dataPort.totalRows, 350);
    EXPECT_EQ(faultOf(c->state()), "none");
    EXPECT_TRUE(app->sqliteErrorMessagesArray().snapshot().empty());
}

TEST_F(InconsistentStateTest, AFaultOfTheWindowsOwnStateEndsATestRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TablesAndRowsController* c = showSortedTable();
    plantFault(c);
    EXPECT_DEATH(key(Qt::Key_Down),
                 "Inconsistent window state: the page reaches past the counted rows");
}

TEST_F(InconsistentStateTest, AFaultIsLoggedAndTheObjectReadAgainInTheProgram) {
    ProgramMode programMode;
    TablesAndRowsController* c = showSortedTable();
    plantFault(c);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    std::vector<ErrorLogEntry> logged = app->sqliteErrorMessagesArray().snapshot();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].code, -1);
    EXPECT_EQ(logged[0].message,
              "Inconsistent window state: the page reaches past the counted rows");
    QApplication::processEvents();
    EXPECT_EQ(faultOf(c->state()), "none");
    EXPECT_EQ(c->state().dataPort.totalRows, 300);
    EXPECT_EQ(c->selectedTableName(), "t");
    EXPECT_EQ(shown(0, 1).toStdString(), "name 99");
}
