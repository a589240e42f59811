// The tables list follows schema changes another program makes while the window is open,
// without a click: objects renamed, dropped or created, the selection kept by name.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

#include "mainwindow/record/EditFieldPanel.h"
#include "tests/mainwindow/GridTest.h"

namespace {
// Long enough for the window to notice a change on a busy machine.
constexpr int kFollowWaitMs = 10000;
// Several looks of the window at the file.
constexpr int kQuietWaitMs = 1500;
}  // namespace

class SchemaFollowTest : public GridTest {
  protected:
    void elsewhere(const char* sql) { directExec(db, sql); }
    QStringList sortedList() const {
        QStringList names = tablesListed(0);
        names.sort();
        return names;
    }
    // Drives the event loop until the list shows the names (in any order).
    bool listFollows(QStringList names) const {
        names.sort();
        return QTest::qWaitFor([&] { return sortedList() == names; }, kFollowWaitMs);
    }
};

TEST_F(SchemaFollowTest, TheShownTableRenamedOrDroppedElsewhereLeavesListAndGrid) {
    makeRowsTable(30);
    run("create table u (x)");
    TablesAndRowsController* c = showGrid("t");
    ASSERT_EQ(c->state().dataPort.totalRows, 30);
    elsewhere("alter table t rename to renamed");
    ASSERT_TRUE(listFollows({"renamed", "u"})) << sortedList().join(",").toStdString();
    EXPECT_EQ(c->selectedTableName(), std::nullopt);
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_EQ(c->state().fieldModel.numberOfFields(), 0);
    EXPECT_EQ(title().find(" - "), std::string::npos) << title();
    EXPECT_TRUE(alerts.empty());

    c->selectTableWithName("u");
    elsewhere("drop table u");
    ASSERT_TRUE(listFollows({"renamed"}));
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{});
    EXPECT_EQ(c->state().fieldModel.numberOfFields(), 0);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(SchemaFollowTest, OtherObjectsComeAndGoWhileTheShownTableStaysWhereItWas) {
    makeRowsTable(200);
    run("create table u (x); create table w (y)");
    TablesAndRowsController* c = showGrid("t");
    click(3, 1);
    key(Qt::Key_PageDown);
    const int64_t focused = c->state().selection.focusedRowIndex.value;
    const int64_t first = c->state().dataPort.firstRowIndexInDataPort.value;
    ASSERT_GT(focused, 3);

    elsewhere(
        "drop table u; create view v as select name from t; create index t_name on t (name);"
        "create trigger w_added after insert on w begin select 1; end");
    ASSERT_TRUE(listFollows({"t", "t_name", "v", "w", "w_added"}))
        << sortedList().join(",").toStdString();
    // The grid was not read again: the focus and the page are where the user left them.
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, focused);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, first);
    EXPECT_EQ(c->state().dataPort.totalRows, 200);
    EXPECT_NE(title().find(" - t"), std::string::npos) << title();

    // Of several selected, those that remain stay selected.
    c->tablesTableView()->findItems("v", Qt::MatchExactly).first()->setSelected(true);
    elsewhere("drop view v");
    ASSERT_TRUE(listFollows({"t", "t_name", "w", "w_added"}));
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
}

TEST_F(SchemaFollowTest, ChangedColumnsOfTheShownTableAreShown) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    ASSERT_EQ(c->state().fieldModel.numberOfFields(), 2);
    elsewhere("alter table t add column extra text default 'x'");
    EXPECT_TRUE(QTest::qWaitFor([&] { return c->state().fieldModel.numberOfFields() == 3; },
                                kFollowWaitMs));
    EXPECT_EQ(c->state().dataPort.totalRows, 5);
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
}

TEST_F(SchemaFollowTest, RowsWrittenElsewhereLeaveTheListAlone) {
    makeRowsTable(5);
    run("create table u (x)");
    TablesAndRowsController* c = showGrid("t");
    QListWidgetItem* before = c->tablesTableView()->item(0);
    elsewhere("insert into u values (1); update t set name = 'elsewhere' where rowid = 2");
    QTest::qWait(kQuietWaitMs);
    EXPECT_EQ(c->tablesTableView()->item(0), before);
    // A schema change after them is still seen.
    elsewhere("create table z (a)");
    EXPECT_TRUE(listFollows({"t", "u", "z"}));
}

