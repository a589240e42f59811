// Import runs on real files into a real database, each result read back through a connection of
// the test's own, row by row, and the activity log checked for what went wrong and where.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <gmock/gmock.h>

#include "Common/BackgroundTask.h"
#include "Common/DBConnection.h"
#include "exchange/ActivityLog.h"
#include "exchange/ImportRun.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/HeldWriteTransaction.h"
#include "tests/support/OtherProgram.h"
#include "tests/support/PostedCalls.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

namespace {

class RecordingReporter : public ImportRun::Reporter {
  public:
    void status(const std::string& text) override {
        statuses.push_back(text);
        if (onStatus) onStatus(text);
    }
    void resetProgress() override { progress = 0; }
    void advanceProgress(double amount) override {
        progress += amount;
        steps.push_back(amount);
    }
    void logChanged() override {
        if (onLog) onLog();
    }

    Strings statuses;
    std::function<void()> onLog;
    double progress = 0;
    std::vector<double> steps;
    std::function<void(const std::string&)> onStatus;
};

}  // namespace

class ImportRunTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table existing (a, b)");
    }

    // A file in the test's home holding the bytes.
    ImportFileSettings file(const std::string& name, const std::string& bytes,
                            const std::optional<std::string>& table = std::nullopt) {
        const std::string path = pathInHome(name);
        writeFile(path, bytes);
        return ImportFileSettings::forFile(path, table);
    }

    std::string import(std::vector<ImportFileSettings> files, ImportOptions options = {}) {
        ImportRun importRun(std::move(files), options, log, reporter);
        if (stopAfterBatches > 0) {
            reporter.onStatus = [&, batches = 0](const std::string& text) mutable {
                if (text.starts_with("Imported batch") && ++batches == stopAfterBatches) {
                    importRun.requestStop();
                }
            };
        }
        DBConnection connection(db, ConnectionKind::Statement);
        importRun.run(connection, db);
        imported = importRun.importedRows();
        failed = importRun.failedRows();
        return importRun.finalStatus();
    }

    // Log entries of the type whose message holds the text.
    Strings logged(int type, const std::string& text = {}) {
        Strings found;
        for (const auto& entry : log.entries()) {
            if (entry.type == type && entry.message.find(text) != std::string::npos) {
                found.push_back(entry.message);
            }
        }
        return found;
    }

    ActivityLog log;
    RecordingReporter reporter;
    int stopAfterBatches = 0;
    int64_t imported = 0, failed = 0;
};

TEST_F(ImportRunTest, HeaderLineByteOrderMarkAndCarriageReturnsMakeTheTable) {
    ImportFileSettings settings = file(
        "people.csv", "\xEF\xBB\xBFname,\"age\"\r\n\"Ann, Jr.\",31\r\n\"say \"\"hi\"\"\",\r\n");
    settings.line1 = ImportFileSettings::FieldNames;
    EXPECT_EQ(import({settings}), "Import completed without issues");
    EXPECT_THAT(directQuery("select name from pragma_table_info('people')"),
                ElementsAre("name", "age"));
    EXPECT_THAT(directQuery("select name || '|' || age from people order by rowid"),
                ElementsAre("Ann, Jr.|31", "say \"hi\"|"));
    EXPECT_EQ(imported, 2);
    EXPECT_THAT(logged(ActivityLog::Information), testing::Contains("Skipping first line"));
    EXPECT_NEAR(reporter.progress, 1.0, 1e-9);  // a whole file fills the bar once
}

// A new table's names come from the settings and the file: each is cleaned once, here.
TEST_F(ImportRunTest, ANewTableTakesItsNameAndFieldNamesCleaned) {
    ImportFileSettings settings = file("new.csv", "\"a\"\"1\",[b]\n1,2\n", "n\"ew [t]");
    settings.line1 = ImportFileSettings::FieldNames;
    EXPECT_EQ(import({settings}), "Import completed without issues");
    EXPECT_THAT(directQuery("select name from pragma_table_info('n_ew _t_')"),
                ElementsAre("a_1", "_b_"));
    EXPECT_THAT(directQuery("select table_name, name from varnelo_db_fields order by number"),
                ElementsAre("n_ew _t_", "a_1", "n_ew _t_", "_b_"));
    EXPECT_THAT(directQuery("select * from \"n_ew _t_\""), ElementsAre("1", "2"));
}

// The table an import makes is made under the write lock: another program's lock that ends
// within the import's wait is waited out, and every line comes in.
TEST_F(ImportRunTest, ANewTableIsMadeOnceAnotherProgramsShortLockEnds) {
    ImportFileSettings settings = file("big.csv", "1,2\n3,4\n", "big");
    // The file has the meta tables that the new table's rows are read from first.
    ASSERT_EQ(
        DBInterface::createTable("existing", 0, {"a", "b"}, {1, 1}, nullptr, nullptr, db, nullptr),
        0);
    DBConnection::setLockWaitOnThisThread(DBConnection::kBackgroundLockWait);
    OtherProgram other({"hold", db, "begin immediate"});
    ASSERT_EQ(other.told(), "held");
    std::thread ending([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.end();
    });
    const std::string status = import({settings});
    ending.join();
    DBConnection::setLockWaitOnThisThread(DBConnection::kWindowLockWait);
    EXPECT_EQ(status, "Import completed without issues");
    EXPECT_THAT(directQuery("select * from big"), ElementsAre("1", "2", "3", "4"));
}

