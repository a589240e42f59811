// Moving the grid's focus and data port with keys, the wheel and header clicks over a table of
// 10,000 rows and 12 fields (more than the grid shows either way).
#include <random>

#include "tests/mainwindow/GridTest.h"

namespace {
constexpr int64_t kRows = 10000;
constexpr int64_t kFields = 12;
}  // namespace

class NavigationTest : public GridTest {
  protected:
    // Table w: field f of row r (1-based rowid) holds "r:f".
    TablesAndRowsController* showWideTable() {
        std::string columns, values;
        for (int64_t f = 1; f <= kFields; ++f) {
            columns += (f > 1 ? ", c" : "c") + std::to_string(f) + " text";
            values += (f > 1 ? ", value || ':" : "value || ':") + std::to_string(f) + "'";
        }
        run("create table w (" + columns + "); insert into w select " + values +
            " from generate_series(1, " + std::to_string(kRows) + ")");
        return showGrid("w");
    }

    // The focus lies inside the port, and the port inside the table.
    ::testing::AssertionResult portHoldsFocus(TablesAndRowsController* c) {
        int64_t first = c->state().dataPort.firstRowIndexInDataPort.value,
                rows = rowsOf(c)->numberOfGridRows();
        int64_t firstField = c->state().dataPort.firstFieldIndexInDataPort.value;
        int64_t lastField = firstField + grid->numberOfColumns() - 2;
        if (first < 0 || first >= kRows || rows < 1 || first + rows > kRows) {
            return ::testing::AssertionFailure() << "port at row " << first << ", " << rows;
        }
        if (firstField < 1 || lastField >= c->state().dataPort.numberOfFieldsPerRow) {
            return ::testing::AssertionFailure() << "fields " << firstField << "-" << lastField;
        }
        if (c->state().selection.focusedRowIndex.value < first ||
            c->state().selection.focusedRowIndex.value >= first + rows ||
            c->state().selection.focusedFieldIndex.value < firstField ||
            c->state().selection.focusedFieldIndex.value > lastField) {
            return ::testing::AssertionFailure()
                   << "focus (" << c->state().selection.focusedRowIndex.value << ", "
                   << c->state().selection.focusedFieldIndex.value << ") outside rows " << first
                   << "+" << rows << ", fields " << firstField << "-" << lastField;
        }
        return ::testing::AssertionSuccess();
    }

    // The loaded page is the page of the port's position.
    void expectPageLoaded(TablesAndRowsController* c) {
        QApplication::processEvents();
        ASSERT_EQ(grid->numberOfRows(), rowsOf(c)->numberOfGridRows());
        EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
                  std::to_string(c->state().dataPort.firstRowIndexInDataPort.value + 1) + ":1");
    }
};

TEST_F(NavigationTest, ArrowsMoveTheFocusInsideTheGridAndThePortAtItsEdges) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = rowsOf(c)->numberOfDataPortRows();
    ASSERT_GT(page, 3);
    ASSERT_LT(grid->numberOfColumns() - 1, kFields);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    for (int64_t i = 0; i < page - 1; ++i) key(Qt::Key_Down);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, page - 1);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    // Down on the bottom row shown moves the port one row and keeps the focus at the bottom.
    key(Qt::Key_Down);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 1);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, page);
    expectPageLoaded(c);
    // Up on the top row shown moves the port up one row.
    for (int64_t i = 0; i < page; ++i) key(Qt::Key_Up);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    // Left never lands on the row-number column; Right past the last field shown moves the
    // fields by one.
    key(Qt::Key_Left);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    int shown = grid->numberOfColumns() - 1;
    for (int i = 0; i < shown; ++i) key(Qt::Key_Right);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 2);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, shown + 1);
    // Control-Right and Control-Left go to the last and the first field.
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, kFields);
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    // Shift-arrows are the plain arrows.
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 1);
    EXPECT_TRUE(c->state().selection.mySelectedCells.empty());
}

