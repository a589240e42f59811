// Creating, renaming and deleting tables and views, replaying meta rows and copying rows.
#include <filesystem>

#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class SchemaChangeTest : public DatabaseTest {
  protected:
    // An empty file, as a new database is made: creating a table never makes the file.
    void SetUp() override {
        DatabaseTest::SetUp();
        writeFile(db, "");
    }
};

TEST_F(SchemaChangeTest, CreatedTableReadsBackItsFieldModel) {
    std::vector<int64_t> styles{0, 12};
    Strings lookups{"", "colours"};
    ASSERT_EQ(createTable("people", 1, {"name", "born"}, {1, 3}, &styles, &lookups, db, nullptr),
              0);
    Strings names;
    std::vector<int> types;
    std::vector<int64_t> readStyles;
    ASSERT_EQ(getFieldNames(&names, &types, &readStyles, nullptr, "people", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"name", "born"}));
    EXPECT_EQ(types, (std::vector<int>{1, 3}));
    EXPECT_EQ(readStyles, styles);
    Strings readLookups;
    ASSERT_EQ(getFieldLookupTables(&readLookups, "people", names, db, nullptr), 0);
    EXPECT_EQ(readLookups, lookups);
    EXPECT_EQ(query("select name, number, flags from varnelo_db_tables"),
              (Strings{"people", "1", "1"}));
}

TEST_F(SchemaChangeTest, CreationTakesNamesAsGivenRefusesBadCountsAndNumbersDefaultFields) {
    std::string error;
    EXPECT_EQ(createTable("t", 0, {"a"}, {1, 2}, nullptr, nullptr, db, &error), -1);
    EXPECT_EQ(error, "Field name count 1 not equal to field format count 2");
    EXPECT_FALSE(isValidDatabaseFile(db) && doesTableExist("varnelo_db_tables", db));

    // The callers clean a name where it is chosen; the table is made under the one given.
    ASSERT_EQ(createTable("[it's \"odd\"]", 0, {"`x`"}, {1}, nullptr, nullptr, db, nullptr), 0);
    EXPECT_EQ(directQuery("select name from sqlite_master where type = 'table' and name not like "
                          "'varnelo%'"),
              Strings{"[it's \"odd\"]"});
    EXPECT_EQ(query("select table_name, name from varnelo_db_fields"),
              (Strings{"[it's \"odd\"]", "`x`"}));

    ASSERT_EQ(createTable("blank", 0, {}, {1, 1}, nullptr, nullptr, db, nullptr), 0);
    Strings names;
    getFieldNames(&names, nullptr, nullptr, nullptr, "blank", db, nullptr);
    EXPECT_EQ(names, (Strings{"Field 1", "Field 2"}));
    EXPECT_EQ(query("select number from varnelo_db_tables where name='blank'"), Strings{"2"});
}

// Meta rows written for a table that exists go under its own name and its own columns, whatever
// characters they hold, and never beside a row the table has.
TEST_F(SchemaChangeTest, MetaRowsForAnExistingTableKeepItsNamesAndItsOneTablesRow) {
    run("create table \"r[s]\" (\"a \"\"b\"\" [c]\", d); create table n_m (x); create table "
        "\"n\"\"m\" (y); create table plain (p)");
    ASSERT_EQ(createTable("n_m", 0, {"x"}, {2}, nullptr, nullptr, db, nullptr), 0);
    std::string error;
    const std::pair<std::string, Strings> tables[] = {
        {"r[s]", {"a \"b\" [c]", "d"}}, {"n\"m", {"y"}}, {"plain", {"p"}}};
    for (size_t t = 0; t < std::size(tables); ++t) {
        const auto& [table, fields] = tables[t];
        SCOPED_TRACE(table);
        for (int64_t flags : {8, 16384}) {
            ASSERT_EQ(createTable(table, flags, fields, std::vector<int>(fields.size(), 3), nullptr,
                                  nullptr, db, &error),
                      0)
                << error;
        }
        std::vector<int> types;
        ASSERT_EQ(getFieldNames(nullptr, &types, nullptr, nullptr, table, db, nullptr), 0);
        EXPECT_EQ(types, std::vector<int>(fields.size(), 3));
        // The first row stands: a second call writes none beside it.
        EXPECT_EQ(query("select number, flags from varnelo_db_tables where name = " +
                        quoteLiteral(table)),
                  (Strings{std::to_string(t + 2), "8"}));
    }
    EXPECT_EQ(directQuery("select name from sqlite_master where type = 'table' and name not like "
                          "'varnelo%' order by name"),
              (Strings{"n\"m", "n_m", "plain", "r[s]"}));
    EXPECT_EQ(
        query("select table_name, name, type from varnelo_db_fields where table_name = 'n_m'"),
        (Strings{"n_m", "x", "2"}));
    EXPECT_EQ(query("select count(*) from varnelo_db_tables"), Strings{"4"});
}

