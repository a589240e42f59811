// The ways cells of the grid's table are written (an in-place edit, a chosen value, a paste, the
// edit-field panel's Save, Clear, Set to NULL, Replace and Cut on selected cells, the record
// editor's Save): each goes to the table row it names on a page far from the first row, each
// tells a row or table gone elsewhere, or a file that cannot be written, the same way, and the
// grid then shows what the file holds. The database is read back by a connection of the test's
// own.
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

#include "Common/ValuePrefix.h"
#include "exchange/GridCopy.h"
#include "exchange/GridPaste.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/CellCommands.h"
#include "mainwindow/rows/ChosenValueWriter.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/ui/Pasteboard.h"
#include "tests/mainwindow/GridTest.h"
#include "tests/support/ReadOnlyDatabases.h"

class CellWriterTest;
// Writes the text into the cell (row index, field index) of the window's grid.
using CellWrite = std::function<void(CellWriterTest&, TablesAndRowsController*, int64_t, int64_t,
                                     const QString&)>;

class CellWriterTest : public GridTest {
  public:
    void TearDown() override {
        GridPaste::suppressPasteUpdateAlert(false);
        GridTest::TearDown();
    }

    // Focuses the cell with the port moved to show it, as Go to row does.
    void focusCell(TablesAndRowsController* c, int64_t row, int64_t field) {
        rowsOf(c)->navigator().selectStartRowIndex(RowIndex(row), FieldIndex(field), true);
        QApplication::processEvents();
    }

    void editInPlace(TablesAndRowsController* c, int64_t row, int64_t field, const QString& text) {
        focusCell(c, row, field);
        const auto& port = c->state().dataPort;
        doubleClick(
            int(row - port.firstRowIndexInDataPort.value),
            int(rowsOf(c)->dataPort().tableViewColumnFromFieldIndex(FieldIndex(field)).value));
        ASSERT_NE(openedEditor(), nullptr);
        beforeWriting();
        typeAndEnd(text);
    }
    void chooseValue(TablesAndRowsController* c, int64_t row, int64_t field, const QString& text) {
        focusCell(c, row, field);
        beforeWriting();
        ChosenValueWriter(*c, *rowsOf(c)).updateFocusedCell(text.toStdString());
    }
    void paste(TablesAndRowsController* c, int64_t row, int64_t field, const QString& text) {
        focusCell(c, row, field);
        Pasteboard::clear();
        QGuiApplication::clipboard()->setText(text);
        beforeWriting();
        GridPaste(*c, *rowsOf(c)).pasteFromClipboardToSelectedCell(true);
    }
    void saveInPanel(TablesAndRowsController* c, int64_t row, int64_t field, const QString& text) {
        focusCell(c, row, field);
        key(Qt::Key_Return, Qt::ControlModifier);
        QApplication::processEvents();
        EditFieldPanel& panel = partsOf(c).editField;
        ASSERT_TRUE(panel.isShown());
        panel.textView()->selectAll();
        QTest::keyClicks(panel.textView(), text);
        beforeWriting();
        panel.saveButton()->click();
        QApplication::processEvents();
    }

