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
        int64_t first = c->firstRowIndexInDataPort, rows = c->numberOfGridRows();
        int64_t firstField = c->firstFieldIndexInDataPort;
        int64_t lastField = firstField + grid->numberOfColumns() - 2;
        if (first < 0 || first >= kRows || rows < 1 || first + rows > kRows) {
            return ::testing::AssertionFailure() << "port at row " << first << ", " << rows;
        }
        if (firstField < 1 || lastField >= c->numberOfFieldsPerRow) {
            return ::testing::AssertionFailure() << "fields " << firstField << "-" << lastField;
        }
        if (c->focusedRowIndex < first || c->focusedRowIndex >= first + rows ||
            c->focusedFieldIndex < firstField || c->focusedFieldIndex > lastField) {
            return ::testing::AssertionFailure()
                   << "focus (" << c->focusedRowIndex << ", " << c->focusedFieldIndex
                   << ") outside rows " << first << "+" << rows << ", fields " << firstField << "-"
                   << lastField;
        }
        return ::testing::AssertionSuccess();
    }

    // The loaded page is the page of the port's position.
    void expectPageLoaded(TablesAndRowsController* c) {
        QApplication::processEvents();
        ASSERT_EQ(grid->numberOfRows(), c->numberOfGridRows());
        EXPECT_EQ(c->fieldValueForTableViewRowIndex(0, 1),
                  std::to_string(c->firstRowIndexInDataPort + 1) + ":1");
    }
};

TEST_F(NavigationTest, ArrowsMoveTheFocusInsideTheGridAndThePortAtItsEdges) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = c->numberOfDataPortRows();
    ASSERT_GT(page, 3);
    ASSERT_LT(grid->numberOfColumns() - 1, kFields);
    EXPECT_EQ(c->focusedRowIndex, 0);
    for (int64_t i = 0; i < page - 1; ++i) key(Qt::Key_Down);
    EXPECT_EQ(c->focusedRowIndex, page - 1);
    EXPECT_EQ(c->firstRowIndexInDataPort, 0);
    // Down on the bottom row shown moves the port one row and keeps the focus at the bottom.
    key(Qt::Key_Down);
    EXPECT_EQ(c->firstRowIndexInDataPort, 1);
    EXPECT_EQ(c->focusedRowIndex, page);
    expectPageLoaded(c);
    // Up on the top row shown moves the port up one row.
    for (int64_t i = 0; i < page; ++i) key(Qt::Key_Up);
    EXPECT_EQ(c->firstRowIndexInDataPort, 0);
    EXPECT_EQ(c->focusedRowIndex, 0);
    // Left never lands on the row-number column; Right past the last field shown moves the
    // fields by one.
    key(Qt::Key_Left);
    EXPECT_EQ(c->focusedFieldIndex, 1);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 1);
    int shown = grid->numberOfColumns() - 1;
    for (int i = 0; i < shown; ++i) key(Qt::Key_Right);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 2);
    EXPECT_EQ(c->focusedFieldIndex, shown + 1);
    // Control-Right and Control-Left go to the last and the first field.
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(c->focusedFieldIndex, kFields);
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(c->focusedFieldIndex, 1);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 1);
    // Shift-arrows are the plain arrows.
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(c->focusedRowIndex, 1);
    EXPECT_TRUE(c->mySelectedCells.empty());
}

TEST_F(NavigationTest, EndThenUpAndPageKeysAtTheEnds) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = c->numberOfDataPortRows();
    // End shows the last row alone at the top, focused.
    key(Qt::Key_End);
    EXPECT_EQ(c->firstRowIndexInDataPort, kRows - 1);
    EXPECT_EQ(c->focusedRowIndex, kRows - 1);
    expectPageLoaded(c);
    EXPECT_EQ(grid->numberOfRows(), 1);
    // Up from there moves the port up one row; the focus follows.
    key(Qt::Key_Up);
    EXPECT_EQ(c->firstRowIndexInDataPort, kRows - 2);
    EXPECT_EQ(c->focusedRowIndex, kRows - 2);
    // Page Down at the end changes nothing; End again neither.
    key(Qt::Key_PageDown);
    EXPECT_EQ(c->firstRowIndexInDataPort, kRows - 1);
    EXPECT_EQ(c->focusedRowIndex, kRows - 1);
    key(Qt::Key_PageDown);
    key(Qt::Key_End);
    EXPECT_EQ(c->firstRowIndexInDataPort, kRows - 1);
    // Page Up moves a whole page; Home goes to row 0; Page Up there stays.
    key(Qt::Key_PageUp);
    EXPECT_EQ(c->firstRowIndexInDataPort, kRows - 1 - page);
    EXPECT_EQ(c->focusedRowIndex, kRows - 1 - page);
    key(Qt::Key_Home);
    EXPECT_EQ(c->firstRowIndexInDataPort, 0);
    EXPECT_EQ(c->focusedRowIndex, 0);
    key(Qt::Key_PageUp);
    EXPECT_EQ(c->firstRowIndexInDataPort, 0);
    EXPECT_EQ(c->focusedRowIndex, 0);
    // Page Down from row 2 of the grid keeps the focus on grid row 2 of the next page.
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_PageDown);
    EXPECT_EQ(c->firstRowIndexInDataPort, page);
    EXPECT_EQ(c->focusedRowIndex, page + 2);
    expectPageLoaded(c);
}

