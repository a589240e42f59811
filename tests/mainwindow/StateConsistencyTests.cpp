// The window state's own check: each way the page or the selection can come apart is named, and
// the states the window passes through on its way (a move waiting for its page, an object
// without fields, an empty table) are not taken for faults.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "mainwindow/TablesAndRowsState.h"
#include "tests/mainwindow/StandaloneGrid.h"

namespace {

// Ten rows of two fields; the page shows rows 2...5 loaded from `first` on.
void loadPage(RowsDataPort& port, TablesAndRowsState& state, int64_t first) {
    state.dataPort.firstRowIndexInDataPort = RowIndex(first);
    // Taken as if its rows were counted: the port itself ends a page at the counted rows.
    const int64_t counted = std::exchange(state.dataPort.totalRows, first + 4);
    port.takePage(std::vector<DBValue>(4 * 3, DBValue("v")));
    state.dataPort.totalRows = counted;
}

void makePaged(RowsDataPort& port, TablesAndRowsState& state) {
    state.dataPort.numberOfFieldsPerRow = 3;
    state.dataPort.totalRows = 10;
    loadPage(port, state, 2);
    state.selection.focusedRowIndex = RowIndex(3);
    state.selection.focusedFieldIndex = FieldIndex(2);
    state.selection.mySelectedRowIndexes = {RowIndex(0), RowIndex(9)};
    state.selection.mySelectedFieldIndexes = {FieldIndex(1), FieldIndex(2)};
    state.selection.mySelectedCells[RowIndex(9)][FieldIndex(2)] = "x";
    state.selection.pasteDestinationCells[RowIndex(5)] = {FieldIndex(1), FieldIndex(2)};
}

struct Case {
    const char* name;
    std::function<void(TablesAndRowsState&, RowsDataPort&)> change;
    const char* fault;  // nullptr: still consistent
};

}  // namespace

TEST(StateConsistency, NamesEachFaultAndAcceptsTheStatesOnTheWay) {
    using S = TablesAndRowsState;
    using P = RowsDataPort;
    const Case cases[] = {
        {"as built", [](S&, P&) {}, nullptr},
        {"a field added under the page", [](S& s, P&) { s.dataPort.numberOfFieldsPerRow = 4; },
         "the page's rows are not the fields per row"},
        {"values without fields",
         [](S& s, P&) {
             s.dataPort.numberOfFieldsPerRow = 0;
             s.selection = {};
         },
         "the page's rows are not the fields per row"},
        {"no fields, nothing loaded, focus on the first field",
         [](S& s, P&) {
             s.dataPort = {};
             s.dataPort.firstFieldIndexInDataPort = kFirstFieldIndex;
             s.selection = {};
             s.selection.focusedFieldIndex = kFirstFieldIndex;
         },
         nullptr},
        {"rows deleted under the page",
         [](S& s, P&) {
             s.dataPort.totalRows = 5;
             s.selection = {};
         },
         "the page reaches past the counted rows"},
        {"the page ends on the last row",
         [](S& s, P& p) {
             loadPage(p, s, 6);
             s.selection.pasteDestinationCells.clear();
         },
         nullptr},
        {"one row further", [](S& s, P& p) { loadPage(p, s, 7); },
         "the page reaches past the counted rows"},
        {"a move waiting for its page holds another page's values",
         [](S& s, P&) {
             s.dataPort.firstRowIndexInDataPort = RowIndex(8);
             s.dataPort.dataPortLoadPending = true;
             s.selection.pasteDestinationCells.clear();
         },
         nullptr},
        {"the page starts at no row",
         [](S& s, P&) { s.dataPort.firstRowIndexInDataPort = RowIndex(); },
         "the page starts at no row"},
        {"focus on the row after the last",
         [](S& s, P&) { s.selection.focusedRowIndex = RowIndex(10); },
         "the focus is past the counted rows"},
        {"focus on the field after the last",
         [](S& s, P&) { s.selection.focusedFieldIndex = FieldIndex(3); },
         "the focus is past the fields"},
        {"no focus", [](S& s, P&) { s.selection.focusedRowIndex = RowIndex(); }, nullptr},
        {"a table emptied keeps a focused row",
         [](S& s, P& p) {
             s.dataPort.totalRows = 0;
             p.clearPage();
             s.dataPort.firstRowIndexInDataPort = RowIndex(0);
             s.selection = {};
             s.selection.focusedRowIndex = RowIndex(0);
         },
         "the focus is past the counted rows"},
        {"a selected row past the table",
         [](S& s, P&) { s.selection.mySelectedRowIndexes.insert(RowIndex(10)); },
         "a selected row is outside the table"},
        {"the rowid selected as a field",
         [](S& s, P&) { s.selection.mySelectedFieldIndexes.insert(kRowidFieldIndex); },
         "a selected field is outside the table"},
        {"a selected field past the fields",
         [](S& s, P&) { s.selection.mySelectedFieldIndexes.insert(FieldIndex(3)); },
         "a selected field is outside the table"},
        {"a selected cell below the table",
         [](S& s, P&) { s.selection.mySelectedCells[RowIndex(10)][FieldIndex(1)] = "x"; },
         "a selected cell is outside the table"},
        {"a selected cell in the rowid column",
         [](S& s, P&) { s.selection.mySelectedCells[RowIndex(0)][kRowidFieldIndex] = "1"; },
         "a selected cell is outside the table"},
        {"a selected cell past the fields, on a row between others",
         [](S& s, P&) { s.selection.mySelectedCells[RowIndex(4)][FieldIndex(3)] = "x"; },
         "a selected cell is outside the table"},
        {"a row of cells emptied",
         [](S& s, P&) { s.selection.mySelectedCells[RowIndex(4)].clear(); }, nullptr},
        {"a paste mark on the page's first row",
         [](S& s, P&) { s.selection.pasteDestinationCells[RowIndex(2)] = {FieldIndex(1)}; },
         nullptr},
        {"a paste mark above the page",
         [](S& s, P&) { s.selection.pasteDestinationCells[RowIndex(1)] = {FieldIndex(1)}; },
         "a paste mark is outside the page"},
        {"a paste mark below the page, inside the table",
         [](S& s, P&) { s.selection.pasteDestinationCells[RowIndex(6)] = {FieldIndex(1)}; },
         "a paste mark is outside the page"},
        {"a paste mark past the fields",
         [](S& s, P&) { s.selection.pasteDestinationCells[RowIndex(3)] = {FieldIndex(3)}; },
         "a paste mark is outside the page"},
    };
    for (const Case& c : cases) {
        testing::NiceMock<StateOnlyWindow> window;
        TablesAndRowsState& state = window.state();
        RowsDataPort port(window);
        makePaged(port, state);
        c.change(state, port);
        const char* fault = state.consistencyFault();
        EXPECT_EQ(std::string(fault ? fault : "none"), std::string(c.fault ? c.fault : "none"))
            << c.name;
    }
}
