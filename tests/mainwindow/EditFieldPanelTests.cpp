// The edit-field panel over the grid and as a sheet over the record editor, its editors by field
// type and the expanded-fields panel, checked by a connection of the test's own.
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include <chrono>

#include "Common/DBInterface.h"
#include "Common/DateTexts.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "tests/mainwindow/GridTest.h"
#include "tests/support/LargeImages.h"

class EditFieldPanelTest : public GridTest {
  protected:
    EditFieldPanel* panelOf(TablesAndRowsController* c) { return &partsOf(c).editField; }
    // Focuses the grid cell and opens the panel over it with Control-Return.
    EditFieldPanel* openOn(TablesAndRowsController* c, int row, int column) {
        click(row, column);
        key(Qt::Key_Return, Qt::ControlModifier);
        QApplication::processEvents();
        return panelOf(c);
    }
    void typeInPanel(EditFieldPanel* panel, const QString& text) {
        panel->textView()->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(panel->textView(), Qt::Key_Delete);
        } else {
            QTest::keyClicks(panel->textView(), text);
        }
    }
    std::string panelText(EditFieldPanel* panel) const {
        return panel->textView()->toPlainText().toStdString();
    }
    // Table f of one row with a field of each kind of editor, typed through the field model.
    TablesAndRowsController* showTypedTable() {
        run("create table f (txt text, num number, day text, moment text, code text, size text, "
            "tags text, pick text, raw text);"
            "insert into f values ('a', 1, '', '', 'Green', 'M', 'x', NULL, 'r')");
        TablesAndRowsController* c = showGrid("f");
        auto& model = c->state().fieldModel;
        model.fieldTypes = {DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber,
                            DBInterface::kFieldTypeDate, DBInterface::kFieldTypeTime,
                            DBInterface::kFieldTypeText, DBInterface::kFieldTypeText,
                            DBInterface::kFieldTypeText, 10007,
                            DBInterface::kFieldTypeRaw};
        model.fieldLookupTables = {"", "", "", "", "colors", "sizes", "tags", "", ""};
        model.specialTableTypeDictionary = {{"colors", 1}, {"sizes", 2}, {"tags", 3}};
        model.lookupTableDictionary["colors"] = {{"b", "blue"}, {"A", "amber"}, {"c", "Green"}};
        model.inverseLookupTableDictionary["colors"] = {
            {"blue", "b"}, {"amber", "A"}, {"Green", "c"}};
        model.pickerTableDictionary["sizes"] = {"S", "M", "L"};
        model.pickerTableDictionary["tags"] = {"x", "y", "z"};
        c->state().pickerTypes.pickerTypeDictionaries["7"] = {"colours", "1"};
        c->state().pickerTypes.pickerValues["7"] = {"11", "red", "12", "blue"};
        c->state().display.dateStorageFormat = 2;
        c->state().display.timeStorageFormat = 2;
        return c;
    }
    // Focuses the field of the first row, the port moved to show it, as Go to row does.
    void focusField(TablesAndRowsController* c, int field) {
        rowsOf(c)->navigator().selectStartRowIndex(RowIndex(0), FieldIndex(field), true);
        QApplication::processEvents();
    }
    void save(EditFieldPanel* panel) {
        panel->saveButton()->click();
        QApplication::processEvents();
    }
};