TEST_F(NavigationTest, TabWrapsToTheNextRowAndPages) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = c->numberOfDataPortRows();
    for (int64_t i = 0; i < page - 1; ++i) key(Qt::Key_Down);
    // Tab through every field of the bottom row shown.
    for (int64_t f = 1; f < kFields; ++f) key(Qt::Key_Tab);
    EXPECT_EQ(c->focusedFieldIndex, kFields);
    EXPECT_GT(c->firstFieldIndexInDataPort, 1);
    EXPECT_TRUE(portHoldsFocus(c));
    key(Qt::Key_Tab);
    EXPECT_EQ(c->focusedRowIndex, page);
    EXPECT_EQ(c->focusedFieldIndex, 1);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 1);
    EXPECT_EQ(c->firstRowIndexInDataPort, 1);
    expectPageLoaded(c);
    // Shift-Tab on field 1 of the top row shown moves the port up and starts it at the last
    // field.
    key(Qt::Key_Home);
    key(Qt::Key_PageDown);
    int64_t top = c->firstRowIndexInDataPort;
    ASSERT_EQ(c->focusedRowIndex, top);
    ASSERT_EQ(c->focusedFieldIndex, 1);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(c->focusedRowIndex, top - 1);
    EXPECT_EQ(c->focusedFieldIndex, kFields);
    EXPECT_EQ(c->firstFieldIndexInDataPort, kFields);
    EXPECT_EQ(c->firstRowIndexInDataPort, top - 1);
    // Tab on the last field of the last row, Shift-Tab on field 1 of row 0: nothing.
    key(Qt::Key_End);
    key(Qt::Key_Right, Qt::ControlModifier);
    key(Qt::Key_Tab);
    EXPECT_EQ(c->focusedRowIndex, kRows - 1);
    EXPECT_EQ(c->focusedFieldIndex, kFields);
    key(Qt::Key_Home);
    key(Qt::Key_Left, Qt::ControlModifier);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(c->focusedRowIndex, 0);
    EXPECT_EQ(c->focusedFieldIndex, 1);
    // The focus stays in the grid: Tab does not move the window's focus.
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

TEST_F(NavigationTest, HeaderClicksSelectFieldsOrChooseTheFirstColumn) {
    TablesAndRowsController* c = showWideTable();
    key(Qt::Key_Down);
    // A plain click selects the field alone and focuses it in the top row; again deselects it.
    clickHeader(2);
    EXPECT_EQ(c->mySelectedFieldIndexes, (DBInterface::IndexSet{2}));
    EXPECT_EQ(c->focusedRowIndex, 0);
    EXPECT_EQ(c->focusedFieldIndex, 2);
    clickHeader(2);
    EXPECT_TRUE(c->mySelectedFieldIndexes.empty());
    clickHeader(2);
    clickHeader(1);
    EXPECT_EQ(c->mySelectedFieldIndexes, (DBInterface::IndexSet{1}));
    // Shift extends to the clicked field; Control toggles one field.
    clickHeader(4, Qt::ShiftModifier);
    EXPECT_EQ(c->mySelectedFieldIndexes, (DBInterface::IndexSet{1, 2, 3, 4}));
    clickHeader(3, Qt::ControlModifier);
    EXPECT_EQ(c->mySelectedFieldIndexes, (DBInterface::IndexSet{1, 2, 4}));
    // Shift with nothing selected selects nothing, but clears selected cells.
    c->mySelectedFieldIndexes.clear();
    c->mySelectedCells[0][1] = DBValue("1:1");
    clickHeader(3, Qt::ShiftModifier);
    EXPECT_TRUE(c->mySelectedFieldIndexes.empty());
    EXPECT_TRUE(c->mySelectedCells.empty());
    // The row-number header selects every field.
    clickHeader(0);
    EXPECT_EQ(c->mySelectedFieldIndexes.size(), size_t(kFields));
    // Alt makes the clicked field the first shown, even near the last field.
    clickHeader(3, Qt::AltModifier);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 3);
    EXPECT_EQ(c->focusedFieldIndex, 3);
    c->moveDataPortToFieldIndex(kFields - 1);
    clickHeader(2, Qt::AltModifier);
    EXPECT_EQ(c->firstFieldIndexInDataPort, kFields);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "c12");
    // Shift-Alt makes it the last field shown, or shows field 1 first when it cannot be.
    c->moveDataPortToFieldIndex(1);
    int shown = grid->numberOfColumns() - 1;
    c->moveDataPortToFieldIndex(5);
    clickHeader(shown, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 5);
    EXPECT_EQ(c->focusedFieldIndex, 5 + shown - 1);
    clickHeader(1, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 1);
}