    // The commands of the selection on the focused cell and, when given, a Control-clicked cell of
    // the same row; their confirmation is answered and dropped from the alerts.
    void selectCells(TablesAndRowsController* c, int64_t row, int64_t field,
                     std::optional<int64_t> alsoField) {
        focusCell(c, row, field);
        if (alsoField) {
            const RowsDataPort& port = rowsOf(c)->dataPort();
            const int gridRow = int(port.tableViewRowFromRowIndex(RowIndex(row)).value);
            click(gridRow, int(port.tableViewColumnFromFieldIndex(FieldIndex(field)).value));
            click(gridRow, int(port.tableViewColumnFromFieldIndex(FieldIndex(*alsoField)).value),
                  Qt::ControlModifier);
        }
        beforeWriting();
    }
    void confirmed(const std::string& message) {
        ASSERT_FALSE(alerts.empty());
        EXPECT_EQ(alerts.front().messageText, message);
        alerts.erase(alerts.begin());
    }
    void clearCells(TablesAndRowsController* c, int64_t row, int64_t field, const QString&) {
        selectCells(c, row, field, alsoField);
        rowsOf(c)->cellCommands().clearMenuItemClicked();
        confirmed("Clear the selected fields?");
    }
    void setCellsToNull(TablesAndRowsController* c, int64_t row, int64_t field, const QString&) {
        selectCells(c, row, field, alsoField);
        rowsOf(c)->cellCommands().setToNULLMenuItemClicked();
        confirmed("Set the selected fields to NULL?");
    }
    void replaceCells(TablesAndRowsController* c, int64_t row, int64_t field, const QString& text) {
        selectCells(c, row, field, alsoField);
        QDialog* sheet = rowsOf(c)->cellCommands().replaceMenuItemClicked();
        ASSERT_NE(sheet, nullptr);
        sheet->findChild<QLineEdit*>("promptTextField")->setText(text);
        sheet->findChild<QPushButton*>("promptDoneButton")->click();
        QApplication::processEvents();
    }
    void cutCells(TablesAndRowsController* c, int64_t row, int64_t field, const QString&) {
        selectCells(c, row, field, alsoField);
        GridCopy(*c, *rowsOf(c)).rowsTableViewCut();
        confirmed("Cut the selected fields?");
    }
    void saveInRecordEditor(TablesAndRowsController* c, int64_t row, int64_t field,
                            const QString& text) {
        focusCell(c, row, field);
        key(Qt::Key_Return, Qt::AltModifier);
        RecordConsole& record = partsOf(c).record;
        QLineEdit* line = record.valueField(FieldIndex(field));
        ASSERT_NE(line, nullptr);
        line->setFocus();
        line->selectAll();
        QTest::keyClicks(line, text);
        beforeWriting();
        record.saveRowButtonPressed();
        QApplication::processEvents();
        c->selectConsole(TablesAndRowsState::RowsConsole);
        QApplication::processEvents();
    }

    // The second cell the commands of the selection write, none for the focused cell alone.
    std::optional<int64_t> alsoField;
    // What another program does once the cell is focused, before it is written.
    std::function<void()> beforeWriting = [] {};

    // The rows of t that no longer hold what makeRowsTable wrote, as "rowid=name/amount;...".
    std::string changedRows() const {
        return readBack(
            "select ifnull(group_concat(rowid || '=' || name || '/' || ifnull(amount, 'NULL'), "
            "';'), '') from t where name is not 'name ' || rowid or amount is not (case when "
            "rowid % 10 = 0 then null else rowid * 1.5 end)");
    }
};

TEST_F(CellWriterTest, EveryCellWriteOnAPageFarDownGoesToItsTableRow) {
    makeRowsTable(5000);
    TablesAndRowsController* c = showGrid("t");
    const RowsDataPort& port = rowsOf(c)->dataPort();
    // The page shows each value where it was written.
    auto pageShows = [&](int64_t row, int64_t field) {
        return port.fieldValueForDatabaseRowIndex(RowIndex(row), FieldIndex(field));
    };
    editInPlace(c, 1000, 1, "edited");
    // No grid row is also a table row of the page: a write to the one instead of the other is
    // seen.
    ASSERT_GT(c->state().dataPort.firstRowIndexInDataPort.value,
              c->state().dataPort.numberOfLoadedRows());
    EXPECT_EQ(pageShows(1000, 1), "edited");
    chooseValue(c, 1001, 1, "chosen");
    EXPECT_EQ(pageShows(1001, 1), "chosen");
    paste(c, 1002, 1, "p1\tq1\np2\tq2");
    EXPECT_EQ(pageShows(1002, 2), "q1");
    EXPECT_EQ(pageShows(1003, 1), "p2");
    saveInPanel(c, 1004, 2, "77");
    EXPECT_EQ(pageShows(1004, 2), "77");
    EXPECT_EQ(pageShows(1005, 1), "name 1006");
    // The commands of the selection write the focused cell and the selected cells.
    alsoField = 2;
    clearCells(c, 1005, 1, {});
    EXPECT_EQ(pageShows(1005, 1), "");
    replaceCells(c, 1006, 1, "replaced");
    EXPECT_EQ(pageShows(1006, 2), "replaced");
    cutCells(c, 1007, 1, {});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "name 1008\t1512");
    alsoField.reset();
    setCellsToNull(c, 1008, 2, {});
    saveInRecordEditor(c, 1009, 2, "88");
    EXPECT_EQ(pageShows(1009, 2), "88");
    EXPECT_GT(c->state().dataPort.firstRowIndexInDataPort.value,
              c->state().dataPort.numberOfLoadedRows());
    EXPECT_TRUE(alerts.empty()) << alerts.front().both();
    EXPECT_EQ(changedRows(),
              "1001=edited/1501.5;1002=chosen/1503;1003=p1/q1;1004=p2/q2;1005=name 1005/77;"
              "1006=/;1007=replaced/replaced;1008=/;1009=name 1009/NULL;1010=name 1010/88");
}