TEST_F(NavigationTest, EndThenUpAndPageKeysAtTheEnds) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = rowsOf(c)->numberOfDataPortRows();
    ASSERT_GT(page, 3);
    // End (and Control-Down) puts the last row at the top of the grid, alone and focused.
    for (Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ControlModifier}) {
        key(Qt::Key_Home);
        key(modifiers ? Qt::Key_Down : Qt::Key_End, modifiers);
        EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, kRows - 1);
        EXPECT_EQ(c->state().selection.focusedRowIndex.value, kRows - 1);
        expectPageLoaded(c);
        EXPECT_EQ(grid->numberOfRows(), 1);
        EXPECT_EQ(shown(0, 0), QString::number(kRows));
        EXPECT_TRUE(portHoldsFocus(c));
    }
    // Up from there moves the port up one row with the focus.
    key(Qt::Key_Up);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, kRows - 2);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, kRows - 2);
    expectPageLoaded(c);
    EXPECT_EQ(grid->numberOfRows(), 2);
    // Page Down past the end goes to the last row alone again; again, and End, change nothing.
    for (Qt::Key again : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_End}) {
        key(again);
        EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, kRows - 1);
        EXPECT_EQ(c->state().selection.focusedRowIndex.value, kRows - 1);
    }
    expectPageLoaded(c);
    EXPECT_EQ(grid->numberOfRows(), 1);
    // Page Up moves a whole page, the focus on the top row; Control-Up goes to row 0; Page Up
    // there stays.
    key(Qt::Key_PageUp);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, kRows - 1 - page);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, kRows - 1 - page);
    expectPageLoaded(c);
    EXPECT_TRUE(portHoldsFocus(c));
    key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    key(Qt::Key_PageUp);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    // Page Down from row 2 of the grid keeps the focus on grid row 2 of the next page.
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_PageDown);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, page);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, page + 2);
    expectPageLoaded(c);
}

TEST_F(NavigationTest, TabWrapsToTheNextRowAndPages) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = rowsOf(c)->numberOfDataPortRows();
    for (int64_t i = 0; i < page - 1; ++i) key(Qt::Key_Down);
    // Tab through every field of the bottom row shown.
    for (int64_t f = 1; f < kFields; ++f) key(Qt::Key_Tab);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, kFields);
    EXPECT_GT(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    EXPECT_TRUE(portHoldsFocus(c));
    key(Qt::Key_Tab);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, page);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 1);
    expectPageLoaded(c);
    // Shift-Tab on field 1 of the top row shown moves the port up and starts it at the last
    // field.
    key(Qt::Key_Home);
    key(Qt::Key_PageDown);
    int64_t top = c->state().dataPort.firstRowIndexInDataPort.value;
    ASSERT_EQ(c->state().selection.focusedRowIndex.value, top);
    ASSERT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, top - 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, kFields);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, kFields);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, top - 1);
    // Tab on the last field of the last row, Shift-Tab on field 1 of row 0: nothing.
    key(Qt::Key_End);
    key(Qt::Key_Right, Qt::ControlModifier);
    key(Qt::Key_Tab);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, kRows - 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, kFields);
    key(Qt::Key_Home);
    key(Qt::Key_Left, Qt::ControlModifier);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    // The focus stays in the grid: Tab does not move the window's focus.
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

