// The window while another program changes or locks its database: edits that fail keep what was
// typed without writing it again unasked, a table renamed elsewhere leaves no stale grid, and
// the tables list shows what changed elsewhere once it is reloaded.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

#include <chrono>
#include <thread>

#include "mainwindow/record/EditFieldPanel.h"
#include "tests/mainwindow/GridTest.h"

class ChangedElsewhereTest : public GridTest {
  protected:
    void elsewhere(const char* sql) { directExec(db, sql); }
    QStringList sortedList() const {
        QStringList names = tablesListed(0);
        names.sort();
        return names;
    }
    void keys(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(grid->window(), Qt::Key(key), modifiers);
        QApplication::processEvents();
    }
};

TEST_F(ChangedElsewhereTest, AnEditOfATableRenamedElsewhereNamesItAndKeepsTheTypedText) {
    makeRowsTable(5);
    showGrid("t");
    // The edit, opened before the rename, meets it when it is written.
    doubleClick(1, 1);
    ASSERT_NE(openedEditor(), nullptr);
    elsewhere("alter table t rename to renamed");
    typeAndEnd("typed");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !alerts.empty(); }));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].informativeText, "The table \"t\" no longer exists.");
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "typed");
    EXPECT_EQ(readBack("select count(*) from renamed where name = 'typed'"), "0");
    EXPECT_EQ(readBack("select count(*) from renamed"), "5");
}

TEST_F(ChangedElsewhereTest, ReloadTablesShowsATableRenamedElsewhere) {
    makeRowsTable(5);
    run("create table u (x)");
    TablesAndRowsController* c = showGrid("t");
    elsewhere("alter table t rename to renamed");
    keys(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(sortedList(), (QStringList{"renamed", "u"}));
    EXPECT_EQ(c->selectedTableName(), std::nullopt);
    EXPECT_EQ(grid->numberOfRows(), 0);
}

TEST_F(ChangedElsewhereTest, ReloadTablesListsObjectsMadeAndDroppedElsewhereKeepingTheGrid) {
    makeRowsTable(200);
    run("create table u (x); create table w (y)");
    TablesAndRowsController* c = showGrid("t");
    QApplication::processEvents();
    elsewhere(
        "drop table u; create view v as select name from t; create index t_name on t (name);"
        "create trigger w_added after insert on w begin select 1; end");
    QApplication::processEvents();
    EXPECT_EQ(sortedList(), (QStringList{"t", "u", "w"}));
    keys(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(sortedList(), (QStringList{"t", "t_name", "v", "w", "w_added"}));
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
    EXPECT_EQ(c->state().dataPort.totalRows, 200);
    EXPECT_NE(title().find(" - t"), std::string::npos) << title();
}

TEST_F(ChangedElsewhereTest, ColumnsAddedElsewhereShowWhenTheTableIsReloaded) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    ASSERT_EQ(c->state().fieldModel.numberOfFields(), 2);
    elsewhere("alter table t add column extra text default 'x'");
    keys(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(c->state().fieldModel.numberOfFields(), 3);
    EXPECT_EQ(c->state().dataPort.totalRows, 5);
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
}

TEST_F(ChangedElsewhereTest, ARenameInTheListKeepsTheGridWhereItWas) {
    makeRowsTable(200);
    TablesAndRowsController* c = showGrid("t");
    click(4, 1);
    const int64_t focused = c->state().selection.focusedRowIndex.value;
    c->chooseTableTextFieldReturnKeyPressed(0, "renamed");
    QApplication::processEvents();
    EXPECT_EQ(tablesListed(0), QStringList{"renamed"});
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, focused);
    EXPECT_EQ(c->selectedTableNames(), std::vector<std::string>{"renamed"});
}

TEST_F(ChangedElsewhereTest, ASaveFromTheEditFieldPanelToATableGoneNamesItAndKeepsTheText) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    click(2, 1);
    key(Qt::Key_Return, Qt::ControlModifier);
    EditFieldPanel& panel = partsOf(c).editField;
    ASSERT_TRUE(panel.isShown());
    panel.textView()->selectAll();
    QTest::keyClicks(panel.textView(), "typed in panel");
    elsewhere("alter table t rename to renamed");
    panel.saveButton()->click();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].informativeText, "The table \"t\" no longer exists.");
    EXPECT_EQ(panel.textView()->toPlainText(), "typed in panel");
    EXPECT_EQ(readBack("select count(*) from renamed where name = 'typed in panel'"), "0");
    // The list learns of the rename when it is reloaded.
    EXPECT_EQ(tablesListed(0), QStringList{"t"});
    keys(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(tablesListed(0), QStringList{"renamed"});
}