TEST_F(SchemaChangeTest, RenameCarriesMetaRowsWithOneOrBothMetaTables) {
    run("create table t (a); create table u (b)");
    ASSERT_EQ(updateSortCodes({1}, "t", db, nullptr), 0);  // makes both meta tables
    ASSERT_EQ(changeFieldsForTable("t", {"a"}, {4}, nullptr, {""}, db, nullptr), 0);
    ASSERT_EQ(changeFieldsForTable("u", {"b"}, {1}, nullptr, {"t"}, db, nullptr), 0);
    std::string error;
    ASSERT_EQ(renameTable("t", "t 2", db, &error), 0) << error;
    EXPECT_EQ(query("select name from varnelo_db_tables"), Strings{"t 2"});
    std::vector<int> types;
    getFieldNames(nullptr, &types, nullptr, nullptr, "t 2", db, nullptr);
    EXPECT_EQ(types, std::vector<int>{4});
    EXPECT_EQ(query("select lookup_table from varnelo_db_fields where table_name='u'"),
              Strings{"t 2"});

    run("drop table varnelo_db_tables");
    ASSERT_EQ(renameTable("t 2", "t3", db, &error), 0) << error;
    EXPECT_EQ(query("select distinct table_name from varnelo_db_fields order by 1"),
              (Strings{"t3", "u"}));
    EXPECT_FALSE(doesTableExist("varnelo_db_tables", db));
}

TEST_F(SchemaChangeTest, AHostileNameIsListedDescribedRenamedAndDeletedWithoutTouchingOthers) {
    const std::string name = "x\"; drop table \"y";
    run("create table y (k); insert into y values (1);"
        "create table \"x\"\"; drop table \"\"y\" (a); insert into \"x\"\"; drop table \"\"y\" "
        "values (2); create index \"i\"\"; drop table y; --\" on \"x\"\"; drop table \"\"y\" (a)");
    Strings names;
    ASSERT_EQ(getTableNames(&names, db, nullptr), 0);
    EXPECT_EQ(names, (Strings{name, name, "y", "y"}));
    TableDictionary description;
    ASSERT_EQ(getTableDictionary(&description, name, db, nullptr), 0);
    EXPECT_EQ(description.fields, Strings{"a"});
    ASSERT_TRUE(description.indexes.has_value());
    EXPECT_EQ(description.indexes->size(), 1u);
    EXPECT_TRUE(isAtLeastOneRowInTable(name, db, nullptr));
    ASSERT_EQ(updateSortCodes({1}, name, db, nullptr), 0);
    ASSERT_EQ(updateTableIndexes(name, {1}, db, nullptr), 0);
    std::string error;
    ASSERT_EQ(renameTable(name, name + "2", db, &error), 0) << error;
    EXPECT_TRUE(doesTableExistInMetadataTable(name + "2", db));
    ASSERT_EQ(deleteObject("i\"; drop table y; --", "index", db, &error), 0) << error;
    ASSERT_EQ(deleteObject(name + "2", "table", db, &error), 0) << error;
    EXPECT_EQ(query("select name from sqlite_master where name not like 'varnelo%' and "
                    "name not like 'ind%'"),
              Strings{"y"});
    EXPECT_EQ(query("select count(*) from varnelo_db_tables"), Strings{"0"});
    // Created under the name as given, it still runs nothing else.
    ASSERT_EQ(createTable(name, 0, {"a;b"}, {1}, nullptr, nullptr, db, &error), 0) << error;
    EXPECT_TRUE(doesTableExist(name, db));
    EXPECT_EQ(query("select k from y"), Strings{"1"});
}