TEST_F(NavigationTest, HeaderClicksSelectFieldsOrChooseTheFirstColumn) {
    TablesAndRowsController* c = showWideTable();
    key(Qt::Key_Down);
    // A plain click selects the field alone and focuses it in the top row; again deselects it.
    clickHeader(2);
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.indexes(), (DBInterface::IndexSet{2}));
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    clickHeader(2);
    EXPECT_TRUE(c->state().selection.mySelectedFieldIndexes.empty());
    clickHeader(2);
    clickHeader(1);
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.indexes(), (DBInterface::IndexSet{1}));
    // Shift extends to the clicked field; Control toggles one field.
    clickHeader(4, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.indexes(),
              (DBInterface::IndexSet{1, 2, 3, 4}));
    clickHeader(3, Qt::ControlModifier);
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.indexes(),
              (DBInterface::IndexSet{1, 2, 4}));
    // Shift with nothing selected selects nothing, but clears selected cells.
    c->state().selection.mySelectedFieldIndexes.clear();
    c->state().selection.mySelectedCells[RowIndex(0)][FieldIndex(1)] = DBValue("1:1");
    clickHeader(3, Qt::ShiftModifier);
    EXPECT_TRUE(c->state().selection.mySelectedFieldIndexes.empty());
    EXPECT_TRUE(c->state().selection.mySelectedCells.empty());
    // The row-number header selects every field.
    clickHeader(0);
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.size(), size_t(kFields));
    // Alt makes the clicked field the first shown, even near the last field.
    clickHeader(3, Qt::AltModifier);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 3);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 3);
    rowsOf(c)->moveDataPortToFieldIndex(FieldIndex(kFields - 1));
    clickHeader(2, Qt::AltModifier);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, kFields);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "c12");
    // Shift-Alt makes it the last field shown, or shows field 1 first when it cannot be.
    rowsOf(c)->moveDataPortToFieldIndex(FieldIndex(1));
    int shown = grid->numberOfColumns() - 1;
    rowsOf(c)->moveDataPortToFieldIndex(FieldIndex(5));
    clickHeader(shown, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 5);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 5 + shown - 1);
    clickHeader(1, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
}

TEST_F(NavigationTest, JumpingToARowFocusesItAtTheField) {
    TablesAndRowsController* c = showWideTable();
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(5000), FieldIndex(0), true);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 5000);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 5000);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(1)),
              "5001:1");
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(kRows - 1), FieldIndex(4), false);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, kRows - 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 4);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 4);
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(kRows), FieldIndex(1),
                                               false);  // no such row
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(1), FieldIndex(kFields + 1), false);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, kRows - 1);
    // A table that shrank under the window keeps the port inside what is left.
    run("delete from w where rowid > 100");
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(5000), FieldIndex(1), false);
    EXPECT_EQ(c->state().dataPort.totalRows, 100);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 99);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 99);
}

TEST_F(NavigationTest, KeysFasterThanPagesLoadKeepTheirResultsAndLoadOnePage) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = rowsOf(c)->numberOfDataPortRows();
    // No event is handled between these keys, as when they repeat faster than pages load.
    for (int i = 0; i < 500; ++i) key(Qt::Key_Down);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 500);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 500 - page + 1);
    for (int i = 0; i < 3; ++i) key(Qt::Key_PageDown);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 500 - page + 1 + 3 * page);
    // Not loaded yet: no value of another page is given for the rows now in the port.
    EXPECT_EQ(rowsOf(c)->fieldValueObjectForTableViewRowIndex(GridRow(0), FieldIndex(1)), nullptr);
    expectPageLoaded(c);
    // Return reads the values of the port's own page.
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForDatabaseRowIndex(
                  RowIndex(c->state().selection.focusedRowIndex.value), FieldIndex(1)),
              std::to_string(c->state().selection.focusedRowIndex.value + 1) + ":1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    grid->setFocus();
    // Wheel moves likewise; one event is one row, a sideways one a field.
    int64_t before = c->state().dataPort.firstRowIndexInDataPort.value;
    for (int i = 0; i < 40; ++i) wheel(QPoint(0, -120));
    wheel(QPoint(0, 120));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, before + 39);
    EXPECT_TRUE(portHoldsFocus(c));
    expectPageLoaded(c);
    wheel(QPoint(-120, 0));
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    wheel(QPoint(8, 0));  // one degree: too little to move
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
}