TEST_F(ChangedElsewhereTest, AnEditUnderAnExclusiveLockWaitsOnceAndComesBackInItsOwnCell) {
    makeRowsTable(8);
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin exclusive; update t set amount = amount", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    typeInto(1, 1, "typed");
    // A click on another row while the window waits is handled once the wait is over.
    QPoint elsewhere = cellPoint(5, 2);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            grid->viewport(),
            new QMouseEvent(type, elsewhere, grid->viewport()->mapToGlobal(elsewhere),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    }
    // So are keys typed meanwhile: they follow the text they were typed after.
    for (const char* typed : {"!", "?"}) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QCoreApplication::postEvent(
                grid->window()->windowHandle(),
                new QKeyEvent(type, Qt::Key_unknown, Qt::NoModifier, typed));
        }
    }
    int64_t waits = DBConnection::busyWaitCount();
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(DBConnection::busyWaitCount() - waits, 1);
    QTest::qWait(50);
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].both().find("database is locked"), std::string::npos) << alerts[0].both();
    // The text is offered again in the cell it was typed into, not on the row clicked.
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "typed!?");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    // Return is the user's word: now it is written, once.
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "typed!?");
    EXPECT_EQ(readBack("select group_concat(id) from updates"), "2");
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(ChangedElsewhereTest, AWriteUnderAWriteLockGivesUpInABlinkAndLosesNoKeysToItsSheet) {
    makeRowsTable(8);
    TablesAndRowsController* c = showGrid("t");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    // A real sheet, which blocks its window the way the test's recorder does not.
    Alert::setTestResponder({});
    typeInto(1, 1, "typed");
    // Typed while the write waits: more text, Tab to the next field, a value there, Down. The
    // window system hands the keys over once the main thread is free again, as it would: a
    // window blocked by a sheet by then drops them.
    QWindow* window = grid->window()->windowHandle();
    const int64_t waitsBefore = DBConnection::busyWaitCount();
    std::thread typist([window, waitsBefore] {
        while (DBConnection::busyWaitCount() == waitsBefore) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (auto [key, text] : {std::pair{int(Qt::Key_unknown), "!"},
                                 {Qt::Key_Tab, "\t"},
                                 {Qt::Key_unknown, "7"},
                                 {Qt::Key_Down, ""}}) {
            QMetaObject::invokeMethod(
                qApp,
                [window, key, text] {
                    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                        qt_handleKeyEvent(window, type, key, Qt::NoModifier, text);
                    }
                },
                Qt::QueuedConnection);
        }
    });
    QTest::keyClick(editor(), Qt::Key_Return);
    typist.join();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    QWidget* sheet = QApplication::activeModalWidget();
    // The user reads the sheet a while before closing it.
    QTest::qWait(50);
    EXPECT_NE(sheet->findChild<QLabel*>(), nullptr);
    QTest::keyClick(sheet, Qt::Key_Return);
    // The text comes back in its cell and the keys follow it: written, moved on, written again.
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return readBack("select amount from t where rowid = 2") == "7"; }, 2000));
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "typed!");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 2);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ChangedElsewhereTest, AFailedEditOfferedAgainIsNeverWrittenUnasked) {
    makeRowsTable(8);
    logUpdates();
    run("create trigger t_refused before update on t begin select raise(abort, 'refused'); end");
    TablesAndRowsController* c = showGrid("t");
    typeInto(2, 1, "typed");
    QTest::keyClick(editor(), Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_EQ(alerts.size(), 1u);
    ASSERT_NE(openedEditor(), nullptr);
    EXPECT_EQ(editor()->text(), "typed");
    // The refusal goes; a scroll and a click elsewhere end the offered edit without writing it.
    run("drop trigger t_refused");
    wheel(QPoint(0, -120));
    QApplication::processEvents();
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    typeInto(2, 1, "again");
    QTest::keyClick(editor(), Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(readBack("select name from t where rowid = 4"), "again");
    // Typed into after the failure, an offered edit is the user's own again.
    run("create trigger t_refused before update on t begin select raise(abort, 'refused'); end");
    typeInto(4, 1, "third");
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_NE(openedEditor(), nullptr);
    run("drop trigger t_refused");
    QTest::keyClicks(editor(), "!");
    click(6, 2);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select count(*) from t where name = 'third!'"), "1");
    EXPECT_EQ(readBack("select count(*) from updates"), "2");
    EXPECT_EQ(c->state().selection.focusedRowIndex.value,
              c->state().dataPort.firstRowIndexInDataPort.value + 6);
}

TEST_F(ChangedElsewhereTest, AViewOverADroppedTableShowsSQLitesErrorRatherThanAnEmptyGrid) {
    run("create table gone (a); insert into gone values (1); create view v as select a from gone");
    elsewhere("drop table gone");
    showGrid("v");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].both().find("no such table: main.gone"), std::string::npos)
        << alerts[0].both();
    EXPECT_EQ(grid->numberOfRows(), 0);
}

TEST_F(ChangedElsewhereTest, AnEmptyViewOpensWithoutAnAlert) {
    run("create table t (a); create view v as select a from t");
    showGrid("v");
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(grid->numberOfRows(), 0);
}