TEST_F(ImportRunTest, RaggedLinesArePaddedOrCutAndReportedAsIssuesWithTheirLines) {
    ImportFileSettings settings = file("ragged.txt", "a\tb\tc\n1\t2\n1\t2\t3\t4\n\n5\t6\t7\n");
    settings.line1 = ImportFileSettings::FieldNames;
    EXPECT_EQ(import({settings}), "Import completed with issues");
    EXPECT_THAT(directQuery("select ifnull(a, 'N') || ifnull(b, 'N') || ifnull(c, 'N') || '.' "
                            "|| typeof(c) from ragged order by rowid"),
                ElementsAre("12.text", "123.text", "NN.null", "567.text"));
    // Padding loses nothing; cutting drops a value.
    EXPECT_THAT(logged(ActivityLog::Information, "field(s)"),
                ElementsAre("Line 2 had 2 field(s), less than the expected 3 field(s), added "
                            "empty text fields"));
    EXPECT_THAT(logged(ActivityLog::Warning),
                ElementsAre("Line 3 had 4 field(s), more than the expected 3 field(s), truncated "
                            "excess fields"));
    EXPECT_EQ(imported, 4);
    EXPECT_EQ(failed, 0);

    // Bailing at the record with too many fields keeps what came before and is an issue.
    run("delete from ragged");
    ImportOptions options;
    options.bailFlags = ImportOptions::BailOnTooManyFields;
    EXPECT_EQ(import({settings}, options), "Import completed with issues");
    EXPECT_THAT(directQuery("select a || b || c from ragged"), ElementsAre("12"));
    EXPECT_THAT(logged(ActivityLog::Warning, "Bailing"), ElementsAre("Bailing"));
}

TEST_F(ImportRunTest, LinesAreCountedBeforeTheRecordsAndTheBarMovesByAHundredthOfThem) {
    // 1000 lines, one of them two lines long in quotes; one short, told as it is read.
    std::string text = "\"two\nlines\",x\n";
    for (int i = 2; i <= 1000; ++i) text += std::to_string(i) + (i == 500 ? "\n" : ",x\n");
    EXPECT_EQ(import({file("many.csv", text)}), "Import completed without issues");
    EXPECT_EQ(imported, 1000);
    const Strings told = logged(ActivityLog::Information, "ine");
    ASSERT_GE(told.size(), 2u);
    EXPECT_EQ(told[0], "Number of lines in \"many.csv\": 1000");
    EXPECT_THAT(told[1], testing::StartsWith("Line 500 had 1 field(s)"));
    ASSERT_EQ(reporter.steps.size(), 100u);
    for (const double step : reporter.steps) EXPECT_NEAR(step, 0.01, 1e-9);

    // A hundred lines or fewer: once, at the end.
    reporter.steps.clear();
    EXPECT_EQ(import({file("few.csv", "1,2\n3,4\n")}), "Import completed without issues");
    EXPECT_THAT(reporter.steps, ElementsAre(1.0));
}

TEST_F(ImportRunTest, RolesOfTheFirstTwoRecords) {
    // Both discarded: the third record gives the field count and is data.
    ImportFileSettings discarded = file("discarded.txt", "x\ny\n1\t2\n3\t4\n");
    discarded.line1 = discarded.line2 = ImportFileSettings::Discard;
    // Names then formats: the table takes its types from the file, no rows.
    ImportFileSettings typed = file("typed.txt", "when\tcount\nDate\tNumber\n");
    typed.line1 = ImportFileSettings::FieldNames;
    typed.line2 = ImportFileSettings::FieldFormats;
    ImportFileSettings badFormat = file("bad.txt", "Date\tWhatever\n1\t2\n");
    badFormat.line1 = ImportFileSettings::FieldFormats;
    EXPECT_EQ(import({discarded, typed, badFormat}), "Import completed with issues");
    EXPECT_THAT(directQuery("select \"Field 1\" || \"Field 2\" from discarded"),
                ElementsAre("12", "34"));
    EXPECT_THAT(directQuery("select name from pragma_table_info('typed')"),
                ElementsAre("when", "count"));
    EXPECT_THAT(directQuery("select type from varnelo_db_fields where table_name = 'typed' "
                            "order by rowid"),
                ElementsAre("3", "2"));
    EXPECT_THAT(directQuery("select count(*) from typed"), ElementsAre("0"));
    EXPECT_THAT(directQuery("select count(*) from sqlite_master where name = 'bad'"),
                ElementsAre("0"));
    EXPECT_THAT(logged(ActivityLog::Error),
                ElementsAre("At least one of the field formats was invalid",
                            "Error getting field names or types from file",
                            "Cannot import \"bad.txt\" into \"bad\""));
}

