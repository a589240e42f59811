// A rebuilt table keeps the user's own schema: collations, checks, generated columns, options.
#include <sqlite3.h>

#include "Common/CreateTableText.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class TableSchemaRebuildTest : public DatabaseTest {
  protected:
    int rebuild(const std::string& table, const Strings& oldNames,
                const std::vector<int64_t>& indices, const Strings& newNames) {
        std::string error;
        int rc = changeTable(table, oldNames, indices, newNames, {}, nullptr, nullptr, nullptr, db,
                             &error);
        EXPECT_EQ(rc, 0) << error;
        return rc;
    }
    bool rejects(const std::string& sql) {
        std::string error;
        return execCommandString(sql, db, &error) != 0;
    }
    std::string schemaOf(const std::string& table) {
        Strings sql = query("select sql from sqlite_master where name='" + table + "'");
        return sql.empty() ? "" : sql[0];
    }
};

TEST_F(TableSchemaRebuildTest, CollationsAndChecksSurviveAndFollowARename) {
    run("create table t (a text collate nocase unique, n integer check (n > 0), b,"
        " constraint named check (b <> 'b' and length(b) < 5));"
        "insert into t values ('a', 1, 'x'), ('B', 2, 'y')");
    // b becomes q, a field is added.
    ASSERT_EQ(rebuild("t", {"a", "n", "b"}, {0, 1, 2, -1}, {"a", "n", "q", "new"}), 0);
    EXPECT_EQ(query("select a, n, q from t order by a"), (Strings{"a", "1", "x", "B", "2", "y"}));
    EXPECT_TRUE(rejects("insert into t (a, n) values ('A', 3)"));
    EXPECT_TRUE(rejects("insert into t (a, n) values ('c', 0)"));
    // The rename reached the check's names but not its text 'b'.
    EXPECT_TRUE(rejects("insert into t (a, n, q) values ('c', 3, 'b')"));
    EXPECT_TRUE(rejects("insert into t (a, n, q) values ('c', 3, 'toolong')"));
    EXPECT_NE(schemaOf("t").find("constraint named check (\"q\" <> 'b' and length(\"q\") < 5)"),
              std::string::npos)
        << schemaOf("t");
    run("insert into t (a, n, q) values ('c', 3, 'ok')");
    EXPECT_EQ(query("select count(*) from t"), Strings{"3"});
}

TEST_F(TableSchemaRebuildTest, ChecksNamingADroppedColumnAreLeftOutAndTheRestKept) {
    run("create table t (a, b, c check (c > b) not null, constraint cb check (b < 100),"
        " check (a <> ''), unique (b, c), unique (a));"
        "insert into t values ('x', 1, 2), ('y', 5, 7)");
    ASSERT_EQ(rebuild("t", {"a", "b", "c"}, {0, 2}, {"a", "c"}), 0);
    run("insert into t values ('z', 0)");
    EXPECT_EQ(query("select a, c from t order by rowid"), (Strings{"x", "2", "y", "7", "z", "0"}));
    EXPECT_TRUE(rejects("insert into t values ('', 1)"));
    EXPECT_TRUE(rejects("insert into t values ('w', null)"));
    EXPECT_TRUE(rejects("insert into t values ('x', 9)"));
    EXPECT_EQ(schemaOf("t").find("cb"), std::string::npos) << schemaOf("t");
}

TEST_F(TableSchemaRebuildTest, GeneratedColumnsKeepTheirExpressionsOrBecomePlainColumns) {
    run("create table t (a integer, b text, s integer as (a * 2) stored,"
        " v text generated always as (upper(b)) virtual, g as (b || ', (!)'));"
        "insert into t (a, b) values (1, 'one'), (2, 'two')");
    // a becomes x and moves last.
    ASSERT_EQ(rebuild("t", {"a", "b", "s", "v", "g"}, {1, 2, 3, 4, 0}, {"b", "s", "v", "g", "x"}),
              0);
    EXPECT_EQ(query("select name, hidden from pragma_table_xinfo('t') order by cid"),
              (Strings{"b", "0", "s", "3", "v", "2", "g", "2", "x", "0"}));
    run("update t set x = 10 where b = 'one'");
    EXPECT_EQ(query("select x, b, s, v, g from t order by x"),
              (Strings{"2", "two", "4", "TWO", "two, (!)", "10", "one", "20", "ONE", "one, (!)"}));
    // Without b, v and g keep the values they last had as plain columns; s still computes.
    ASSERT_EQ(rebuild("t", {"b", "s", "v", "g", "x"}, {4, 1, 2, 3}, {"x", "s", "v", "g"}), 0);
    EXPECT_EQ(query("select name, hidden from pragma_table_xinfo('t') order by cid"),
              (Strings{"x", "0", "s", "3", "v", "0", "g", "0"}));
    run("update t set x = 3 where v = 'TWO'");
    EXPECT_EQ(query("select x, s, v, g from t order by x"),
              (Strings{"3", "6", "TWO", "two, (!)", "10", "20", "ONE", "one, (!)"}));
}