TEST_F(SchemaChangeTest, DeleteRemovesMetaRowsButAMetaTableIsDroppedAlone) {
    ASSERT_EQ(createTable("t", 0, {"a"}, {1}, nullptr, nullptr, db, nullptr), 0);
    std::string error;
    EXPECT_EQ(deleteObject("", "table", db, &error), -1);
    EXPECT_EQ(error, "Nil object name or type");
    ASSERT_EQ(deleteObject("t", "table", db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from varnelo_db_fields"), Strings{"0"});
    EXPECT_EQ(query("select count(*) from varnelo_db_tables"), Strings{"0"});
    ASSERT_EQ(deleteObject("varnelo_db_fields", "table", db, nullptr), 0);
    EXPECT_FALSE(doesTableExist("varnelo_db_fields", db));
    EXPECT_TRUE(doesTableExist("varnelo_db_tables", db));
}

TEST_F(SchemaChangeTest, ReplayedMetaRows) {
    run("create table t (a, b); create table u (c)");
    EXPECT_EQ(addSystemTableFlags({"4", "1;=x"}, "t", db, nullptr), -1);
    EXPECT_EQ(addSystemFields({"a", "1", "2"}, "t", db, nullptr), -1);
    ASSERT_EQ(addSystemTableFlags({"4", "1;=it's", "3#2 2", "", ""}, "t", db, nullptr), 0);
    ASSERT_EQ(addSystemTableFlags({"1; drop table x", "", "", "", ""}, "u", db, nullptr), 0);
    EXPECT_EQ(query("select name, number, flags, search_field from varnelo_db_tables"),
              (Strings{"t", "1", "4", "1;=it's", "u", "2", "0", ""}));
    ASSERT_EQ(addSystemFields({"a", "1", "5", "9", "b", "2", "1", "0"}, "t", db, nullptr), 0);
    EXPECT_EQ(query("select name, number, type, flags, lookup_table from varnelo_db_fields"),
              (Strings{"a", "1", "5", "9", "", "b", "2", "1", "0", ""}));
}

TEST_F(SchemaChangeTest, RowCopiesWithinAndBetweenFiles) {
    run("create table src (\"a\"\"1\", b); insert into src values (1, 'x'), (2, 'y');"
        "create table dst (c, d)");
    EXPECT_EQ(copyRowsFromTable("src", {}, "dst", {"c"}, db, nullptr), -1);
    std::string error;
    ASSERT_EQ(copyRowsFromTable("src", {"a\"1", "b"}, "dst", {"c", "d"}, db, &error), 0) << error;
    EXPECT_EQ(query("select c, d from dst order by c"), (Strings{"1", "x", "2", "y"}));

    std::string other = pathInHome("it's \"other\".db");
    ASSERT_EQ(execMultipleQueryString("create table o (v); insert into o values ('far')", nullptr,
                                      nullptr, other, &error, MissingFile::Create),
              0);
    ASSERT_EQ(copyRowsDatabase(other, "o", {"v"}, "dst", {"d"}, db, &error), 0) << error;
    EXPECT_EQ(query("select d from dst where c is null"), Strings{"far"});

    // A source file that is not there is reported and not left behind as an empty database.
    std::string missing = pathInHome("gone.db");
    error.clear();
    EXPECT_NE(copyRowsDatabase(missing, "o", {"v"}, "dst", {"d"}, db, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(SchemaChangeTest, ViewsWithFieldRowsAndTheUniqueKeyMark) {
    run("create table t (a, b)");
    std::string table = "t";
    EXPECT_EQ(queryStringToCreateView("v", nullptr, {}, {}), "CREATE VIEW \"v\" AS\nSELECT ");
    std::string sql = queryStringToCreateView("v\"w", &table, {"a", "b"}, {"", "B"});
    EXPECT_EQ(sql, "CREATE VIEW \"v\"\"w\" AS\nSELECT \"a\", \"b\" AS \"B\"\nFROM \"t\"");
    ASSERT_EQ(createView("v\"w", sql, {"a", "B"}, {2, 3}, {0, 5}, nullptr, true, db, nullptr), 0);
    Strings names;
    std::vector<int> types;
    ASSERT_EQ(getFieldNames(&names, &types, nullptr, "v\"w", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"a", "B"}));
    EXPECT_EQ(types, (std::vector<int>{2, 3}));
    EXPECT_EQ(query("select flags from varnelo_db_tables where name='v\"w'"), Strings{"4"});
    // A failing view statement leaves no field rows behind.
    EXPECT_NE(createView("bad", "create view bad as selec a from t", {"x"}, {1}, {0}, nullptr,
                         false, db, nullptr),
              0);
    EXPECT_EQ(query("select count(*) from varnelo_db_fields where table_name='bad'"), Strings{"0"});
}

// Older files keep their field rows without a lookup table column; every writer of field rows
// upgrades such a file first.
TEST_F(SchemaChangeTest, WritersOfFieldRowsUpgradeAnOlderFieldsMetaTable) {
    auto olderFile = [&] {
        run("drop table if exists varnelo_db_fields; create table varnelo_db_fields (table_name "
            "not null default '', name not null default '', number int not null default 0, type "
            "int not null default 0, flags int not null default 0)");
    };
    std::string fieldRows = "select table_name, name, lookup_table from varnelo_db_fields";
    Strings colours{"colours", ""};
    std::string error;
    olderFile();
    ASSERT_EQ(createTable("t", 0, {"a", "b"}, {1, 1}, nullptr, &colours, db, &error), 0) << error;
    EXPECT_EQ(directQuery(fieldRows), (Strings{"t", "a", "colours", "t", "b", ""}));
    olderFile();
    ASSERT_EQ(changeTable("t", {"a", "b"}, {1, 0}, {"b", "a"}, {1, 1}, nullptr, &colours, nullptr,
                          db, &error),
              0)
        << error;
    EXPECT_EQ(directQuery(fieldRows), (Strings{"t", "b", "colours", "t", "a", ""}));
    olderFile();
    ASSERT_EQ(changeFieldsForTable("t", {"b"}, {1}, nullptr, {"sizes"}, db, &error), 0) << error;
    EXPECT_EQ(directQuery(fieldRows), (Strings{"t", "b", "sizes"}));
    olderFile();
    ASSERT_EQ(createView("v", "create view v as select a from t", {"a"}, {1}, {0}, &colours, false,
                         db, &error),
              0)
        << error;
    EXPECT_EQ(directQuery(fieldRows), (Strings{"v", "a", "colours"}));
}
