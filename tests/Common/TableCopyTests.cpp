// Copying a table under another name: free names, the rewritten CREATE texts and the copy made
// in one transaction.
#include "Common/SQLQuote.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class TableCopyTest : public DatabaseTest {
  protected:
    // Copies the table as the tables list does: a free name, the rewritten CREATE, the copy.
    int duplicate(const std::string& name, std::string* newName, std::string* error) {
        TableDictionary description;
        getTableDictionary(&description, name, db, error);
        std::set<std::string> names;
        for (const std::string& existing : query("select name from sqlite_master")) {
            names.insert(existing);
        }
        *newName = nextAvailableTableName(name, names).value_or("");
        auto create = rewriteCreateStatement(description.sql.value_or(""), name, *newName,
                                             description.type == "table");
        if (!create) return -2;
        return copyTable(description, *create, *newName, true, true, db, error);
    }
    Strings indexesOf(const std::string& table) {
        return directQuery("select name from sqlite_master where type='index' and tbl_name='" +
                           table + "' order by name");
    }
};

TEST_F(TableCopyTest, FreeNamesFollowTheBaseAndRunOutAfter99) {
    EXPECT_EQ(nextAvailableTableName("Items", {"Items", "Items_2"}), "Items_3");
    EXPECT_EQ(nextAvailableTableName("Items_2", {"Items", "Items_2"}), "Items_2_2");
    std::set<std::string> all{"t"};
    for (int n = 2; n <= 99; ++n) all.insert("t_" + std::to_string(n));
    EXPECT_EQ(nextAvailableTableName("t", all), std::nullopt);
}

TEST_F(TableCopyTest, HeadsAreRewrittenAndTheRestKeptByteForByte) {
    EXPECT_EQ(rewriteCreateStatement("CREATE TABLE \"My List\" (a,  \"b c\" integer) ", "My List",
                                     "My List_2", true),
              "CREATE TABLE \"My List_2\" (a,  \"b c\" integer) ");
    EXPECT_EQ(rewriteCreateStatement("create  table items(x)", "items", "items_2", true),
              "CREATE TABLE \"items_2\"(x)");
    EXPECT_EQ(rewriteCreateStatement("CREATE VIEW [v w] AS SELECT 1", "v w", "v w_2", false),
              "CREATE VIEW \"v w_2\" AS SELECT 1");
    // Names with quotes and pattern characters match only themselves.
    EXPECT_EQ(rewriteCreateStatement("CREATE TABLE \"x\"\"; drop table \"\"y\"(a)",
                                     "x\"; drop table \"y", "x\"; drop table \"y_2", true),
              "CREATE TABLE \"x\"\"; drop table \"\"y_2\"(a)");
    EXPECT_EQ(rewriteCreateStatement("CREATE TABLE axb(a)", "a.b", "a.b_2", true), std::nullopt);
    EXPECT_EQ(rewriteCreateStatement("CREATE TABLE \"a(b\"(a)", "a(b", "a(b_2", true),
              "CREATE TABLE \"a(b_2\"(a)");
    EXPECT_EQ(rewriteCreateStatement("CREATE TABLE other(a)", "items", "items_2", true),
              std::nullopt);
    // SQLite keeps a name written as a string literal that way.
    EXPECT_EQ(rewriteCreateStatement("CREATE TABLE 'it''s' (a)", "it's", "it's_2", true),
              "CREATE TABLE \"it's_2\" (a)");
    EXPECT_EQ(rewriteCreateIndexStatement("CREATE INDEX i ON 'it''s'(a)", "it's", "it's_2", "i_2"),
              "CREATE INDEX \"i_2\" ON \"it's_2\"  (a)");

    EXPECT_EQ(rewriteCreateIndexStatement("CREATE UNIQUE INDEX byname ON items(name, \"x y\")",
                                          "items", "items_2", "byname_2"),
              "CREATE UNIQUE INDEX \"byname_2\" ON \"items_2\" (name, \"x y\")");
    EXPECT_EQ(rewriteCreateIndexStatement("CREATE INDEX \"i\" ON \"My List\" (a) WHERE a > 0",
                                          "My List", "My List_2", "i_2"),
              "CREATE INDEX \"i_2\" ON \"My List_2\"  (a) WHERE a > 0");
    EXPECT_EQ(indexNameInStatement("CREATE INDEX \"a \"\"b\" ON t(x)", "t"), "a \"b");
    EXPECT_EQ(indexNameInStatement("CREATE UNIQUE INDEX [q] ON \"t\"(x)", "t"), "q");
}

