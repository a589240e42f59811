// Keys inside an open cell editor of the grid: those that end the edit move the edit on as the
// same keys move the focus outside it, and every other key edits the text, never the grid.
#include "mainwindow/rows/GridNavigator.h"
#include "tests/mainwindow/GridTest.h"

class InPlaceKeysTest : public GridTest {
  protected:
    // Table w: field f of row r (1-based rowid) holds "r:f".
    TablesAndRowsController* showTable(int64_t rows, int64_t fields) {
        std::string columns, values;
        for (int64_t f = 1; f <= fields; ++f) {
            columns += (f > 1 ? ", c" : "c") + std::to_string(f) + " text";
            values += (f > 1 ? ", value || ':" : "value || ':") + std::to_string(f) + "'";
        }
        run("create table w (" + columns + "); insert into w select " + values +
            " from generate_series(1, " + std::to_string(rows) + ")");
        return showGrid("w");
    }
    int64_t firstField(TablesAndRowsController* c) const {
        return c->state().dataPort.firstFieldIndexInDataPort.value;
    }
    int64_t firstRow(TablesAndRowsController* c) const {
        return c->state().dataPort.firstRowIndexInDataPort.value;
    }
    std::pair<int64_t, int64_t> focus(TablesAndRowsController* c) const {
        return {c->state().selection.focusedRowIndex.value,
                c->state().selection.focusedFieldIndex.value};
    }
    // The editor once the edit a key queued has opened on another cell than `was`.
    QLineEdit* nextEditor(QLineEdit* was) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return editor() && editor() != was; }));
        return editor();
    }
};

TEST_F(InPlaceKeysTest, ShiftTabFromFieldOneEditsThePreviousRowsLastFieldShownFirst) {
    // Every field fits the grid: the port still starts at the last field, as outside an edit.
    TablesAndRowsController* c = showTable(30, 3);
    ASSERT_EQ(grid->numberOfColumns(), 4);
    doubleClick(5, 1);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, "x");
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
    field = nextEditor(field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "5:3");
    EXPECT_EQ(focus(c), std::make_pair(int64_t(4), int64_t(3)));
    EXPECT_EQ(firstField(c), 3);
    EXPECT_EQ(readBack("select c1 from w where rowid = 6"), "6:1x");
    // On the top row shown the port moves up one row as well.
    QTest::keyClick(field, Qt::Key_Escape);
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(10), FieldIndex(1), true);
    QApplication::processEvents();
    doubleClick(0, 1);
    field = openedEditor();
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(field->text(), "11:1");
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
    field = nextEditor(field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "10:3");
    EXPECT_EQ(firstRow(c), 9);
    EXPECT_EQ(firstField(c), 3);
}

TEST_F(InPlaceKeysTest, TabPastTheFieldsShownMovesThemByOneField) {
    TablesAndRowsController* c = showTable(30, 12);
    const int lastColumn = grid->numberOfColumns() - 1;
    ASSERT_LT(lastColumn, 11);
    ASSERT_EQ(firstField(c), 1);
    doubleClick(2, lastColumn);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(field->text(), QString("3:%1").arg(lastColumn));
    QTest::keyClick(field, Qt::Key_Tab);
    field = nextEditor(field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QString("3:%1").arg(lastColumn + 1));
    EXPECT_EQ(focus(c), std::make_pair(int64_t(2), int64_t(lastColumn + 1)));
    EXPECT_EQ(firstField(c), 2);
    // Inside the fields shown they stay where they are; on the last field the edit wraps to
    // field 1 of the next row with the fields shown from the first.
    QTest::keyClick(field, Qt::Key_Escape);
    doubleClick(2, 1);
    field = openedEditor();
    ASSERT_NE(field, nullptr);
    QTest::keyClick(field, Qt::Key_Tab);
    field = nextEditor(field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "3:3");
    EXPECT_EQ(firstField(c), 2);
    QTest::keyClick(field, Qt::Key_Escape);
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(2), FieldIndex(12), true);
    QApplication::processEvents();
    QTest::keyClick(grid, Qt::Key_Return);
    field = openedEditor();
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(field->text(), "3:12");
    QTest::keyClick(field, Qt::Key_Tab);
    field = nextEditor(field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "4:1");
    EXPECT_EQ(firstField(c), 1);
}

TEST_F(InPlaceKeysTest, NavigationKeysInAnOpenEditorEditItsTextAndLoseNothing) {
    TablesAndRowsController* c = showTable(200, 12);
    run("create table updates (id integer); create trigger w_updated after update on w begin "
        "insert into updates values (old.rowid); end");
    doubleClick(3, 2);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    const auto focused = focus(c);
    const int64_t row = firstRow(c), fields = firstField(c);
    // Every key the grid moves with, in every modifier the grid tells apart, save those that
    // end an edit.
    const Qt::Key keys[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Home, Qt::Key_End,
                            Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up,   Qt::Key_Down};
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::AltModifier,
                                               Qt::ControlModifier,
                                               Qt::ControlModifier | Qt::ShiftModifier};
    for (Qt::Key key : keys) {
        for (Qt::KeyboardModifiers modifier : modifiers) {
            // Plain Up and Down end the edit (below).
            if ((key == Qt::Key_Up || key == Qt::Key_Down) && modifier == Qt::NoModifier) continue;
            SCOPED_TRACE(QKeySequence(key | modifier).toString().toStdString());
            QTest::keyClick(field, key, modifier);
            QApplication::processEvents();
            ASSERT_EQ(editor(), field);
            EXPECT_EQ(QApplication::focusWidget(), field);
            EXPECT_EQ(focus(c), focused);
            EXPECT_EQ(firstRow(c), row);
            EXPECT_EQ(firstField(c), fields);
        }
    }
    // The ends of the text, as the field editor reaches them.
    QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(field->cursorPosition(), 3);
    EXPECT_FALSE(field->hasSelectedText());
    QTest::keyClicks(field, "]");
    QTest::keyClick(field, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(field->cursorPosition(), 0);
    QTest::keyClicks(field, "[");
    QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field->selectedText(), "4:2]");
    QTest::keyClick(field, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(field->cursorPosition(), 0);
    QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(field->cursorPosition(), 5);
    QTest::keyClick(field, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(field->selectedText(), "[4:2]");
    QTest::keyClick(field, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_FALSE(field->hasSelectedText());
    QTest::keyClick(field, Qt::Key_Right);
    QTest::keyClicks(field, "!");
    EXPECT_EQ(field->text(), "[4:2]!");
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(readBack("select c2 from w where rowid = 4"), "[4:2]!");
    EXPECT_EQ(readBack("select count(*) from updates"), "1");
    // Return on the grid edits the same cell again, not one the keys moved to.
    key(Qt::Key_Return);
    field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "[4:2]!");
    EXPECT_EQ(focus(c), focused);
    // The keys that end an edit still do, and move on as before.
    QTest::keyClick(field, Qt::Key_Down);
    field = nextEditor(field);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "5:2");
}