TEST_F(NavigationTest, JumpingToARowFocusesItAtTheField) {
    TablesAndRowsController* c = showWideTable();
    c->selectStartRowIndex(5000, 0, true);
    EXPECT_EQ(c->firstRowIndexInDataPort, 5000);
    EXPECT_EQ(c->focusedRowIndex, 5000);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 1);
    EXPECT_EQ(c->fieldValueForTableViewRowIndex(0, 1), "5001:1");
    c->selectStartRowIndex(kRows - 1, 4, false);
    EXPECT_EQ(c->focusedRowIndex, kRows - 1);
    EXPECT_EQ(c->focusedFieldIndex, 4);
    EXPECT_EQ(c->firstFieldIndexInDataPort, 4);
    c->selectStartRowIndex(kRows, 1, false);  // no such row
    c->selectStartRowIndex(1, kFields + 1, false);
    EXPECT_EQ(c->firstRowIndexInDataPort, kRows - 1);
    // A table that shrank under the window keeps the port inside what is left.
    run("delete from w where rowid > 100");
    c->selectStartRowIndex(5000, 1, false);
    EXPECT_EQ(c->totalRows, 100);
    EXPECT_EQ(c->firstRowIndexInDataPort, 99);
    EXPECT_EQ(c->focusedRowIndex, 99);
}

TEST_F(NavigationTest, KeysFasterThanPagesLoadKeepTheirResultsAndLoadOnePage) {
    TablesAndRowsController* c = showWideTable();
    int64_t page = c->numberOfDataPortRows();
    // No event is handled between these keys, as when they repeat faster than pages load.
    for (int i = 0; i < 500; ++i) key(Qt::Key_Down);
    EXPECT_EQ(c->focusedRowIndex, 500);
    EXPECT_EQ(c->firstRowIndexInDataPort, 500 - page + 1);
    for (int i = 0; i < 3; ++i) key(Qt::Key_PageDown);
    EXPECT_EQ(c->firstRowIndexInDataPort, 500 - page + 1 + 3 * page);
    // Not loaded yet: no value of another page is given for the rows now in the port.
    EXPECT_EQ(c->fieldValueObjectForTableViewRowIndex(0, 1), nullptr);
    expectPageLoaded(c);
    // Return reads the values of the port's own page.
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(c->fieldValueForDatabaseRowIndex(c->focusedRowIndex, 1),
              std::to_string(c->focusedRowIndex + 1) + ":1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    grid->setFocus();
    // Wheel moves likewise; one event is one row, a sideways one a field.
    int64_t before = c->firstRowIndexInDataPort;
    for (int i = 0; i < 40; ++i) wheel(QPoint(0, -120));
    wheel(QPoint(0, 120));
    EXPECT_EQ(c->firstRowIndexInDataPort, before + 39);
    EXPECT_TRUE(portHoldsFocus(c));
    expectPageLoaded(c);
    wheel(QPoint(-120, 0));
    EXPECT_EQ(c->firstFieldIndexInDataPort, 1);
    EXPECT_EQ(c->focusedFieldIndex, 2);
    wheel(QPoint(8, 0));  // one degree: too little to move
    EXPECT_EQ(c->focusedFieldIndex, 2);
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
        deepest = std::max(deepest, c->firstRowIndexInDataPort);
        rightmost = std::max(rightmost, c->firstFieldIndexInDataPort);
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
            int64_t first = c->firstRowIndexInDataPort;
            ASSERT_TRUE(first >= 0 && first < rows) << "step " << step << ": port at " << first;
            ASSERT_TRUE(c->focusedRowIndex >= first && c->focusedRowIndex < rows)
                << "step " << step << ": focus on row " << c->focusedRowIndex;
            ASSERT_TRUE(c->focusedFieldIndex >= 1 && c->focusedFieldIndex <= fields)
                << "step " << step << ": focus on field " << c->focusedFieldIndex;
            for (int64_t r : c->mySelectedRowIndexes) ASSERT_LT(r, rows) << "step " << step;
            for (const auto& [r, cells] : c->mySelectedCells) {
                ASSERT_LT(r, rows) << "step " << step;
                for (const auto& cell : cells) ASSERT_LE(cell.first, fields) << "step " << step;
            }
        }
    }
}
