// The row commands' enabling and the grid's clipboard rules over consoles, object kinds and
// statuses, focus and selection.
#include <gtest/gtest.h>

#include "Common/GridQuery.h"
#include "mainwindow/MenuValidation.h"
#include "mainwindow/TablesAndRowsState.h"

namespace {

using R = MenuResponder;

// A table of 10 rows, editable, shown in the grid, which has the focus and a focused cell.
MenuWindowState editableTableInGrid() {
    MenuWindowState s;
    s.console = TablesAndRowsState::RowsConsole;
    s.oneObjectSelected = true;
    s.tableType = 0;
    s.selectedObjectType = 0;
    s.selectedObjectStatus = DBInterface::kObjectEditable;
    s.totalRows = 10;
    s.responder = R::RowsGrid;
    s.somethingFocused = true;
    return s;
}

template <typename Change>
MenuWindowState with(Change change) {
    MenuWindowState s = editableTableInGrid();
    change(s);
    return s;
}

// The seven predicates, in a fixed order, as a string of 0 and 1.
std::string predicates(const MenuWindowState& s) {
    bool answers[] = {shouldEnableSetToNULLMenuItem(s),    shouldEnableEditFieldInPanelMenuItem(s),
                      shouldEnableGoToRowMenuItem(s),      shouldEnableDeselectAllMenuItem(s),
                      shouldEnableAddBlankRowsMenuItem(s), shouldEnableDeleteAllRowsMenuItem(s),
                      shouldEnableClearReplaceMenuItem(s)};
    std::string text;
    for (bool answer : answers) text += answer ? '1' : '0';
    return text;
}

}  // namespace

TEST(MenuValidationTest, RowCommandsFollowConsoleObjectFocusAndSelection) {
    struct Case {
        const char* name;
        MenuWindowState state;
        // setToNULL, editFieldInPanel, goToRow, deselectAll, addBlankRows, deleteAllRows,
        // clearReplace
        const char* expected;
    };
    const Case cases[] = {
        {"editable table, grid focused", editableTableInGrid(), "1110111"},
        {"something selected too", with([](auto& s) { s.somethingSelected = true; }), "1111111"},
        {"tables list has the focus", with([](auto& s) { s.responder = R::TablesList; }),
         "0010110"},
        {"another view has the focus", with([](auto& s) { s.responder = R::Other; }), "0010000"},
        {"nothing focused", with([](auto& s) { s.somethingFocused = false; }), "0010110"},
        {"selected, not focused", with([](auto& s) {
             s.somethingFocused = false;
             s.somethingSelected = true;
         }),
         "0011111"},
        {"no rows", with([](auto& s) { s.totalRows = 0; }), "0000101"},
        {"view sorted on a unique key (status 2)", with([](auto& s) {
             s.tableType = s.selectedObjectType = 1;
             s.selectedObjectStatus = DBInterface::kObjectReadOnlyPaged;
         }),
         "0110000"},
        {"limited table (status 3)",
         with([](auto& s) { s.selectedObjectStatus = DBInterface::kObjectLimited; }), "0110100"},
        {"several objects selected", with([](auto& s) { s.oneObjectSelected = false; }), "0010000"},
        {"record editor, editable table",
         with([](auto& s) { s.console = TablesAndRowsState::RecordConsole; }), "1100000"},
        {"record editor, limited table", with([](auto& s) {
             s.console = TablesAndRowsState::RecordConsole;
             s.selectedObjectStatus = DBInterface::kObjectLimited;
         }),
         "1100000"},
        {"record editor, limited view", with([](auto& s) {
             s.console = TablesAndRowsState::RecordConsole;
             s.tableType = 1;
             s.selectedObjectStatus = DBInterface::kObjectLimited;
         }),
         "0000000"},
        {"SQL console", with([](auto& s) { s.console = TablesAndRowsState::SQLConsole; }),
         "0000000"},
        {"print console", with([](auto& s) { s.console = TablesAndRowsState::PrintConsole; }),
         "0000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(predicates(c.state), c.expected) << c.name;
}

TEST(MenuValidationTest, GridClipboardCommandsFollowObjectKindStatusAndSelection) {
    struct Case {
        const char* name;
        MenuWindowState state;
        const char* expected;  // cut, copy, paste, delete, other
    };
    auto answers = [](const MenuWindowState& s) {
        std::string text;
        for (GridCommand command : {GridCommand::Cut, GridCommand::Copy, GridCommand::Paste,
                                    GridCommand::Delete, GridCommand::Other}) {
            text += rowsTableViewValidateMenuItem(s, command) ? '1' : '0';
        }
        return text;
    };
    const Case cases[] = {
        {"editable table, a focused cell", editableTableInGrid(), "11101"},
        {"whole rows selected", with([](auto& s) { s.rowsSelected = s.somethingSelected = true; }),
         "11111"},
        {"cells selected, nothing focused", with([](auto& s) {
             s.somethingFocused = false;
             s.somethingSelected = true;
         }),
         "11001"},
        {"view of status 2, rows selected", with([](auto& s) {
             s.selectedObjectType = s.tableType = 1;
             s.selectedObjectStatus = DBInterface::kObjectReadOnlyPaged;
             s.rowsSelected = s.somethingSelected = true;
         }),
         "01001"},
        {"limited table, rows selected", with([](auto& s) {
             s.selectedObjectStatus = DBInterface::kObjectLimited;
             s.rowsSelected = s.somethingSelected = true;
         }),
         "01001"},
        {"an index", with([](auto& s) { s.selectedObjectType = 2; }), "00001"},
        {"record editor", with([](auto& s) { s.console = TablesAndRowsState::RecordConsole; }),
         "00001"},
        {"nothing focused or selected", with([](auto& s) { s.somethingFocused = false; }), "00001"},
    };
    for (const Case& c : cases) EXPECT_EQ(answers(c.state), c.expected) << c.name;
}
