// Our own looks at a database file never cost another connection of this process its locks.
// On Linux closing any descriptor of a file drops every lock the process holds on it: while one
// connection holds a write transaction, each routine that reads, checks, watches, copies or
// cleans up the file runs, and another program must still find the locks held and be refused
// the write.
#include <filesystem>
#include <functional>

#include "Common/DBConnection.h"
#include "Common/DatabaseCopy.h"
#include "Common/FileChangeWatch.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/OtherProgram.h"

using namespace DBInterface;

namespace {

class FileLockTest : public DatabaseTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("pragma journal_mode = " + GetParam() +
            "; create table t (a); insert into t select value from generate_series(1, 100)");
    }
};

}  // namespace

TEST_P(FileLockTest, AnotherProgramFindsOurWriteLockHeldAfterEachOfOurLooksAtTheFile) {
    const std::string copy = pathInHome("copy.db");
    const std::vector<std::pair<const char*, std::function<void()>>> looks = {
        {"header", [&] { isWriteAheadLogFile(db); }},
        {"read-only connection",
         [&] {
             std::vector<std::string> rows;
             EXPECT_EQ(getRowsRO(&rows, "select count(*) from t", db, nullptr), SQLITE_OK);
         }},
        {"plain connection",
         [&] { EXPECT_EQ(getNumberWithQueryString("select count(*) from t", db, nullptr), 100); }},
        {"watch",
         [&] {
             FileChangeWatch watch(db);
             watch.version();
             watch.version();
         }},
        {"validity", [&] { EXPECT_TRUE(isValidDatabaseFile(db)); }},
        {"snapshot copy",
         [&] {
             std::filesystem::remove(copy);
             std::string error;
             EXPECT_EQ(copyDatabaseSnapshot(db, copy, &error), SQLITE_OK) << error;
         }},
    };
    for (const auto& [name, look] : looks) {
        DBConnection writer(db, ConnectionKind::Plain);
        ASSERT_EQ(sqlite3_exec(writer.handle(), "begin immediate; insert into t values (0)",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        const std::string held = probeLocks(db);
        ASSERT_EQ(held.substr(0, held.find(' ')), "write:refused") << held;
        look();
        EXPECT_EQ(probeLocks(db), held) << name;
        EXPECT_EQ(sqlite3_exec(writer.handle(), "rollback", nullptr, nullptr, nullptr), SQLITE_OK)
            << name;
    }
    EXPECT_EQ(directQuery("select count(*) from t"), std::vector<std::string>{"100"});
}

INSTANTIATE_TEST_SUITE_P(JournalModes, FileLockTest, ::testing::Values("delete", "wal"));
