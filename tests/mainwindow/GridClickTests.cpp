// Clicks with Shift, Alt (Option) and Control (Command) on the grid's cells, row numbers and
// header, and the Return variants.
#include "platform/foundation/SystemLog.h"
#include "tests/mainwindow/GridTest.h"

class GridClickTest : public GridTest {
  protected:
    // The fields selected in each row of the selected cells.
    static std::map<int64_t, DBInterface::IndexSet> cellsOf(const TablesAndRowsController* c) {
        std::map<int64_t, DBInterface::IndexSet> cells;
        for (const auto& [row, fields] : c->state().selection.mySelectedCells) {
            for (const auto& field : fields) cells[row.value].insert(field.first.value);
        }
        return cells;
    }
};

TEST_F(GridClickTest, ShiftClickSelectsTheRectangleFromTheFocusAndTheSelectedCells) {
    makeRowsTable(40);
    TablesAndRowsController* c = showGrid("t");
    click(2, 1);
    c->state().selection.mySelectedRowIndexes = {RowIndex(20)};
    c->state().selection.mySelectedFieldIndexes = {FieldIndex(2)};
    click(5, 2, Qt::ShiftModifier);
    using Cells = std::map<int64_t, DBInterface::IndexSet>;
    EXPECT_EQ(cellsOf(c), Cells({{2, {1, 2}}, {3, {1, 2}}, {4, {1, 2}}, {5, {1, 2}}}));
    EXPECT_EQ(c->state().selection.mySelectedCells[RowIndex(4)][FieldIndex(1)], DBValue("name 5"));
    EXPECT_EQ(c->state().selection.mySelectedCells[RowIndex(5)][FieldIndex(2)], DBValue("9"));
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 5);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
    EXPECT_TRUE(c->state().selection.mySelectedFieldIndexes.empty());
    // Upwards the rectangle takes in what is already selected; Shift with Control is Shift.
    click(0, 1, Qt::ShiftModifier | Qt::ControlModifier);
    Cells expected;
    for (int64_t row = 0; row <= 5; ++row) expected[row] = {1, 2};
    EXPECT_EQ(cellsOf(c), expected);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    // A NULL cell is selected as NULL.
    click(9, 2, Qt::ShiftModifier);
    ASSERT_TRUE(c->state().selection.mySelectedCells[RowIndex(9)].count(FieldIndex(2)));
    EXPECT_FALSE(c->state().selection.mySelectedCells[RowIndex(9)][FieldIndex(2)].has_value());
}

TEST_F(GridClickTest, ShiftClickAddsCellsOnlyWhileFewerThanAThousandRowsHoldThem) {
    makeRowsTable(2000);
    TablesAndRowsController* c = showGrid("t");
    click(0, 1);
    // 995 rows outside the port already hold a selected cell.
    for (int64_t row = 100; row < 1095; ++row)
        c->state().selection.mySelectedCells[RowIndex(row)][FieldIndex(1)] = DBValue("x");
    click(9, 2, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.mySelectedCells.size(), 1000u);
    // The clicked cell first, then field 1 from the top until the thousandth row.
    using Fields = DBInterface::IndexSet;
    auto cells = cellsOf(c);
    EXPECT_EQ(cells[9], Fields({2}));
    for (int64_t row = 0; row <= 3; ++row) EXPECT_EQ(cells[row], Fields({1})) << row;
    for (int64_t row = 4; row <= 8; ++row)
        EXPECT_FALSE(c->state().selection.mySelectedCells.count(RowIndex(row))) << row;
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 9);
    // At a thousand rows not even the clicked cell is added.
    click(12, 1, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.mySelectedCells.size(), 1000u);
    EXPECT_FALSE(c->state().selection.mySelectedCells.count(RowIndex(12)));
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 12);
}

TEST_F(GridClickTest, ShiftClickOnRowNumbersExtendsTheRowsFromTheFocusedRow) {
    makeRowsTable(40);
    TablesAndRowsController* c = showGrid("t");
    click(3, 2);
    click(8, 1, Qt::ControlModifier);
    auto cells = c->state().selection.mySelectedCells;
    // No row selected: the span is the focused row alone.
    click(10, 0, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.mySelectedRowIndexes.indexes(),
              DBInterface::IndexSet({8, 9, 10}));
    click(5, 0, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.mySelectedRowIndexes.indexes(),
              DBInterface::IndexSet({5, 6, 7, 8, 9, 10}));
    click(7, 0, Qt::ShiftModifier);
    EXPECT_EQ(c->state().selection.mySelectedRowIndexes.size(), 6u);
    // Neither the focus nor the selected cells change.
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 8);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    EXPECT_EQ(c->state().selection.mySelectedCells, cells);
    std::vector<std::string> logged;
    setSystemLogSink([&](const std::string& line) { logged.push_back(line); });
    rowsOf(c)->selection().includeRowIndex(RowIndex(40));
    rowsOf(c)->selection().includeRowIndex(RowIndex(-1));
    setSystemLogSink({});
    EXPECT_EQ(c->state().selection.mySelectedRowIndexes.size(), 6u);
    EXPECT_EQ(logged, (std::vector<std::string>{"includeRowIndex: invalid index 40",
                                                "includeRowIndex: invalid index -1"}));
}

TEST_F(GridClickTest, AltClicksActOnRowNumbersOnly) {
    makeRowsTable(200);
    TablesAndRowsController* c = showGrid("t");
    click(1, 2);
    int64_t portRows = rowsOf(c)->numberOfGridRows();
    ASSERT_GT(portRows, 5);
    // On cells neither moves anything.
    click(3, 1, Qt::AltModifier);
    click(3, 1, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 1);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    // Alt on a row number starts the port at that row and focuses it.
    click(5, 0, Qt::AltModifier);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 5);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 5);
    EXPECT_EQ(shown(0, 1), "name 6");
    // Shift-Alt focuses the row, keeping the field; the port moves only when the row lies at
    // or beyond the port's size, so that it becomes the last row shown.
    click(2, 0, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 5);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 7);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    rowsOf(c)->moveDataPortToRow(RowIndex(100));
    click(0, 0, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 100 - portRows + 1);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 100);
    EXPECT_EQ(shown(int(portRows - 1), 1), "name 101");
}

TEST_F(GridClickTest, ClicksOnTheHeaderNeverReachTheCells) {
    makeRowsTable(60);
    TablesAndRowsController* c = showGrid("t");
    rowsOf(c)->moveDataPortToRow(RowIndex(10));
    click(3, 2);
    ASSERT_EQ(c->state().selection.focusedRowIndex.value, 13);
    // A cell would add itself and the old focus; the header toggles its field alone.
    clickHeader(1, Qt::ControlModifier);
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.indexes(), DBInterface::IndexSet({1}));
    EXPECT_TRUE(c->state().selection.mySelectedCells.empty());
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 13);
    // A row number would move the port.
    clickHeader(0, Qt::AltModifier);
    clickHeader(0, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 10);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 13);
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
}

TEST_F(GridClickTest, ReturnVariants) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    // Alt-Return without a focus does nothing.
    c->state().selection.focusedRowIndex.value = -1;
    key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::RowsConsole);
    // Control-Return opens nothing, neither a console nor an edit.
    click(3, 2);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::RowsConsole);
    EXPECT_EQ(editor(), nullptr);
    // Shift-Return edits like Return.
    key(Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_NE(openedEditor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Escape);
    QApplication::processEvents();
    // Alt-Return opens the record editor at the focused field.
    grid->setFocus();
    key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::RecordConsole);
    EXPECT_EQ(c->state().selection.fieldIndexToEdit.value, 2);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 3);
}