TEST_F(TableSchemaRebuildTest, WithoutRowidAndStrictTablesRebuild) {
    run("create table w (k text primary key, v) without rowid;"
        "create table s (id integer primary key, n integer not null, t text) strict;"
        "insert into w values ('b', 2), ('a', 1); insert into s values (7, 1, 'x')");
    ASSERT_EQ(rebuild("w", {"k", "v"}, {0, 1, -1}, {"key", "v", "extra"}), 0);
    ASSERT_EQ(rebuild("s", {"id", "n", "t"}, {0, 1, 2, -1}, {"id", "n", "t", "added"}), 0);
    EXPECT_EQ(query("select name, wr, strict from pragma_table_list where name in ('w', 's') "
                    "order by name"),
              (Strings{"s", "0", "1", "w", "1", "0"}));
    EXPECT_EQ(query("select key, v, extra from w"), (Strings{"a", "1", "", "b", "2", ""}));
    EXPECT_EQ(query("select id, n, t, added from s"), (Strings{"7", "1", "x", ""}));
    EXPECT_TRUE(rejects("insert into s (n) values ('not a number')"));
    EXPECT_TRUE(rejects("insert into w values ('a', 0, 0)"));
    // Without its key the table takes a rowid rather than failing.
    ASSERT_EQ(rebuild("w", {"key", "v", "extra"}, {1}, {"v"}), 0);
    EXPECT_EQ(query("select wr from pragma_table_list where name = 'w'"), Strings{"0"});
    EXPECT_EQ(query("select v from w order by v"), (Strings{"1", "2"}));
}

TEST_F(TableSchemaRebuildTest, StringsQuotesAndCommentsDoNotConfuseTheSplit) {
    run("create table [t(] (\n"
        "  a text default 'x, y (z'' \"w\")' check (a <> ')'), -- a comment, with ( in it\n"
        "  \"b,c\" integer /* another, ( */ default (1 + (1)),\n"
        "  `e``f` check (`e``f` not like '%,%'),\n"
        "  check (\"b,c\" <> 3 or a = 'b,c')\n"
        ")");
    run("insert into [t(] (\"b,c\", `e``f`) values (1, 'v')");
    ASSERT_EQ(rebuild("t(", {"a", "b,c", "e`f"}, {0, 1, 2}, {"a", "bc", "e'f"}), 0);
    run("insert into [t(] (\"e'f\") values ('w')");
    EXPECT_EQ(query("select a, bc, \"e'f\" from [t(] order by rowid"),
              (Strings{"x, y (z' \"w\")", "1", "v", "x, y (z' \"w\")", "2", "w"}));
    EXPECT_TRUE(rejects("insert into [t(] (a) values (')')"));
    EXPECT_TRUE(rejects("insert into [t(] (\"e'f\") values ('a,b')"));
    EXPECT_TRUE(rejects("insert into [t(] (bc) values (3)"));
    run("insert into [t(] (a, bc) values ('b,c', 3)");
}

TEST_F(TableSchemaRebuildTest, TriggersNamingAGoneColumnOnlyInTextsOrCommentsAreKept) {
    run("create table t (a, gone); create table log (x);"
        "create trigger kept after insert on t begin /* old.gone */ insert into log values"
        " ('new.gone: ' || new.a); end;"
        "create trigger lost after insert on t begin insert into log values (new . \"gone\"); end");
    ASSERT_EQ(rebuild("t", {"a", "gone"}, {0}, {"a"}), 0);
    run("insert into t values ('v')");
    EXPECT_EQ(query("select x from log"), Strings{"new.gone: v"});
    EXPECT_EQ(query("select name from sqlite_master where type = 'trigger'"), Strings{"kept"});
}

TEST_F(TableSchemaRebuildTest, SelfReferenceFollowsARenamedKey) {
    run("create table tree (id integer primary key, parent references tree (id),"
        " foreign key (parent) references tree (id) on delete cascade);"
        "insert into tree values (1, null), (2, 1)");
    ASSERT_EQ(rebuild("tree", {"id", "parent"}, {0, 1}, {"key", "up"}), 0);
    EXPECT_EQ(query("select \"from\", \"to\" from pragma_foreign_key_list('tree')"),
              (Strings{"up", "key", "up", "key"}));
    EXPECT_EQ(query("select key, up from tree"), (Strings{"1", "", "2", "1"}));
}

TEST(CreateTableTextTest, UnexpectedTextsAreNotSplit) {
    std::string a = "a";
    std::vector<const std::string*> sources{&a};
    Strings columns{"a"};
    for (const char* sql : {"create table t (a /* open", "create table t (a", "create table t",
                            "create table t (b)", "create table t (a, b)", "create table t (a,)",
                            "create table t (a) without", "create table t (a) as select 1"}) {
        EXPECT_FALSE(carryOverCreateTable(sql, "t", columns, sources, {"a"})) << sql;
    }
    auto definition = carryOverCreateTable("CREATE TABLE t ( a )", "t", columns, sources, {"x"});
    ASSERT_TRUE(definition);
    EXPECT_EQ(definition->body, "\"x\"");
}

TEST_F(TableSchemaRebuildTest, TriggersReadingTheRowidAreKeptUnlessTheNameWasADroppedColumn) {
    run("create table t (a, gone); create table log (x);"
        "create trigger byrowid after insert on t begin insert into log values (new.rowid); end;"
        "create trigger byoid after update on t begin insert into log values (old._rowid_); end;"
        "create table s (a, oid); create trigger shadowed after insert on s begin"
        " insert into log values (new.oid); end");
    ASSERT_EQ(rebuild("t", {"a", "gone"}, {0}, {"a"}), 0);
    ASSERT_EQ(rebuild("s", {"a", "oid"}, {0}, {"a"}), 0);
    run("insert into t (rowid, a) values (7, 'v'); update t set a = 'w'");
    EXPECT_EQ(query("select x from log"), (Strings{"7", "7"}));
    EXPECT_EQ(query("select name from sqlite_master where type = 'trigger' order by name"),
              (Strings{"byoid", "byrowid"}));
}
