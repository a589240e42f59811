// An import writes several rows to a statement in transactions of many lines; whatever the
// table's constraints, conflict rules and triggers, the tables it leaves, the rows it counts and
// the lines its log names must equal those of a plain import that inserts each line alone in a
// transaction of its own and undoes a line that fails.
#include <sqlite3.h>

#include <functional>
#include <random>

#include <gmock/gmock.h>

#include "Common/DBConnection.h"
#include "exchange/ActivityLog.h"
#include "exchange/ImportRun.h"
#include "tests/support/DatabaseTest.h"

using Strings = std::vector<std::string>;

namespace {

class CallingReporter : public ImportRun::Reporter {
  public:
    void status(const std::string&) override {}
    void resetProgress() override {}
    void advanceProgress(double) override {}
    void logChanged() override {
        if (onLog) onLog();
    }
    std::function<void()> onLog;
};

struct ImportResult {
    int64_t imported = 0;
    int64_t failed = 0;
    Strings told;  // what the log says of single lines
};

bool tellsOfALine(const std::string& message) {
    return message.starts_with("Line ") || message.starts_with("Could not import ");
}

// Each line alone in a transaction of its own, "null" as NULL; a line that fails is undone.
ImportResult importLineByLine(sqlite3* db, const std::vector<Strings>& lines, bool batched) {
    ImportResult result;
    int64_t n = 0;
    for (const Strings& line : lines) {
        ++n;
        sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr);
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
        const std::string error = sqlite3_errmsg(db);
        sqlite3_finalize(insert);
        const bool written = done && sqlite3_changes(db) == 1;
        if (!done) {
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
            result.told.push_back("Line " + std::to_string(n) + " could not be imported: " + error);
        } else {
            sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
            if (!written) {
                result.told.push_back("Line " + std::to_string(n) +
                                      " was not imported: a conflict rule or trigger of the "
                                      "table ignored it");
            }
        }
        ++(written ? result.imported : result.failed);
        if (!batched && !written && (result.imported + result.failed) % 100 == 0) {
            result.told.push_back("Could not import " + std::to_string(result.failed) + " row(s)");
        }
    }
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

class ImportWritesLikeRowByRowTest : public DatabaseTest {
  protected:
    struct Run {
        ImportOptions options;
        // Stop is pressed as the log tells of the line that holds this text.
        std::string stopAt;
    };

    // Imports the lines into table t of a new database made by the schema, and the same lines
    // line by line into another; compares the two. Returns the lines the import read.
    int64_t compareWithLineByLine(const std::string& schema, const std::vector<Strings>& lines,
                                  Run importRun) {
        std::string text;
        for (const Strings& line : lines) text += line[0] + "\t" + line[1] + "\n";
        const std::string imported = pathInHome("imported.db");
        const std::string plain = pathInHome("plain.db");
        std::remove(imported.c_str());
        std::remove(plain.c_str());
        db = imported;
        run(schema);
        const std::string file = pathInHome("rows.txt");
        writeFile(file, text);
        importRun.options.dataTypesToConvert = ImportOptions::ConvertNULL;
        ActivityLog log;
        CallingReporter reporter;
        ImportRun importing({ImportFileSettings::forFile(file, "t")}, importRun.options, log,
                            reporter);
        if (!importRun.stopAt.empty()) {
            reporter.onLog = [&] {
                const auto entries = log.entries();
                if (!entries.empty() && entries.back().message.starts_with(importRun.stopAt)) {
                    importing.requestStop();
                }
            };
        }
        {
            DBConnection connection(imported, ConnectionKind::Statement);
            importing.run(connection, imported);
        }
        const int64_t read = importing.importedRows() + importing.failedRows();

        db = plain;
        run(schema);
        sqlite3* expected = nullptr;
        sqlite3* actual = nullptr;
        EXPECT_EQ(sqlite3_open(plain.c_str(), &expected), SQLITE_OK);
        // A commit per line: not synced, or the oracle alone takes minutes.
        sqlite3_exec(expected, "pragma synchronous = off", nullptr, nullptr, nullptr);
        EXPECT_EQ(sqlite3_open(imported.c_str(), &actual), SQLITE_OK);
        const ImportResult oracle =
            importLineByLine(expected, std::vector<Strings>(lines.begin(), lines.begin() + read),
                             importRun.options.batchLines);
        EXPECT_EQ(dumpTables(actual), dumpTables(expected));
        EXPECT_EQ(importing.importedRows(), oracle.imported);
        EXPECT_EQ(importing.failedRows(), oracle.failed);
        Strings told;
        for (const auto& entry : log.entries()) {
            if (tellsOfALine(entry.message)) told.push_back(entry.message);
        }
        EXPECT_EQ(told, oracle.told);
        EXPECT_EQ(importing.finalStatus(), !importRun.stopAt.empty() ? "Import stopped by user"
                                           : oracle.told.empty() ? "Import completed without issues"
                                                                 : "Import completed with issues");
        sqlite3_close(expected);
        sqlite3_close(actual);
        return read;
    }
};

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
            for (int i = 1; i <= 80; ++i) {
                Strings line = {std::to_string(i), std::to_string(i * 10)};
                if (random() % 12 == 0) line[0] = hostileA[random() % hostileA.size()];
                if (random() % 12 == 0) line[1] = hostileB[random() % hostileB.size()];
                if (i == 41) line[1] = seed == 1 ? "notanumber" : "null";
                lines.push_back(line);
            }
            for (const bool batched : {false, true}) {
                SCOPED_TRACE(schema + " seed " + std::to_string(seed) +
                             (batched ? " batched" : ""));
                Run importRun;
                importRun.options.batchLines = batched;
                importRun.options.commitInterval = std::chrono::hours(1);
                compareWithLineByLine(schema, lines, importRun);
            }
        }
    }
}