TEST_F(ImportRunTest, ReaderTroublesAreWarningsWithTheirLinesAndTheTextStillArrives) {
    const std::string longField(1000000, 'x');
    ImportFileSettings settings = file(
        "odd.csv", "a,b\nok,\xff\xfe\n" + longField + ",long\nlast,\"never closed\nstill,in\n");
    settings.line1 = ImportFileSettings::FieldNames;
    EXPECT_EQ(import({settings}), "Import completed with issues");
    EXPECT_THAT(
        directQuery("select a, length(b), hex(b) = 'EFBFBDEFBFBD' from odd where rowid = 1"),
        ElementsAre("ok", "2", "1"));
    EXPECT_THAT(directQuery("select length(a), b from odd where rowid = 2"),
                ElementsAre("1000000", "long"));
    EXPECT_THAT(directQuery("select a, b from odd where rowid = 3"),
                ElementsAre("last", "never closed\nstill,in\n"));
    const Strings warnings = logged(ActivityLog::Warning);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_THAT(warnings[0], HasSubstr("Line 2: Invalid"));
    EXPECT_THAT(warnings[1], HasSubstr("Line 4: a quoted value is not closed"));
}

TEST_F(ImportRunTest, ABinaryFileIsRefusedBeforeAnythingIsMadeOrDeleted) {
    std::mt19937 random(31);
    std::string bytes;
    for (int i = 0; i < 65536; ++i) bytes += static_cast<char>(random() % 256);
    run("insert into existing values ('old', 1)");
    ImportOptions options;
    options.deleteAllRowsFirst = true;
    EXPECT_EQ(import({file("photo.jpg", bytes), file("blob.bin", bytes, "existing")}, options),
              "Import completed with issues");
    EXPECT_THAT(directQuery("select count(*) from sqlite_master where name = 'photo'"),
                ElementsAre("0"));
    EXPECT_THAT(directQuery("select a from existing"), ElementsAre("old"));
    EXPECT_THAT(logged(ActivityLog::Error, "NUL"),
                ElementsAre("\"photo.jpg\" is not a delimited text file: it holds NUL bytes",
                            "\"blob.bin\" is not a delimited text file: it holds NUL bytes"));
    EXPECT_EQ(imported, 0);
}

TEST_F(ImportRunTest, ADatabaseQueuedAsTextIsRefusedUnopenedAndKeepsTheLocksHeldOnIt) {
    // A connection of this process, another window's, is writing the database queued.
    const std::string shop = pathInHome("shop.db");
    DBConnection writer(shop, ConnectionKind::NewFileStatement);
    ASSERT_EQ(sqlite3_exec(writer.handle(),
                           "create table t (a); begin immediate; insert into t "
                           "values (1)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string held = probeLocks(shop);
    ASSERT_EQ(held.substr(0, held.find(' ')), "write:refused") << held;
    EXPECT_EQ(import({ImportFileSettings::forFile(shop, std::nullopt)}),
              "Import completed with issues");
    EXPECT_THAT(logged(ActivityLog::Error, "NUL"),
                ElementsAre("\"shop.db\" is not a delimited text file: it holds NUL bytes"));
    EXPECT_EQ(probeLocks(shop), held);
}

// The -wal, -shm or -journal of a database this process is writing, queued under its own name or
// through a link: refused unopened as a file that is no delimited text, the locks kept.
TEST_F(ImportRunTest, ASideFileOfAnOpenDatabaseIsRefusedUnopenedUnderAnyNameAndKeepsItsLocks) {
    for (const std::string mode : {"wal", "delete"}) {
        SCOPED_TRACE(mode);
        const std::string shop = pathInHome(mode + ".db");
        const HeldWriteTransaction writer(shop, mode);
        std::vector<ImportFileSettings> queued;
        Strings refusals;
        for (const std::string& side : writer.sideFiles()) {
            const std::string link = side + "-link.csv";
            std::filesystem::create_symlink(side, link);
            for (const std::string& path : {side, link}) {
                queued.push_back(ImportFileSettings::forFile(path, std::nullopt));
                refusals.push_back("\"" + std::filesystem::path(path).filename().string() +
                                   "\" is not a delimited text file: it holds NUL bytes");
            }
        }
        log.clear();
        EXPECT_EQ(import(queued), "Import completed with issues");
        EXPECT_EQ(logged(ActivityLog::Error, "NUL"), refusals);
        EXPECT_EQ(probeLocks(shop), writer.locks());
    }
}

TEST_F(ImportRunTest, Utf16IsRefusedBinaryWithoutNulBytesIsReadAsTextWithWarnings) {
    std::mt19937 random(7);
    std::string junk;
    while (junk.size() < 3000) {
        if (const char c = static_cast<char>(random() % 256)) junk += c;
    }
    ImportFileSettings utf16 = file("wide.txt", std::string("\xFF\xFE"
                                                            "a\0\tb\0\n\0",
                                                            8));
    ImportFileSettings plain = file("plain.txt", "a\tb\r\n\fpage\tc\r\n");
    EXPECT_EQ(import({file("junk.bin", junk), utf16, plain}), "Import completed with issues");
    EXPECT_THAT(directQuery("select name from sqlite_master where name in ('junk', 'wide', "
                            "'plain') order by name"),
                ElementsAre("junk", "plain"));
    EXPECT_THAT(directQuery("select count(*) from plain"), ElementsAre("2"));
    EXPECT_THAT(logged(ActivityLog::Error, "\""),
                ElementsAre("\"wide.txt\" is UTF-16 text: UTF-16 is not among the text "
                            "encodings of the import",
                            "Cannot import \"wide.txt\" into \"wide\""));
    EXPECT_THAT(logged(ActivityLog::Warning, "Invalid"), testing::Not(testing::IsEmpty()));
}

TEST_F(ImportRunTest, OnlyLinesNotWrittenCountAsFailed) {
    run("create table counted (k integer primary key, v)");
    // Cut, padded, mended UTF-8 and a quote left open go in; only the duplicate key is lost.
    const std::string text = "1,a\n2,b,extra\n3\n4,caf\xE9\n1,dup\n5,\"open\n6,x\n";
    EXPECT_EQ(import({file("counted.csv", text, "counted")}), "Import completed with issues");
    EXPECT_THAT(directQuery("select group_concat(k) from counted"), ElementsAre("1,2,3,4,5"));
    EXPECT_EQ(imported, 5);
    EXPECT_EQ(failed, 1);
    EXPECT_THAT(logged(ActivityLog::Error, "failed lines"),
                ElementsAre("Number of failed lines from \"counted.csv\": 1"));
    EXPECT_THAT(logged(ActivityLog::Information, "failed lines"),
                ElementsAre("Total number of failed lines: 1"));
}

TEST_F(ImportRunTest, RowsIgnoredByAConflictRuleAreNotCountedAsImported) {
    run("create table once (k unique on conflict ignore, v)");
    std::string text;
    for (int i = 1; i <= 80; ++i) text += std::to_string(i == 41 ? 40 : i) + "\tv\n";
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched);
        run("delete from once");
        ImportOptions options;
        options.batchLines = batched;
        EXPECT_EQ(import({file("once.txt", text, "once")}, options),
                  "Import completed with issues");
        EXPECT_EQ(imported, 79);
        EXPECT_EQ(failed, 1);
        EXPECT_THAT(directQuery("select count(*) from once"), ElementsAre("79"));
        EXPECT_THAT(logged(ActivityLog::Warning, "ignored"),
                    ElementsAre("Line 41 was not imported: a conflict rule or trigger of the "
                                "table ignored it"));
    }
}

