// An import writes several rows to a statement; whatever the table's constraints, conflict rules
// and triggers, the tables it leaves and the rows it counts must equal those of a plain import
// that inserts each line alone and undoes a line that fails.
#include <sqlite3.h>

#include <random>

#include <gmock/gmock.h>

#include "Common/DBConnection.h"
#include "exchange/ActivityLog.h"
#include "exchange/ImportRun.h"
#include "tests/support/DatabaseTest.h"

using Strings = std::vector<std::string>;

namespace {

class QuietReporter : public ImportRun::Reporter {
  public:
    void status(const std::string&) override {}
    void resetProgress() override {}
    void advanceProgress(double) override {}
    void logChanged() override {}
};

struct RowByRowResult {
    int64_t imported = 0;
    int64_t failed = 0;
};

// Each line alone in its own statement under its own savepoint, "null" as NULL, one transaction.
RowByRowResult importRowByRow(sqlite3* db, const std::vector<Strings>& lines) {
    RowByRowResult result;
    sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr);
    int64_t uncommitted = 0;
    for (const Strings& line : lines) {
        sqlite3_exec(db, "savepoint line", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "insert into t (a, b) values (?, ?)", -1, &insert, nullptr);
        for (int i = 0; i < 2; ++i) {
            if (line[i] == "null") {
                sqlite3_bind_null(insert, i + 1);
            } else {
                sqlite3_bind_text(insert, i + 1, line[i].c_str(), -1, SQLITE_TRANSIENT);
            }
        }
        const bool done = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_finalize(insert);
        if (sqlite3_get_autocommit(db)) {  // a ROLLBACK rule took the transaction
            result.imported -= uncommitted;
            result.failed += uncommitted + 1;
            uncommitted = 0;
            sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr);
            continue;
        }
        if (done && sqlite3_changes(db) == 1) {
            ++result.imported;
            ++uncommitted;
        } else {
            ++result.failed;
            if (!done) sqlite3_exec(db, "rollback to line", nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "release line", nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    return result;
}

// Every table's rows with their types, in rowid order.
Strings dumpTables(sqlite3* db) {
    Strings tables, dump;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "select name from sqlite_master where type = 'table' and name not like "
                       "'sqlite_%' and name not like 'varnelo_%' order by name",
                       -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    }
    sqlite3_finalize(s);
    for (const std::string& table : tables) {
        dump.push_back("table " + table);
        sqlite3_prepare_v2(db, ("select * from \"" + table + "\" order by rowid").c_str(), -1, &s,
                           nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(s); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
                row += std::to_string(sqlite3_column_type(s, i)) + ":" + (text ? text : "") + "|";
            }
            dump.push_back(row);
        }
        sqlite3_finalize(s);
    }
    return dump;
}

}  // namespace

class ImportWritesLikeRowByRowTest : public DatabaseTest {};

TEST_F(ImportWritesLikeRowByRowTest, OverConstraintsConflictRulesAndTriggers) {
    const Strings schemas = {
        "create table t(a INTEGER, b INTEGER) strict",
        "create table t(a, b); create table audit(x TEXT NOT NULL ON CONFLICT FAIL); "
        "create trigger tr after insert on t begin insert into audit values(new.b); end",
        "create table t(a, b); create table kept(x not null on conflict fail); "
        "create view v as select x from kept; "
        "create trigger tv instead of insert on v begin insert into kept values(new.x); end; "
        "create trigger tr after insert on t begin insert into v values(new.b); end",
        "create table t(a unique on conflict ignore, b)",
        "create table t(a primary key on conflict replace, b)",
        "create table t(a unique, b check(b <> 'x'))",
        "create table t(a, b not null on conflict rollback)",
        "create table t(a, b); create trigger g before insert on t when new.b = 'skip' "
        "begin select raise(ignore); end",
        "create table t(a, b); create trigger g before insert on t when new.b = 'x' "
        "begin select raise(fail, 'refused'); end",
        "create table t(a integer primary key, b)",
        "create table t(a, b); create trigger g after insert on t when new.b = 'x' "
        "begin select raise(rollback, 'refused'); end",
        "create table t(a unique on conflict fail, b not null on conflict ignore)",
        "create table t(a, b); create table side(x unique on conflict fail); "
        "create trigger g after insert on t begin insert into side values(new.b); end",
    };
    const Strings hostileA = {"notanumber", "null", "7", "x"};
    const Strings hostileB = {"null", "x", "skip", "notanumber", "3"};
    int schemaNumber = 0;
    for (const std::string& schema : schemas) {
        ++schemaNumber;
        for (const unsigned seed : {1u, 2u, 3u}) {
            std::mt19937 random(seed * 7919 + schemaNumber);
            std::vector<Strings> lines;
            std::string text;
            for (int i = 1; i <= 80; ++i) {
                Strings line = {std::to_string(i), std::to_string(i * 10)};
                if (random() % 12 == 0) line[0] = hostileA[random() % hostileA.size()];
                if (random() % 12 == 0) line[1] = hostileB[random() % hostileB.size()];
                if (i == 41) line[1] = seed == 1 ? "notanumber" : "null";
                text += line[0] + "\t" + line[1] + "\n";
                lines.push_back(line);
            }
            for (const bool batched : {false, true}) {
                SCOPED_TRACE(schema + " seed " + std::to_string(seed) +
                             (batched ? " batched" : ""));
                const std::string imported = pathInHome("imported.db");
                const std::string plain = pathInHome("plain.db");
                std::remove(imported.c_str());
                std::remove(plain.c_str());
                db = imported;
                run(schema);
                const std::string file = pathInHome("rows.txt");
                writeFile(file, text);
                ImportOptions options;
                options.batchLines = batched;
                options.dataTypesToConvert = ImportOptions::ConvertNULL;
                options.commitInterval = std::chrono::hours(1);  // one transaction, as below
                ActivityLog log;
                QuietReporter reporter;
                ImportRun importRun({ImportFileSettings::forFile(file, "t")}, options, log,
                                    reporter);
                {
                    DBConnection connection(imported, ConnectionKind::Statement);
                    importRun.run(connection, imported);
                }

                db = plain;
                run(schema);
                sqlite3* expected = nullptr;
                sqlite3* actual = nullptr;
                ASSERT_EQ(sqlite3_open(plain.c_str(), &expected), SQLITE_OK);
                ASSERT_EQ(sqlite3_open(imported.c_str(), &actual), SQLITE_OK);
                const RowByRowResult oracle = importRowByRow(expected, lines);
                EXPECT_EQ(dumpTables(actual), dumpTables(expected));
                EXPECT_EQ(importRun.importedRows(), oracle.imported);
                EXPECT_EQ(importRun.failedRows(), oracle.failed);
                sqlite3_close(expected);
                sqlite3_close(actual);
            }
        }
    }
}