TEST_F(EditFieldPanelTest, SaveWritesTheStorageTextOfEachEditor) {
    TablesAndRowsController* c = showTypedTable();
    EditFieldPanel* panel = openOn(c, 0, 1);
    ASSERT_TRUE(panel->isShown());
    EXPECT_EQ(panel->editFieldPanel()->windowTitle(), "Row 1");
    EXPECT_EQ(panel->fieldNameLabel()->text(), "txt");
    typeInPanel(panel, "hello");
    save(panel);
    EXPECT_EQ(readBack("select txt from f"), "hello");
    EXPECT_EQ(shown(0, 1), "hello");

    // The panel follows the grid's focus.
    key(Qt::Key_Right);
    QApplication::processEvents();
    EXPECT_EQ(panel->fieldNameLabel()->text(), "num");
    typeInPanel(panel, "42.5");
    save(panel);
    EXPECT_EQ(readBack("select num from f"), "42.5");

    // "Today" and "Now" set the pickers, and the text that Save writes follows them.
    focusField(c, 3);
    ASSERT_TRUE(panel->datePicker()->isVisibleTo(panel->editFieldPanel()));
    panel->specialButton()->click();
    Date now =
        std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
    EXPECT_EQ(panelText(panel), DBInterface::stringForDatabaseFromDate(now, 2));
    save(panel);
    EXPECT_EQ(readBack("select day from f"), DBInterface::stringForDatabaseFromDate(now, 2));
    focusField(c, 4);
    EXPECT_EQ(panel->specialButton()->text(), "Now");
    panel->specialButton()->click();
    save(panel);
    std::optional<Date> stored =
        DBInterface::dateFromTimeString(readBack("select moment from f"), true);
    ASSERT_TRUE(stored);
    EXPECT_LT(std::chrono::abs(*stored - now), std::chrono::seconds(5));

    // Lookup: keys sorted ignoring case, the stored value's key preselected, the key stored.
    focusField(c, 5);
    QTableWidget* lookup = panel->lookupTableView();
    ASSERT_EQ(lookup->rowCount(), 3);
    EXPECT_EQ(lookup->item(0, 0)->text(), "A");
    EXPECT_EQ(lookup->item(1, 0)->text(), "b");
    ASSERT_EQ(lookup->selectedItems().size(), 2);
    EXPECT_EQ(lookup->selectedItems()[0]->row(), 2);
    lookup->selectRow(1);
    EXPECT_EQ(panelText(panel), "b");
    save(panel);
    EXPECT_EQ(readBack("select code from f"), "b");

    // Single choice: the stored value preselected, a choice replaces the text.
    focusField(c, 6);
    EXPECT_EQ(panel->pickerPopUp()->itemText(0), "(Other)");
    EXPECT_EQ(panel->pickerPopUp()->currentText(), "M");
    panel->editFieldPanelPickerValueChanged(0);  // "(Other)" changes nothing
    EXPECT_EQ(panelText(panel), "M");
    panel->editFieldPanelPickerValueChanged(3);
    save(panel);
    EXPECT_EQ(readBack("select size from f"), "L");

    // Multiple choice: choices accumulate.
    focusField(c, 7);
    EXPECT_EQ(panel->pickerPopUp()->itemText(0), "(Multiple Choice)");
    panel->editFieldPanelPickerValueChanged(2);
    panel->editFieldPanelPickerValueChanged(3);
    save(panel);
    EXPECT_EQ(readBack("select tags from f"), "x,y,z");

    // A picker field of a multiple-choice type: items carry the values' rowids.
    focusField(c, 8);
    ASSERT_EQ(panel->pickerPopUp()->count(), 3);
    EXPECT_EQ(panel->pickerPopUp()->itemData(2).toInt(), 12);
    panel->editFieldPanelPickerValueChanged(2);
    panel->editFieldPanelPickerValueChanged(1);
    save(panel);
    EXPECT_EQ(readBack("select pick from f"), "blue,red");

    // Raw: read only, Save disabled.
    focusField(c, 9);
    EXPECT_EQ(panel->fieldNameLabel()->text(), "raw");
    EXPECT_TRUE(panel->textView()->isReadOnly());
    EXPECT_FALSE(panel->saveButton()->isEnabled());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditFieldPanelTest, SaveWritesOnlyChangesToTheRowItWasOpenedFor) {
    makeRowsTable(12);
    logUpdates();
    TablesAndRowsController* c = showGrid("t");
    // Row 10's amount is NULL: shown as empty text, and an untouched Save leaves it NULL.
    EditFieldPanel* panel = openOn(c, 9, 2);
    EXPECT_EQ(panelText(panel), "");
    save(panel);
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    EXPECT_EQ(readBack("select amount from t where rowid = 10"), "<null>");
    // An empty text typed over a value writes '', never NULL.
    click(0, 2);
    QApplication::processEvents();
    typeInPanel(panel, "");
    save(panel);
    EXPECT_EQ(readBack("select quote(amount) from t where rowid = 1"), "''");

    // The focus moves and the page reloads before Save: the text still goes to row 2.
    click(1, 1);
    QApplication::processEvents();
    typeInPanel(panel, "kept");
    c->state().selection.focusedRowIndex = RowIndex(5);
    rowsOf(c)->reloadRowsKeepingPort();
    save(panel);
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "kept");
    EXPECT_EQ(readBack("select name from t where rowid = 6"), "name 6");

    // A failed write shows "Error" and leaves the text as typed.
    run("create trigger no_long before update on t when length(new.name) > 8 "
        "begin select raise(abort, 'too long'); end");
    click(2, 1);
    QApplication::processEvents();
    typeInPanel(panel, "much too long");
    save(panel);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_EQ(panelText(panel), "much too long");
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "name 3");
}

TEST_F(EditFieldPanelTest, ANewIntegerPrimaryKeyTakesLaterSavesToTheMovedRow) {
    run("create table k (id integer primary key, name text); insert into k values (3, 'c')");
    TablesAndRowsController* c = showGrid("k");
    EditFieldPanel* panel = openOn(c, 0, 1);
    typeInPanel(panel, "7");
    save(panel);
    // Saved again in the panel, then from the next field of the same row.
    typeInPanel(panel, "8");
    save(panel);
    click(0, 2);
    QApplication::processEvents();
    typeInPanel(panel, "moved");
    save(panel);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(readBack("select id || ' ' || name from k"), "8 moved");
}

