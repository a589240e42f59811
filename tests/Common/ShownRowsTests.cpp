#include <gtest/gtest.h>

#include "Common/DBConnection.h"
#include "Common/DBInterface.h"
#include "Common/ShownRows.h"
#include "Common/ValuePrefix.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;

namespace {

class ShownRowsTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        makeTable();
    }
    // A long text held by its prefix, and a raw field shown as hex.
    void makeTable() {
        run("drop table if exists s; create table s (a text, r blob, n integer); insert into s "
            "values ('one', x'01ff', 1), (printf('%.5000c', 'h') || 'tail', x'02', 2), ('three', "
            "x'03', 3)");
        now = 1;
    }
    // The rows of the rowids as the grid shows them, with the versions they were read at.
    ShownRows shownRows(const std::vector<std::string>& rowids, const std::string& table = "s",
                        std::vector<std::string> fields = {"a", "r", "n"},
                        std::vector<bool> raw = {false, true, false}) {
        ShownRows shown;
        shown.fileVersion = [this] { return now; };
        shown.version = now;
        shown.schemaVersion = shown.rowsSchemaVersion = fileSchemaVersion(db);
        shown.fieldNames = std::move(fields);
        shown.rawFields = std::move(raw);
        DBConnection connection(db, ConnectionKind::Plain);
        std::string error;
        EXPECT_EQ(readShownRows(&shown.rows, shown, table, rowids, connection, &error), 0) << error;
        return shown;
    }
    // Writes n of the rowid's row, checked against what was shown.
    int write(ShownRows& shown, const std::string& rowid) {
        std::string error;
        return updateField("written", "s", "n", rowid, nullptr, nullptr, db, &error, &shown);
    }
    int64_t now = 1;
};

}  // namespace

TEST_F(ShownRowsTest, AChangedFileIsWrittenOnlyWhereTheShownRowsAndFieldsStand) {
    struct Case {
        const char* elsewhere;
        int result;
        const char* rowid = "2";
    };
    const std::vector<Case> cases = {
        {"select 1", 0},
        // Past the prefix held: the long value stands as far as it is held.
        {"update s set a = a || 'more' where rowid = 2", 0},
        {"update s set a = 'H' || a where rowid = 2", kRowsChanged},
        {"update s set r = x'02ff' where rowid = 2", kRowsChanged},
        {"delete from s where rowid = 2", kRowGone},
        {"delete from s where rowid = 2; insert into s (rowid, a, r, n) values (2, 'other', x'02', "
         "2)",
         kRowsChanged},
        // Another schema whose fields are the same: a row held whole is checked as it is, one
        // held in part by a prefix may be another since (the table has no INTEGER PRIMARY KEY).
        {"create index s_n on s (n)", 0, "1"},
        {"create index s_n on s (n)", kRowsChanged},
        // Fields renamed.
        {"alter table s rename column n to m; alter table s rename column a to n; alter table "
         "s rename column m to a",
         kFieldsChanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elsewhere);
        makeTable();
        ShownRows shown = shownRows({c.rowid});
        run(c.elsewhere);
        now = 2;
        const std::string before = directQuery("select group_concat(n) from s").front();
        EXPECT_EQ(write(shown, c.rowid), c.result);
        if (c.result != 0) {
            EXPECT_EQ(directQuery("select group_concat(n) from s").front(), before);
        }
    }
}

TEST_F(ShownRowsTest, AnUnchangedFileIsWrittenWithoutReadingTheRows) {
    ShownRows shown = shownRows({"2"});
    // Not a row the file holds: only a read would tell.
    shown.rows.front()[1] = "not read";
    EXPECT_EQ(write(shown, "2"), 0);
    now = 2;
    shown.rows.front()[1] = "not read";
    EXPECT_EQ(write(shown, "2"), kRowsChanged);
}

TEST_F(ShownRowsTest, RowsFoundByTheirPlacesPassOnlyWhileTheFileIsUnchanged) {
    ShownRows shown = shownRows({});
    shown.rows = {{"3"}};
    EXPECT_EQ(write(shown, "3"), 0);
    EXPECT_EQ(directQuery("select n from s where rowid = 3").front(), "written");
    shown.rows = {{"1"}};
    now = 2;
    EXPECT_EQ(write(shown, "1"), kRowsChanged);
    EXPECT_EQ(directQuery("select n from s where rowid = 1").front(), "1");
}

TEST_F(ShownRowsTest, AWriteLeavesTheRowsAsTheFileHoldsThem) {
    run("create trigger counted after update of n on s begin update s set a = 'counted' where "
        "rowid = new.rowid; end");
    ShownRows shown = shownRows({"1"});
    ASSERT_EQ(write(shown, "1"), 0);
    ASSERT_EQ(shown.rows.size(), 1u);
    EXPECT_EQ(shown.rows[0], (DBRow{"1", "counted", "01FF", "written"}));
    // The next write of the same row finds it as shown, though the file changed.
    now = 2;
    EXPECT_EQ(write(shown, "1"), 0);
}