TEST_F(ImportRunTest, SingleByteEncodingsAreDecoded) {
    ImportFileSettings windows = file("windows.txt", "caf\xe9\t\x80\n", "encoded");
    windows.textEncoding = 1;
    ImportFileSettings mac = file("mac.txt", "caf\x8e\t\xdb\n", "encoded");
    mac.textEncoding = 2;
    EXPECT_EQ(import({windows, mac}), "Import completed without issues");
    EXPECT_THAT(directQuery("select \"Field 1\" || \"Field 2\" from encoded order by rowid"),
                ElementsAre("café€", "café€"));
}

TEST_F(ImportRunTest, FailedRowsAreCountedExactlyAndReportedWithTheirLines) {
    run("create table keyed (k integer primary key, v not null)");
    std::string text;
    for (int i = 1; i <= 250; ++i) text += std::to_string(i) + "\tv\n";
    text += "7\tagain\n300\tnull\n301\tlast\n";
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched);
        run("delete from keyed; insert into keyed values (5, 'kept')");
        ImportOptions options;
        options.batchLines = batched;
        options.dataTypesToConvert = ImportOptions::ConvertNULL;
        EXPECT_EQ(import({file("keyed.txt", text, "keyed")}, options),
                  "Import completed with issues");
        EXPECT_EQ(imported, 250);  // 253 lines: 5 and 7 are taken, 300 is NULL
        EXPECT_EQ(failed, 3);
        EXPECT_THAT(directQuery("select count(*), max(k) from keyed"), ElementsAre("251", "301"));
        EXPECT_THAT(directQuery("select v from keyed where k in (5, 7) order by k"),
                    ElementsAre("kept", "v"));
        const Strings errors = logged(ActivityLog::Error, "could not be imported");
        ASSERT_EQ(errors.size(), 3u);
        EXPECT_THAT(errors[0], HasSubstr("Line 5 could not be imported: UNIQUE"));
        EXPECT_THAT(errors[1], HasSubstr("Line 251 could not be imported: UNIQUE"));
        EXPECT_THAT(errors[2], HasSubstr("Line 252 could not be imported: NOT NULL"));

        // Importing the same file again adds nothing twice.
        EXPECT_EQ(import({file("keyed.txt", text, "keyed")}, options),
                  "Import completed with issues");
        EXPECT_EQ(imported, 0);
        EXPECT_THAT(directQuery("select count(*) from keyed"), ElementsAre("251"));
    }
}

TEST_F(ImportRunTest, UnbatchedRunsSumUpTheRowsNotImported) {
    run("create table keyed (k integer primary key); insert into keyed select value from "
        "generate_series(1, 100)");
    // 100 taken keys, then 50 new ones, the last line cut but imported.
    std::string text;
    for (int i = 1; i <= 150; ++i) text += std::to_string(i) + "\n";
    text += "151\textra\n";
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched);
        run("delete from keyed where k > 100");
        ImportOptions options;
        options.batchLines = batched;
        EXPECT_EQ(import({file("keys.txt", text, "keyed")}, options),
                  "Import completed with issues");
        EXPECT_EQ(imported, 51);
        EXPECT_EQ(failed, 100);
        EXPECT_EQ(logged(ActivityLog::Error, "could not be imported").size(), 100u);
        EXPECT_THAT(logged(ActivityLog::Error, "Could not import"),
                    batched ? Strings{} : Strings{"Could not import 100 row(s)"});
        EXPECT_THAT(logged(ActivityLog::Information, "Failed to import"),
                    batched ? Strings{} : Strings{"Failed to import 100 row(s)"});
    }
}

