// Clicks with Shift, Alt (Option) and Control (Command) on the grid's cells, row numbers and
// header, and the Return variants.
#include "tests/mainwindow/GridTest.h"

class GridClickTest : public GridTest {
  protected:
    // The fields selected in each row of the selected cells.
    static std::map<int64_t, DBInterface::IndexSet> cellsOf(const TablesAndRowsController* c) {
        std::map<int64_t, DBInterface::IndexSet> cells;
        for (const auto& [row, fields] : c->mySelectedCells) {
            for (const auto& field : fields) cells[row].insert(field.first);
        }
        return cells;
    }
};

TEST_F(GridClickTest, ShiftClickSelectsTheRectangleFromTheFocusAndTheSelectedCells) {
    makeRowsTable(40);
    TablesAndRowsController* c = showGrid("t");
    click(2, 1);
    c->mySelectedRowIndexes = {20};
    c->mySelectedFieldIndexes = {2};
    click(5, 2, Qt::ShiftModifier);
    using Cells = std::map<int64_t, DBInterface::IndexSet>;
    EXPECT_EQ(cellsOf(c), Cells({{2, {1, 2}}, {3, {1, 2}}, {4, {1, 2}}, {5, {1, 2}}}));
    EXPECT_EQ(c->mySelectedCells[4][1], DBValue("name 5"));
    EXPECT_EQ(c->mySelectedCells[5][2], DBValue("9"));
    EXPECT_EQ(c->focusedRowIndex, 5);
    EXPECT_EQ(c->focusedFieldIndex, 2);
    EXPECT_TRUE(c->mySelectedRowIndexes.empty());
    EXPECT_TRUE(c->mySelectedFieldIndexes.empty());
    // Upwards the rectangle takes in what is already selected; Shift with Control is Shift.
    click(0, 1, Qt::ShiftModifier | Qt::ControlModifier);
    Cells expected;
    for (int64_t row = 0; row <= 5; ++row) expected[row] = {1, 2};
    EXPECT_EQ(cellsOf(c), expected);
    EXPECT_EQ(c->focusedRowIndex, 0);
    EXPECT_EQ(c->focusedFieldIndex, 1);
    // A NULL cell is selected as NULL.
    click(9, 2, Qt::ShiftModifier);
    ASSERT_TRUE(c->mySelectedCells[9].count(2));
    EXPECT_FALSE(c->mySelectedCells[9][2].has_value());
}

TEST_F(GridClickTest, ShiftClickAddsCellsOnlyWhileFewerThanAThousandRowsHoldThem) {
    makeRowsTable(2000);
    TablesAndRowsController* c = showGrid("t");
    click(0, 1);
    // 995 rows outside the port already hold a selected cell.
    for (int64_t row = 100; row < 1095; ++row) c->mySelectedCells[row][1] = DBValue("x");
    click(9, 2, Qt::ShiftModifier);
    EXPECT_EQ(c->mySelectedCells.size(), 1000u);
    // The clicked cell first, then field 1 from the top until the thousandth row.
    using Fields = DBInterface::IndexSet;
    auto cells = cellsOf(c);
    EXPECT_EQ(cells[9], Fields({2}));
    for (int64_t row = 0; row <= 3; ++row) EXPECT_EQ(cells[row], Fields({1})) << row;
    for (int64_t row = 4; row <= 8; ++row) EXPECT_FALSE(c->mySelectedCells.count(row)) << row;
    EXPECT_EQ(c->focusedRowIndex, 9);
    // At a thousand rows not even the clicked cell is added.
    click(12, 1, Qt::ShiftModifier);
    EXPECT_EQ(c->mySelectedCells.size(), 1000u);
    EXPECT_FALSE(c->mySelectedCells.count(12));
    EXPECT_EQ(c->focusedRowIndex, 12);
}

