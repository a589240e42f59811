#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/DatabaseTest.h"

using namespace DBInterface;

class ExistenceTest : public DatabaseTest {};

TEST_F(ExistenceTest, NamesCompareExactlyAndQuotesAreSafe) {
    run("create table \"It's\" (a); create view v as select 1; "
        "create table varnelo_db_tables (name, flags); insert into varnelo_db_tables values "
        "('It''s', 0)");
    EXPECT_TRUE(doesTableExist("It's", db));
    EXPECT_FALSE(doesTableExist("it's", db));
    EXPECT_FALSE(doesTableExist("v", db));
    EXPECT_TRUE(doesTableOrViewExist("v", db));
    EXPECT_TRUE(doesTableExistInMetadataTable("It's", db));
    EXPECT_FALSE(doesTableExistInMetadataTable("x' or '1'='1", db));
    EXPECT_FALSE(doesTableExist("x' or '1'='1", db));
}

TEST_F(ExistenceTest, ValidityNeverCreatesOrChangesAFile) {
    run("create table t (a)");
    EXPECT_TRUE(isValidDatabaseFile(db));
    std::string missing = pathInHome("missing.db");
    EXPECT_FALSE(isValidDatabaseFile(missing));
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::string text = pathInHome("notes.db");
    const std::string content = "SQLite format 2 but not really a database at all, just some text";
    writeFile(text, content);
    EXPECT_FALSE(isValidDatabaseFile(text));
    EXPECT_EQ(std::filesystem::file_size(text), content.size());
    std::string empty = pathInHome("empty.db");
    writeFile(empty, "");
    EXPECT_TRUE(isValidDatabaseFile(empty));  // SQLite reads an empty file as an empty database
    EXPECT_FALSE(isValidDatabaseFile(""));
    EXPECT_FALSE(isValidDatabaseFile(home()));
}

TEST_F(ExistenceTest, AFileLeftWithAHotJournalByACrashIsValidAndRecovered) {
    run("create table t (v); insert into t select hex(zeroblob(1000)) from "
        "generate_series(1, 2000)");
    // A writer dies in a transaction that has already spilled changes into the file.
    const pid_t writer = fork();
    if (writer == 0) {
        sqlite3* connection = nullptr;
        sqlite3_open(db.c_str(), &connection);
        sqlite3_exec(connection,
                     "pragma cache_size = 5; begin; update t set v = hex(randomblob(1000))",
                     nullptr, nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(writer, &status, 0);
    ASSERT_GT(std::filesystem::file_size(db + "-journal"), 0u);

    EXPECT_TRUE(isValidDatabaseFile(db));
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.c_str(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    int unchanged = -1;
    sqlite3_exec(
        reader, "select count(*) from t where v = hex(zeroblob(1000))",
        [](void* count, int, char** values, char**) {
            *static_cast<int*>(count) = std::atoi(values[0]);
            return 0;
        },
        &unchanged, nullptr);
    sqlite3_close(reader);
    EXPECT_EQ(unchanged, 2000);
    EXPECT_FALSE(std::filesystem::exists(db + "-journal"));
}

TEST(SupportedDatabaseFile, LooksAtTheNameOnly) {
    EXPECT_TRUE(isSupportedDatabaseFile("/x/a.SQLITE"));
    EXPECT_TRUE(isSupportedDatabaseFile("a.db3"));
    EXPECT_TRUE(isSupportedDatabaseFile("a.sqlite3"));
    EXPECT_FALSE(isSupportedDatabaseFile("a.sqlite-journal"));
    EXPECT_FALSE(isSupportedDatabaseFile("db"));
}