// A ROLLBACK rule or trigger undoes the whole transaction: the lines written in it since the last
// commit must be written again, and only the failing line lost, wherever it stands among the
// statements of several rows.
TEST_F(ImportWritesLikeRowByRowTest, ARollbackLosesOnlyTheFailingLine) {
    // Each takes a NULL b, or a key already taken, for a rollback.
    const Strings schemas = {
        "create table t(a text unique on conflict rollback, b)",
        "create table t(a text primary key on conflict rollback, b)",
        "create table t(a, b not null on conflict rollback)",
        "create table t(a, b); create trigger g before insert on t when new.b is null "
        "begin select raise(rollback, 'refused before'); end",
        "create table t(a, b); create trigger g after insert on t when new.b is null "
        "begin select raise(rollback, 'refused after'); end",
        "create table t(a, b); create table side(x); create trigger s before insert on side "
        "when new.x is null begin select raise(rollback, 'refused by side'); end; "
        "create trigger g after insert on t begin insert into side values(new.b); end",
        "create table t(a, b); create table kept(x); create view v as select x from kept; "
        "create trigger tv instead of insert on v begin "
        "select raise(rollback, 'refused by view') where new.x is null; "
        "insert into kept values(new.x); end; "
        "create trigger g after insert on t begin insert into v values(new.b); end",
    };
    constexpr int kLines = 70;
    for (const std::string& schema : schemas) {
        for (const int failing : {1, 31, 32, 33, kLines}) {
            for (const bool twice : {false, true}) {
                // The failing line takes the key of a line before it, or of the row already
                // there; a second one two lines on.
                std::vector<Strings> lines;
                for (int i = 1; i <= kLines; ++i) {
                    lines.push_back({"k" + std::to_string(i), std::to_string(i * 10)});
                }
                for (const int line : {failing, twice ? failing + 2 : 0}) {
                    if (line < 1 || line > kLines) continue;
                    lines[line - 1] = {"k" + std::to_string(line / 2), "null"};
                }
                for (const bool batched : {false, true}) {
                    for (const auto interval :
                         {std::chrono::milliseconds(0), std::chrono::milliseconds(3600000)}) {
                        SCOPED_TRACE(schema + " line " + std::to_string(failing) +
                                     (twice ? " twice" : "") + (batched ? " batched" : "") +
                                     " interval " + std::to_string(interval.count()));
                        Run importRun;
                        importRun.options.batchLines = batched;
                        importRun.options.commitInterval = interval;
                        compareWithLineByLine(schema + "; insert into t values ('k0', 'old')",
                                              lines, importRun);
                    }
                }
            }
        }
    }
}

TEST_F(ImportWritesLikeRowByRowTest, AStopAsARollbackIsToldKeepsEveryLineReadBeforeIt) {
    const Strings schemas = {
        "create table t(a text unique on conflict rollback, b)",
        "create table t(a, b); create table side(x); create trigger s before insert on side "
        "when new.x is null begin select raise(rollback, 'refused by side'); end; "
        "create trigger g after insert on t begin insert into side values(new.b); end",
    };
    for (const std::string& schema : schemas) {
        for (const int failing : {1, 32, 33, 52, 61}) {
            std::vector<Strings> lines;
            for (int i = 1; i <= 61; ++i) {
                lines.push_back({"k" + std::to_string(i), std::to_string(i)});
            }
            lines[failing - 1] = {"k" + std::to_string(failing / 2), "null"};
            for (const bool batched : {false, true}) {
                SCOPED_TRACE(schema + " line " + std::to_string(failing) +
                             (batched ? " batched" : ""));
                Run importRun;
                importRun.options.batchLines = batched;
                importRun.options.commitInterval = std::chrono::hours(1);
                importRun.stopAt = "Line " + std::to_string(failing) + " could not";
                const int64_t read = compareWithLineByLine(
                    schema + "; insert into t values ('k0', 'old')", lines, importRun);
                EXPECT_GE(read, failing);
            }
        }
    }
}
