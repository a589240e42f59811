#include <gtest/gtest.h>

#include "Common/DBConnection.h"
#include "Common/DBInterface.h"
#include "Common/ShownRows.h"
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
    // The rows of the rowids as the grid shows them, with the version they were read at.
    ShownRows shownRows(const std::vector<std::string>& rowids) {
        ShownRows shown;
        shown.fileVersion = [this] { return now; };
        shown.version = 1;
        shown.schemaVersion = fileSchemaVersion(db);
        shown.fieldNames = {"a", "r", "n"};
        shown.rawFields = {false, true, false};
        DBConnection connection(db, ConnectionKind::Plain);
        std::string error;
        EXPECT_EQ(readShownRows(&shown.rows, shown, "s", rowids, connection, &error), 0) << error;
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
        // Another schema whose fields are the same, and fields renamed.
        {"create index s_n on s (n)", 0},
        {"alter table s rename column n to m; alter table s rename column a to n; alter table "
         "s rename column m to a",
         kFieldsChanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elsewhere);
        makeTable();
        ShownRows shown = shownRows({"1", "2"});
        run(c.elsewhere);
        now = 2;
        const std::string before = directQuery("select group_concat(n) from s").front();
        EXPECT_EQ(write(shown, "2"), c.result);
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
