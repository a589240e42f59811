// The record editor on the grid's focused row: add, save, revert, clear and delete, checked by a
// connection of the test's own, and the editor following the grid's focus.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include <chrono>
#include <thread>

#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/ui/Alert.h"
#include "tests/mainwindow/GridTest.h"

namespace {
// What a desktop binding Control-E to the line edit's end of line does: the field claims the
// key before any shortcut sees it.
class ClaimsControlE : public QObject {
  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_E || key->modifiers() != Qt::ControlModifier) return false;
        event->accept();
        return true;
    }
};
}  // namespace

class RecordConsoleTest : public GridTest {
  protected:
    // The record console shown on the focused row of the table's grid.
    RecordConsole* showRecord(const std::string& table, int row = 0) {
        TablesAndRowsController* c = showGrid(table);
        click(row, 1);
        key(Qt::Key_Return, Qt::AltModifier);
        controller = c;
        return &partsOf(c).record;
    }
    QString status(RecordConsole* record) const { return record->statusLabel()->text(); }
    bool enabled(const char* button) const {
        return controller->view()->findChild<QPushButton*>(button)->isEnabled();
    }
    QString label(const char* name) const {
        return controller->view()->findChild<QLabel*>(name)->text();
    }
    void type(RecordConsole* record, int field, const QString& text) {
        QLineEdit* line = record->valueField(FieldIndex(field));
        line->setFocus();
        line->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(line, Qt::Key_Delete);
        } else {
            QTest::keyClicks(line, text);
        }
    }

    TablesAndRowsController* controller = nullptr;
};

TEST_F(RecordConsoleTest, OptionReturnShowsTheFocusedRowAndArrowsMoveTheGridWithIt) {
    makeRowsTable(50);
    RecordConsole* record = showRecord("t", 2);
    EXPECT_EQ(controller->selectedConsole(), TablesAndRowsState::RecordConsole);
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "name 3");
    EXPECT_EQ(label("addRowViewRowNumberLabel"), "Row 3 of 50");
    EXPECT_EQ(label("addRowViewROWIDLabel"), "ROWID: 3");
    EXPECT_TRUE(QApplication::focusWidget() == record->valueField(FieldIndex(1)));
    // Row 10 is NULL in amount: the placeholder, no text.
    QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(controller->state().selection.focusedRowIndex, RowIndex(49));
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "name 50");
    EXPECT_EQ(record->valueField(FieldIndex(2))->placeholderText(), "NULL");
    EXPECT_EQ(record->valueField(FieldIndex(2))->text(), "");
    QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Up);
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "name 49");
    EXPECT_EQ(label("addRowViewRowNumberLabel"), "Row 49 of 50");
    // Escape leaves the field, a second Escape goes back to the grid.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(controller->selectedConsole(), TablesAndRowsState::RowsConsole);
}

TEST_F(RecordConsoleTest, SaveWritesOnlyTheChangedFieldsAndANullErasedStaysUnchanged) {
    makeRowsTable(12);
    run("create table log (field text); create trigger name_set after update of name on t "
        "begin insert into log values ('name'); end; create trigger amount_set after update of "
        "amount on t begin insert into log values ('amount'); end");
    RecordConsole* record = showRecord("t", 9);  // amount NULL
    EXPECT_FALSE(enabled("addRowViewSaveButton"));
    type(record, 2, "7");
    EXPECT_EQ(status(record), "Not saved");
    type(record, 2, "");
    EXPECT_EQ(record->addRowViewFieldValues()[2], std::nullopt);
    EXPECT_EQ(status(record), "");
    EXPECT_FALSE(enabled("addRowViewSaveButton"));
    // The old value typed back is no change either.
    type(record, 1, "other");
    type(record, 1, "name 10");
    EXPECT_EQ(status(record), "");
    type(record, 1, "renamed");
    EXPECT_TRUE(enabled("addRowViewSaveButton"));
    EXPECT_TRUE(enabled("addRowViewRevertButton"));
    record->saveRowButtonPressed();
    EXPECT_EQ(status(record), "Saved");
    EXPECT_EQ(readBack("select name from t where rowid = 10"), "renamed");
    EXPECT_EQ(readBack("select amount from t where rowid = 10"), "<null>");
    EXPECT_EQ(readBack("select group_concat(field) from log"), "name");
    EXPECT_EQ(
        rowsOf(controller)->dataPort().fieldValueForDatabaseRowIndex(RowIndex(9), FieldIndex(1)),
        "renamed");
    // Revert puts back the loaded values and writes nothing.
    type(record, 1, "not kept");
    record->revertRowButtonPressed();
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "renamed");
    EXPECT_EQ(readBack("select count(*) from log"), "1");
}

