// Duplicating a generated 1,000,000-row table with two indexes, rows and indexes included: our
// copy beside the sqlite3 shell running the same statements in one transaction.
#include <fstream>

#include "Common/DBInterface.h"
#include "Common/SQLQuote.h"
#include "ShellComparison.h"

namespace {
void runOrExit(const std::string& sql, const std::string& db) {
    std::string error;
    if (DBInterface::execMultipleQueryString(sql, nullptr, nullptr, db, &error,
                                             DBInterface::MissingFile::Create) != 0) {
        std::fprintf(stderr, "failed: %s\n", error.c_str());
        std::exit(1);
    }
}

// The copy and its meta rows go between runs.
void dropCopy(const std::string& db) {
    runOrExit(
        "drop table if exists t_2; delete from varnelo_db_fields where table_name='t_2';"
        "delete from varnelo_db_tables where name='t_2'",
        db);
}
}  // namespace

int main() {
    bench::ScratchFolder scratch;
    setenv("VARNELO_HOME", scratch.file("home").c_str(), 1);
    const std::string db = scratch.file("duplicate.db");
    std::string error;
    runOrExit("pragma user_version = 0", db);  // the file first: the meta reads expect one
    if (DBInterface::createTable("t", 0, {"name", "amount", "note"},
                                 {DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber,
                                  DBInterface::kFieldTypeText},
                                 nullptr, nullptr, db, &error) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        return 1;
    }
    runOrExit(
        "begin transaction; insert into t select 'Name ' || ((value * 7919) % 1000000), "
        "((value * 104729) % 1000000) * 0.5, 'note ' || (value % 97) from "
        "generate_series(1, 1000000); create index byname on t (name); create index "
        "byamount on t (amount); commit transaction",
        db);

    DBInterface::TableDictionary description;
    DBInterface::getTableDictionary(&description, "t", db, &error);
    std::string create = *DBInterface::rewriteCreateStatement(*description.sql, "t", "t_2", true);
    const double oursSeconds = bench::bestSeconds(3, [&] {
        dropCopy(db);
        if (DBInterface::copyTable(description, create, "t_2", true, true, db, &error) != 0) {
            std::fprintf(stderr, "copy failed: %s\n", error.c_str());
            std::exit(1);
        }
    });

    // The same statements, written out for the shell.
    std::string script = "begin transaction;\n" + create + ";\n" +
                         DBInterface::systemFieldsSQL(*description.varnelo_db_fields, "t_2") +
                         DBInterface::systemTableFlagsSQL(*description.table_flags, "t_2") +
                         "insert into \"t_2\" (" + quoteIdentifierList(*description.fields) +
                         ") select " + quoteIdentifierList(*description.fields) + " from \"t\";\n";
    for (const std::string& index : *description.indexes) {
        std::string name = DBInterface::indexNameInStatement(index, "t");
        script += *DBInterface::rewriteCreateIndexStatement(index, "t", "t_2", name + "_2") + ";\n";
    }
    script += "commit transaction;\n";
    const std::string scriptFile = scratch.file("duplicate.sql");
    std::ofstream(scriptFile) << script;
    const double shellSeconds = bench::bestSeconds(3, [&] {
        dropCopy(db);
        bench::runOrDie("sqlite3 " + db + " < " + scriptFile);
    });
    std::printf(
        "duplicate 1,000,000 rows, two indexes: ours %.3f s   sqlite3 shell %.3f s   "
        "ours/shell time %.2f\n",
        oursSeconds, shellSeconds, oursSeconds / shellSeconds);
    return 0;
}