TEST_F(ShownRowsTest, FieldChangesRefuseOldFieldsTheTableNoLongerHas) {
    // As read before n was added elsewhere.
    const std::vector<std::string> before = {"a", "r"};
    std::string error;
    EXPECT_EQ(changeFieldsForTable("s", before, {1, 9}, nullptr, {"", ""}, db, &error, true),
              kFieldsChanged);
    EXPECT_EQ(error, fieldsChangedMessage());
    EXPECT_EQ(changeTable("s", before, {0, 1}, {"a", "r2"}, {1, 9}, nullptr, nullptr, nullptr, db,
                          nullptr),
              kFieldsChanged);
    EXPECT_EQ(directQuery("select group_concat(name) from pragma_table_info('s')").front(),
              "a,r,n");
    EXPECT_EQ(directQuery("select group_concat(n) from s").front(), "1,2,3");
    EXPECT_EQ(
        changeFieldsForTable("s", {"a", "r", "n"}, {1, 9, 2}, nullptr, {"", "", ""}, db, &error),
        0);
}

TEST_F(ShownRowsTest, AChangeOfAnyFieldElsewhereRefusesTheRowTheLastFieldToo) {
    const std::vector<std::string> changes = {"a = 'other'", "r = x'0102'", "n = 9"};
    for (const std::string& change : changes) {
        SCOPED_TRACE(change);
        makeTable();
        ShownRows shown = shownRows({"1", "3"});
        run("update s set " + change + " where rowid = 3");
        now = 2;
        EXPECT_EQ(write(shown, "1"), kRowsChanged);
        EXPECT_EQ(directQuery("select group_concat(n) from s").front(),
                  change == "n = 9" ? "1,2,9" : "1,2,3");
    }
}

TEST_F(ShownRowsTest, ARowidTheCheckWasNotGivenIsNeverWritten) {
    std::string error;
    ShownRows shown = shownRows({"1"});
    // The file as it was: still no row but those given.
    EXPECT_EQ(write(shown, "3"), kRowsChanged);
    EXPECT_EQ(updateRowsFields({{"1", {"n"}}, {"3", {"n"}}}, "x", "s", nullptr, db, &error, &shown),
              kRowsChanged);
    EXPECT_EQ(updateRowsArray({"1", "3"}, {"n"}, "x", "s", db, &error, &shown), kRowsChanged);
    EXPECT_EQ(deleteRowsArray({"3"}, "s", db, &error, &shown), kRowsChanged);
    EXPECT_EQ(directQuery("select group_concat(rowid || n) from s").front(), "11,22,33");
    EXPECT_EQ(write(shown, "1"), 0);
    // A whole field names no rowid: its fields are checked, no row.
    ShownRows field = shownRows({});
    now = 2;
    EXPECT_EQ(updateRowsArray({}, {"n"}, "all", "s", db, &error, &field), 0) << error;
    EXPECT_EQ(directQuery("select group_concat(n) from s").front(), "all,all,all");
    run("alter table s rename column n to m");
    EXPECT_EQ(updateRowsArray({}, {"n"}, "none", "s", db, &error, &field), kFieldsChanged);
}

TEST_F(ShownRowsTest, AFieldWrittenIsComparedWholeWithTheValueTheEditLoaded) {
    auto edit = [this](const std::string& elsewhere) {
        makeTable();
        const std::string loaded = directQuery("select a from s where rowid = 2").front();
        ShownRows shown = shownRows({"2"});
        compareWhole(&shown, "2", "a", loaded);
        run(elsewhere);
        now = 2;
        std::string error;
        return updateField("edited", "s", "a", "2", nullptr, nullptr, db, &error, &shown);
    };
    // Changed past the part the page held.
    EXPECT_EQ(edit("update s set a = a || 'EXTERNAL-TAIL' where rowid = 2"), kRowsChanged);
    EXPECT_EQ(directQuery("select substr(a, -13) from s where rowid = 2").front(), "EXTERNAL-TAIL");
    EXPECT_EQ(edit("update s set n = n where rowid = 2"), 0);
    EXPECT_EQ(directQuery("select a from s where rowid = 2").front(), "edited");
    // A value not read whole is compared as far as the page held it.
    makeTable();
    ShownRows shown = shownRows({"2"});
    const DBValue cut = shown.rows[0][1];
    compareWhole(&shown, "2", "a", cut);
    compareWhole(&shown, "2", "no such field", "x");
    EXPECT_EQ(shown.rows[0][1], cut);
}

