#include <gtest/gtest.h>

#include "Common/DBInterface.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

namespace {
class PickerTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table keep (x)");
    }
    std::vector<std::string> values(const std::string& type) {
        return query("select name, number from varnelo_db_picker_values where type_id=" + type +
                     " order by number");
    }
};
}  // namespace

TEST_F(PickerTest, ReadersOfAMissingTableAnswerNothing) {
    std::vector<std::string> rows;
    EXPECT_EQ(getPickerTypes(&rows, db, nullptr), 0);
    EXPECT_EQ(getPickerValues(&rows, "1", db, nullptr), 0);
    EXPECT_EQ(getFavoriteQueries(&rows, db, nullptr), 0);
    EXPECT_EQ(getBookmarks(&rows, db, nullptr), 0);
    EXPECT_TRUE(rows.empty());
    std::string error;
    EXPECT_EQ(changePickerType("1", 1, true, db, &error), -1);
    EXPECT_EQ(error, "No varnelo_db_picker_types table");
}

TEST_F(PickerTest, TypesAndValuesAreNumberedInOrder) {
    std::string error;
    ASSERT_EQ(addPickerType("Colours", {"red", "it's green", "blue"}, db, &error), 0) << error;
    ASSERT_EQ(addPickerType("sizes", db, &error), 0) << error;
    ASSERT_EQ(addPickerType("Animals", {"cat"}, db, &error), 0) << error;
    EXPECT_EQ(query("select rowid, number from varnelo_db_picker_types order by rowid"),
              (Strings{"1", "1", "2", "2", "3", "3"}));
    EXPECT_EQ(values("1"), (Strings{"red", "1", "it's green", "2", "blue", "3"}));
    EXPECT_EQ(values("3"), (Strings{"cat", "1"}));

    std::vector<std::string> types;
    ASSERT_EQ(getPickerTypes(&types, db, nullptr), 0);
    EXPECT_EQ(types, (Strings{"3", "Animals", "1", "Colours", "2", "sizes"}));

    // After a delete, an appended value still ends the list.
    std::vector<std::string> colours;
    ASSERT_EQ(getPickerValues(&colours, "1", db, nullptr), 0);
    ASSERT_EQ(deletePickerValues({colours[0]}, db, nullptr), 0);
    ASSERT_EQ(addPickerValue("black", "1", db, &error), 0) << error;
    ASSERT_EQ(addPickerValue("small", "2", db, &error), 0) << error;
    EXPECT_EQ(values("1"), (Strings{"it's green", "2", "blue", "3", "black", "4"}));
    EXPECT_EQ(values("2"), (Strings{"small", "1"}));

    ASSERT_EQ(updatePickerValues({"a", "b", "c"}, "1", db, &error), 0) << error;
    EXPECT_EQ(values("1"), (Strings{"a", "1", "b", "2", "c", "3"}));
    EXPECT_EQ(query("select min(rowid) > 6 from varnelo_db_picker_values where type_id=1")[0], "1");

    ASSERT_EQ(deletePickerTypes({"1", "3"}, db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from varnelo_db_picker_values where type_id<>2")[0], "0");
    EXPECT_EQ(deletePickerTypes({}, db, nullptr), 0);
    // Autoincrement: a deleted type's rowid is never given again.
    ASSERT_EQ(addPickerType("new", db, nullptr), 0);
    EXPECT_EQ(query("select max(rowid) from varnelo_db_picker_types")[0], "4");
}

TEST_F(PickerTest, FlagsOfOlderFiles) {
    run("create table varnelo_db_picker_types (rowid integer primary key autoincrement, name "
        "not null default '', number int not null default 0); insert into "
        "varnelo_db_picker_types (name) values ('old')");
    std::map<std::string, PickerTypeDictionary> dictionaries;
    ASSERT_EQ(getPickerTypeDictionaries(&dictionaries, db, nullptr), 0);
    EXPECT_EQ(dictionaries["1"], (PickerTypeDictionary{"old", "0"}));
    int64_t flags = 77;
    EXPECT_EQ(getFlags(&flags, "1", db, nullptr), 0);
    EXPECT_EQ(flags, 77);

    std::string error;
    ASSERT_EQ(changePickerType("1", 1, true, db, &error), 0) << error;
    ASSERT_EQ(getFlags(&flags, "1", db, nullptr), 0);
    EXPECT_EQ(flags, 1);
    ASSERT_EQ(changePickerType("1", 1, false, db, &error), 0) << error;
    dictionaries.clear();
    ASSERT_EQ(getPickerTypeDictionaries(&dictionaries, db, nullptr), 0);
    EXPECT_EQ(dictionaries["1"].flags, "0");
    ASSERT_EQ(updatePickerType("new name", "1", db, nullptr), 0);
    EXPECT_EQ(query("select name from varnelo_db_picker_types")[0], "new name");
    EXPECT_EQ(updatePickerType("x", "1; drop table keep", db, &error), -1);
    EXPECT_EQ(addPickerValue("x", "1 or 1", db, nullptr), -1);
}

TEST_F(PickerTest, FavouritesAndBookmarks) {
    int64_t rowid = 0;
    ASSERT_EQ(addFavoriteQuery("b's", "select 'x'", &rowid, db, nullptr), 0);
    EXPECT_EQ(rowid, 1);
    ASSERT_EQ(addFavoriteQuery("a", "select 2", &rowid, db, nullptr), 0);
    EXPECT_EQ(rowid, 2);
    std::vector<std::string> rows;
    ASSERT_EQ(getFavoriteQueries(&rows, db, nullptr), 0);
    EXPECT_EQ(rows, (Strings{"2", "a", "select 2", "1", "b's", "select 'x'"}));
    ASSERT_EQ(updateFavoriteQuery("2", "c", db, nullptr), 0);
    ASSERT_EQ(deleteFavoriteQueryWithID("1", db, nullptr), 0);
    EXPECT_EQ(query("select title from varnelo_db_favorite_queries"), (Strings{"c"}));
    std::vector<std::string> none;
    ASSERT_EQ(deleteFavoriteQueries(&none, db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from varnelo_db_favorite_queries")[0], "0");

    ASSERT_EQ(addBookmark("Site", "http://x/?q='1'", db, nullptr), 0);
    ASSERT_EQ(addBookmark("Other", "http://y", db, nullptr), 0);
    ASSERT_EQ(updateBookmark("2", "Another", "http://z", db, nullptr), 0);
    rows.clear();
    ASSERT_EQ(getBookmarks(&rows, db, nullptr), 0);
    EXPECT_EQ(rows, (Strings{"2", "Another", "http://z", "1", "Site", "http://x/?q='1'"}));
    ASSERT_EQ(deleteBookmarks({}, db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from varnelo_db_bookmarks")[0], "2");
    ASSERT_EQ(deleteBookmarks({"1"}, db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from varnelo_db_bookmarks")[0], "1");
}

TEST_F(PickerTest, LookupAndPickerTables) {
    run("create table one (v); create table three (k, v, w); create view empty_v as select 1 as "
        "a; create table varnelo_db_tables (name, flags); insert into varnelo_db_tables values "
        "('one', 8), ('three', 32776), ('keep', 1); with recursive n(i) as (select 1 union all "
        "select i + 1 from n where i < 200) insert into one select 'v' || i from n; insert into "
        "three values ('k1', 'a', 0), ('k2', 'a', 0), ('k3', 'b', 0)");
    LookupDictionary lookup;
    ASSERT_EQ(getLookupDictionary(&lookup, "one", db, nullptr), 0);
    EXPECT_EQ(lookup.size(), 50u);
    EXPECT_EQ(lookup["7"], "v7");
    UserDefaults::standard().setInteger(500, "LookupTableRowsLimit");
    lookup.clear();
    ASSERT_EQ(getLookupDictionary(&lookup, "one", db, nullptr), 0);
    EXPECT_EQ(lookup.size(), 200u);
    std::string error;
    EXPECT_EQ(getLookupDictionary(&lookup, "empty_v", db, &error), -1);
    EXPECT_EQ(error, "Lookup views require at least 2 fields.");

    std::vector<std::string> names;
    std::map<std::string, LookupDictionary> lookups;
    std::map<std::string, LookupDictionary> inverses;
    std::map<std::string, std::vector<std::string>> pickers;
    std::map<std::string, int> types;
    ASSERT_EQ(getSpecialTableNames(&names, &lookups, &inverses, &pickers, &types, db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"one", "three"}));
    EXPECT_EQ(lookups["three"], (LookupDictionary{{"k1", "a"}, {"k2", "a"}, {"k3", "b"}}));
    EXPECT_EQ(inverses["three"].size(), 2u);
    EXPECT_EQ(inverses["three"]["b"], "k3");
    EXPECT_EQ(pickers["three"], (Strings{"k1", "k2", "k3"}));
    EXPECT_FALSE(pickers.contains("one"));
    EXPECT_EQ(types["one"], kLookupSpecialTable);
    EXPECT_EQ(types["three"], kReplacingPickerTable);
}
