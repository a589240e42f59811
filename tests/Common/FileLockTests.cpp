// Our own looks at a database file never cost another connection of this process its locks.
// On Linux closing any descriptor of a file drops every lock the process holds on it: while one
// connection holds a write transaction, each routine that reads, checks, watches, copies or
// cleans up the file runs, and another program must still find the locks held and be refused
// the write.
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>

#include "Common/DBConnection.h"
#include "Common/DatabaseCopy.h"
#include "Common/ExportFile.h"
#include "Common/FieldsAndLinesParser.h"
#include "Common/FileChangeWatch.h"
#include "Common/SQLQuote.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/HeldWriteTransaction.h"
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

// A side file of a file this process has open, handed in under its own name, another spelling, a
// symbolic or a hard link, is opened by none of our routines: each refuses it as it refuses a file
// that is no database or no text, and our write transaction keeps every lock it holds.
TEST_P(FileLockTest, EachRoutineRefusesASideFileOfAnOpenFileUnderAnyNameAndItsLocksStayHeld) {
    const std::string copy = pathInHome("copy.db");
    const std::string sideCopy = pathInHome("side-copy");
    std::filesystem::create_directories(pathInHome("sub"));
    auto writer = std::make_optional<HeldWriteTransaction>(db, GetParam());
    const std::string held = writer->locks();
    const std::vector<std::string> sides = writer->sideFiles();
    ASSERT_EQ(sides.size(), GetParam() == "wal" ? 2u : 1u);

    std::vector<std::string> names;
    int link = 0;
    for (const std::string& side : sides) {
        const std::string base = std::filesystem::path(side).filename().string();
        const std::string symbolic = pathInHome("symbolic" + std::to_string(++link));
        const std::string hard = pathInHome("hard" + std::to_string(link));
        std::filesystem::create_symlink(side, symbolic);
        std::filesystem::create_hard_link(side, hard);
        names.insert(names.end(), {side, pathInHome("sub/../" + base), symbolic, hard});
    }
    // What each routine answers for the path.
    const std::vector<std::pair<const char*, std::function<std::string(const std::string&)>>>
        routines = {
            {"side file",
             [](const std::string& path) {
                 return DBConnection::isSideFileOfOpenDatabase(path) ? "side" : "not side";
             }},
            {"validity",
             [](const std::string& path) {
                 std::string error;
                 const DatabaseFileCheck check = checkDatabaseFile(path, &error);
                 return (check == DatabaseFileCheck::Invalid ? "invalid: " : "valid: ") + error;
             }},
            {"header",
             [](const std::string& path) {
                 return std::to_string(isWriteAheadLogFile(path)) +
                        std::to_string(isSQLiteDatabaseFile(path)) +
                        std::to_string(isSQLiteFile(path));
             }},
            {"line count",
             [](const std::string& path) {
                 return std::to_string(FieldsAndLinesParser().findMaxLineCountInFile(
                     path, kUTF8StringEncoding, "\"", "\n"));
             }},
            {"attach",
             [&](const std::string& path) {
                 std::string error;
                 execMultipleQueryString("attach " + quoteLiteral(path) +
                                             " as side; select count(*) from side.sqlite_master",
                                         nullptr, nullptr, db, &error);
                 return error;
             }},
            {"snapshot copy",
             [&](const std::string& path) {
                 std::string error;
                 const int rc = copyDatabaseSnapshot(path, copy, &error);
                 return std::to_string(rc) + " " + error;
             }},
            {"export",
             [&](const std::string& path) {
                 std::string error;
                 ExportFile file(path, false, &error);
                 return error;
             }},
        };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::vector<std::string> expected = {
            "side",
            "invalid: file is not a database",
            "001",
            "0",
            "unable to open database: " + name,
            std::to_string(SQLITE_NOTADB) + " Could not open the database " + name,
            "Could not open file [" + name + "], errno " + std::to_string(EBUSY),
        };
        for (size_t i = 0; i < routines.size(); ++i) {
            EXPECT_EQ(routines[i].second(name), expected[i]) << routines[i].first;
            EXPECT_EQ(probeLocks(db), held) << routines[i].first;
        }
        EXPECT_FALSE(std::filesystem::exists(copy));
    }
    // Only a side file of a file open here: the file itself, a copy of its side file, and a link
    // to the side file once the file is closed are none.
    std::filesystem::copy_file(names[0], sideCopy);
    EXPECT_FALSE(DBConnection::isSideFileOfOpenDatabase(db));
    EXPECT_FALSE(DBConnection::isSideFileOfOpenDatabase(sideCopy));
    writer.reset();
    EXPECT_FALSE(DBConnection::isSideFileOfOpenDatabase(names.back()));
    EXPECT_EQ(directQuery("select count(*) from t"), std::vector<std::string>{"100"});
}