TEST_F(RecordConsoleTest, SaveShowsWhatGeneratedFieldsAndTriggersStored) {
    run("create table gen (a, b, s as (a * b) stored, v as (a || '-' || b), note); "
        "insert into gen (a, b) values (1, 2); "
        "create trigger a_set after update of a on gen begin "
        "update gen set note = new.a + 100 where rowid = new.rowid; end");
    RecordConsole* record = showRecord("gen");
    EXPECT_EQ(record->valueField(FieldIndex(3))->text(), "2");
    type(record, 1, "9");
    QTest::mouseClick(controller->view()->findChild<QPushButton*>("addRowViewSaveButton"),
                      Qt::LeftButton);
    EXPECT_EQ(status(record), "Saved");
    ASSERT_EQ(readBack("select s || ' ' || v || ' ' || note from gen"), "18 9-2 109");
    const char* shown[] = {"9", "2", "18", "9-2", "109"};
    for (int field = 1; field <= 5; ++field) {
        EXPECT_EQ(record->valueField(FieldIndex(field))->text(), shown[field - 1]) << field;
        EXPECT_EQ(record->addRowViewFieldValues()[size_t(field)], shown[field - 1]) << field;
    }
    // Nothing is left to save or revert.
    EXPECT_FALSE(enabled("addRowViewSaveButton"));
    EXPECT_FALSE(enabled("addRowViewRevertButton"));
}

TEST_F(RecordConsoleTest, ClearThenAddInsertsANewRowAndDeleteAsksUnlessTold) {
    makeRowsTable(5);
    RecordConsole* record = showRecord("t", 1);
    record->clearRowButtonPressed();
    EXPECT_EQ(status(record), "Not saved");
    type(record, 1, "added 'quoted'");
    record->addRowButtonPressed();
    EXPECT_EQ(status(record), "Added a row");
    EXPECT_EQ(readBack("select count(*) from t"), "6");
    EXPECT_EQ(readBack("select amount from t where name = 'added ''quoted'''"), "");
    EXPECT_EQ(record->addRowViewFieldValues()[0], "6");
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "name 2");
    EXPECT_EQ(controller->state().dataPort.totalRows, 6);
    // Delete the grid's focused row: cancelled, then confirmed.
    controller->selectConsole(TablesAndRowsState::RowsConsole);
    click(2, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    alertAnswer = 1;
    record->deleteRowButtonPressed();
    EXPECT_EQ(readBack("select count(*) from t"), "6");
    alertAnswer = 0;
    record->deleteRowButtonPressed();
    EXPECT_EQ(alerts.back().messageText, "Delete Row?");
    EXPECT_EQ(readBack("select count(*) from t where rowid = 3"), "0");
    EXPECT_EQ(status(record), "Deleted the row");
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "name 4");
    alerts.clear();
    UserDefaults::standard().setBool(true, "NoWarnOnRowDelete");
    record->deleteRowButtonPressed();
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(readBack("select count(*) from t"), "4");
}

