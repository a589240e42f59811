// Changing a field of a 1,000,000-row table that has an index and a child table, from the Name
// and Fields panel: a new type and name for one field, which rebuilds the table (rows copied
// with their rowids, the index made again, the child rows checked with foreign keys on). Beside
// it the sqlite3 shell runs the same change by SQLite's own procedure for table changes: foreign
// keys off, a new table, the rows copied, the old table dropped, the new one renamed, the index
// made again, the foreign keys checked. Each side renames the field back and forth.
#include <QApplication>
#include <QLabel>
#include <QTableWidget>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Common/DBInterface.h"
#include "bench/GeneratedRowsTable.h"
#include "design/FieldTypeMenu.h"
#include "design/NameAndFieldsPanel.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 5;
constexpr int64_t kRows = 1000000;
constexpr int64_t kChildRows = 100000;

void makeTables(const std::string& db) {
    std::string error;
    const std::string rows = std::to_string(kRows);
    if (DBInterface::execMultipleQueryString(
            "begin transaction; create table t (id integer primary key, name text, amount text, "
            "note text); insert into t select value, 'Name ' || ((value * 7919) % " +
                rows + "), ((value * 104729) % " + rows +
                ") * 0.5, 'note ' || (value % 97) from generate_series(1, " + rows +
                "); create index tn on t (note); create table child (tid integer references t "
                "(id), x text); insert into child select value * 7 % " +
                rows + " + 1, 'x' from generate_series(1, " + std::to_string(kChildRows) +
                "); commit transaction",
            nullptr, nullptr, db, &error, DBInterface::MissingFile::Create) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        std::exit(1);
    }
}

std::string shellCommand(const std::string& db, const std::string& sql) {
    return "sqlite3 '" + db + "' \"" + sql + "\" > /dev/null";
}

// The documented procedure, giving field `from` the name `to` and a Number type.
std::string shellChange(const std::string& from, const std::string& to) {
    return "PRAGMA foreign_keys=OFF; BEGIN; CREATE TABLE new_t (id integer primary key, name "
           "text, " +
           to + " number, note text); INSERT INTO new_t SELECT id, name, " + from +
           ", note FROM t; DROP TABLE t; ALTER TABLE new_t RENAME TO t; CREATE INDEX tn ON t "
           "(note); PRAGMA foreign_key_check; COMMIT; PRAGMA foreign_keys=ON;";
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    UserDefaults::standard().setInteger(1, "EnableForeignKeyConstraints");
    const std::string db = Paths::documentsFolder() + "/change.db";
    const std::string shellDb = Paths::documentsFolder() + "/shell.db";
    makeTables(db);
    makeTables(shellDb);
    TablesAndRowsController* c = bench::showRowsTable(application.app(), db);
    c->selectTableWithName("t");
    auto* panel = &bench::partsOf(application.app(), c).nameAndFields;
    panel->showNameAndFieldsPanel();

    bool renamed = false;
    auto changeInPanel = [&] {
        QTableWidget* fields = panel->nameAndFieldsPanelTableView();
        fields->item(2, NameAndFieldsPanel::FieldNameColumn)
            ->setText(renamed ? "amount" : "amount2");
        panel->nameAndFieldsPanelChangeFieldTypeButtonClicked(FieldTypeMenu::fieldTypeMenuTag(
            2, renamed ? DBInterface::kFieldTypeText : DBInterface::kFieldTypeNumber));
        panel->addTableNow();
        if (panel->nameAndFieldsPanelErrorLabel()->text() != "Table was changed.") {
            std::fprintf(stderr, "change failed: %s\n",
                         panel->nameAndFieldsPanelErrorLabel()->text().toUtf8().constData());
            std::exit(1);
        }
        renamed = !renamed;
    };
    auto changeInShell = [&] {
        bench::runOrDie(shellCommand(shellDb, renamed ? shellChange("amount2", "amount")
                                                      : shellChange("amount", "amount2")));
    };
    const double shellStart =
        bench::bestSeconds(kRuns, [&] { bench::runOrDie(shellCommand(shellDb, "select 1")); });
    // Turn about, so that both sides meet the same load of a shared machine.
    double ours = 1e30, shell = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        shell = std::min(shell, bench::bestSeconds(1, changeInShell));
        ours = std::min(ours, bench::bestSeconds(1, changeInPanel));
    }
    const double net = shell - shellStart;
    std::printf("%lld rows, an index, %lld child rows\n", static_cast<long long>(kRows),
                static_cast<long long>(kChildRows));
    std::printf(
        "  change a field's type and name (rebuild)  ours %8.1f ms   shell %8.1f ms (net of "
        "start-up %8.1f ms)   ours/shell %.2f\n",
        ours * 1e3, shell * 1e3, net * 1e3, ours / net);
    return 0;
}