TEST_F(SchemaFollowTest, AnOpenEditIsNeitherEndedNorLostByTheListFollowing) {
    makeRowsTable(5);
    logUpdates();
    run("create table u (x)");
    TablesAndRowsController* c = showGrid("t");
    typeInto(1, 1, "typed");
    elsewhere("drop table u");
    ASSERT_TRUE(listFollows({"t", "t_updated", "updates"}));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "typed");
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    // The edit is still the user's to end, and ends in its own row.
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "typed");
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
}

TEST_F(SchemaFollowTest, ARenameInTheListKeepsTheGridWhereItWas) {
    makeRowsTable(200);
    TablesAndRowsController* c = showGrid("t");
    click(4, 1);
    const int64_t focused = c->state().selection.focusedRowIndex.value;
    c->chooseTableTextFieldReturnKeyPressed(0, "renamed");
    QTest::qWait(kQuietWaitMs);
    EXPECT_EQ(tablesListed(0), QStringList{"renamed"});
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, focused);
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"renamed"});
}

TEST_F(SchemaFollowTest, AFileInWalModeIsWatchedWithoutSideFilesLeftBehind) {
    run("pragma journal_mode = wal");
    makeRowsTable(5);
    run("create table u (x)");
    ASSERT_TRUE(isWriteAheadLogFile(db));
    TablesAndRowsController* c = showGrid("t");
    elsewhere("alter table u rename to u2");
    ASSERT_TRUE(listFollows({"t", "u2"}));
    QTest::qWait(kQuietWaitMs);
    EXPECT_FALSE(std::filesystem::exists(db + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(db + "-shm"));
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
}

TEST_F(SchemaFollowTest, TheShownTableGoneUnderAnOpenEditWaitsForTheEditToEnd) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    typeInto(1, 1, "typed");
    elsewhere("alter table t rename to renamed");
    QTest::qWait(kQuietWaitMs);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "typed");
    EXPECT_TRUE(alerts.empty());
    // Escape gives the edit up; then the list and the grid follow.
    QTest::keyClick(editor(), Qt::Key_Escape);
    ASSERT_TRUE(listFollows({"renamed"}));
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_EQ(readBack("select count(*) from renamed where name = 'typed'"), "0");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(SchemaFollowTest, ARecordNotSavedKeepsItsTableShownUntilItIsReverted) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    click(1, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    ASSERT_EQ(c->selectedConsole(), TablesAndRowsState::RecordConsole);
    auto* line = c->view()->findChild<QLineEdit*>("addRowViewValue1");
    ASSERT_NE(line, nullptr);
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, "unsaved");
    elsewhere("alter table t rename to renamed");
    QTest::qWait(kQuietWaitMs);
    EXPECT_EQ(tablesListed(0), QStringList{"t"});
    EXPECT_EQ(line->text(), "unsaved");
    QTest::mouseClick(c->view()->findChild<QPushButton*>("addRowViewRevertButton"), Qt::LeftButton);
    ASSERT_TRUE(listFollows({"renamed"}));
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
}

TEST_F(SchemaFollowTest, TextTypedInTheEditFieldPanelKeepsItsTableShownUntilItIsGivenUp) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    click(2, 1);
    key(Qt::Key_Return, Qt::ControlModifier);
    EditFieldPanel& panel = partsOf(c).editField;
    ASSERT_TRUE(panel.isShown());
    panel.textView()->selectAll();
    QTest::keyClicks(panel.textView(), "typed in panel");
    elsewhere("alter table t rename to renamed");
    QTest::qWait(kQuietWaitMs);
    EXPECT_EQ(tablesListed(0), QStringList{"t"});
    EXPECT_EQ(panel.textView()->toPlainText(), "typed in panel");
    // Saved, it names the table gone and keeps the text.
    panel.saveButton()->click();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].informativeText, "The table \"t\" no longer exists.");
    EXPECT_EQ(panel.textView()->toPlainText(), "typed in panel");
    // Closing the panel gives the text up; then the list and the grid follow.
    panel.editFieldPanel()->close();
    ASSERT_TRUE(listFollows({"renamed"}));
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_EQ(readBack("select count(*) from renamed where name = 'typed in panel'"), "0");
}

TEST_F(SchemaFollowTest, ALockHeldElsewhereNeverMakesTheWindowWait) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(locker, "begin exclusive; create table z (a)", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const int64_t waits = DBConnection::busyWaitCount();
    QTest::qWait(kQuietWaitMs);
    EXPECT_EQ(DBConnection::busyWaitCount() - waits, 0);
    sqlite3_exec(locker, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    // What was committed under the lock is seen once it is gone.
    EXPECT_TRUE(listFollows({"t", "z"}));
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
}
