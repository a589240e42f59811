// The commands on the grid's selection through the window's menus and keys, while another
// window or another program changes the file between the selection and the command: each acts
// on exactly the rows the user selected or refuses, and no other row of the file changes.
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

#include <functional>
#include <map>
#include <set>

#include "app/WindowParts.h"
#include "design/DuplicateTablesSheet.h"
#include "mainwindow/rows/CellCommands.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/GridSelectionResolver.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Pasteboard.h"
#include "tests/app/MenuGridTest.h"
#include "tests/support/OtherProgram.h"

namespace {

constexpr char kCopyRefused[] =
    "Rows Changed|The rows of the table changed since they were selected, so nothing was copied. "
    "Select the rows again.";
constexpr char kWriteRefused[] =
    "Rows Changed|The rows of the table changed since they were selected, so nothing was "
    "changed. Select the rows again.";

enum class Command { Copy, CopyForExport, Cut, DeleteRows, Clear, SetToNULL, Replace };
enum class Change { OtherWindowDeletesAbove, InsertSortsAbove, Vacuum, MadeAgain };
enum class Selected { OnThePage, ScrolledAway, PastThePage };

const char* nameOf(Command command) {
    static const char* names[] = {"Copy",  "CopyForExport", "Cut",    "DeleteRows",
                                  "Clear", "SetToNULL",     "Replace"};
    return names[static_cast<int>(command)];
}

// Numbers 1...n as a table "value", for another program's SQLite, which has no generate_series.
std::string numbersTo(int n) {
    return "(with recursive n(value) as (select 1 union all select value + 1 from n where value "
           "< " +
           std::to_string(n) + ") select value from n)";
}

bool isCopy(Command command) {
    return command == Command::Copy || command == Command::CopyForExport;
}

}  // namespace

class SelectionCommandsTest : public MenuGridTest {
  protected:
    void TearDown() override {
        GridSelectionResolver::setAlwaysCheckedForTesting(false);
        MenuGridTest::TearDown();
    }
    // Another program runs the SQL and ends.
    void otherProgram(const std::string& sql) {
        OtherProgram other({"hold", db, sql});
        ASSERT_EQ(other.told(), "held");
        other.end();
    }
    // The rows of the table, in rowid order, as text.
    std::string dump(const std::string& table) const {
        return readBack(
            "select group_concat(rowid || ':' || quote(a) || ':' || quote(b), ' ') "
            "from (select rowid, a, b from " +
            table + " order by rowid)");
    }
    std::string lastAlert() const { return alerts.empty() ? "none" : alerts.back().both(); }
    std::string clipboard() const { return QGuiApplication::clipboard()->text().toStdString(); }
    void scrollDown(int steps) {
        for (int i = 0; i < steps; ++i) wheel(QPoint(0, -120));
        QTest::qWait(50);
    }
    void runCommand(TablesAndRowsController* c, Command command) {
        switch (command) {
            case Command::Copy:
                pick("copy");
                break;
            case Command::CopyForExport:
                pick("copyForExportMenuItemClicked");
                break;
            case Command::Cut:
                pick("cut");
                break;
            case Command::DeleteRows:
                pick("delete");
                break;
            case Command::Clear:
                pick("clearMenuItemClicked");
                break;
            case Command::SetToNULL:
                pick("setToNULLMenuItemClicked");
                break;
            case Command::Replace:
                rowsOf(c)->cellCommands().replaceButtonPressed("R");
                break;
        }
        QTest::qWait(50);
    }
    // The table as the command leaves it when it acts on exactly the rows named in `selected`.
    static std::string expectedAfter(Command command, const std::string& before,
                                     const std::set<std::string>& selected) {
        std::string result;
        size_t at = 0;
        while (at < before.size()) {
            size_t end = before.find(' ', at);
            if (end == std::string::npos) end = before.size();
            std::string row = before.substr(at, end - at);
            at = end + 1;
            const size_t first = row.find(':'), second = row.find(':', first + 1);
            const std::string rowid = row.substr(0, first);
            const std::string a = row.substr(first + 2, second - first - 3);
            if (selected.count(a)) {
                if (command == Command::DeleteRows) continue;
                if (command == Command::Cut || command == Command::Clear) {
                    row = rowid + ":'':''";
                } else if (command == Command::SetToNULL) {
                    row = rowid + ":NULL:NULL";
                } else if (command == Command::Replace) {
                    row = rowid + ":'R':'R'";
                }
            }
            result += (result.empty() ? "" : " ") + row;
        }
        return result;
    }
};

class EveryCommandOnTheSelection : public SelectionCommandsTest,
                                   public ::testing::WithParamInterface<Command> {};