TEST_F(EditFieldPanelTest, TextTypedInThePanelOutlivesReloadsOfTheGrid) {
    makeRowsTable(12);
    TablesAndRowsController* c = showGrid("t");
    EditFieldPanel* panel = openOn(c, 2, 1);
    ASSERT_EQ(panelText(panel), "name 3");
    typeInPanel(panel, "typed");
    // The page reloads and the window is resized (its grid lays out for the new size).
    rowsOf(c)->reloadRowsKeepingPort();
    QApplication::processEvents();
    EXPECT_EQ(panelText(panel), "typed");
    grid->window()->resize(950, 520);
    QTest::qWait(kSettleWaitMs);
    EXPECT_EQ(panelText(panel), "typed");
    save(panel);
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "typed");
    // Untouched text follows the value, and the focus moved elsewhere takes that cell's.
    run("update t set name = 'elsewhere' where rowid = 3");
    rowsOf(c)->reloadRowsKeepingPort();
    QApplication::processEvents();
    EXPECT_EQ(panelText(panel), "elsewhere");
    typeInPanel(panel, "dropped");
    click(3, 1);
    QApplication::processEvents();
    EXPECT_EQ(panelText(panel), "name 4");
}

TEST_F(EditFieldPanelTest, SheetChangesOnlyTheRecordBufferAndTheRelaysReachTheirConsoles) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    // With Shift it opens nothing: a Shift double click does nothing whatever else is held.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier,
                       cellPoint(3, 1));
    QApplication::processEvents();
    EXPECT_FALSE(panelOf(c)->isShown());
    EXPECT_EQ(editor(), nullptr);
    // Control-double-click focuses the cell alone and opens the panel on it.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cellPoint(3, 1));
    QApplication::processEvents();
    EditFieldPanel* panel = panelOf(c);
    ASSERT_TRUE(panel->isShown());
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(3));
    EXPECT_EQ(panelText(panel), "name 4");
    // Alt-double-click opens the record editor on the row, closing the floating panel.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::AltModifier, cellPoint(5, 1));
    QApplication::processEvents();
    ASSERT_EQ(c->selectedConsole(), TablesAndRowsState::RecordConsole);
    EXPECT_FALSE(panel->isShown());
    auto* record = &partsOf(c).record;
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "name 6");

    // A focus moved by the grid while the record editor is shown reaches it.
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(8), FieldIndex(1), false);
    QApplication::processEvents();
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "name 9");

    // The detail button opens the sheet; Done changes the buffer only.
    c->view()->findChild<QToolButton*>("addRowViewDetail1")->click();
    ASSERT_TRUE(panel->isShown());
    EXPECT_TRUE(panel->isSheet());
    EXPECT_EQ(panel->editFieldPanel()->windowTitle(), "name");
    EXPECT_EQ(panel->saveButton()->text(), "Done");
    typeInPanel(panel, "changed");
    panel->saveButton()->click();
    EXPECT_FALSE(panel->isShown());
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "changed");
    EXPECT_EQ(record->statusLabel()->text(), "Not saved");
    EXPECT_EQ(readBack("select name from t where rowid = 9"), "name 9");
    // Cancel leaves the buffer as it was.
    c->view()->findChild<QToolButton*>("addRowViewDetail1")->click();
    typeInPanel(panel, "other");
    panel->cancelButton()->click();
    EXPECT_EQ(record->valueField(FieldIndex(1))->text(), "changed");

    // The print console follows the grid's focus.
    c->selectConsole(TablesAndRowsState::PrintConsole);
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(14), FieldIndex(1), false);
    QApplication::processEvents();
    EXPECT_EQ(c->view()->findChild<QLabel*>("printViewRowNumberLabel")->text(), "Row 15 of 20");
}

