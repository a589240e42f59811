// An import writes several rows to a statement in transactions of many lines; whatever the
// table's constraints, conflict rules and triggers, the tables it leaves, the rows it counts and
// the lines its log names must equal those of a plain import that inserts each line alone in a
// transaction of its own and undoes a line that fails.
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <gmock/gmock.h>

#include "Common/DBConnection.h"
#include "exchange/ActivityLog.h"
#include "exchange/ImportRun.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/DatabaseTest.h"

using Strings = std::vector<std::string>;

namespace {

class CallingReporter : public ImportRun::Reporter {
  public:
    void status(const std::string& text) override {
        if (onStatus) onStatus(text);
    }
    void resetProgress() override {}
    void advanceProgress(double) override {}
    void logChanged() override {
        if (onLog) onLog();
    }
    std::function<void()> onLog;
    std::function<void(const std::string&)> onStatus;
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
        bool done = sqlite3_step(insert) == SQLITE_DONE;
        std::string error = sqlite3_errmsg(db);
        sqlite3_finalize(insert);
        bool written = done && sqlite3_changes(db) == 1;
        // A deferred foreign key fails the commit.
        if (done && sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db);
            done = written = false;
        }
        if (!done) {
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
            result.told.push_back("Line " + std::to_string(n) + " could not be imported: " + error);
        } else {
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
        // Stop is pressed as the log or the status tells of the line that holds this text.
        std::string stopAt;
        bool foreignKeys = false;  // enforced on both sides
        // Called with each status the import tells.
        std::function<void(const std::string&)> onStatus;
    };
    struct Imported {
        ImportResult result;
        std::string finalStatus;
    };

    // Makes a new database by the schema at the path.
    void makeDatabase(const std::string& path, const std::string& schema) {
        std::remove(path.c_str());
        db = path;
        run(schema);
    }

    // Imports the lines into table t of a new database made by the schema, as the program does.
    Imported importLines(const std::string& schema, const std::vector<Strings>& lines,
                         Run importRun) {
        std::string text;
        for (const Strings& line : lines) text += line[0] + "\t" + line[1] + "\n";
        const std::string imported = pathInHome("imported.db");
        makeDatabase(imported, schema);
        const std::string file = pathInHome("rows.txt");
        writeFile(file, text);
        importRun.options.dataTypesToConvert = ImportOptions::ConvertNULL;
        UserDefaults::standard().setBool(importRun.foreignKeys, "EnableForeignKeyConstraints");
        ActivityLog log;
        CallingReporter reporter;
        ImportRun importing({ImportFileSettings::forFile(file, "t")}, importRun.options, log,
                            reporter);
        reporter.onStatus = [&](const std::string& text) {
            if (importRun.onStatus) importRun.onStatus(text);
            if (!importRun.stopAt.empty() && text.starts_with(importRun.stopAt)) {
                importing.requestStop();
            }
        };
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
        Imported done{{importing.importedRows(), importing.failedRows(), {}},
                      importing.finalStatus()};
        for (const auto& entry : log.entries()) {
            if (tellsOfALine(entry.message)) done.result.told.push_back(entry.message);
        }
        return done;
    }

    // The same lines line by line into another database made by the schema, with its tables.
    ImportResult importLinesOneByOne(const std::string& schema, const std::vector<Strings>& lines,
                                     const Run& importRun, Strings* tables) {
        const std::string plain = pathInHome("plain.db");
        makeDatabase(plain, schema);
        sqlite3* expected = nullptr;
        EXPECT_EQ(sqlite3_open(plain.c_str(), &expected), SQLITE_OK);
        // A commit per line: not synced, or the oracle alone takes minutes.
        sqlite3_exec(expected, "pragma synchronous = off", nullptr, nullptr, nullptr);
        if (importRun.foreignKeys) {
            sqlite3_exec(expected, "pragma foreign_keys = on", nullptr, nullptr, nullptr);
        }
        const ImportResult oracle = importLineByLine(expected, lines, importRun.options.batchLines);
        *tables = dumpTables(expected);
        sqlite3_close(expected);
        return oracle;
    }

    Strings importedTables() {
        sqlite3* actual = nullptr;
        EXPECT_EQ(sqlite3_open(pathInHome("imported.db").c_str(), &actual), SQLITE_OK);
        Strings tables = dumpTables(actual);
        sqlite3_close(actual);
        return tables;
    }

