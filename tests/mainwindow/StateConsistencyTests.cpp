// The window state's own check: each way the page or the selection can come apart is named, and
// the states the window passes through on its way (a move waiting for its page, an object
// without fields, an empty table) are not taken for faults.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "mainwindow/TablesAndRowsState.h"

namespace {

// Ten rows of two fields; the page shows rows 2...5.
TablesAndRowsState pagedState() {
    TablesAndRowsState state;
    auto& port = state.dataPort;
    port.numberOfFieldsPerRow = 3;
    port.totalRows = 10;
    port.firstRowIndexInDataPort = RowIndex(2);
    port.fieldValuesLoaded.assign(4 * 3, DBValue("v"));
    state.selection.focusedRowIndex = RowIndex(3);
    state.selection.focusedFieldIndex = FieldIndex(2);
    state.selection.mySelectedRowIndexes = {RowIndex(0), RowIndex(9)};
    state.selection.mySelectedFieldIndexes = {FieldIndex(1), FieldIndex(2)};
    state.selection.mySelectedCells[RowIndex(9)][FieldIndex(2)] = "x";
    state.selection.pasteDestinationCells[RowIndex(5)] = {FieldIndex(1), FieldIndex(2)};
    return state;
}

struct Case {
    const char* name;
    std::function<void(TablesAndRowsState&)> change;
    const char* fault;  // nullptr: still consistent
};

}  // namespace

TEST(StateConsistency, NamesEachFaultAndAcceptsTheStatesOnTheWay) {
    using S = TablesAndRowsState;
    const Case cases[] = {
        {"as built", [](S&) {}, nullptr},
        {"a value short of a row", [](S& s) { s.dataPort.fieldValuesLoaded.pop_back(); },
         "the page is not whole rows of fields"},
        {"values without fields",
         [](S& s) {
             s.dataPort.numberOfFieldsPerRow = 0;
             s.selection = {};
         },
         "the page is not whole rows of fields"},
        {"no fields, nothing loaded, focus on the first field",
         [](S& s) {
             s.dataPort = {};
             s.dataPort.firstFieldIndexInDataPort = kFirstFieldIndex;
             s.selection = {};
             s.selection.focusedFieldIndex = kFirstFieldIndex;
         },
         nullptr},
        {"rows deleted under the page",
         [](S& s) {
             s.dataPort.totalRows = 5;
             s.selection = {};
         },
         "the page reaches past the counted rows"},
        {"the page ends on the last row",
         [](S& s) {
             s.dataPort.firstRowIndexInDataPort = RowIndex(6);
             s.selection.pasteDestinationCells.clear();
         },
         nullptr},
        {"one row further", [](S& s) { s.dataPort.firstRowIndexInDataPort = RowIndex(7); },
         "the page reaches past the counted rows"},
        {"a move waiting for its page holds another page's values",
         [](S& s) {
             s.dataPort.firstRowIndexInDataPort = RowIndex(8);
             s.dataPort.dataPortLoadPending = true;
             s.selection.pasteDestinationCells.clear();
         },
         nullptr},
        {"the page starts at no row", [](S& s) { s.dataPort.firstRowIndexInDataPort = RowIndex(); },
         "the page starts at no row"},
        {"focus on the row after the last",
         [](S& s) { s.selection.focusedRowIndex = RowIndex(10); },
         "the focus is past the counted rows"},
        {"focus on the field after the last",
         [](S& s) { s.selection.focusedFieldIndex = FieldIndex(3); },
         "the focus is past the fields"},
        {"no focus", [](S& s) { s.selection.focusedRowIndex = RowIndex(); }, nullptr},
        {"a table emptied keeps a focused row",
         [](S& s) {
             s.dataPort.totalRows = 0;
             s.dataPort.fieldValuesLoaded.clear();
             s.dataPort.firstRowIndexInDataPort = RowIndex(0);
             s.selection = {};
             s.selection.focusedRowIndex = RowIndex(0);
         },
         "the focus is past the counted rows"},
        {"a selected row past the table",
         [](S& s) { s.selection.mySelectedRowIndexes.insert(RowIndex(10)); },
         "a selected row is outside the table"},
        {"the rowid selected as a field",
         [](S& s) { s.selection.mySelectedFieldIndexes.insert(kRowidFieldIndex); },
         "a selected field is outside the table"},
        {"a selected field past the fields",
         [](S& s) { s.selection.mySelectedFieldIndexes.insert(FieldIndex(3)); },
         "a selected field is outside the table"},
        {"a selected cell below the table",
         [](S& s) { s.selection.mySelectedCells[RowIndex(10)][FieldIndex(1)] = "x"; },
         "a selected cell is outside the table"},
        {"a selected cell in the rowid column",
         [](S& s) { s.selection.mySelectedCells[RowIndex(0)][kRowidFieldIndex] = "1"; },
         "a selected cell is outside the table"},
        {"a selected cell past the fields, on a row between others",
         [](S& s) { s.selection.mySelectedCells[RowIndex(4)][FieldIndex(3)] = "x"; },
         "a selected cell is outside the table"},
        {"a row of cells emptied", [](S& s) { s.selection.mySelectedCells[RowIndex(4)].clear(); },
         nullptr},
        {"a paste mark on the page's first row",
         [](S& s) { s.selection.pasteDestinationCells[RowIndex(2)] = {FieldIndex(1)}; }, nullptr},
        {"a paste mark above the page",
         [](S& s) { s.selection.pasteDestinationCells[RowIndex(1)] = {FieldIndex(1)}; },
         "a paste mark is outside the page"},
        {"a paste mark below the page, inside the table",
         [](S& s) { s.selection.pasteDestinationCells[RowIndex(6)] = {FieldIndex(1)}; },
         "a paste mark is outside the page"},
        {"a paste mark past the fields",
         [](S& s) { s.selection.pasteDestinationCells[RowIndex(3)] = {FieldIndex(3)}; },
         "a paste mark is outside the page"},
    };
    for (const Case& c : cases) {
        TablesAndRowsState state = pagedState();
        c.change(state);
        const char* fault = state.consistencyFault();
        EXPECT_EQ(std::string(fault ? fault : "none"), std::string(c.fault ? c.fault : "none"))
            << c.name;
    }
}