TEST_F(ImportRunTest, LongRecordsOverManyChunksArriveWholeAndConverted) {
    // Records of about a kilobyte: the reader's chunks end between rows that go in together.
    std::string text;
    for (int i = 1; i <= 5000; ++i) {
        char value[1001];
        std::snprintf(value, sizeof value, "%01000d", i);
        text += std::to_string(i) + "\t" + value + (i % 7 == 0 ? "\tnull\n" : "\tx\n");
    }
    for (const bool convertNULL : {false, true}) {
        SCOPED_TRACE(convertNULL);
        ImportOptions options;
        if (convertNULL) options.dataTypesToConvert = ImportOptions::ConvertNULL;
        EXPECT_EQ(import({file("long.txt", text, "long")}, options),
                  "Import completed without issues");
        EXPECT_EQ(imported, 5000);
        EXPECT_THAT(directQuery("select count(*), count(distinct \"Field 1\") from long where "
                                "\"Field 2\" = printf('%01000d', \"Field 1\")"),
                    ElementsAre("5000", "5000"));
        EXPECT_THAT(directQuery("select count(*) from long where \"Field 3\" is null"),
                    ElementsAre(convertNULL ? "714" : "0"));
        run("drop table long");
    }
}

TEST_F(ImportRunTest, RowsBeforeAFailingRowUnderAFailRuleGoInOnce) {
    // A FAIL rule keeps what its statement wrote before the failing row.
    run("create table failing (k, v not null on conflict fail); create table raising (k, v); "
        "create trigger refuse before insert on raising when new.v is null begin "
        "select raise(fail, 'refused'); end");
    std::string text;
    for (int i = 1; i <= 100; ++i) text += std::to_string(i) + (i == 50 ? "\tbad\n" : "\tv\n");
    ImportOptions options;
    options.dataTypesToConvert = ImportOptions::ConvertNULL;
    options.nullText = "bad";
    EXPECT_EQ(import({file("failing.txt", text, "failing"), file("raising.txt", text, "raising")},
                     options),
              "Import completed with issues");
    for (const char* table : {"failing", "raising"}) {
        SCOPED_TRACE(table);
        EXPECT_THAT(
            directQuery(std::string("select count(*), count(distinct k), sum(k) from ") + table),
            ElementsAre("99", "99", "5000"));
    }
    EXPECT_EQ(logged(ActivityLog::Error, "Line 50 could not be imported").size(), 2u);
}

TEST_F(ImportRunTest, AConflictThatRollsTheTransactionBackLosesOnlyItsLine) {
    run("create table strict (k unique on conflict rollback)");
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched);
        ImportOptions options;
        options.batchLines = batched;
        EXPECT_EQ(import({file("strict.txt", "1\n2\n1\n3\n", "strict")}, options),
                  "Import completed with issues");
        EXPECT_EQ(imported, 3);
        EXPECT_EQ(failed, 1);
        EXPECT_THAT(directQuery("select group_concat(k) from strict"), ElementsAre("1,2,3"));
        EXPECT_THAT(logged(ActivityLog::Error, "Line"),
                    ElementsAre("Line 3 could not be imported: UNIQUE constraint failed: "
                                "strict.k"));
        run("delete from strict");
    }
}

TEST_F(ImportRunTest, ARollbackLateInALongFileLosesOnlyItsLineAndKeepsTheRowItMet) {
    run("create table rb (k text unique on conflict rollback, v)");
    std::string text;
    for (int i = 1; i <= 200001; ++i) {
        text += (i == 150001 ? std::string("k7") : "k" + std::to_string(i)) + "\tline " +
                std::to_string(i) + "\n";
    }
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched);
        run("delete from rb");
        ImportOptions options;
        options.batchLines = batched;
        EXPECT_EQ(import({file("long.txt", text, "rb")}, options), "Import completed with issues");
        EXPECT_EQ(imported, 200000);
        EXPECT_EQ(failed, 1);
        EXPECT_THAT(directQuery("select count(*), count(distinct k), "
                                "(select v from rb where k = 'k7') from rb"),
                    ElementsAre("200000", "200000", "line 7"));
        EXPECT_THAT(logged(ActivityLog::Error, "Line"),
                    ElementsAre("Line 150001 could not be imported: UNIQUE constraint failed: "
                                "rb.k"));
    }
}