TEST_F(ShownRowsTest, AfterAVacuumARowHeldInPartIsRefusedUnlessItsTableKeepsItsRowids) {
    struct Case {
        const char* table;
        const char* values;
        int result;
    };
    // Rows 3 and 4 differ only past the part a page holds; the vacuum gives row 4 the rowid 3
    // where the rowid is not a field.
    const std::string longValue = "printf('%.5000c', 'v')";
    const std::vector<Case> cases = {
        {"v (a text, n integer)", "", kRowsChanged},
        {"v (id integer primary key, a text, n integer)", "", 0},
        // Held whole, the rows are told apart by their values.
        {"v (a text, n integer)", "short", kRowsChanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + c.values);
        const std::string value = *c.values ? "'" + std::string(c.values) + "'" : longValue;
        run("drop table if exists v; create table " + std::string(c.table) +
            "; insert into v (rowid, a, n) values (1, 'one', 1), (2, 'two', 2), (3, " + value +
            " || 'A', 7), (4, " + value + " || 'B', 7); delete from v where rowid = 2");
        now = 1;
        const bool key = std::string(c.table).find("primary") != std::string::npos;
        std::vector<std::string> fields = {"a", "n"};
        if (key) fields.insert(fields.begin(), "id");
        ShownRows shown = shownRows({"3"}, "v", fields, std::vector<bool>(fields.size()));
        run("vacuum");
        now = 2;
        std::string error;
        EXPECT_EQ(updateField(DBValue(), "v", "n", "3", nullptr, nullptr, db, &error, &shown),
                  c.result);
        EXPECT_EQ(directQuery("select group_concat(substr(a, -1) || quote(n)) from v").front(),
                  c.result == 0 ? "e1,ANULL,B7" : "e1,A7,B7");
        if (c.result == 0) continue;
        // Read again, the rows are those the write is checked against.
        shown = shownRows({"3"}, "v", fields, std::vector<bool>(fields.size()));
        now = 3;
        EXPECT_EQ(updateField(DBValue(), "v", "n", "3", nullptr, nullptr, db, &error, &shown), 0);
        EXPECT_EQ(directQuery("select group_concat(substr(a, -1) || quote(n)) from v").front(),
                  "e1,A7,BNULL");
    }
}

TEST_F(ShownRowsTest, ARowTakenAsItStandsIsWhatTheNextWriteIsCheckedAgainst) {
    ShownRows shown = shownRows({"2"});
    shown.editedRow = true;
    run("update s set a = a || 'more', n = 20 where rowid = 2");
    now = 2;
    std::string error;
    EXPECT_EQ(updateField("typed", "s", "r", "2", nullptr, nullptr, db, &error, &shown),
              kRowsChanged);
    EXPECT_EQ(error, rowChangedMessage());
    DBRow whole;
    now = 3;
    ASSERT_EQ(readRowAsItStands(&whole, &shown, "s", "2", db, &error), 0) << error;
    ASSERT_EQ(whole.size(), 4u);
    EXPECT_EQ(whole[1], directQuery("select a from s where rowid = 2").front());
    EXPECT_EQ(whole[2], "02");
    EXPECT_EQ(whole[3], "20");
    EXPECT_EQ(shown.version, 3);
    EXPECT_TRUE(isCutValue(shown.rows.at(0).at(1)));
    // Checked against the row as taken, not as first shown.
    now = 4;
    EXPECT_EQ(updateField("typed", "s", "r", "2", nullptr, nullptr, db, &error, &shown), 0);
    run("delete from s where rowid = 2");
    error.clear();
    EXPECT_EQ(readRowAsItStands(&whole, &shown, "s", "2", db, &error), kRowGone);
    EXPECT_EQ(error, rowNoLongerExistsMessage());
}

TEST_F(ShownRowsTest, FieldSettingsChangedElsewhereRefuseAChangeMadeFromTheOldOnes) {
    const std::vector<std::string> names = {"a", "r", "n"};
    const std::vector<int> types = {1, 9, 2};
    const std::vector<std::string> noLookups(3);
    const FieldSettings read{types, {0, 0, 0}, noLookups};
    const std::vector<std::string> changes = {
        "type = 3 where name = 'n'", "flags = 256 where name = 'a'",
        "lookup_table = 'other' where name = 'r'", "type = 1 where 0"};
    for (const std::string& change : changes) {
        SCOPED_TRACE(change);
        std::string error;
        ASSERT_EQ(changeFieldsForTable("s", names, types, nullptr, noLookups, db, &error), 0);
        run("update varnelo_db_fields set " + change);
        const std::string meta = directQuery(
                                     "select group_concat(name || type || flags || lookup_table) "
                                     "from varnelo_db_fields")
                                     .front();
        const int expected = change.ends_with("where 0") ? 0 : kFieldsChanged;
        EXPECT_EQ(checkFieldsOfFile(names, &read, "s", db, nullptr), expected);
        // n renamed by a rebuild that writes every field's settings as read.
        EXPECT_EQ(changeTable("s", names, {0, 1, 2}, {"a", "r", "m"}, types, nullptr, nullptr,
                              nullptr, db, &error, nullptr, &read),
                  expected);
        EXPECT_EQ(directQuery("select group_concat(name) from pragma_table_info('s')").front(),
                  expected == 0 ? "a,r,m" : "a,r,n");
        if (expected != 0) {
            // A new format for n alone.
            EXPECT_EQ(changeFieldsForTable("s", names, {1, 9, 4}, nullptr, noLookups, db, &error,
                                           true, &read),
                      expected);
            EXPECT_EQ(directQuery("select group_concat(name || type || flags || lookup_table) "
                                  "from varnelo_db_fields")
                          .front(),
                      meta);
        }
        makeTable();
    }
}
