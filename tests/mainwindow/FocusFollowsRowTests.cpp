// The focus is on a record: after the window's own write moves the record in the sort, the focus,
// the next edit and the edit-field panel go where the record now stands; a record that left the
// search takes no next edit. Driven through the grid's keys and the sort panel, checked by a
// connection of the test's own.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

#include "design/SortPanel.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "tests/mainwindow/GridTest.h"

class FocusFollowsRowTest : public GridTest {
  protected:
    // Table T of two text fields and the rows given, shown sorted on its first field going up
    // through the sort panel.
    TablesAndRowsController* showSorted(const std::string& values) {
        run("create table T (\"Field 1\" text, \"Field 2\" text); insert into T values " + values);
        TablesAndRowsController* c = showGrid("T");
        SortPanel& panel = partsOf(c).sort;
        const auto& names = c->state().selectedObject.tableNames;
        panel.showTableSortFieldsForRowIndex(
            static_cast<int>(std::find(names.begin(), names.end(), "T") - names.begin()));
        panel.sortPanelSortOnButton()->setCurrentIndex(1);  // Field 1 going up
        QTest::mouseClick(panel.sortPanelSortButton(), Qt::LeftButton);
        QApplication::processEvents();
        grid->setFocus();
        return c;
    }
    // A search for the text in every field, as the search panel sets it.
    void search(TablesAndRowsController* c, const std::string& text) {
        c->state().sortAndSearch.likeString = "%" + text + "%";
        c->state().sortAndSearch.searchFieldIndexes = {FieldPosition(0), FieldPosition(1)};
        c->sortOrSearchDidChange();
    }
    std::string rows() const {
        return readBack(
            "select group_concat(\"Field 1\" || '|' || \"Field 2\", ' ') from "
            "(select * from T order by rowid)");
    }
    // Keys typed faster than the window answers, each handled where the keyboard is by then.
    void typeAhead(const std::vector<std::pair<Qt::Key, QString>>& keys) {
        QWindow* window = grid->window()->windowHandle();
        for (const auto& [key, text] : keys) {
            for (QEvent::Type kind : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QCoreApplication::postEvent(window, new QKeyEvent(kind, key, Qt::NoModifier, text));
            }
        }
    }
    std::pair<int64_t, int64_t> focus(TablesAndRowsController* c) const {
        return {c->state().selection.focusedRowIndex.value,
                c->state().selection.focusedFieldIndex.value};
    }
};

TEST_F(FocusFollowsRowTest, TabAfterAnEditOfTheSortFieldTypesIntoTheEditedRecord) {
    TablesAndRowsController* c = showSorted("('A', '1'), ('B', '2'), ('C', '3')");
    ASSERT_EQ(shown(0, 1), "A");
    doubleClick(0, 1);
    typeAndEnd("Z", Qt::Key_Tab);
    // The record went to the end of the order, and the edit with it.
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(focus(c), std::make_pair(int64_t(2), int64_t(2)));
    typeAndEnd("99");
    EXPECT_EQ(rows(), "Z|99 B|2 C|3");
    EXPECT_EQ(shown(2, 1), "Z");
    EXPECT_EQ(shown(2, 2), "99");
    // Backtab back into the moved record's sort field, and a move to the front.
    doubleClick(2, 2);
    typeAndEnd("98", Qt::Key_Backtab);
    field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "Z");
    typeAndEnd("0", Qt::Key_Tab);
    field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(focus(c), std::make_pair(int64_t(0), int64_t(2)));
    typeAndEnd("97");
    EXPECT_EQ(rows(), "0|97 B|2 C|3");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(FocusFollowsRowTest, AnArrowAfterAnEditOfTheSortFieldMovesOnFromWhereTheRecordWent) {
    TablesAndRowsController* c = showSorted("('A', '1'), ('B', '2'), ('C', '3'), ('D', '4')");
    doubleClick(0, 1);
    // Up from Z, last now: the edit goes to D, above it.
    typeAndEnd("Z", Qt::Key_Up);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "D");
    EXPECT_EQ(focus(c), std::make_pair(int64_t(2), int64_t(1)));
    typeAndEnd("Y");
    EXPECT_EQ(rows(), "Z|1 B|2 C|3 Y|4");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(FocusFollowsRowTest, AnEditedRecordThatLeavesTheSearchTakesNoNextEdit) {
    TablesAndRowsController* c =
        showSorted("('A1', 'x'), ('B1', 'y'), ('C1', 'z'), ('D2', 'w'), ('E1', 'v')");
    search(c, "1");
    ASSERT_EQ(c->state().dataPort.totalRows, 4);
    typeInto(0, 1, "Q");
    // Tab, and what was typed for the next edit before it could open.
    typeAhead({{Qt::Key_Tab, "\t"}, {Qt::Key_9, "9"}, {Qt::Key_9, "9"}, {Qt::Key_Return, "\r"}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return c->state().dataPort.totalRows == 3; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(focus(c), std::make_pair(int64_t(0), int64_t(1)));
    EXPECT_EQ(rows(), "Q|x B1|y C1|z D2|w E1|v");
    EXPECT_EQ(shown(0, 1), "B1");
    // A record that stays under the search is followed as without one.
    doubleClick(0, 1);
    typeAndEnd("X1", Qt::Key_Tab);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "y");
    EXPECT_EQ(focus(c), std::make_pair(int64_t(2), int64_t(2)));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(FocusFollowsRowTest, TheEditFieldPanelShowsTheSavedRecordWhereTheSortPutsIt) {
    TablesAndRowsController* c = showSorted("('A', '1'), ('B', '2'), ('C', '3')");
    click(0, 1);
    key(Qt::Key_Return, Qt::ControlModifier);
    QApplication::processEvents();
    EditFieldPanel* panel = &partsOf(c).editField;
    ASSERT_EQ(panel->textView()->toPlainText(), "A");
    panel->textView()->selectAll();
    QTest::keyClicks(panel->textView(), "Z");
    panel->saveButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(panel->textView()->toPlainText(), "Z");
    EXPECT_EQ(focus(c), std::make_pair(int64_t(2), int64_t(1)));
    // The next Save goes to the same record.
    panel->textView()->selectAll();
    QTest::keyClicks(panel->textView(), "Y");
    panel->saveButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(rows(), "Y|1 B|2 C|3");
    EXPECT_EQ(panel->textView()->toPlainText(), "Y");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(FocusFollowsRowTest, TheRecordEditorsSaveKeepsTheGridOnTheSavedRecord) {
    TablesAndRowsController* c = showSorted("('A', '1'), ('B', '2'), ('C', '3')");
    click(0, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    RecordConsole* record = &partsOf(c).record;
    QLineEdit* line = record->valueField(FieldIndex(1));
    ASSERT_EQ(line->text(), "A");
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, "Z");
    QTest::mouseClick(c->view()->findChild<QPushButton*>("addRowViewSaveButton"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(2));
    EXPECT_EQ(c->view()->findChild<QLabel*>("addRowViewRowNumberLabel")->text(), "Row 3 of 3");
    // The record before it in the order is C.
    QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Up);
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "C");
    EXPECT_EQ(rows(), "Z|1 B|2 C|3");
}
