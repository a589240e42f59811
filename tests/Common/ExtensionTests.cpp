// What statement connections add: date functions, the files table, the misc extensions, the
// substr rule and the journal mode.
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "tests/support/DatabaseTest.h"

using namespace DBInterface;

namespace {

// Runs the script runner and gives the first value of the first row ("<NULL>" for NULL).
std::string scalar(const std::string& sql, const std::string& db = ":memory:") {
    ScriptResult result;
    std::string error;
    int rc = execMultipleQueryString(sql, ScriptOptions{10, true}, &result, db, &error);
    if (rc != 0) return "error " + std::to_string(rc) + ": " + error;
    const std::vector<DBRow>& rows = result.rows;
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

TEST(DateFunctions, ZonedTextsToUtc) {
    TimeZone zone("Asia/Tokyo");  // the local zone must not matter for these two
    EXPECT_EQ(scalar("select date2utc('2021-03-04 +0100')"), "2021-03-03");
    EXPECT_EQ(scalar("select date2utc('2021-03-04 +0100 ')"), "2021-03-03");
    EXPECT_EQ(scalar("select date2utc('2021-03-04 -0100')"), "2021-03-04");
    EXPECT_EQ(scalar("select time2utc('2021-03-04 12:30:00 -0500')"), "2021-03-04 17:30:00");
    EXPECT_EQ(scalar("select time2utc('2021-12-31 23:30:00 -0130')"), "2022-01-01 01:00:00");
    // An unknown sign counts as positive.
    EXPECT_EQ(scalar("select time2utc('2021-03-04 12:30:00 x0200')"), "2021-03-04 10:30:00");
}

TEST(DateFunctions, UnusableInputGivesNull) {
    EXPECT_EQ(scalar("select date2utc('2021-03-04')"), "<NULL>");
    EXPECT_EQ(scalar("select date2utc(20210304)"), "<NULL>");
    EXPECT_EQ(scalar("select date2utc(NULL)"), "<NULL>");
    EXPECT_EQ(scalar("select date2utc('')"), "<NULL>");
    EXPECT_EQ(scalar("select time2utc('2021-03-04 12:30:00')"), "<NULL>");
    EXPECT_EQ(scalar("select utc2date('2021-03-04 +0100')"), "<NULL>");
    EXPECT_EQ(scalar("select utc2time(printf('%.200c', 'x'))"), "<NULL>");
    EXPECT_EQ(scalar("select date2utc('a', 'b')").rfind("error 1:", 0), 0u);
}

TEST(DateFunctions, UtcToLocalFollowsTheTimeZone) {
    {
        TimeZone zone("Europe/Berlin");
        EXPECT_EQ(scalar("select utc2date('2021-03-04')"), "2021-03-04 +0100");
        EXPECT_EQ(scalar("select utc2date('2021-03-04 23:30:00')"), "2021-03-05 +0100");
        EXPECT_EQ(scalar("select utc2time('2021-07-04 12:00:00')"), "2021-07-04 14:00:00 +0200");
    }
    {
        TimeZone zone("America/New_York");
        EXPECT_EQ(scalar("select utc2time('2021-03-04 02:00:00')"), "2021-03-03 21:00:00 -0500");
        EXPECT_EQ(scalar("select utc2date('2021-03-04')"), "2021-03-03 -0500");
    }
    {
        TimeZone zone("UTC");
        EXPECT_EQ(scalar("select utc2time('2021-03-04 02:00:00')"), "2021-03-04 02:00:00 +0000");
    }
}

TEST(DateFunctions, RoundTripThroughLocalTime) {
    TimeZone zone("Australia/Adelaide");  // a half-hour offset
    EXPECT_EQ(scalar("select time2utc(utc2time('2021-06-15 08:45:10'))"), "2021-06-15 08:45:10");
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
    ScriptResult result;
    std::string error;
    ASSERT_EQ(execMultipleQueryString("select name, size, modified > 1600000000, rowid > 0 from "
                                      "varnelo_db_files order by name",
                                      ScriptOptions{100}, &result, db, &error),
              0)
        << error;
    const std::vector<DBRow>& rows = result.rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (DBRow{"a.db", "5", "1", "1"}));
    EXPECT_EQ(rows[1], (DBRow{"b.txt", "0", "1", "1"}));
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

TEST(MiscExtensions, AreOnStatementConnections) {
    EXPECT_EQ(scalar("select decimal_add('0.1', '0.2')"), "0.3");
    EXPECT_EQ(scalar("select decimal_mul('123456789012345678901234567890', '10')"),
              "1234567890123456789012345678900");
    EXPECT_EQ(scalar("select ieee754(2.0)"), "ieee754(2,0)");
    EXPECT_EQ(scalar("select sum(value) from generate_series(1, 100)"), "5050");
    EXPECT_EQ(scalar("select 'abc123' regexp '^[a-c]+[0-9]{3}$'"), "1");
    EXPECT_EQ(scalar("select regexpi('ABC', 'xabcx')"), "1");
}

TEST(MiscExtensions, LoadingExtensionLibrariesStaysOff) {
    EXPECT_EQ(scalar("select load_extension('/nonexistent.so')"), "error 1: not authorized");
}

TEST(Substr, StartZeroCountsAsOne) {
    EXPECT_EQ(scalar("select substr('abcdef', 0, 3)"), "abc");
    EXPECT_EQ(scalar("select substring('abcdef', 0, 2)"), "ab");
    EXPECT_EQ(scalar("select substr('\xC3\xA4\xC3\xB6\xC3\xBC', 0, 2)"), "\xC3\xA4\xC3\xB6");
    EXPECT_EQ(scalar("select hex(substr(x'00112233', 0, 2))"), "0011");
    EXPECT_EQ(scalar("select substr(NULL, 1, 2)"), "<NULL>");
    EXPECT_EQ(scalar("select substr('abc', NULL)"), "<NULL>");
}

TEST(Substr, ExtremeStartsAndCountsStayWithinTheText) {
    const std::string least = "-9223372036854775808", most = "9223372036854775807";
    EXPECT_EQ(scalar("select substr('abc', 2, " + least + ")"), "a");
    EXPECT_EQ(scalar("select substr('abc', 3, " + least + ")"), "ab");
    EXPECT_EQ(scalar("select substr('abc', " + least + ", 2)"), "");
    EXPECT_EQ(scalar("select substr('abc', " + most + ", " + most + ")"), "");
    EXPECT_EQ(scalar("select hex(substr(x'616263', " + least + ", " + least + "))"), "");
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
                ScriptResult own;
                ASSERT_EQ(
                    execMultipleQueryString(sql, ScriptOptions{10}, &own, ":memory:", nullptr), 0);
                EXPECT_EQ(*own.rows[0][0], builtin[0]) << sql;
                EXPECT_EQ(*own.rows[0][1], builtin[1]) << sql;
            }
        }
    }
    std::filesystem::remove(db);
}

class JournalModeTest : public DatabaseTest {
  protected:
    std::string journalMode(const std::string& path) {
        std::vector<std::string> values;
        getRows(&values, "pragma journal_mode", path, nullptr);
        return values.empty() ? "" : values[0];
    }
};

TEST_F(JournalModeTest, EveryFileGetsARollbackJournalOnDisk) {
    std::string inside = pathInDocuments("in.db");
    std::string outside = pathInHome("out.db");
    for (const std::string& path : {inside, outside}) {
        ScriptResult result;
        ASSERT_EQ(execMultipleQueryString("create table t (a); pragma journal_mode",
                                          ScriptOptions{5, false, MissingFile::Create}, &result,
                                          path, nullptr),
                  0);
        EXPECT_EQ(result.rows[0][0], DBValue("delete")) << path;
    }
}

TEST_F(JournalModeTest, AWalFileStaysInWalMode) {
    run("pragma journal_mode = wal; create table t (a)");
    EXPECT_EQ(journalMode(db), "wal");
    run("insert into t values (1)");
    EXPECT_EQ(journalMode(db), "wal");
    EXPECT_EQ(query("select count(*) from t"), std::vector<std::string>{"1"});
}