    // Where an import may lose lines to another program's locks: its rows are those of the lines
    // it read imported line by line, each once, less some lost; its counts are the table's.
    // Returns how many were lost.
    int64_t linesLost(const std::string& schema, const std::vector<Strings>& lines,
                      const Imported& imported, const Run& importRun) {
        const int64_t read = imported.result.imported + imported.result.failed;
        Strings expectedTables;
        const ImportResult oracle =
            importLinesOneByOne(schema, std::vector<Strings>(lines.begin(), lines.begin() + read),
                                importRun, &expectedTables);
        const int64_t lost = oracle.imported - imported.result.imported;
        EXPECT_GE(lost, 0);
        EXPECT_EQ(imported.result.failed, oracle.failed + lost);
        const Strings tables = importedTables();
        EXPECT_EQ(static_cast<int64_t>(tables.size()) - 1, imported.result.imported);
        auto expectedRow = expectedTables.begin();
        for (const std::string& row : tables) {
            expectedRow = std::find(expectedRow, expectedTables.end(), row);
            if (expectedRow == expectedTables.end()) {
                ADD_FAILURE() << "not imported line by line, or twice: " << row;
                break;
            }
            ++expectedRow;
        }
        return lost;
    }

    // Imports the lines and the same lines line by line; compares the two. Returns the lines the
    // import read.
    int64_t compareWithLineByLine(const std::string& schema, const std::vector<Strings>& lines,
                                  const Run& importRun) {
        const Imported imported = importLines(schema, lines, importRun);
        const int64_t read = imported.result.imported + imported.result.failed;
        Strings expectedTables;
        const ImportResult oracle =
            importLinesOneByOne(schema, std::vector<Strings>(lines.begin(), lines.begin() + read),
                                importRun, &expectedTables);
        EXPECT_EQ(importedTables(), expectedTables);
        EXPECT_EQ(imported.result.imported, oracle.imported);
        EXPECT_EQ(imported.result.failed, oracle.failed);
        EXPECT_EQ(imported.result.told, oracle.told);
        EXPECT_EQ(imported.finalStatus, !importRun.stopAt.empty() ? "Import stopped by user"
                                        : oracle.told.empty() ? "Import completed without issues"
                                                              : "Import completed with issues");
        return read;
    }

