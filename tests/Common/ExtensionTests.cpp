// What statement connections add: date functions, the files table, the misc extensions, the
// substr rule and the journal mode.
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "tests/support/DatabaseTest.h"

using namespace DBInterface;

namespace {

// The rows of a script run on a statement connection, NULL kept; a failure as one row holding
// "error <code>: <message>".
std::vector<DBRow> statementRows(const std::string& sql, const std::string& db = ":memory:",
                                 MissingFile missing = MissingFile::Fail) {
    ScriptResult result;
    std::string error;
    int rc = execMultipleQueryString(sql, ScriptOptions{100, true, missing}, &result, db, &error);
    if (rc != 0) return {{"error " + std::to_string(rc) + ": " + error}};
    return result.rows;
}

// The first value of the first row ("<NULL>" for NULL).
std::string scalar(const std::string& sql) {
    std::vector<DBRow> rows = statementRows(sql);
    if (rows.empty() || rows[0].empty()) return "<no row>";
    return rows[0][0].value_or("<NULL>");
}

class TimeZone {
  public:
    explicit TimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        if (old) previous_ = old, hadPrevious_ = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (hadPrevious_)
            setenv("TZ", previous_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace

TEST(DateFunctions, ConvertBetweenZonedTextsAndUtcInTheLocalZone) {
    struct Case {
        const char* zone;
        const char* sql;
        const char* expected;
    };
    const Case cases[] = {
        // Zoned texts to UTC: the local zone must not matter.
        {"Asia/Tokyo", "date2utc('2021-03-04 +0100')", "2021-03-03"},
        {"Asia/Tokyo", "date2utc('2021-03-04 +0100 ')", "2021-03-03"},
        {"Asia/Tokyo", "date2utc('2021-03-04 -0100')", "2021-03-04"},
        {"Asia/Tokyo", "time2utc('2021-03-04 12:30:00 -0500')", "2021-03-04 17:30:00"},
        {"Asia/Tokyo", "time2utc('2021-12-31 23:30:00 -0130')", "2022-01-01 01:00:00"},
        // An unknown sign counts as positive.
        {"Asia/Tokyo", "time2utc('2021-03-04 12:30:00 x0200')", "2021-03-04 10:30:00"},
        // UTC to local texts follow the zone and its summer time.
        {"Europe/Berlin", "utc2date('2021-03-04')", "2021-03-04 +0100"},
        {"Europe/Berlin", "utc2date('2021-03-04 23:30:00')", "2021-03-05 +0100"},
        {"Europe/Berlin", "utc2time('2021-07-04 12:00:00')", "2021-07-04 14:00:00 +0200"},
        {"America/New_York", "utc2time('2021-03-04 02:00:00')", "2021-03-03 21:00:00 -0500"},
        {"America/New_York", "utc2date('2021-03-04')", "2021-03-03 -0500"},
        {"UTC", "utc2time('2021-03-04 02:00:00')", "2021-03-04 02:00:00 +0000"},
        // A half-hour offset there and back.
        {"Australia/Adelaide", "time2utc(utc2time('2021-06-15 08:45:10'))", "2021-06-15 08:45:10"},
        // Unusable input gives NULL.
        {"UTC", "date2utc('2021-03-04')", "<NULL>"},
        {"UTC", "date2utc(20210304)", "<NULL>"},
        {"UTC", "date2utc(NULL)", "<NULL>"},
        {"UTC", "date2utc('')", "<NULL>"},
        {"UTC", "time2utc('2021-03-04 12:30:00')", "<NULL>"},
        {"UTC", "utc2date('2021-03-04 +0100')", "<NULL>"},
        {"UTC", "utc2time(printf('%.200c', 'x'))", "<NULL>"},
        {"UTC", "date2utc('a', 'b')", "error 1: wrong number of arguments to function date2utc()"},
    };
    for (const Case& c : cases) {
        TimeZone zone(c.zone);
        EXPECT_EQ(scalar(std::string("select ") + c.sql), c.expected) << c.zone << ": " << c.sql;
    }
}

class FilesTableTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        writeFile(db, "");  // a new, empty database
    }
};

TEST_F(FilesTableTest, ListsOnlyRegularFilesOfTheDocumentsFolder) {
    writeFile(pathInDocuments("a.db"), "12345");
    writeFile(pathInDocuments("b.txt"), "");
    writeFile(pathInDocuments(".DS_Store"), "x");
    std::filesystem::create_directory(pathInDocuments("folder"));
    std::filesystem::create_symlink(pathInDocuments("a.db"), pathInDocuments("link.db"));
    EXPECT_EQ(statementRows("select name, size, modified > 1600000000, rowid > 0 from "
                            "varnelo_db_files order by name",
                            db),
              (std::vector<DBRow>{{"a.db", "5", "1", "1"}, {"b.txt", "0", "1", "1"}}));
}

TEST_F(FilesTableTest, IsEponymousOnlyAndReadOnly) {
    std::string error;
    EXPECT_NE(execCommandString("create virtual table f using varnelo_db_files", db, &error), 0);
    error.clear();
    EXPECT_NE(execCommandString("delete from varnelo_db_files", db, &error), 0);
    EXPECT_FALSE(error.empty());
}

TEST_F(FilesTableTest, UnreadableFolderIsAnError) {
    std::filesystem::remove_all(home() + "/Documents");
    writeFile(home() + "/Documents", "not a folder");
    std::string error;
    EXPECT_EQ(execCommandString("select * from varnelo_db_files", db, &error), 1);
    EXPECT_EQ(error, "cannot read directory: " + home() + "/Documents");
}

TEST(StatementConnections, HaveTheMiscExtensionsAndTheSubstrRuleButNoExtensionLoading) {
    const std::string least = "-9223372036854775808", most = "9223372036854775807";
    const std::pair<std::string, std::string> cases[] = {
        {"decimal_add('0.1', '0.2')", "0.3"},
        {"decimal_mul('123456789012345678901234567890', '10')", "1234567890123456789012345678900"},
        {"ieee754(2.0)", "ieee754(2,0)"},
        {"sum(value) from generate_series(1, 100)", "5050"},
        {"'abc123' regexp '^[a-c]+[0-9]{3}$'", "1"},
        {"regexpi('ABC', 'xabcx')", "1"},
        {"load_extension('/nonexistent.so')", "error 1: not authorized"},
        // A start of 0 counts as 1.
        {"substr('abcdef', 0, 3)", "abc"},
        {"substring('abcdef', 0, 2)", "ab"},
        {"substr('\xC3\xA4\xC3\xB6\xC3\xBC', 0, 2)", "\xC3\xA4\xC3\xB6"},
        {"hex(substr(x'00112233', 0, 2))", "0011"},
        {"substr(NULL, 1, 2)", "<NULL>"},
        {"substr('abc', NULL)", "<NULL>"},
        // Extreme starts and counts stay within the text.
        {"substr('abc', 2, " + least + ")", "a"},
        {"substr('abc', 3, " + least + ")", "ab"},
        {"substr('abc', " + least + ", 2)", ""},
        {"substr('abc', " + most + ", " + most + ")", ""},
        {"hex(substr(x'616263', " + least + ", " + least + "))", ""},
    };
    for (const auto& [call, expected] : cases) EXPECT_EQ(scalar("select " + call), expected);
}

TEST(Substr, AgreesWithSQLiteForEveryOtherStart) {
    // The plain reader's connection has SQLite's own substr: compare both over a grid.
    std::string db = std::filesystem::temp_directory_path() / "varnelo-substr-compare.db";
    writeFile(db, "");  // an empty file is an empty database
    for (int start = -8; start <= 8; ++start) {
        if (start == 0) continue;
        for (int count = -8; count <= 8; ++count) {
            for (const char* text : {"'hello'",
                                     "'\xC3\xA4"
                                     "b\xE2\x82\xAC"
                                     "d'",
                                     "x'0102030405'", "''", "12345"}) {
                std::string sql = "select quote(substr(" + std::string(text) + ", " +
                                  std::to_string(start) + ", " + std::to_string(count) +
                                  ")), quote(substr(" + text + ", " + std::to_string(start) + "))";
                std::vector<std::string> builtin;
                ASSERT_EQ(getRows(&builtin, sql, db, nullptr), 0);
                EXPECT_EQ(statementRows(sql), (std::vector<DBRow>{{builtin[0], builtin[1]}}))
                    << sql;
            }
        }
    }
    std::filesystem::remove(db);
}

using JournalModeTest = DatabaseTest;

TEST_F(JournalModeTest, EveryFileGetsARollbackJournalOnDiskButAWalFileStaysInWalMode) {
    for (const std::string& path : {pathInDocuments("in.db"), pathInHome("out.db")}) {
        EXPECT_EQ(
            statementRows("create table t (a); pragma journal_mode", path, MissingFile::Create),
            std::vector<DBRow>{{"delete"}})
            << path;
    }
    run("pragma journal_mode = wal; create table t (a)");
    EXPECT_EQ(query("pragma journal_mode"), std::vector<std::string>{"wal"});
    run("insert into t values (1)");
    EXPECT_EQ(query("pragma journal_mode"), std::vector<std::string>{"wal"});
    EXPECT_EQ(query("select count(*) from t"), std::vector<std::string>{"1"});
}