TEST_P(EveryCommandOnTheSelection, ActsOnTheRowsSelectedOrRefusesWhateverChangedMeanwhile) {
    const Command command = GetParam();
    const std::vector<Change> changes = {Change::OtherWindowDeletesAbove, Change::InsertSortsAbove,
                                         Change::Vacuum, Change::MadeAgain};
    const std::vector<Selected> selections = {Selected::OnThePage, Selected::ScrolledAway,
                                              Selected::PastThePage};
    int n = 0;
    for (Change change : changes) {
        for (Selected selected : selections) {
            SCOPED_TRACE(std::string(nameOf(command)) + " change " +
                         std::to_string(static_cast<int>(change)) + " selection " +
                         std::to_string(static_cast<int>(selected)));
            // No INTEGER PRIMARY KEY, and rowids a vacuum renumbers: s3...s6 are gone.
            const std::string table = "s" + std::to_string(++n);
            run("create table " + table + " (a text, b integer); insert into " + table +
                " select 's' || value, value from generate_series(1, 300); delete from " + table +
                " where rowid between 3 and 6");
            TablesAndRowsController* c = showMain(table);
            ASSERT_EQ(shown(5, 1), "s10");
            // Row numbers of s10...s12, then perhaps a scroll and a Shift-click past the page.
            click(5, 0);
            click(7, 0, Qt::ShiftModifier);
            ASSERT_EQ(c->state().selection.mySelectedRowIndexes.size(), 3u);
            std::set<std::string> expected = {"s10", "s11", "s12"};
            if (selected != Selected::OnThePage) {
                scrollDown(15);
                ASSERT_GT(c->state().dataPort.firstRowIndexInDataPort.value, 10);
            }
            if (selected == Selected::PastThePage) {
                click(3, 0, Qt::ShiftModifier);
                // Rows the page never showed while they were selected are held by place alone.
                const auto& selection = c->state().selection;
                ASSERT_GT(selection.mySelectedRowIndexes.size(),
                          selection.shownSelectedRows.size());
            }
            switch (change) {
                case Change::OtherWindowDeletesAbove: {
                    TablesAndRowsWindow* window = app->showDatabase(
                        db, 1, false, std::nullopt, TablesAndRowsState::RowsConsole);
                    window->show();
                    TablesAndRowsController* other = app->tablesAndRowsControllerForWindowIndex(1);
                    other->selectTableWithName(table);
                    QApplication::processEvents();
                    rowsOf(other)->selection().selectMyRowIndex(RowIndex(1), false);
                    rowsOf(other)->cellCommands().rowsTableViewDelete();
                    ASSERT_EQ(readBack("select count(*) from " + table + " where a = 's2'"), "0");
                    makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
                    grid->setFocus();
                    QApplication::processEvents();
                    break;
                }
                case Change::InsertSortsAbove:
                    otherProgram("insert into " + table + " (rowid, a, b) values (0, 'NEWTOP', 0)");
                    break;
                case Change::Vacuum:
                    otherProgram("vacuum");
                    ASSERT_EQ(readBack("select a from " + table + " where rowid = 10"), "s14");
                    break;
                case Change::MadeAgain:
                    otherProgram("drop table " + table + "; create table " + table +
                                 " (a text, b integer); insert into " + table +
                                 " select 'n' || value, value from " + numbersTo(300));
                    break;
            }
            const bool acts =
                selected != Selected::PastThePage &&
                (change == Change::OtherWindowDeletesAbove || change == Change::InsertSortsAbove);
            const std::string before = dump(table);
            QGuiApplication::clipboard()->setText("before");
            alerts.clear();
            runCommand(c, command);
            if (!acts) {
                EXPECT_EQ(lastAlert(), isCopy(command) || command == Command::Cut ? kCopyRefused
                                                                                  : kWriteRefused);
                EXPECT_EQ(dump(table), before);
                EXPECT_EQ(clipboard(), "before");
                EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
                continue;
            }
            if (isCopy(command) || command == Command::Cut) {
                EXPECT_EQ(clipboard(), "s10\t10\ns11\t11\ns12\t12");
            } else {
                EXPECT_EQ(clipboard(), "before");
            }
            EXPECT_EQ(dump(table),
                      isCopy(command) ? before : expectedAfter(command, before, expected));
            // Asked first where the command asks, told nothing after.
            const bool asks = !isCopy(command) && command != Command::Replace;
            EXPECT_EQ(alerts.size(), asks ? 1u : 0u) << lastAlert();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryCommandOnTheSelection,
                         ::testing::Values(Command::Copy, Command::CopyForExport, Command::Cut,
                                           Command::DeleteRows, Command::Clear, Command::SetToNULL,
                                           Command::Replace),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

TEST_F(SelectionCommandsTest, CutOfCellsScrolledAwayClearsExactlyTheValuesOnTheClipboard) {
    run("create table s (a text, b integer); insert into s select 's' || value, value from "
        "generate_series(1, 200)");
    TablesAndRowsController* c = showMain("s");
    ASSERT_EQ(shown(9, 1), "s10");
    // Cells a of s10...s12.
    click(9, 1);
    click(11, 1, Qt::ShiftModifier);
    ASSERT_EQ(c->state().selection.mySelectedCells.size(), 3u);
    otherProgram("delete from s where a = 's2'");
    scrollDown(15);
    ASSERT_GT(c->state().dataPort.firstRowIndexInDataPort.value, 12);
    const std::string before = dump("s");
    alerts.clear();
    pick("cut");
    QTest::qWait(50);
    // The focused cell the scroll moved to, and the three selected, each cleared in its own row.
    const std::string copied = clipboard();
    ASSERT_EQ(copied.rfind("s10\ns11\ns12\n", 0), 0u) << copied;
    const std::string focused = copied.substr(std::string("s10\ns11\ns12\n").size());
    EXPECT_EQ(readBack("select count(*) from s where a = ''"), "4");
    EXPECT_EQ(readBack("select group_concat(b, ',') from s where a = ''"),
              "10,11,12," + focused.substr(1));
    EXPECT_EQ(readBack("select a from s where b = 13"), "s13");
}

TEST_F(SelectionCommandsTest, ALongValueOfAViewIsCopiedOnlyWhileItsRowStandsWhereItWasShown) {
    run("create table big (k integer primary key, v text); insert into big select value, "
        "'START' || value || ' ' || printf('%.*c', 5000, 'x') from generate_series(1, 20); "
        "create view w as select k, v from big");
    // A view sorted on its unique key is paged.
    std::string error;
    ASSERT_EQ(DBInterface::updateSortCodes({1}, "w", db, &error), 0) << error;
    ASSERT_EQ(DBInterface::updateSystemTable("w", DBInterface::kTableFlagSortedOnUniqueKey, true,
                                             db, &error),
              0)
        << error;
    TablesAndRowsController* c = showMain("w");
    ASSERT_EQ(shown(5, 2).left(6), "START6");
    click(5, 2);
    // Unchanged: the whole value.
    pick("copy");
    EXPECT_EQ(clipboard().substr(0, 7), "START6 ");
    EXPECT_EQ(clipboard().size(), 5007u);
    otherProgram("delete from big where k = 2");
    QGuiApplication::clipboard()->setText("before");
    alerts.clear();
    pick("copy");
    // Paged by key, the view's rows move up: the copy refuses rather than take START7.
    ASSERT_EQ(c->state().selectedObject.selectedObjectStatus, DBInterface::kObjectReadOnlyPaged);
    EXPECT_EQ(clipboard(), "before");
    EXPECT_EQ(lastAlert(), kCopyRefused);
}

TEST_F(SelectionCommandsTest, RowsHeldByRowidStaySelectedAfterTheWindowsOwnWriteMovesThem) {
    run("create table s (a text, b integer); insert into s select 's' || value, value from "
        "generate_series(1, 30)");
    std::string error;
    // Sorted on a descending: the rows cleared go to the end.
    ASSERT_EQ(DBInterface::updateSortCodes({2}, "s", db, &error), 0) << error;
    TablesAndRowsController* c = showMain("s");
    ASSERT_EQ(shown(0, 1), "s9");
    click(1, 0);                     // s8
    click(2, 0, Qt::ShiftModifier);  // s7
    // Replace puts "~" first in the descending order.
    rowsOf(c)->cellCommands().replaceButtonPressed("~");
    QTest::qWait(50);
    const auto& selection = c->state().selection;
    ASSERT_EQ(selection.mySelectedRowIndexes.size(), 2u);
    std::set<std::string> rowids;
    for (RowIndex row : selection.mySelectedRowIndexes) {
        rowids.insert(c->state().dataPort.page.rowid(row)->value_or(""));
    }
    EXPECT_EQ(rowids, (std::set<std::string>{"7", "8"}));
    // And the next command acts on them.
    alerts.clear();
    pick("delete");
    QTest::qWait(50);
    EXPECT_EQ(readBack("select count(*) from s where rowid in (7, 8)"), "0");
    EXPECT_EQ(readBack("select count(*) from s"), "28");
}

TEST_F(SelectionCommandsTest, WholeTableCommandsRefuseATableMadeAgainUntilItIsShownAgain) {
    run("create table t (a text, b integer); insert into t select 'row' || value, value from "
        "generate_series(1, 20)");
    TablesAndRowsController* c = showMain("t");
    otherProgram(
        "alter table t rename to t_old; create table t (a text, b integer); insert into "
        "t select 'new' || value, value from " +
        numbersTo(500));
    const std::string madeAgain =
        "Error|The table \"t\" was made again since it was shown, so nothing was changed. Reload "
        "the table to see its rows.";
    alerts.clear();
    pick("deleteAllRowsMenuItemClicked");
    QTest::qWait(50);
    EXPECT_EQ(lastAlert(), madeAgain);
    EXPECT_EQ(readBack("select count(*) from t"), "500");
    EXPECT_EQ(readBack("select count(*) from t_old"), "20");

    // Whole fields: Set to NULL and Cut refuse alike, the clipboard kept.
    rowsOf(c)->selection().selectAllFields();
    alerts.clear();
    pick("setToNULLMenuItemClicked");
    EXPECT_EQ(lastAlert(), madeAgain);
    QGuiApplication::clipboard()->setText("before");
    alerts.clear();
    pick("cut");
    EXPECT_EQ(lastAlert(), madeAgain);
    EXPECT_EQ(clipboard(), "before");
    EXPECT_EQ(readBack("select count(*) from t where a is null or a = ''"), "0");

    // Shown again, the table is taken as it now is.
    c->reloadSelectedDatabaseObject();
    QApplication::processEvents();
    rowsOf(c)->selection().selectAllFields();
    alerts.clear();
    pick("setToNULLMenuItemClicked");
    EXPECT_EQ(readBack("select count(*) from t where a is null"), "500");

    // A vacuum moves root pages: refused once, then taken after a reload.
    run("create table u (a text); insert into u values ('u'); drop table t_old");
    otherProgram("vacuum");
    alerts.clear();
    pick("deleteAllRowsMenuItemClicked");
    EXPECT_EQ(lastAlert(), madeAgain);
    c->reloadSelectedDatabaseObject();
    QApplication::processEvents();
    alerts.clear();
    pick("deleteAllRowsMenuItemClicked");
    EXPECT_EQ(readBack("select count(*) from t"), "0");

    // Duplicate Table of a table dropped elsewhere says so.
    otherProgram("drop table t");
    alerts.clear();
    partsOf(c).duplicateTables.duplicateSelectedTablesNowIncludeIndexes(true, true);
    EXPECT_EQ(lastAlert(), "Error|The table \"t\" no longer exists.");
}

// The fast path (the file unchanged: places read as they stand) against the checked one (rows
// read again by rowid and compared) over hostile values: both take the same rows and values.
TEST_F(SelectionCommandsTest, PlacesReadAsTheyStandGiveWhatTheCheckedReadGives) {
    run("create table h (a text, b blob, c); insert into h values "
        "(NULL, x'00ff10', 1.5), ('it''s \"q\"', NULL, -9223372036854775808), "
        "('ünï\tcödé\n', x'', 'x'), (printf('%.*c', 9000, 'L'), zeroblob(5000), NULL), "
        "('', 'text in blob', 1e308); insert into h (rowid, a) values (-5, 'negative'), "
        "(9223372036854775807, 'largest')");
    TablesAndRowsController* c = showMain("h");
    const int64_t rows = c->state().dataPort.totalRows;
    ASSERT_EQ(rows, 7);
    auto resolveAll = [&](bool checked, GridSelectionResolver::Purpose purpose) {
        GridSelectionResolver::setAlwaysCheckedForTesting(checked);
        auto resolved =
            GridSelectionResolver(*rowsOf(c), *c).resolve(purpose, CellCommands::kBulkRowLimit);
        GridSelectionResolver::setAlwaysCheckedForTesting(false);
        std::vector<std::pair<std::string, std::vector<std::pair<int64_t, DBValue>>>> taken;
        if (!resolved) return taken;
        for (const auto& row : resolved->rows) {
            std::vector<std::pair<int64_t, DBValue>> values;
            for (const auto& [field, value] : row.values) values.emplace_back(field.value, value);
            taken.emplace_back(row.rowid, values);
        }
        return taken;
    };
    // Every run of rows, and single cells, on the page.
    for (int64_t first = 0; first < rows; ++first) {
        for (int64_t last = first; last < rows; ++last) {
            SCOPED_TRACE(std::to_string(first) + "..." + std::to_string(last));
            rowsOf(c)->selection().deselectAll();
            click(int(first), 0);
            if (last > first) click(int(last), 0, Qt::ShiftModifier);
            for (auto purpose :
                 {GridSelectionResolver::Purpose::Copy, GridSelectionResolver::Purpose::Write}) {
                const auto plain = resolveAll(false, purpose);
                EXPECT_EQ(plain.size(), size_t(last - first + 1));
                EXPECT_EQ(plain, resolveAll(true, purpose));
            }
        }
        for (int column = 1; column <= 3; ++column) {
            click(int(first), column);
            const auto plain = resolveAll(false, GridSelectionResolver::Purpose::Copy);
            ASSERT_EQ(plain.size(), 1u);
            EXPECT_EQ(plain, resolveAll(true, GridSelectionResolver::Purpose::Copy));
        }
    }
    EXPECT_TRUE(alerts.empty()) << lastAlert();
}
