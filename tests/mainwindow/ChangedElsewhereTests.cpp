// The window while another program changes or locks its database: edits that fail keep what was
// typed without writing it again unasked, and a table renamed elsewhere leaves no stale grid.
#include "tests/mainwindow/GridTest.h"

class ChangedElsewhereTest : public GridTest {
  protected:
    // Runs sql on a connection of the test's own, as another program would.
    void elsewhere(const char* sql) {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
    }
    void keys(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(grid->window(), Qt::Key(key), modifiers);
        QApplication::processEvents();
    }
};

TEST_F(ChangedElsewhereTest, AnEditOfATableRenamedElsewhereReloadsTheListAndDropsTheGrid) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    elsewhere("alter table t rename to renamed");
    doubleClick(1, 1);
    typeAndEnd("typed");
    QTest::qWait(20);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].both().find("no such table"), std::string::npos) << alerts[0].both();
    EXPECT_EQ(tablesListed(0), QStringList{"renamed"});
    EXPECT_EQ(c->selectedTableName(), std::nullopt);
    EXPECT_EQ(grid->numberOfRows(), 0);
    EXPECT_EQ(openedEditor(), nullptr);
    EXPECT_EQ(readBack("select count(*) from renamed where name = 'typed'"), "0");
    EXPECT_EQ(readBack("select count(*) from renamed"), "5");
}

TEST_F(ChangedElsewhereTest, ReloadTablesShowsATableRenamedElsewhere) {
    makeRowsTable(5);
    run("create table u (x)");
    TablesAndRowsController* c = showGrid("t");
    elsewhere("alter table t rename to renamed");
    keys(Qt::Key_R, Qt::ControlModifier);
    QStringList listed = tablesListed(0);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"renamed", "u"}));
    EXPECT_EQ(c->selectedTableName(), std::nullopt);
    EXPECT_EQ(grid->numberOfRows(), 0);
}
