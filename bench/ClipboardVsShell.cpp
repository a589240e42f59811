// Copy of 1000 whole rows of 20 fields in one database window and their paste by adding rows into
// another window's table; and tables pasted from another file: a 1,000,000-row table copied with
// its rows beside the sqlite3 shell running the same ATTACH and INSERT ... SELECT.
#include <QApplication>

#include <fstream>

#include "Common/DBInterface.h"
#include "Common/SQLQuote.h"
#include "app/AppDelegate.h"
#include "bench/GeneratedRowsTable.h"
#include "exchange/GridCopy.h"
#include "exchange/GridPaste.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/ui/Alert.h"

namespace {

constexpr int kRuns = 3;

void runOrExit(const std::string& sql, const std::string& db) {
    std::string error;
    if (DBInterface::execMultipleQueryString(sql, nullptr, nullptr, db, &error,
                                             DBInterface::MissingFile::Create) != 0) {
        std::fprintf(stderr, "failed: %s\n", error.c_str());
        std::exit(1);
    }
}

TablesAndRowsController* showTable(AppDelegate& app, const std::string& db, int slot) {
    TablesAndRowsWindow* window =
        app.showDatabase(db, slot, false, std::nullopt, TablesAndRowsState::RowsConsole);
    window->resize(1200, 800);
    window->show();
    QApplication::processEvents();
    TablesAndRowsController* c = app.tablesAndRowsControllerForWindowIndex(slot);
    c->selectTableWithName("t");
    return c;
}

void copyAndPasteRows(AppDelegate& app, const bench::ScratchFolder& scratch) {
    const std::string from = scratch.file("from.db"), to = scratch.file("to.db");
    std::string fields, values;
    for (int f = 1; f <= 20; ++f) {
        fields += (f > 1 ? ", f" : "f") + std::to_string(f);
        values += (f > 1 ? ", 'value ' || value || ' of " : "'value ' || value || ' of ") +
                  std::to_string(f) + "'";
    }
    runOrExit("create table t (" + fields + "); insert into t select " + values +
                  " from generate_series(1, 1000)",
              from);
    runOrExit("create table t (" + fields + ")", to);
    TablesAndRowsController* source = showTable(app, from, 0);
    TablesAndRowsController* target = showTable(app, to, 1);
    RowsConsole* sourceRows = bench::rowsConsole(app, source);
    sourceRows->selection().includeRowIndexes(RowIndex(0), RowIndex(999));
    // The limit notice and the paste's confirmation are answered at once.
    Alert::setTestResponder([](const Alert&, QWidget*) { return 0; });
    const double copySeconds = bench::bestSeconds(kRuns, [&] {
        if (!GridCopy(*source, *sourceRows).copyRowsToPasteboard(false)) std::exit(1);
    });
    const double pasteSeconds = bench::bestSeconds(kRuns, [&] {
        runOrExit("delete from t", to);
        GridPaste(*target, *bench::rowsConsole(app, target)).pasteByAddingRowsFromPasteboard();
    });
    Alert::setTestResponder({});
    std::printf("copy 1000 rows x 20 fields %.1f ms   paste them into another window %.1f ms\n",
                copySeconds * 1e3, pasteSeconds * 1e3);
}

void pasteTableBetweenFiles(const bench::ScratchFolder& scratch) {
    const std::string from = scratch.file("big.db"), to = scratch.file("into.db");
    std::string error;
    runOrExit("pragma user_version = 0", from);
    // The meta tables the copy writes into exist first.
    runOrExit("pragma user_version = 0", to);
    if (DBInterface::createTable("keep", 0, {"x"}, {DBInterface::kFieldTypeText}, nullptr, nullptr,
                                 to, &error) != 0) {
        std::exit(1);
    }
    bench::makeRowsTable(from, 1000000);
    DBInterface::TableDictionary description;
    DBInterface::getTableDictionary(&description, "t", from, &error);
    auto dropCopy = [&] {
        runOrExit(
            "drop table if exists t; delete from varnelo_db_fields where table_name='t';"
            "delete from varnelo_db_tables where name='t'",
            to);
    };
    dropCopy();
    const double ours = bench::bestSeconds(kRuns, [&] {
        dropCopy();
        if (DBInterface::copyTableFromDatabase(description, *description.sql, "t", false, true,
                                               from, to, &error) != 0) {
            std::fprintf(stderr, "paste failed: %s\n", error.c_str());
            std::exit(1);
        }
    });
    const std::string fields = quoteIdentifierList(*description.fields);
    const std::string script = "attach database " + quoteLiteral(from) +
                               " as source;\nbegin transaction;\n" + *description.sql +
                               ";\ninsert into t (" + fields + ") select " + fields +
                               " from source.t;\ncommit transaction;\n";
    const std::string scriptFile = scratch.file("paste.sql");
    std::ofstream(scriptFile) << script;
    const double shell = bench::bestSeconds(kRuns, [&] {
        dropCopy();
        bench::runOrDie("sqlite3 " + to + " < " + scriptFile);
    });
    std::printf(
        "paste a 1,000,000-row table from another file: ours %.3f s   sqlite3 shell %.3f s"
        "   ours/shell time %.2f\n",
        ours, shell, ours / shell);
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    bench::ScratchFolder scratch;
    copyAndPasteRows(application.app(), scratch);
    pasteTableBetweenFiles(scratch);
    return 0;
}
