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

TEST(SupportedDatabaseFile, LooksAtTheNameOnly) {
    EXPECT_TRUE(isSupportedDatabaseFile("/x/a.SQLITE"));
    EXPECT_TRUE(isSupportedDatabaseFile("a.db3"));
    EXPECT_TRUE(isSupportedDatabaseFile("a.sqlite3"));
    EXPECT_FALSE(isSupportedDatabaseFile("a.sqlite-journal"));
    EXPECT_FALSE(isSupportedDatabaseFile("db"));
}
