#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>

#include "design/PickerTypesWindow.h"
#include "tests/design/PanelTest.h"
#include "tests/support/DropEvents.h"

namespace {

class PickerTypesWindowTest : public PanelTest {
  protected:
    PickerTypesWindow* showWindow() {
        makeRowsTable(1);
        auto* pickers = &partsOf(show("t")).pickerTypes;
        pickers->showPickerTypesWindow();
        return pickers;
    }
    static std::vector<std::string> column(QTableWidget* table, int column = 0) {
        std::vector<std::string> texts;
        for (int row = 0; row < table->rowCount(); ++row)
            texts.push_back(table->item(row, column)->text().toStdString());
        return texts;
    }
    static bool checked(PickerTypesWindow* pickers, int row) {
        auto* box = qobject_cast<QCheckBox*>(pickers->pickerTypesWindowTypesTableView()->cellWidget(
            row, PickerTypesWindow::PTMultipleChoiceTC));
        return box && box->isChecked();
    }
    std::vector<std::string> storedValues(const std::string& type) const {
        return query(
            "select v.name from varnelo_db_picker_values v join varnelo_db_picker_types t on "
            "t.rowid = v.type_id where t.name = '" +
            type + "' order by v.number");
    }
};

TEST_F(PickerTypesWindowTest, PresetsAreListedByNameAndValuesKeepTheirOrder) {
    PickerTypesWindow* pickers = showWindow();
    QTableWidget* types = pickers->pickerTypesWindowTypesTableView();
    QTableWidget* values = pickers->pickerTypesWindowValuesTableView();
    EXPECT_EQ(types->rowCount(), 0);
    EXPECT_FALSE(pickers->pickerTypesWindowAddValueButton()->isEnabled());
    pickers->addPickerValue();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "No picker selected|Select a Picker to add picker values to");

    pickers->addPickerType(PickerTypesWindow::StartedCompleted);
    pickers->addPickerType(PickerTypesWindow::YesNo);
    pickers->addPickerType(PickerTypesWindow::YesNo);
    pickers->addPickerType(PickerTypesWindow::AToF);
    pickers->addPickerType(6);  // no such preset
    // A lower-case name sorts by its letters alone.
    run("insert into varnelo_db_picker_types (name, number) values ('b-grades', 5)");
    pickers->showPickerTypesWindow();
    EXPECT_EQ(column(types), (std::vector<std::string>{"A/B/C/D/F", "b-grades", "Started/Completed",
                                                       "Yes/No", "Yes/No"}));
    EXPECT_EQ(storedValues("Started/Completed"),
              (std::vector<std::string>{"Started", "In Progress", "Completed"}));

    types->selectRow(2);
    EXPECT_TRUE(pickers->pickerTypesWindowAddValueButton()->isEnabled());
    EXPECT_EQ(column(values), (std::vector<std::string>{"Started", "In Progress", "Completed"}));
    pickers->deletePickerValue();
    EXPECT_EQ(alerts.back().both(), "No picker values selected|Select Picker Values to delete");
    EXPECT_EQ(storedValues("Started/Completed").size(), 3u);
    values->selectRow(1);
    pickers->deletePickerValue();  // confirmed by the first button
    EXPECT_EQ(alerts.back().messageText, "Delete selected picker values?");
    EXPECT_EQ(storedValues("Started/Completed"),
              (std::vector<std::string>{"Started", "Completed"}));
    pickers->addPickerValue();
    EXPECT_EQ(column(values),
              (std::vector<std::string>{"Started", "Completed", "New Picker Value"}));
    // Dragging values stores the new order at once; a drop over a value lands on its nearer
    // edge.
    EXPECT_TRUE(dropRows(values, kPickerValuesTableViewDataType, {2}, 0, true));
    EXPECT_EQ(storedValues("Started/Completed"),
              (std::vector<std::string>{"New Picker Value", "Started", "Completed"}));
    EXPECT_EQ(column(values),
              (std::vector<std::string>{"New Picker Value", "Started", "Completed"}));
    pickers->addPickerValue();
    pickers->addPickerValue();
    ASSERT_EQ(storedValues("Started/Completed").size(), 5u);
    EXPECT_TRUE(dropRows(values, kPickerValuesTableViewDataType, {1, 3}, 0));
    EXPECT_EQ(storedValues("Started/Completed"),
              (std::vector<std::string>{"Started", "New Picker Value", "New Picker Value",
                                        "Completed", "New Picker Value"}));
    // A value dragged with the mouse is stored in its new place too.
    values->clearSelection();
    mouseDragRow(values, 3, 0);
    EXPECT_EQ(storedValues("Started/Completed"),
              (std::vector<std::string>{"Completed", "Started", "New Picker Value",
                                        "New Picker Value", "New Picker Value"}));

    // Deleting a type takes its values; the other types stay.
    types->selectRow(0);
    pickers->deletePickerType();
    EXPECT_EQ(alerts.back().messageText, "Delete selected pickers?");
    EXPECT_EQ(column(types),
              (std::vector<std::string>{"b-grades", "Started/Completed", "Yes/No", "Yes/No"}));
    EXPECT_EQ(query("select count(*) from varnelo_db_picker_values where type_id not in (select "
                    "rowid from varnelo_db_picker_types)"),
              (std::vector<std::string>{"0"}));
}

TEST_F(PickerTypesWindowTest, EditsRenameTheEditedRowAndMultipleChoiceAddsTheFlagsColumn) {
    // A file from before picker flags.
    makeRowsTable(1);
    run("create table varnelo_db_picker_types (name text, number integer); create table "
        "varnelo_db_picker_values (type_id integer, name text, number integer); insert into "
        "varnelo_db_picker_types values ('Colours', 1), ('Sizes', 2); insert into "
        "varnelo_db_picker_values values (1, 'red', 1), (1, 'blue', 2), (2, 'S', 1)");
    TablesAndRowsController* c = show("t");
    auto* pickers = &partsOf(c).pickerTypes;
    pickers->showPickerTypesWindow();
    QTableWidget* types = pickers->pickerTypesWindowTypesTableView();
    QTableWidget* values = pickers->pickerTypesWindowValuesTableView();
    ASSERT_EQ(types->rowCount(), 2);
    EXPECT_FALSE(checked(pickers, 0));
    EXPECT_FALSE(checked(pickers, 1));

    pickers->multipleChoiceCheckBoxPressed(1, true);
    EXPECT_EQ(query("select name, flags from varnelo_db_picker_types order by name"),
              (std::vector<std::string>{"Colours", "0", "Sizes", "1"}));
    EXPECT_EQ(c->state().pickerTypes.pickerTypeDictionaries.at("2").flags, "1");

    // The edit ends while another row is selected: the edited row is renamed.
    types->selectRow(0);
    EXPECT_EQ(column(values), (std::vector<std::string>{"red", "blue"}));
    values->selectRow(0);
    values->item(1, 0)->setText("navy");
    QApplication::processEvents();
    EXPECT_EQ(storedValues("Colours"), (std::vector<std::string>{"red", "navy"}));
    types->selectRow(0);
    types->item(1, PickerTypesWindow::PTNameTC)->setText("Apparel sizes");
    QApplication::processEvents();
    EXPECT_EQ(query("select name from varnelo_db_picker_types order by rowid"),
              (std::vector<std::string>{"Colours", "Apparel sizes"}));
    EXPECT_EQ(column(types), (std::vector<std::string>{"Apparel sizes", "Colours"}));
    EXPECT_TRUE(checked(pickers, 0));
}

}  // namespace