// Each write starts the sampling of the marks of a large table's pages again, in the background;
// the sampling gives way to the writes, so that none of twenty written back to back fails on the
// lock its read holds.
TEST_F(CellWriterTest, WritesBackToBackNeverFailOnTheSamplingOfMarks) {
    // Sorted without an index, the sampling sorts every row while it holds its read.
    makeRowsTable(400000);
    std::string error;
    ASSERT_EQ(DBInterface::updateSortCodes({2}, "t", db, &error), 0) << error;
    TablesAndRowsController* c = showGrid("t");
    const CellWrite writes[] = {&CellWriterTest::editInPlace, &CellWriterTest::saveInRecordEditor,
                                &CellWriterTest::paste};
    for (int i = 0; i < 20; ++i) {
        writes[i % 3](*this, c, i, 2, QString::number(-1 - i));
        ASSERT_TRUE(alerts.empty()) << i << ": " << alerts.front().both();
    }
    EXPECT_EQ(readBack("select count(*) from t where amount < 0"), "20");
}

class EachCellWriteTest : public CellWriterTest,
                          public ::testing::WithParamInterface<std::pair<const char*, CellWrite>> {
  protected:
    void write(TablesAndRowsController* c, int64_t row, int64_t field, const QString& text) {
        GetParam().second(*this, c, row, field, text);
    }
    // A failure is told once the event that wrote has ended.
    void waitForAlert() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !alerts.empty(); }));
    }
};

TEST_P(EachCellWriteTest, ARowDeletedElsewhereIsToldAndTheRowsReadAgain) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    beforeWriting = [this] { run("delete from t where rowid = 4"); };
    write(c, 3, 1, "lost");
    waitForAlert();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_NE(alerts[0].informativeText.find("The row no longer exists."), std::string::npos)
        << alerts[0].both();
    EXPECT_EQ(changedRows(), "");
    EXPECT_TRUE(QTest::qWaitFor([c] { return c->state().dataPort.totalRows == 19; }));
}

TEST_P(EachCellWriteTest, ATableRenamedElsewhereIsNamedAndNothingIsWritten) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    beforeWriting = [this] { run("alter table t rename to places"); };
    write(c, 5, 1, "typed");
    waitForAlert();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_TRUE(alerts[0].informativeText.starts_with("The table \"t\" no longer exists."))
        << alerts[0].both();
    EXPECT_EQ(readBack("select count(*) from places where name = 'typed'"), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Writes, EachCellWriteTest,
    ::testing::Values(
        std::pair<const char*, CellWrite>{"InPlaceEdit", &CellWriterTest::editInPlace},
        std::pair<const char*, CellWrite>{"ChosenValue", &CellWriterTest::chooseValue},
        std::pair<const char*, CellWrite>{"Paste", &CellWriterTest::paste},
        std::pair<const char*, CellWrite>{"EditFieldPanel", &CellWriterTest::saveInPanel},
        std::pair<const char*, CellWrite>{"Clear", &CellWriterTest::clearCells},
        std::pair<const char*, CellWrite>{"SetToNULL", &CellWriterTest::setCellsToNull},
        std::pair<const char*, CellWrite>{"Replace", &CellWriterTest::replaceCells},
        std::pair<const char*, CellWrite>{"Cut", &CellWriterTest::cutCells}),
    [](const auto& info) { return std::string(info.param.first); });

// Writers of one cell at a time, whose page shows what the file holds after the write.
class OneCellWriteTest : public EachCellWriteTest {};