TEST_F(GridClickTest, ShiftClickOnRowNumbersExtendsTheRowsFromTheFocusedRow) {
    makeRowsTable(40);
    TablesAndRowsController* c = showGrid("t");
    click(3, 2);
    click(8, 1, Qt::ControlModifier);
    auto cells = c->mySelectedCells;
    // No row selected: the span is the focused row alone.
    click(10, 0, Qt::ShiftModifier);
    EXPECT_EQ(c->mySelectedRowIndexes, DBInterface::IndexSet({8, 9, 10}));
    click(5, 0, Qt::ShiftModifier);
    EXPECT_EQ(c->mySelectedRowIndexes, DBInterface::IndexSet({5, 6, 7, 8, 9, 10}));
    click(7, 0, Qt::ShiftModifier);
    EXPECT_EQ(c->mySelectedRowIndexes.size(), 6u);
    // Neither the focus nor the selected cells change.
    EXPECT_EQ(c->focusedRowIndex, 8);
    EXPECT_EQ(c->focusedFieldIndex, 1);
    EXPECT_EQ(c->mySelectedCells, cells);
    c->includeRowIndex(40);
    c->includeRowIndex(-1);
    EXPECT_EQ(c->mySelectedRowIndexes.size(), 6u);
}

TEST_F(GridClickTest, AltClicksActOnRowNumbersOnly) {
    makeRowsTable(200);
    TablesAndRowsController* c = showGrid("t");
    click(1, 2);
    int64_t portRows = c->numberOfGridRows();
    ASSERT_GT(portRows, 5);
    // On cells neither moves anything.
    click(3, 1, Qt::AltModifier);
    click(3, 1, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->firstRowIndexInDataPort, 0);
    EXPECT_EQ(c->focusedRowIndex, 1);
    EXPECT_EQ(c->focusedFieldIndex, 2);
    // Alt on a row number starts the port at that row and focuses it.
    click(5, 0, Qt::AltModifier);
    EXPECT_EQ(c->firstRowIndexInDataPort, 5);
    EXPECT_EQ(c->focusedRowIndex, 5);
    EXPECT_EQ(shown(0, 1), "name 6");
    // Shift-Alt focuses the row, keeping the field; the port moves only when the row lies at
    // or beyond the port's size, so that it becomes the last row shown.
    click(2, 0, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->firstRowIndexInDataPort, 5);
    EXPECT_EQ(c->focusedRowIndex, 7);
    EXPECT_EQ(c->focusedFieldIndex, 2);
    c->moveDataPortToRow(100);
    click(0, 0, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->firstRowIndexInDataPort, 100 - portRows + 1);
    EXPECT_EQ(c->focusedRowIndex, 100);
    EXPECT_EQ(shown(int(portRows - 1), 1), "name 101");
}

TEST_F(GridClickTest, ClicksOnTheHeaderNeverReachTheCells) {
    makeRowsTable(60);
    TablesAndRowsController* c = showGrid("t");
    c->moveDataPortToRow(10);
    click(3, 2);
    ASSERT_EQ(c->focusedRowIndex, 13);
    // A cell would add itself and the old focus; the header toggles its field alone.
    clickHeader(1, Qt::ControlModifier);
    EXPECT_EQ(c->mySelectedFieldIndexes, DBInterface::IndexSet({1}));
    EXPECT_TRUE(c->mySelectedCells.empty());
    EXPECT_EQ(c->focusedRowIndex, 13);
    // A row number would move the port.
    clickHeader(0, Qt::AltModifier);
    clickHeader(0, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->firstRowIndexInDataPort, 10);
    EXPECT_EQ(c->focusedRowIndex, 13);
    EXPECT_TRUE(c->mySelectedRowIndexes.empty());
}

TEST_F(GridClickTest, ReturnVariants) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    // Alt-Return without a focus does nothing.
    c->focusedRowIndex = -1;
    key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsController::RowsConsole);
    // Control-Return opens nothing, neither a console nor an edit.
    click(3, 2);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsController::RowsConsole);
    EXPECT_EQ(editor(), nullptr);
    // Shift-Return edits like Return.
    key(Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_NE(openedEditor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Escape);
    QApplication::processEvents();
    // Alt-Return opens the record editor at the focused field.
    grid->setFocus();
    key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsController::RecordConsole);
    EXPECT_EQ(c->fieldIndexToEdit, 2);
    EXPECT_EQ(c->focusedRowIndex, 3);
}
