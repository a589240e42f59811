// The field-model readers, the lookup-table upgrade and the replacing of field rows.
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class FieldModelTest : public DatabaseTest {};

TEST_F(FieldModelTest, TableReaderMatchesMetaRowsByNameAndListsGeneratedColumns) {
    run("create table t (a, b, c as (a + 1)); create view v as select b, a from t");
    ASSERT_EQ(changeFieldsForTable("t", {"b", "a"}, {5, 3}, nullptr, {"", ""}, db, nullptr), 0);
    Strings names;
    std::vector<int> types;
    std::vector<int64_t> styles;
    std::set<std::string> hidden;
    ASSERT_EQ(getFieldNames(&names, &types, &styles, &hidden, "t", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"a", "b", "c"}));
    EXPECT_EQ(types, (std::vector<int>{3, 5, 1}));
    EXPECT_EQ(styles, (std::vector<int64_t>{0, 0, 0}));
    EXPECT_EQ(hidden, (std::set<std::string>{"c"}));
}

TEST_F(FieldModelTest, TableReaderWithoutMetaTablesGivesDefaultsAndIgnoresOtherObjects) {
    run("create table t (x); create index i on t (x)");
    Strings names;
    std::vector<int> types;
    EXPECT_EQ(getFieldNames(&names, &types, nullptr, nullptr, "t", db, nullptr), 0);
    EXPECT_EQ(names, Strings{"x"});
    EXPECT_EQ(types, std::vector<int>{1});
    names.clear();
    EXPECT_EQ(getFieldNames(&names, nullptr, nullptr, nullptr, "i", db, nullptr), 0);
    EXPECT_EQ(getFieldNames(&names, nullptr, nullptr, nullptr, "missing", db, nullptr), 0);
    EXPECT_TRUE(names.empty());
}

TEST_F(FieldModelTest, ViewReaderMatchesByPositionAndKeepsNamesOfAnEmptyView) {
    run("create table t (a, b); create view v as select b as first, a as second from t");
    run("create table varnelo_db_fields (table_name, name, number, type, flags, lookup_table);"
        "insert into varnelo_db_fields values ('v', 'whatever', 2, 4, 9, ''),"
        "('v', 'x', 0, 6, 6, ''), ('v', 'y', 3, 6, 6, '')");
    Strings names;
    std::vector<int> types;
    std::vector<int64_t> styles;
    ASSERT_EQ(getFieldNames(&names, &types, &styles, "v", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"first", "second"}));
    EXPECT_EQ(types, (std::vector<int>{1, 4}));
    EXPECT_EQ(styles, (std::vector<int64_t>{0, 9}));
    // The table reader hands a view to the view reader.
    names.clear();
    ASSERT_EQ(getFieldNames(&names, nullptr, nullptr, nullptr, "v", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"first", "second"}));
}

TEST_F(FieldModelTest, ReadersQuoteAwkwardNames) {
    run("create table \"a\"\"b;c]\" (\"it's\", \"q\"\"uote\")");
    Strings names;
    ASSERT_EQ(getFieldNames(&names, nullptr, nullptr, nullptr, "a\"b;c]", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"it's", "q\"uote"}));
    names.clear();
    ASSERT_EQ(getFieldNames(&names, nullptr, nullptr, "a\"b;c]", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"it's", "q\"uote"}));
    auto [rc, exists] = doesFieldExist("q\"uote", "a\"b;c]", db, nullptr);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(exists);
}

TEST_F(FieldModelTest, LookupTableUpgradeOfAnOlderFileRunsTwiceSafely) {
    run("create table t (a, b); create table varnelo_db_fields (table_name not null default '', "
        "name not null default '', number int not null default 0, type int not null default 0, "
        "flags int not null default 0); insert into varnelo_db_fields values ('t', 'b', 2, 1, 0)");
    Strings lookups{"kept"};
    EXPECT_EQ(getFieldLookupTables(&lookups, "t", {"a", "b"}, db, nullptr), 0);
    EXPECT_EQ(lookups, Strings{"kept"});

    EXPECT_EQ(addLookupTableFieldToDatabaseFilePath(db, nullptr), 0);
    EXPECT_EQ(addLookupTableFieldToDatabaseFilePath(db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from pragma_table_info('varnelo_db_fields') "
                    "where name='lookup_table'"),
              Strings{"1"});
    run("update varnelo_db_fields set lookup_table='colours'");
    lookups.clear();
    EXPECT_EQ(getFieldLookupTables(&lookups, "t", {"a", "b"}, db, nullptr), 0);
    EXPECT_EQ(lookups, (Strings{"", "colours"}));
}

TEST_F(FieldModelTest, ChangeFieldsRefusesUnequalCountsAndReplacesRows) {
    run("create table t (a)");
    std::string error;
    EXPECT_EQ(changeFieldsForTable("t", {"a"}, {1, 2}, nullptr, {""}, db, &error), 1);
    EXPECT_EQ(error, "Field name count: 1\nField format count: 2\nLookup table count: 1");
    EXPECT_FALSE(doesTableExist("varnelo_db_fields", db));
    std::vector<int64_t> styles{7};
    ASSERT_EQ(changeFieldsForTable("t", {"a"}, {2}, &styles, {"l'x"}, db, nullptr), 0);
    ASSERT_EQ(changeFieldsForTable("t", {"a"}, {3}, &styles, {"l'x"}, db, nullptr), 0);
    EXPECT_EQ(query("select name, number, type, flags, lookup_table from varnelo_db_fields"),
              (Strings{"a", "1", "3", "7", "l'x"}));
}