TEST_F(RecordConsoleTest, ARowidTakenByAFieldRefusesTheDelete) {
    run("create table r (a text); insert into r values ('x'), ('y')");
    RecordConsole* record = showRecord("r");
    run("alter table r add column rowid text");
    UserDefaults::standard().setBool(true, "NoWarnOnRowDelete");
    record->deleteRowButtonPressed();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Error|ROWID is required in a table to delete a row.");
    EXPECT_EQ(readBack("select count(*) from r"), "2");
}

TEST_F(RecordConsoleTest, DeleteWhileAnotherProgramLocksTheFileSaysSo) {
    makeRowsTable(3);
    RecordConsole* record = showRecord("t", 1);
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin exclusive; update t set amount = amount", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    UserDefaults::standard().setBool(true, "NoWarnOnRowDelete");
    record->deleteRowButtonPressed();
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !alerts.empty(); }));
    EXPECT_EQ(alerts[0].both(), "Error|database is locked");
    EXPECT_EQ(readBack("select count(*) from t"), "3");
}

TEST_F(RecordConsoleTest, ButtonsFollowTheObjectAndControlPeriodAddsTheRowTyped) {
    makeRowsTable(3);
    run("create view v as select * from t");
    RecordConsole* record = showRecord("v");
    EXPECT_FALSE(enabled("addRowViewAddButton"));
    EXPECT_FALSE(enabled("addRowViewClearButton"));
    EXPECT_FALSE(enabled("addRowViewDeleteButton"));
    EXPECT_TRUE(record->valueField(FieldIndex(1))->isReadOnly());
    EXPECT_EQ(label("addRowViewROWIDLabel"), "");
    controller->selectConsole(TablesAndRowsState::RowsConsole);
    controller->selectTableWithName("t");
    click(0, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(enabled("addRowViewAddButton"));
    EXPECT_TRUE(enabled("addRowViewDeleteButton"));
    // Set to NULL in the editor marks the field changed; Save writes the NULL.
    type(record, 1, "x");
    record->setToNULLMenuItemClicked();
    EXPECT_EQ(record->addRowViewFieldValues()[1], std::nullopt);
    EXPECT_EQ(status(record), "Not saved");
    QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(status(record), "Added a row");
    EXPECT_EQ(readBack("select count(*) from t where name is null"), "1");
    EXPECT_EQ(readBack("select name from t where rowid = 1"), "name 1");
}

TEST_F(RecordConsoleTest, NextClickedWhileASaveWaitsOnALockIsNotLostToTheSheet) {
    makeRowsTable(8);
    RecordConsole* record = showRecord("t", 2);
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    Alert::setTestResponder({});  // a real sheet, which blocks the window
    type(record, 1, "renamed");
    // Next clicked twice while the save waits; the window system hands the clicks over once the
    // main thread is free again.
    auto* next = controller->view()->findChild<QPushButton*>("addRowViewNextButton");
    QWindow* window = next->window()->windowHandle();
    QPointF at = next->mapTo(next->window(), next->rect().center());
    const int64_t waitsBefore = DBConnection::busyWaitCount();
    std::thread clicker([window, at, waitsBefore] {
        while (DBConnection::busyWaitCount() == waitsBefore) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (int click = 0; click < 2; ++click) {
            QMetaObject::invokeMethod(
                qApp,
                [window, at] {
                    QPointF global = window->mapToGlobal(at);
                    qt_handleMouseEvent(window, at, global, Qt::LeftButton, Qt::LeftButton,
                                        QEvent::MouseButtonPress, Qt::NoModifier, 0);
                    qt_handleMouseEvent(window, at, global, Qt::NoButton, Qt::LeftButton,
                                        QEvent::MouseButtonRelease, Qt::NoModifier, 0);
                },
                Qt::QueuedConnection);
        }
    });
    QTest::mouseClick(controller->view()->findChild<QPushButton*>("addRowViewSaveButton"),
                      Qt::LeftButton);
    clicker.join();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    QTest::qWait(50);  // the user reads the sheet
    QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    EXPECT_EQ(label("addRowViewRowNumberLabel"), "Row 5 of 8");
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "name 3");
}