// A trigger that reads the connection's change count refuses a line only when it is written again
// after a rollback: that line is lost after all, counted and named, and the run goes on.
TEST_F(ImportRunTest, ALineRefusedOnlyWhenWrittenAgainIsCountedAndNamed) {
    std::string text;
    for (int i = 1; i <= 20; ++i)
        text += "k" + std::to_string(i) + (i == 12 ? "\tnull\n" : "\tv\n");
    for (const std::string how : {"abort", "rollback"}) {
        SCOPED_TRACE(how);
        run("drop table if exists t; create table t (a, b not null on conflict rollback); create "
            "trigger late before insert on t when new.a = 'k5' and total_changes() >= 11 begin "
            "select raise(" +
            how + ", 'written twice'); end");
        ImportOptions options;
        options.dataTypesToConvert = ImportOptions::ConvertNULL;
        options.commitInterval = std::chrono::hours(1);
        EXPECT_EQ(import({file("late.txt", text, "t")}, options), "Import completed with issues");
        EXPECT_EQ(imported, 18);
        EXPECT_EQ(failed, 2);
        EXPECT_THAT(directQuery("select count(*), sum(a in ('k5', 'k12')) from t"),
                    ElementsAre("18", "0"));
        EXPECT_THAT(logged(ActivityLog::Error, "Line"),
                    ElementsAre("Line 12 could not be imported: NOT NULL constraint failed: t.b",
                                "Line 5 could not be imported: written twice"));
    }
}

TEST_F(ImportRunTest, RowsAreDeletedOnlyForAnImportableFileAndOncePerTable) {
    run("insert into existing values ('old', 1)");
    ImportOptions options;
    options.deleteAllRowsFirst = true;
    // Three fields for a table of two: nothing may be deleted.
    EXPECT_EQ(import({file("wide.txt", "1\t2\t3\n", "existing")}, options),
              "Import completed with issues");
    EXPECT_THAT(directQuery("select a from existing"), ElementsAre("old"));
    EXPECT_THAT(logged(ActivityLog::Error, "types in"),
                ElementsAre("2 types in table but 3 types in file"));

    EXPECT_EQ(import({file("one.txt", "1\t2\n", "existing"), file("two.txt", "3\t4\n", "existing")},
                     options),
              "Import completed without issues");
    EXPECT_THAT(directQuery("select a || b from existing order by rowid"), ElementsAre("12", "34"));
}

TEST_F(ImportRunTest, StopInABatchedRunKeepsWholeBatchesOnly) {
    std::string text;
    for (int i = 1; i <= 1000; ++i) text += std::to_string(i) + "\n";
    ImportOptions options;
    options.batchLines = true;
    stopAfterBatches = 3;
    EXPECT_EQ(import({file("numbers.txt", text)}, options), "Import stopped by user");
    EXPECT_EQ(imported, 300);
    EXPECT_THAT(directQuery("select count(*), max(\"Field 1\" + 0) from numbers"),
                ElementsAre("300", "300"));
}

TEST_F(ImportRunTest, StopInABatchedRunWritesEveryLineReadBeforeIt) {
    // Line 250 is short: the run is stopped as its padding is logged, mid-batch.
    std::string text;
    for (int i = 1; i <= 1000; ++i) text += std::to_string(i) + (i == 250 ? "\n" : "\tx\n");
    ImportOptions options;
    options.batchLines = true;
    ImportRun importRun({file("numbers.txt", text)}, options, log, reporter);
    reporter.onLog = [&] {
        const auto entries = log.entries();
        if (!entries.empty() && entries.back().message.starts_with("Line 250 had")) {
            importRun.requestStop();
        }
    };
    DBConnection connection(db, ConnectionKind::Statement);
    importRun.run(connection, db);
    EXPECT_EQ(importRun.finalStatus(), "Import stopped by user");
    EXPECT_EQ(importRun.importedRows(), 250);
    EXPECT_THAT(directQuery("select count(*), max(\"Field 1\" + 0) from numbers"),
                ElementsAre("250", "250"));
}