TEST_F(TableCopyTest, HostileNamesCopyWithTheirIndexesMetaRowsAndRows) {
    const std::string name = "x\"; drop table \"y";
    run("create table y (k); insert into y values (7);"
        "create table " +
        quoteIdentifier(name) +
        " (a text, \"b c\" int check (\"b c\" > 0));"
        "create index \"by a\" on " +
        quoteIdentifier(name) +
        " (a);"
        "create unique index \"u[1]\" on " +
        quoteIdentifier(name) +
        " (\"b c\");"
        "insert into " +
        quoteIdentifier(name) + " values ('it''s', 1), ('two', 2);");
    ASSERT_EQ(addSystemFields({"a", "1", "3", "12", "b c", "2", "2", "0"}, name, db, nullptr), 0);
    ASSERT_EQ(addSystemTableFlags({"8193", "1;=", "", "", ""}, name, db, nullptr), 0);

    std::string copy, error;
    ASSERT_EQ(duplicate(name, &copy, &error), 0) << error;
    EXPECT_EQ(copy, name + "_2");
    EXPECT_EQ(directQuery("select k from y"), Strings{"7"});
    EXPECT_EQ(directQuery("select a, \"b c\" from " + quoteIdentifier(copy) + " order by rowid"),
              (Strings{"it's", "1", "two", "2"}));
    EXPECT_EQ(indexesOf(copy), (Strings{"by a_2", "u[1]_2"}));
    EXPECT_EQ(directQuery("select name, number, type, flags from varnelo_db_fields where "
                          "table_name=" +
                          quoteLiteral(copy) + " order by number"),
              (Strings{"a", "1", "3", "12", "b c", "2", "2", "0"}));
    EXPECT_EQ(directQuery("select flags, search_field from varnelo_db_tables where name=" +
                          quoteLiteral(copy)),
              (Strings{"8193", "1;="}));
    // The copied unique index still holds.
    std::string insertError;
    EXPECT_NE(execCommandString("insert into " + quoteIdentifier(copy) + " values ('z', 2)", db,
                                &insertError),
              0);
}

TEST_F(TableCopyTest, CopiesMadeTogetherEachKeepAllIndexesAndSortingLeavesThem) {
    run("create table a (p, q); create index byp on a (p); create index BYQ on a (q);"
        "create table b (p); create index BYP_3 on b (p);");
    std::string first, second, error;
    ASSERT_EQ(duplicate("a", &first, &error), 0) << error;
    ASSERT_EQ(duplicate("a", &second, &error), 0) << error;
    EXPECT_EQ(indexesOf(first), (Strings{"BYQ_2", "byp_2"}));
    // byp_3 is taken by b's index in another letter case.
    EXPECT_EQ(indexesOf(second), (Strings{"BYQ_3", "byp_4"}));
    EXPECT_EQ(indexesOf("b"), Strings{"BYP_3"});
    // Copied indexes are the user's: sorting the copy replaces only its own sort indexes.
    ASSERT_EQ(updateTableIndexes(first, std::vector<int64_t>{1}, db, &error), 0) << error;
    ASSERT_EQ(updateTableIndexes(first, std::vector<int64_t>{3}, db, &error), 0) << error;
    Strings kept = indexesOf(first);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "byp_2"), 1);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "BYQ_2"), 1);
    EXPECT_EQ(kept.size(), 3u);
}

TEST_F(TableCopyTest, AFailingStepLeavesNothingOfTheCopy) {
    // Rows that break the table's own check: the copy of the rows fails after its CREATE and meta
    // rows have run.
    run("create table t (a check (a > 0)); create index ta on t (a);"
        "pragma ignore_check_constraints = 1; insert into t values (-1);");
    ASSERT_EQ(addSystemFields({"a", "1", "1", "0"}, "t", db, nullptr), 0);
    ASSERT_EQ(addSystemTableFlags({"1", "", "", "", ""}, "t", db, nullptr), 0);

    std::string copy, error;
    EXPECT_NE(duplicate("t", &copy, &error), 0);
    EXPECT_NE(error.find("CHECK"), std::string::npos) << error;
    EXPECT_EQ(directQuery("select name from sqlite_master where name like 't_2' or "
                          "tbl_name like 't_2'"),
              Strings{});
    EXPECT_EQ(directQuery("select count(*) from varnelo_db_fields where table_name='t_2'"),
              Strings{"0"});
    EXPECT_EQ(directQuery("select count(*) from varnelo_db_tables where name='t_2'"), Strings{"0"});
}

TEST_F(TableCopyTest, CascadingChildrenAreFound) {
    run("create table parent (id integer primary key);"
        "create table kid (p references Parent on delete cascade);"
        "create table other (p references parent on delete set null);"
        "create table \"odd \"\"kid\" (p, foreign key (p) references parent (id) on delete "
        "cascade);");
    Strings children;
    ASSERT_EQ(getCascadingChildTables(&children, "parent", db, nullptr), 0);
    EXPECT_EQ(children, (Strings{"kid", "odd \"kid"}));
}