    // Lines 1, 3, 5, … name the line after them, or lines 2, 4, 6, …, so that the pairs cross
    // the ends of statements of several rows or do not: either way half the lines go in, which
    // the tables dumped tell in so many lines.
    void compareReferencesToTheNextLine(const std::string& schema, size_t dumpedLines) {
        for (const int first : {1, 2}) {
            std::vector<Strings> lines;
            for (int i = 1; i <= 100; ++i) {
                lines.push_back(
                    {std::to_string(i), (i - first) % 2 == 0 ? std::to_string(i + 1) : "null"});
            }
            for (const bool batched : {false, true}) {
                SCOPED_TRACE(schema + " pairs from line " + std::to_string(first) +
                             (batched ? " batched" : ""));
                Run importRun;
                importRun.foreignKeys = true;
                importRun.options.batchLines = batched;
                importRun.options.commitInterval = std::chrono::hours(1);
                compareWithLineByLine(schema, lines, importRun);
                EXPECT_EQ(importedTables().size(), dumpedLines);
            }
        }
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

// A deferred reference to a missing parent is refused at its own line, as an immediate one is,
// also when a trigger writes it, whichever statement of several rows holds it, and when the
// parent comes on a later line, in the same statement or the next.
TEST_F(ImportWritesLikeRowByRowTest, ADeferredForeignKeyFailsOnlyItsOwnLine) {
    const std::string parents =
        "create table p(id integer primary key); "
        "insert into p values (1), (2), (3); ";
    const Strings schemas = {
        parents + "create table t(a, b references p(id) deferrable initially deferred)",
        parents + "create table t(a, b references p(id))",
        parents +
            "create table c(x references p(id) deferrable initially deferred); "
            "create table t(a, b); "
            "create trigger g after insert on t begin insert into c values(new.b); end",
    };
    for (const std::string& schema : schemas) {
        for (const unsigned seed : {1u, 2u}) {
            std::mt19937 random(seed);
            std::vector<Strings> lines;
            for (int i = 1; i <= 90; ++i) {
                const unsigned pick = random() % 10;
                lines.push_back({std::to_string(i), pick == 0   ? "9"
                                                    : pick == 1 ? "null"
                                                                : std::to_string(1 + pick % 3)});
            }
            for (const bool batched : {false, true}) {
                SCOPED_TRACE(schema + " seed " + std::to_string(seed) +
                             (batched ? " batched" : ""));
                Run importRun;
                importRun.foreignKeys = true;
                importRun.options.batchLines = batched;
                importRun.options.commitInterval =
                    std::chrono::milliseconds(seed == 1 ? 0 : 3600000);
                compareWithLineByLine(schema, lines, importRun);
            }
        }
    }
    compareReferencesToTheNextLine(
        "create table t(a integer primary key, "
        "b integer references t(a) deferrable initially deferred)",
        1 + 50);
}

// An immediate reference is checked at the end of its statement: a line naming the next line
// is refused as it is alone, whether the next line falls into the same statement of several rows
// or into the next one.
TEST_F(ImportWritesLikeRowByRowTest, AnImmediateReferenceToALaterLineFailsWhereverStatementsEnd) {
    compareReferencesToTheNextLine(
        "create table t(a integer primary key, b integer references t(a))", 1 + 50);
    // Through triggers: each line brings its parent, and a line naming the next one a child.
    compareReferencesToTheNextLine(
        "create table p(id integer primary key); create table c(x references p(id)); "
        "create table t(a, b); "
        "create trigger g after insert on t begin insert into p values (new.a); end; "
        "create trigger h after insert on t when new.b is not null "
        "begin insert into c values (new.b); end",
        3 + 50 + 50);
}

TEST_F(ImportWritesLikeRowByRowTest, OneOrphanAmongTwoHundredThousandLinesLosesOnlyItself) {
    std::vector<Strings> lines;
    for (int i = 1; i <= 200000; ++i) lines.push_back({std::to_string(i), "1"});
    lines[123456][1] = "9";
    Run importRun;
    importRun.foreignKeys = true;
    const Imported imported = importLines(
        "create table p(id integer primary key); insert into p values (1); "
        "create table t(a, b references p(id) deferrable initially deferred)",
        lines, importRun);
    EXPECT_EQ(imported.result.imported, 199999);
    EXPECT_EQ(imported.result.failed, 1);
    EXPECT_EQ(imported.result.told,
              Strings{"Line 123457 could not be imported: FOREIGN KEY constraint failed"});
    EXPECT_EQ(query("select count(*), sum(b = 9) from t"), (Strings{"199999", "0"}));
}

namespace {

// Another program on the same file: takes its lock when asked, as soon as the file allows, and
// holds it for a while.
class OtherProgram {
  public:
    struct Lock {
        bool write;  // BEGIN EXCLUSIVE, else a read transaction
        std::chrono::milliseconds hold;
    };

    explicit OtherProgram(const std::string& path) : thread_([this, path] { serve(path); }) {}
    ~OtherProgram() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void take(Lock lock) {
        {
            std::lock_guard guard(mutex_);
            asked_.push_back(lock);
        }
        changed_.notify_all();
    }
    // The locks held so far.
    std::vector<Lock> held() {
        std::lock_guard lock(mutex_);
        return held_;
    }
    // Whether its connection has read the schema, which takes a read lock for a moment: a lock
    // asked for from then on is held from its first moment to its end.
    bool ready() const { return ready_; }

  private:
    void serve(const std::string& path) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        // Tries again at once, so that it gets in between two of the import's transactions.
        sqlite3_busy_handler(
            db, [](void*, int) { return 1; }, nullptr);
        sqlite3_exec(db, "select count(*) from sqlite_schema", nullptr, nullptr, nullptr);
        ready_ = true;
        for (;;) {
            Lock lock;
            {
                std::unique_lock guard(mutex_);
                changed_.wait(guard, [this] { return done_ || !asked_.empty(); });
                if (asked_.empty()) break;
                lock = asked_.front();
                asked_.pop_front();
            }
            sqlite3_exec(db, lock.write ? "begin exclusive" : "begin; select count(*) from t",
                         nullptr, nullptr, nullptr);
            std::this_thread::sleep_for(lock.hold);
            sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
            std::lock_guard guard(mutex_);
            held_.push_back(lock);
        }
        sqlite3_close(db);
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Lock> asked_;
    std::vector<Lock> held_;
    bool done_ = false;
    std::atomic<bool> ready_ = false;
    std::thread thread_;
};

}  // namespace

// Another program's write lock between two transactions, or its read holding back a commit, some
// for less than one wait and some for more: no line is written twice, the counts are the table's,
// and no more lines are lost than a line-a-transaction import waiting once a line would lose.
TEST_F(ImportWritesLikeRowByRowTest, AnotherProgramsLocksLoseNoMoreLinesThanALineATransaction) {
    constexpr std::chrono::milliseconds kWait(100);
    DBConnection::setLockWaitOnThisThread(kWait);
    const Strings schemas = {"create table t(a, b)",
                             "create table t(a, b not null on conflict rollback)"};
    const std::vector<OtherProgram::Lock> locks = {
        {false, kWait * 5 / 2}, {true, kWait / 3}, {true, kWait * 5 / 2}, {false, kWait / 3}};
    std::vector<Strings> lines;
    std::mt19937 random(5);
    for (int i = 1; i <= 2500; ++i) {
        lines.push_back({std::to_string(i), random() % 300 == 0 ? "null" : std::to_string(i)});
    }
    for (const std::string& schema : schemas) {
        for (const bool batched : {false, true}) {
            SCOPED_TRACE(schema + (batched ? " batched" : ""));
            const int64_t waitsBefore = DBConnection::busyWaitCount();
            std::optional<OtherProgram> other;
            int statuses = 0;
            Run importRun;
            importRun.options.batchLines = batched;
            importRun.options.commitInterval = std::chrono::milliseconds(0);
            // Every few hundred lines the other program asks for the next lock.
            importRun.onStatus = [&](const std::string& text) {
                if (!other) other.emplace(pathInHome("imported.db"));
                const size_t next = static_cast<size_t>(statuses / 4);
                if (text.starts_with("Imported") && ++statuses % 4 == 2 && next < locks.size()) {
                    other->take(locks[next]);
                }
            };
            const Imported imported = importLines(schema, lines, importRun);
            std::vector<OtherProgram::Lock> held;
            if (other) held = other->held();
            other.reset();
            EXPECT_GT(DBConnection::busyWaitCount(), waitsBefore);

            int64_t mayLose = 0;
            for (const OtherProgram::Lock& lock : held) mayLose += lock.hold / kWait;
            EXPECT_LE(linesLost(schema, lines, imported, importRun), mayLose);
        }
    }
    DBConnection::setLockWaitOnThisThread(DBConnection::kWindowLockWait);
}

// Stop pressed while the import waits on another program's lock ends the wait and the run while
// the lock is still held; what it could not write is lost, each line once, and the counts are
// still the table's.
TEST_F(ImportWritesLikeRowByRowTest, AStopWhileAnotherProgramHoldsTheLockEndsTheRun) {
    // A wait far longer than the lock is held: only the stop can end it sooner. The lock is
    // held long enough that a loaded machine still ends the run while it is.
    DBConnection::setLockWaitOnThisThread(std::chrono::seconds(30));
    const std::string schema = "create table t(a, b not null on conflict rollback)";
    std::vector<Strings> lines;
    for (int i = 1; i <= 3000; ++i) lines.push_back({std::to_string(i), std::to_string(i)});
    lines[2000][1] = "null";
    for (const bool write : {false, true}) {
        for (const bool batched : {false, true}) {
            SCOPED_TRACE(std::string(write ? "write lock" : "read") + (batched ? " batched" : ""));
            Run importRun;
            importRun.options.batchLines = batched;
            importRun.options.commitInterval = std::chrono::milliseconds(0);
            const std::string waiting = "Waiting for the database: database is locked";
            importRun.stopAt = waiting;
            // An exclusive lock gets in only between a commit and the next begin, which a loaded
            // machine may never let it hit: such a run tells nothing and is run again.
            Imported imported;
            bool metTheLock = false, endedWhileHeld = false;
            for (int attempt = 0; attempt < 20 && !metTheLock; ++attempt) {
                std::optional<OtherProgram> other;
                importRun.onStatus = [&](const std::string& text) {
                    if (!other) {
                        other.emplace(pathInHome("imported.db"));
                        other->take({write, std::chrono::milliseconds(3000)});
                    }
                    // Stop is pressed on a wait for the lock asked for, not on the moment the
                    // other program's connection reads the schema, which a commit may rightly
                    // pass.
                    const bool ready = other->ready();
                    importRun.stopAt = ready ? waiting : "(no stop yet)";
                    metTheLock = metTheLock || (ready && text.starts_with(waiting));
                };
                imported = importLines(schema, lines, importRun);
                endedWhileHeld = other && other->held().empty();
            }
            ASSERT_TRUE(metTheLock);
            EXPECT_TRUE(endedWhileHeld);
            EXPECT_EQ(imported.finalStatus, "Import stopped by user");
            // A read held back the commit: the rows since the last one are lost at the stop.
            if (!write) {
                EXPECT_GT(imported.result.failed, 0);
            }
            linesLost(schema, lines, imported, importRun);
        }
    }
    DBConnection::setLockWaitOnThisThread(DBConnection::kWindowLockWait);
}
