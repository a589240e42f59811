// Listings of sqlite_master, object kinds, table flags and the description of one object.
#include "platform/foundation/UserDefaults.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class SchemaListingTest : public DatabaseTest {};

TEST_F(SchemaListingTest, KindsAndSystemNames) {
    std::string view = "view", index = "index", trigger = "trigger", table = "table";
    EXPECT_EQ(tableTypeCodeForSchemaObjectType(&view), kSchemaView);
    EXPECT_EQ(tableTypeCodeForSchemaObjectType(&index), kSchemaIndex);
    EXPECT_EQ(tableTypeCodeForSchemaObjectType(&trigger), kSchemaTrigger);
    EXPECT_EQ(tableTypeCodeForSchemaObjectType(&table), kSchemaTable);
    EXPECT_EQ(tableTypeCodeForSchemaObjectType(nullptr), kSchemaTable);
    EXPECT_TRUE(isSystemTable("sqlite_sequence"));
    EXPECT_TRUE(isSystemTable("varnelo_db_fields"));
    EXPECT_FALSE(isSystemTable("SQLITE_x"));
}

TEST_F(SchemaListingTest, AllTablesOfAnEmptyFileIsSqliteMasterAlone) {
    run("pragma user_version = 1");
    MasterTables tables;
    ASSERT_EQ(getAllTables(&tables, db, nullptr), 0);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables["sqlite_master"].sql, kSqliteMasterDefinition);
}

TEST_F(SchemaListingTest, ListingsHideSystemTablesUnlessAsked) {
    // Names that only look like system names under LIKE's "_" wildcard are the user's own.
    run("create table b (x unique); create table sqliteXy (x); create table \"varnelo db x\" (x);"
        "create view a as select * from b; create table varnelo_db_tables (name, flags);"
        "insert into varnelo_db_tables values ('b', 4)");
    Strings names;
    ASSERT_EQ(getTableNames(&names, db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"a", "a", "b", "b", "sqliteXy", "sqliteXy", "varnelo db x",
                              "varnelo db x"}));
    names.clear();
    ASSERT_EQ(getNonSystemTableNames(&names, db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"b", "sqliteXy", "varnelo db x"}));
    UserDefaults::standard().setObject(true, "ShowSystemTables");
    names.clear();
    ASSERT_EQ(getUserTableNames(&names, db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"b", "sqliteXy", "varnelo db x", "varnelo_db_tables"}));

    MasterTables tables;
    ASSERT_EQ(getMasterTables(&tables, db, nullptr), 0);
    EXPECT_EQ(tables["sqlite_autoindex_b_1"], (MasterTableEntry{"index", "b", ""}));
    EXPECT_EQ(tables.count("sqlite_master"), 0u);
    std::map<std::string, std::string> flags;
    ASSERT_EQ(getTableFlags(&flags, db, nullptr), 0);
    EXPECT_EQ(flags, (std::map<std::string, std::string>{{"b", "4"}}));
}

TEST_F(SchemaListingTest, DescriptionOfATableWithMetaRows) {
    run("create table t (a unique, b); create index ib on t (b);"
        "create table varnelo_db_fields (table_name, name, number, type, flags, lookup_table);"
        "insert into varnelo_db_fields values ('t', 'b', 2, 4, 0, ''), ('t', 'a', 1, 3, 1, '');"
        "create table varnelo_db_tables (name, number, flags, search_field, sort_field1, "
        "sort_field2, sort_field3)");
    TableDictionary description;
    ASSERT_EQ(getTableDictionary(&description, "t", db, nullptr), 0);
    EXPECT_EQ(description.type, "table");
    EXPECT_EQ(description.sql, "CREATE TABLE t (a unique, b)");
    EXPECT_EQ(description.indexes, (Strings{"", "CREATE INDEX ib on t (b)"}));
    EXPECT_EQ(description.fields, (Strings{"a", "b"}));
    EXPECT_EQ(description.varnelo_db_fields, (Strings{"a", "1", "3", "1", "b", "2", "4", "0"}));
    EXPECT_EQ(description.table_flags, Strings{});
}

TEST_F(SchemaListingTest, DescriptionOfAnEmptyViewKeepsItsColumnsAndAMissingObjectHasNoType) {
    run("create table t (a, b); create view v as select b, a from t");
    TableDictionary description;
    ASSERT_EQ(getTableDictionary(&description, "v", db, nullptr), 0);
    EXPECT_EQ(description.type, "view");
    EXPECT_EQ(description.fields, (Strings{"b", "a"}));
    EXPECT_FALSE(description.varnelo_db_fields.has_value());

    TableDictionary missing;
    EXPECT_EQ(getTableDictionary(&missing, "nope", db, nullptr), 0);
    EXPECT_EQ(missing.name, "nope");
    EXPECT_FALSE(missing.type.has_value());
    EXPECT_EQ(missing.fields, Strings{});
}

TEST_F(SchemaListingTest, TypeAndDefinitionRowsAndEncoding) {
    Strings definition;
    EXPECT_EQ(getTableTypeAndDefinition(&definition, "sqlite_master", "", nullptr), 0);
    EXPECT_EQ(definition, (Strings{"table", kSqliteMasterDefinition}));
    run("create table \"it's\" (a); create table full (a); insert into full values (1)");
    EXPECT_FALSE(isAtLeastOneRowInTable("it's", db, nullptr));
    EXPECT_FALSE(isAtLeastOneRowInTable("missing", db, nullptr));
    EXPECT_TRUE(isAtLeastOneRowInTable("full", db, nullptr));
    std::string encoding;
    EXPECT_EQ(getTextEncoding(&encoding, db, nullptr), 0);
    EXPECT_EQ(encoding, "UTF-8");
}