TEST_F(ImportRunTest, AKilledImportLeavesWholeCommittedBatches) {
    std::string text;
    for (int i = 1; i <= 100000; ++i) text += std::to_string(i) + "\tsome text\n";
    const ImportFileSettings settings = file("big.txt", text, "existing");
    const pid_t child = fork();
    if (child == 0) {
        ImportOptions options;
        options.batchLines = true;
        options.commitInterval = std::chrono::milliseconds(0);  // every batch
        // Killed once the 350th batch is written, before it is committed.
        reporter.onStatus = [batches = 0](const std::string& text) mutable {
            if (text.starts_with("Imported batch") && ++batches == 350) kill(getpid(), SIGKILL);
        };
        ImportRun importRun({settings}, options, log, reporter);
        DBConnection connection(db, ConnectionKind::Statement);
        importRun.run(connection, db);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    // The first connection after the kill rolls the unfinished transaction back.
    EXPECT_THAT(query("pragma integrity_check"), ElementsAre("ok"));
    EXPECT_THAT(directQuery("select count(*), max(a + 0) from existing"),
                ElementsAre("34900", "34900"));
}

TEST_F(ImportRunTest, AFileDeletedDuringTheRunIsReportedNotCompletedWithoutIssues) {
    reporter.onStatus = [&](const std::string& text) {
        if (text == "Preparing to import") std::filesystem::remove(db);
    };
    std::string status = import({file("rows.csv", "a,b\n1,2\n3,4\n", "existing")});
    EXPECT_EQ(status, "Import completed with issues");
    EXPECT_EQ(logged(ActivityLog::Error, "was deleted or replaced during the import").size(), 1u);
    EXPECT_EQ(imported, 0);
    // Nor is a new database made where the deleted one was.
    EXPECT_FALSE(std::filesystem::exists(db));
}

// An error of the database file rather than of a line ends the run as a stop does: SQLite's
// error is named once, every line read is imported or counted as failed, the totals close a short
// log, and no file after it is tried.
TEST_F(ImportRunTest, AnErrorOfTheFileEndsTheRunAndIsNamed) {
    std::string text;
    for (int i = 1; i <= 8000; ++i)
        text += std::to_string(i) + "\ta line long enough to fill pages\n";
    const struct {
        const char* name;
        bool readOnly;
        int pagesLeft;      // before the disk is full; 0: no limit
        bool deleteMidRun;  // as the first rows are told; renamed, so that they can be counted
        const char* error;
    } cases[] = {
        {"full disk", false, 40, false, "database or disk is full"},
        {"read-only file", true, 0, false, "attempt to write a readonly database"},
        {"file deleted", false, 0, true, "attempt to write a readonly database"},
    };
    const std::string kept = db + ".kept";
    for (const auto& c : cases) {
        for (const bool batched : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (batched ? " batched" : ""));
            run("delete from existing");
            ImportOptions options;
            options.batchLines = batched;
            options.commitInterval = std::chrono::milliseconds(0);
            ImportRun importRun(
                {file("lines.txt", text, "existing"), file("more.txt", "1\t2\n", "existing")},
                options, log, reporter);
            reporter.onStatus = [&](const std::string& status) {
                if (c.deleteMidRun && status.starts_with("Imported") &&
                    std::filesystem::exists(db)) {
                    std::filesystem::rename(db, kept);
                }
            };
            {
                DBConnection connection(c.readOnly ? "file:" + db + "?mode=ro" : db,
                                        ConnectionKind::Statement);
                if (c.pagesLeft) {
                    const int pages = std::stoi(directQuery("pragma page_count").at(0));
                    const std::string limit =
                        "pragma max_page_count = " + std::to_string(pages + c.pagesLeft);
                    sqlite3_exec(connection.handle(), limit.c_str(), nullptr, nullptr, nullptr);
                }
                importRun.run(connection, db);
            }
            reporter.onStatus = nullptr;
            if (c.deleteMidRun) std::filesystem::rename(kept, db);
            EXPECT_EQ(importRun.finalStatus(), "Import completed with issues");
            EXPECT_THAT(
                logged(ActivityLog::Error, "cannot be written"),
                ElementsAre(std::string("The database cannot be written, so the import ends: ") +
                            c.error));
            EXPECT_THAT(
                logged(ActivityLog::Information, "Total number of"),
                ElementsAre(
                    "Total number of imported lines: " + std::to_string(importRun.importedRows()),
                    "Total number of failed lines: " + std::to_string(importRun.failedRows())));
            EXPECT_THAT(logged(ActivityLog::Information, "more.txt"), testing::IsEmpty());
            EXPECT_LT(log.count(), 30u);
            // What was read went in or was counted; what went in is in the table.
            EXPECT_THAT(directQuery("select count(*) from existing"),
                        ElementsAre(std::to_string(importRun.importedRows())));
            if (!c.readOnly) {
                EXPECT_GT(importRun.importedRows(), 0);
            }
        }
    }
}

TEST_F(ImportRunTest, AnUnbatchedRunTellsItsCountOnceEveryHundredRows) {
    // Two hundred and fifty lines, the fifth a failure, the 130th cut into a statement of its own.
    std::string text;
    for (int i = 1; i <= 250; ++i) {
        text += (i == 5 ? std::string("x\ty\tz") : std::to_string(i) + "\ta") +
                (i == 130 ? "\tb\n" : "\n");
    }
    run("create table counted (k integer primary key, v)");
    EXPECT_EQ(import({file("counted.txt", text, "counted")}), "Import completed with issues");
    EXPECT_EQ(imported, 249);
    Strings told;
    for (const std::string& status : reporter.statuses) {
        if (status.starts_with("Imported ")) told.push_back(status);
    }
    // Lines 100 and 200 are the 99th and 199th rows written; the last count is the file's.
    EXPECT_THAT(told,
                ElementsAre("Imported 99 row(s)", "Imported 199 row(s)", "Imported 249 row(s)"));
}

TEST_F(ImportRunTest, RowsDeletedFirstStayDeletedWhenAConflictRollsTheTransactionBack) {
    run("create table keyed (k unique on conflict rollback, v); insert into keyed values "
        "('old 1', 1), ('old 2', 2)");
    ImportOptions options;
    options.deleteAllRowsFirst = true;
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched);
        options.batchLines = batched;
        // The third line rolls back the transaction that deleted the old rows and wrote two.
        EXPECT_EQ(import({file("keys.txt", "1\ta\n2\tb\n1\tc\n3\td\n", "keyed")}, options),
                  "Import completed with issues");
        EXPECT_EQ(imported, 3);
        EXPECT_EQ(failed, 1);
        EXPECT_THAT(directQuery("select group_concat(k || v) from keyed"), ElementsAre("1a,2b,3d"));
        run("delete from keyed; insert into keyed values ('old 1', 1), ('old 2', 2)");
    }
}