TEST_F(NavigationTest, RandomWalkKeepsTheFocusInsideThePortAndThePortInsideTheTable) {
    TablesAndRowsController* c = showWideTable();
    std::mt19937 random(9);
    const int keys[] = {Qt::Key_Up,     Qt::Key_Down,    Qt::Key_Left, Qt::Key_Right,
                        Qt::Key_Home,   Qt::Key_End,     Qt::Key_Tab,  Qt::Key_Backtab,
                        Qt::Key_PageUp, Qt::Key_PageDown};
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::AltModifier,
                                               Qt::ControlModifier};
    const QPoint wheels[] = {{0, -120}, {0, 120}, {-120, 0}, {120, 0}};
    int64_t deepest = 0, rightmost = 0;
    for (int step = 0; step < 10000; ++step) {
        int choice = int(random() % 14);
        if (choice < 10) {
            key(keys[choice], modifiers[random() % 4]);
        } else {
            wheel(wheels[choice - 10]);
        }
        ASSERT_TRUE(portHoldsFocus(c)) << "step " << step;
        deepest = std::max(deepest, c->state().dataPort.firstRowIndexInDataPort.value);
        rightmost = std::max(rightmost, c->state().dataPort.firstFieldIndexInDataPort.value);
        if (step % 500 == 0) {
            expectPageLoaded(c);
            if (HasFailure()) FAIL() << "step " << step;
        }
    }
    // The walk went all the way down and across.
    EXPECT_EQ(deepest, kRows - 1);
    EXPECT_EQ(rightmost, kFields);
}

TEST_F(NavigationTest, SmallTablesKeepTheFocusAndPortOnTheirRowsUnderKeysAndClicks) {
    const int keys[] = {Qt::Key_Up,     Qt::Key_Down,    Qt::Key_Left, Qt::Key_Right,
                        Qt::Key_Home,   Qt::Key_End,     Qt::Key_Tab,  Qt::Key_Backtab,
                        Qt::Key_PageUp, Qt::Key_PageDown};
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::AltModifier,
                                               Qt::ControlModifier,
                                               Qt::ShiftModifier | Qt::AltModifier};
    for (auto [rows, fields] : {std::pair{1, 1}, {3, 1}, {2, 3}}) {
        SCOPED_TRACE(std::to_string(rows) + " rows, " + std::to_string(fields) + " fields");
        std::string table = "s" + std::to_string(rows) + "_" + std::to_string(fields);
        std::string columns;
        for (int f = 1; f <= fields; ++f) columns += (f > 1 ? ", c" : "c") + std::to_string(f);
        run("create table " + table + " (" + columns + "); insert into " + table +
            " (c1) select value from generate_series(1, " + std::to_string(rows) + ")");
        TablesAndRowsController* c = showGrid(table);
        std::mt19937 random(rows * 10 + fields);
        for (int step = 0; step < 600; ++step) {
            int choice = int(random() % 13);
            Qt::KeyboardModifiers modifier = modifiers[random() % 5];
            if (choice < 10) {
                key(keys[choice], modifier);
            } else if (choice < 12) {
                int gridRows = grid->model()->rowCount(), columnsShown = grid->numberOfColumns();
                if (gridRows > 0)
                    click(int(random() % gridRows), int(random() % columnsShown), modifier);
            } else {
                clickHeader(int(random() % grid->numberOfColumns()), modifier);
            }
            QApplication::processEvents();
            int64_t first = c->state().dataPort.firstRowIndexInDataPort.value;
            ASSERT_TRUE(first >= 0 && first < rows) << "step " << step << ": port at " << first;
            ASSERT_TRUE(c->state().selection.focusedRowIndex.value >= first &&
                        c->state().selection.focusedRowIndex.value < rows)
                << "step " << step << ": focus on row "
                << c->state().selection.focusedRowIndex.value;
            ASSERT_TRUE(c->state().selection.focusedFieldIndex.value >= 1 &&
                        c->state().selection.focusedFieldIndex.value <= fields)
                << "step " << step << ": focus on field "
                << c->state().selection.focusedFieldIndex.value;
            for (RowIndex r : c->state().selection.mySelectedRowIndexes)
                ASSERT_LT(r.value, rows) << "step " << step;
            for (const auto& [r, cells] : c->state().selection.mySelectedCells) {
                ASSERT_LT(r.value, rows) << "step " << step;
                for (const auto& cell : cells)
                    ASSERT_LE(cell.first.value, fields) << "step " << step;
            }
        }
    }
}