TEST_F(RecordConsoleTest, TabWalksTheValueFieldsAndWrapsToTheNextRow) {
    run("create table f (a text, b text, c text); insert into f select 'a' || value, 'b' || "
        "value, 'c' || value from generate_series(1, 3)");
    RecordConsole* record = showRecord("f");
    auto focused = [record]() -> std::string {
        for (int field = 1; field <= 3; ++field) {
            if (QApplication::focusWidget() == record->valueField(FieldIndex(field))) {
                return record->valueField(FieldIndex(field))->text().toStdString();
            }
        }
        return "<not a value field>";
    };
    auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    ASSERT_EQ(focused(), "a1");
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* lands;
        int64_t row;
    } steps[] = {
        {Qt::Key_Tab, Qt::NoModifier, "b1", 0},
        {Qt::Key_Tab, Qt::NoModifier, "c1", 0},
        // Past the last field: the next row's first field, the grid following.
        {Qt::Key_Tab, Qt::NoModifier, "a2", 1},
        {Qt::Key_Backtab, Qt::ShiftModifier, "c1", 0},
        {Qt::Key_Backtab, Qt::ShiftModifier, "b1", 0},
        {Qt::Key_Backtab, Qt::ShiftModifier, "a1", 0},
        // Before the first field of the first row there is nowhere to go.
        {Qt::Key_Backtab, Qt::ShiftModifier, "a1", 0},
        {Qt::Key_Down, Qt::ControlModifier, "a3", 2},
        {Qt::Key_Tab, Qt::NoModifier, "b3", 2},
        {Qt::Key_Tab, Qt::NoModifier, "c3", 2},
        // Nor after the last field of the last row.
        {Qt::Key_Tab, Qt::NoModifier, "c3", 2},
    };
    for (const auto& step : steps) {
        press(step.key, step.modifiers);
        EXPECT_EQ(focused(), step.lands) << "after a key to " << step.lands;
        EXPECT_EQ(controller->state().selection.focusedRowIndex, RowIndex(step.row));
    }
    // What was typed in the row is not dropped by a Tab past its end.
    press(Qt::Key_Up, Qt::ControlModifier);
    type(record, 3, "typed");
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), "typed");
    EXPECT_EQ(controller->state().selection.focusedRowIndex, RowIndex(0));
    EXPECT_EQ(status(record), "Not saved");
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), "a1");
    EXPECT_EQ(controller->selectedConsole(), TablesAndRowsState::RecordConsole);
}

TEST_F(RecordConsoleTest, ControlEOpensTheEditFieldSheetFromAValueField) {
    makeRowsTable(3);
    RecordConsole* record = showRecord("t", 1);
    EditFieldPanel& panel = partsOf(controller).editField;
    QLineEdit* amount = record->valueField(FieldIndex(2));
    const QString before = amount->text();
    amount->setFocus();
    amount->setCursorPosition(0);
    QTest::keyClick(amount, Qt::Key_E, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_TRUE(panel.isShown());
    EXPECT_TRUE(panel.isSheet());
    EXPECT_EQ(panel.editFieldPanel()->windowTitle(), "amount");
    panel.cancelButton()->click();
    EXPECT_EQ(amount->text(), before);

    // Where the desktop's key bindings give Control-E to the line edit (end of line), the key
    // reaches the field itself: the sheet opens all the same and the cursor stays.
    ASSERT_TRUE(QTest::qWaitForWindowActive(amount->window()));
    QLineEdit* name = record->valueField(FieldIndex(1));
    ClaimsControlE bindings;
    name->installEventFilter(&bindings);
    name->setFocus();
    name->setCursorPosition(0);
    QTest::keyClick(name, Qt::Key_E, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_TRUE(panel.isShown());
    EXPECT_EQ(panel.editFieldPanel()->windowTitle(), "name");
    EXPECT_EQ(name->cursorPosition(), 0);
    panel.cancelButton()->click();
}