TEST_F(ImportRunTest, LinesAreCountedAsTheyAreReadWhateverQuotesTheyHold) {
    // A quote inside an unquoted value is text to the reader; invalid UTF-8 ends no line early.
    const struct {
        const char* name;
        std::string first;
    } cases[] = {{"inches.csv", "5\" disk,x\n"}, {"latin.csv", "caf\xC3\n"}};
    for (const auto& [name, first] : cases) {
        SCOPED_TRACE(name);
        std::string text = first;
        for (int i = 2; i <= 300; ++i) text += std::to_string(i) + ",x\n";
        reporter.steps.clear();
        import({file(name, text)});
        EXPECT_EQ(imported, 300);
        EXPECT_THAT(logged(ActivityLog::Information, "Number of lines"),
                    ElementsAre("Number of lines in \"" + std::string(name) + "\": 300"));
        EXPECT_EQ(reporter.steps.size(), 100u);
    }
}

// Closing the window or quitting asks the run to stop and destroys its task, which interrupts the
// run's SQL at once: wherever the interrupt lands (a statement of several rows, a row alone, rows
// written again after a rollback, a commit), in either journal mode, the table keeps lines 1 to n
// of the file, none missing before the last, and the counts are the table's.
TEST_F(ImportRunTest, AnInterruptAtAnyMomentKeepsTheFirstLinesOfTheFileOnly) {
    constexpr int kLines = 200000;
    std::string text;
    for (int i = 1; i <= kLines; ++i) text += std::to_string(i) + "\tx\n";
    const ImportFileSettings lines = file("lines.txt", text, "numbers");
    const Strings schemas = {
        "create table numbers (a, b)",
        "create table numbers (a, b not null on conflict rollback)",
        // Once the task is stopped, its progress handler interrupts a statement of many rows,
        // which the trigger makes long, and not a row alone.
        "create table numbers (a, b); create table tally (n, m); insert into tally values (0, 0); "
        "create trigger g after insert on numbers begin update tally set n = n + 1; "
        "update tally set m = m + new.a; end",
    };
    std::mt19937 random(62);
    int cut = 0, interruptsTold = 0;
    for (const std::string mode : {"delete", "wal"}) {
        for (const std::string& schema : schemas) {
            for (const bool batched : {false, true}) {
                for (int attempt = 0; attempt < 3; ++attempt) {
                    const std::chrono::milliseconds moment(random() % 400);
                    SCOPED_TRACE(mode + " " + schema + (batched ? " batched" : "") + " after " +
                                 std::to_string(moment.count()) + " ms");
                    run("drop table if exists numbers; drop table if exists tally; "
                        "pragma journal_mode = " +
                        mode + "; " + schema);
                    ImportOptions options;
                    options.batchLines = batched;
                    ImportRun importRun({lines}, options, log, reporter);
                    PostedCalls posted;
                    {
                        // As the console runs it.
                        BackgroundTask task(
                            db, ConnectionKind::Statement, posted.poster(),
                            [&](DBConnection& connection, BackgroundTask&) {
                                importRun.run(connection, db);
                            },
                            BackgroundTask::Yield::Never, &importRun);
                        std::this_thread::sleep_for(moment);
                        importRun.requestStop();
                    }
                    const std::string n = std::to_string(importRun.importedRows());
                    EXPECT_THAT(directQuery("select count(*), count(distinct a), "
                                            "coalesce(max(a + 0), 0), "
                                            "coalesce(sum(rowid = a + 0), 0) from numbers"),
                                ElementsAre(n, n, n, n));
                    EXPECT_LE(importRun.importedRows() + importRun.failedRows(), kLines);
                    if (importRun.importedRows() == kLines) continue;
                    ++cut;
                    EXPECT_EQ(importRun.finalStatus(), "Import stopped by user");
                    interruptsTold += !logged(ActivityLog::Error, "interrupted").empty();
                }
            }
        }
    }
    EXPECT_GT(cut, 0);
    EXPECT_GT(interruptsTold, 0);
}

TEST_F(ImportRunTest, AStopAtAnyLineKeepsEveryLineReadBeforeItOnce) {
    // Every seventh line is short and told; the run is stopped as one of them is told.
    std::string text;
    for (int i = 1; i <= 1000; ++i) text += std::to_string(i) + (i % 7 == 0 ? "\n" : "\tx\n");
    for (const bool batched : {false, true}) {
        for (const int stopLine : {7, 98, 99 * 7, 700, 994}) {
            SCOPED_TRACE(std::to_string(batched) + " " + std::to_string(stopLine));
            run("drop table if exists numbers");
            ImportOptions options;
            options.batchLines = batched;
            options.commitInterval = std::chrono::milliseconds(0);
            ImportRun importRun({file("numbers.txt", text)}, options, log, reporter);
            const std::string told = "Line " + std::to_string(stopLine) + " had";
            reporter.onLog = [&] {
                const auto entries = log.entries();
                if (!entries.empty() && entries.back().message.starts_with(told)) {
                    importRun.requestStop();
                }
            };
            DBConnection connection(db, ConnectionKind::Statement);
            importRun.run(connection, db);
            reporter.onLog = nullptr;
            EXPECT_EQ(importRun.finalStatus(), "Import stopped by user");
            EXPECT_EQ(importRun.importedRows(), stopLine);
            EXPECT_THAT(directQuery("select count(*), count(distinct \"Field 1\"), "
                                    "max(\"Field 1\" + 0) from numbers"),
                        ElementsAre(std::to_string(stopLine), std::to_string(stopLine),
                                    std::to_string(stopLine)));
        }
    }
}