TEST_F(EditFieldPanelTest, PanelClearsWithoutRowsAndExpandedFieldsJoinTheFocusedValues) {
    makeRowsTable(12);
    run("create table e (a text)");
    TablesAndRowsController* c = showGrid("t");
    EditFieldPanel* panel = openOn(c, 0, 1);
    ASSERT_TRUE(panel->isShown());
    c->selectTableWithName("e");
    QApplication::processEvents();
    EXPECT_TRUE(panel->editFieldPanel()->windowTitle().isEmpty());
    EXPECT_TRUE(panel->fieldNameLabel()->text().isEmpty());
    EXPECT_EQ(panelText(panel), "");
    EXPECT_FALSE(panel->saveButton()->isEnabled());

    c->selectTableWithName("t");
    QApplication::processEvents();
    auto& state = c->state();
    EXPECT_EQ(expandedFieldsText(state, true), "");
    state.fieldModel.expandedFieldIndexes.insert(FieldPosition(0));
    state.fieldModel.expandedFieldIndexes.insert(FieldPosition(1));
    state.display.showNULLInRowsView = false;
    state.display.displayStringForNULLValue = "NULL";
    state.display.formatDataInRowsConsole = false;
    state.selection.focusedRowIndex = RowIndex(9);
    EXPECT_EQ(expandedFieldsText(state, true), "name 10\n\nNULL");
    state.selection.focusedRowIndex = RowIndex(1);
    EXPECT_EQ(expandedFieldsText(state, true), "name 2\n\n3");
    EXPECT_EQ(expandedFieldsText(state, false), "");
    // The panel shows the same text and follows the focus.
    ExpandedFieldsPanel* expanded = &partsOf(c).expandedFields;
    expanded->showExpandedFieldsPanel(true);
    EXPECT_EQ(expanded->expandedFieldsPanelTextView()->toPlainText(), "name 2\n\n3");
    click(3, 1);
    QApplication::processEvents();
    EXPECT_EQ(expanded->expandedFieldsPanelTextView()->toPlainText(), "name 4\n\n6");
}

TEST_F(EditFieldPanelTest, TheActionMenuChecksTheItemLastChosen) {
    makeRowsTable(3);
    TablesAndRowsController* c = showGrid("t");
    EditFieldPanel* panel = openOn(c, 0, 1);
    QMenu* menu = panel->actionMenuButton()->menu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 2);
    // Opens the menu and reads its check marks, text item first.
    auto openedChecks = [&] {
        menu->popup(panel->actionMenuButton()->mapToGlobal(QPoint(0, 0)));
        QApplication::processEvents();
        return std::pair(menu->actions()[0]->isChecked(), menu->actions()[1]->isChecked());
    };
    EXPECT_EQ(openedChecks(), std::pair(true, false));
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                      menu->actionGeometry(menu->actions()[1]).center());
    EXPECT_TRUE(panel->isEditFieldPanelHex());
    EXPECT_EQ(openedChecks(), std::pair(false, true));
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                      menu->actionGeometry(menu->actions()[0]).center());
    EXPECT_FALSE(panel->isEditFieldPanelHex());
    EXPECT_EQ(openedChecks(), std::pair(true, false));
    menu->hide();
    // The choice changes nothing else: the text is the stored value.
    EXPECT_EQ(panelText(panel), "name 1");
}

TEST_F(EditFieldPanelTest, ControlEGivesThePanelsTextTheKeyboardOverTheGridAndTheRecordEditor) {
    makeRowsTable(3);
    TablesAndRowsController* c = showGrid("t");
    EditFieldPanel* panel = panelOf(c);
    // Typed where the window system sends the keys: to the focus of the window in front.
    auto typeInFront = [](const QString& text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        QApplication::processEvents();
    };
    click(1, 1);
    key(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(panel->isShown());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QApplication::activeWindow() == panel->editFieldPanel(); }));
    typeInFront("Z");
    EXPECT_EQ(panelText(panel), "Zname 2");
    panel->closeEditFieldPanel();

    // The sheet over the record editor.
    key(Qt::Key_Return, Qt::AltModifier);
    QLineEdit* name = partsOf(c).record.valueField(FieldIndex(1));
    QTest::keyClick(name, Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(panel->isShown());
    ASSERT_TRUE(panel->isSheet());
    typeInFront("Y");
    EXPECT_EQ(panelText(panel), "Yname 2");
    panel->cancelButton()->click();
}

// A Photo field's picture is read at the size the panel shows it: a 45-megapixel photo, past
// what Qt reads whole, is shown.
TEST_F(EditFieldPanelTest, APhotoFieldShowsAPhotoOfFortyFiveMegapixels) {
    ASSERT_TRUE(writeLargeJpeg(pathInDocuments("big.jpg"), 8256, 5504));
    run("create table p (photo text); insert into p values ('big.jpg')");
    TablesAndRowsController* c = showGrid("p");
    c->state().fieldModel.fieldTypes = {DBInterface::kFieldTypePhoto};
    EditFieldPanel* panel = openOn(c, 0, 1);
    ASSERT_TRUE(panel->isShown());
    const QLabel* picture = panel->photoImageView();
    ASSERT_TRUE(picture->isVisible());
    const QPixmap shown = picture->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_LE(shown.width(), picture->width());
    EXPECT_GT(qRed(shown.toImage().pixel(1, shown.height() / 2)), 200);
    EXPECT_GT(qBlue(shown.toImage().pixel(shown.width() - 2, shown.height() / 2)), 200);
}