TEST_P(OneCellWriteTest, TheGridShowsWhatGeneratedColumnsTriggersAndTypesMadeOfTheWrite) {
    run("create table gen (a, b, r real, big, s as (a + b) stored, v as (a || '-' || b)); "
        "insert into gen (a, b, r) values (1, 2, 0), (3, 6, 0), (5, 8, 0); "
        "update gen set big = printf('%.*c', 100000, 'x') where rowid = 3; "
        // The written row and another one change.
        "create trigger a_set after update of a on gen begin "
        "update gen set r = new.a * 2 where rowid = new.rowid; "
        "update gen set b = new.a where rowid = 3; end");
    TablesAndRowsController* c = showGrid("gen");
    const RowsDataPort& port = rowsOf(c)->dataPort();
    auto pageShows = [&](int64_t row, const char* field) {
        const auto& names = c->state().fieldModel.fieldNames;
        auto at = std::find(names.begin(), names.end(), field);
        EXPECT_NE(at, names.end()) << field;
        return port.fieldValueForDatabaseRowIndex(RowIndex(row),
                                                  FieldIndex(at - names.begin() + 1));
    };
    write(c, 1, 1, "500");
    ASSERT_TRUE(alerts.empty()) << alerts.front().both();
    ASSERT_EQ(readBack("select s || ' ' || v || ' ' || r from gen where rowid = 2"),
              "506 500-6 1000.0");
    EXPECT_EQ(pageShows(1, "a"), "500");
    EXPECT_EQ(pageShows(1, "s"), "506");
    EXPECT_EQ(pageShows(1, "v"), "500-6");
    EXPECT_EQ(pageShows(1, "r"), "1000.0");
    EXPECT_EQ(pageShows(2, "b"), "500");
    EXPECT_EQ(pageShows(2, "s"), "505");
    // The grid draws the page as it is now.
    EXPECT_EQ(shown(int(port.tableViewRowFromRowIndex(RowIndex(2)).value),
                    int(port.tableViewColumnFromFieldIndex(FieldIndex(2)).value)),
              "500");
    // Stored as the column's type makes it, not as typed.
    write(c, 2, 3, "7");
    EXPECT_EQ(pageShows(2, "r"), "7.0");
    // A long value read back is held by its first part, as a page read holds it.
    const DBValue* big = c->state().dataPort.page.cell(RowIndex(2), FieldIndex(4));
    ASSERT_NE(big, nullptr);
    EXPECT_TRUE(isCutValue(*big));
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(2));
    EXPECT_EQ(c->state().selection.focusedFieldIndex, FieldIndex(3));
}

INSTANTIATE_TEST_SUITE_P(
    Writes, OneCellWriteTest,
    ::testing::Values(
        std::pair<const char*, CellWrite>{"InPlaceEdit", &CellWriterTest::editInPlace},
        std::pair<const char*, CellWrite>{"ChosenValue", &CellWriterTest::chooseValue},
        std::pair<const char*, CellWrite>{"Paste", &CellWriterTest::paste},
        std::pair<const char*, CellWrite>{"EditFieldPanel", &CellWriterTest::saveInPanel}),
    [](const auto& info) { return std::string(info.param.first); });

TEST_F(CellWriterTest, TextTypedInACellForATableGoneIsOfferedAgain) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    focusCell(c, 5, 1);
    doubleClick(int(rowsOf(c)->dataPort().tableViewRowFromRowIndex(RowIndex(5)).value), 1);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    run("alter table t rename to places");
    field->selectAll();
    QTest::keyClicks(field, "typed in cell");
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([this] { return editor() != nullptr; }));
    EXPECT_EQ(editor()->text(), "typed in cell");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].informativeText.find("no longer exists"), std::string::npos)
        << alerts[0].both();
    QTest::keyClick(editor(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([this] { return editor() == nullptr; }));
}

TEST_F(CellWriterTest, TextTypedInThePanelForATableGoneStaysThere) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    beforeWriting = [this] { run("alter table t rename to places"); };
    saveInPanel(c, 6, 1, "typed in panel");
    EXPECT_EQ(partsOf(c).editField.textView()->toPlainText(), "typed in panel");
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(CellWriterTest, AnEditTheFileRefusesIsNotOfferedAgain) {
    makeRowsTable(5);
    showGrid("t");
    {
        ReadOnlyDatabases readOnly;
        doubleClick(2, 1);
        typeAndEnd("refused");
        ASSERT_TRUE(QTest::qWaitFor([this] { return !alerts.empty(); }));
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_NE(alerts[0].informativeText.find("readonly"), std::string::npos)
            << alerts[0].both();
        // Offered again, Return would only fail again: alert after alert.
        EXPECT_EQ(openedEditor(), nullptr);
        EXPECT_EQ(shown(2, 1), "name 3");
    }
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(changedRows(), "");
}
