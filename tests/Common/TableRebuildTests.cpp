// Changing a table's field list: rows, rowids, indexes, triggers, child rows and field rows.
#include <sqlite3.h>

#include "Common/FieldMoves.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class TableRebuildTest : public DatabaseTest {
  protected:
    int rebuild(const std::string& table, const Strings& oldNames,
                const std::vector<int64_t>& indices, const Strings& newNames,
                const std::vector<int>& types, std::string* error) {
        return changeTable(table, oldNames, indices, newNames, types, nullptr, nullptr, nullptr, db,
                           error);
    }
};

// A renamed field is the same field: its indexes, triggers and views follow the new name, also
// in a file with a view that is broken already. What goes with a dropped field is named, before
// (without any change) and after the change.
TEST_F(TableRebuildTest, KeepsRowidsIndexesTriggersFollowsRenamesAndNamesWhatItDrops) {
    run("create table t (a, b, c); insert into t (rowid, a, b, c) values (5, 'a5', 'b5', 'c5'),"
        "(9, 'a9', 'b9', 'c9'); create index ia on t (a); create index ib on t (b);"
        "create index ic on t (c); create table log (x); create trigger ta after insert on t "
        "begin insert into log values (new.a); end; create trigger tb after update of b on t "
        "begin insert into log values (old.b || '>' || new.b); end; create trigger tc after "
        "update on t begin insert into log values (NEW.\"c\"); end; create view v as select b "
        "from t; create table gone (z); create view broken as select z from gone; drop table "
        "gone");
    std::string schema = "select type, name, sql from sqlite_master order by name";
    Strings before = directQuery(schema);
    std::string error;
    // Drop c, rename b to "b 2", add a new field n.
    Strings dropped;
    ASSERT_EQ(objectsDroppedByChangeTable(&dropped, "t", {"a", "b", "c"}, {0, 1, -1},
                                          {"a", "b 2", "n"}, db, &error),
              0)
        << error;
    EXPECT_EQ(dropped, (Strings{"ic", "tc"}));
    EXPECT_EQ(directQuery(schema), before);
    dropped.clear();
    ASSERT_EQ(changeTable("t", {"a", "b", "c"}, {0, 1, -1}, {"a", "b 2", "n"}, {1, 2, 3}, nullptr,
                          nullptr, &dropped, db, &error),
              0)
        << error;
    EXPECT_EQ(dropped, (Strings{"ic", "tc"}));
    EXPECT_EQ(directQuery("select rowid, a, \"b 2\", n from t order by rowid"),
              (Strings{"5", "a5", "b5", "", "9", "a9", "b9", ""}));
    EXPECT_EQ(directQuery("select name from sqlite_master where tbl_name='t' and type in "
                          "('index','trigger') order by name"),
              (Strings{"ia", "ib", "ta", "tb"}));
    EXPECT_EQ(directQuery("select name from pragma_index_info('ib')"), Strings{"b 2"});
    run("insert into t (a) values ('new'); update t set \"b 2\" = 'B' where rowid = 5");
    EXPECT_EQ(directQuery("select x from log"), (Strings{"new", "b5>B"}));
    EXPECT_EQ(directQuery("select * from v order by 1"), (Strings{"", "B", "b9"}));
    EXPECT_EQ(directQuery("select name, number, type from varnelo_db_fields order by number"),
              (Strings{"a", "1", "1", "b 2", "2", "2", "n", "3", "3"}));
    EXPECT_FALSE(doesTableExist("xyztmp_t", db));
}

// SQLite reads a double-quoted name that is no column as a text, so an index on a dropped column
// would come back as an index on a constant: a unique one refuses every second row. Swapped
// names take their indexes along.
TEST_F(TableRebuildTest, IndexesFollowSwappedNamesAndNeverComeBackOnAConstant) {
    run("create table t (a, b, c); insert into t values ('a1', 'b1', 'c1');"
        "create unique index ub on t (\"b\"); create index ic on t (\"c\", \"a\");"
        "create index ia on t (\"a\")");
    std::string error;
    Strings dropped;
    // Names that differ in letter case alone are one name.
    EXPECT_EQ(changeTable("t", {"a", "b", "c"}, {0, 1}, {"a", "A"}, {1, 1}, nullptr, nullptr,
                          &dropped, db, &error),
              SQLITE_ERROR);
    EXPECT_EQ(error, "duplicate column name: A");
    EXPECT_EQ(directQuery("select name from pragma_table_info('t')"), (Strings{"a", "b", "c"}));
    error.clear();
    ASSERT_EQ(changeTable("t", {"a", "b", "c"}, {1, 0}, {"a", "b"}, {1, 1}, nullptr, nullptr,
                          &dropped, db, &error),
              0)
        << error;
    EXPECT_EQ(dropped, Strings{"ic"});
    EXPECT_EQ(directQuery("select a, b from t"), (Strings{"b1", "a1"}));
    EXPECT_EQ(directQuery("select name from pragma_index_info('ub')"), Strings{"a"});
    EXPECT_EQ(directQuery("select name from pragma_index_info('ia')"), Strings{"b"});
    run("insert into t values ('b2', 'a2'); insert into t values ('b3', 'a3')");
    EXPECT_NE(execCommandString("insert into t values ('b1', 'x')", db, nullptr), 0);
}

TEST_F(TableRebuildTest, TriggerReferencesInEveryQuotingAndVeryLongNames) {
    std::string longName = std::string(100000, 'n');
    run("create table t (a, \"b\"\"q\", g, \"" + longName +
        "\"); create table log (x); create trigger tl after insert on t begin insert into log "
        "values (new.\"" +
        longName +
        "\" || New . [a] || NEW.`b\"q`); end;"
        "create trigger tg after delete on t begin insert into log values (old . [g]); end;"
        "create trigger tb after delete on t begin insert into log values (OLD.g); end");
    std::string error;
    ASSERT_EQ(rebuild("t", {"a", "b\"q", "g", longName}, {0, 1, 3}, {"a", "b\"q", longName},
                      {1, 1, 1}, &error),
              0)
        << error;
    run("insert into t values (1, 2, 'kept')");
    EXPECT_EQ(query("select x from log"), Strings{"kept12"});
    EXPECT_EQ(query("select name from sqlite_master where type = 'trigger'"), Strings{"tl"});
}

// AUTOINCREMENT promises that the key of a deleted row is never handed out again. Only the key
// word makes such a key, not a name or a text that holds the word.
TEST_F(TableRebuildTest, AutoincrementKeyKeepsItsPromiseAndTheWordAloneMakesNoKey) {
    run("create table w (id integer primary key, autoincrement_note default 'autoincrement');"
        "insert into w values (7, 'x')");
    std::string error;
    ASSERT_EQ(rebuild("w", {"id", "autoincrement_note"}, {0, 1, -1},
                      {"id", "autoincrement_note", "n"}, {1, 1, 1}, &error),
              0)
        << error;
    EXPECT_EQ(directQuery("select id, autoincrement_note, n from w"), (Strings{"7", "x", ""}));
    EXPECT_TRUE(directQuery("select 1 from sqlite_master where name = 'sqlite_sequence'").empty());

    run("create table t (id integer primary key autoincrement, a); insert into t (a) values "
        "('one'), ('two'), ('three'); delete from t where id = 3");
    ASSERT_EQ(rebuild("t", {"id", "a"}, {0, 1, -1}, {"id", "a", "n"}, {2, 1, 1}, &error), 0)
        << error;
    run("insert into t (a) values ('four')");
    EXPECT_EQ(query("select id from t where a = 'four'"), Strings{"4"});
    run("delete from t; insert into t (a) values ('five')");
    EXPECT_EQ(query("select id from t"), Strings{"5"});
}

TEST_F(TableRebuildTest, ChildRowsSurviveARebuildOfTheirParentWithForeignKeysOn) {
    UserDefaults::standard().setBool(true, "EnableForeignKeyConstraints");
    run("create table parent (id integer primary key, name text not null default 'x');"
        "create table child (pid references parent (id) on delete cascade, note);"
        "insert into parent values (1, 'one'), (2, 'two');"
        "insert into child values (1, 'c1'), (2, 'c2')");
    std::string error;
    ASSERT_EQ(
        rebuild("parent", {"id", "name"}, {0, 1, -1}, {"id", "name", "extra"}, {1, 1, 1}, &error),
        0)
        << error;
    EXPECT_EQ(query("select pid, note from child order by pid"), (Strings{"1", "c1", "2", "c2"}));
    // The key, its type and the cascade still work.
    run("delete from parent where id = 1");
    EXPECT_EQ(query("select note from child"), Strings{"c2"});
    EXPECT_EQ(query("select type, pk from pragma_table_info('parent') where name='id'"),
              (Strings{"INTEGER", "1"}));
    // The child can be rebuilt as well and keeps its reference.
    ASSERT_EQ(rebuild("child", {"pid", "note"}, {0, 1}, {"pid", "note"}, {1, 1}, &error), 0)
        << error;
    EXPECT_EQ(query("select \"table\", \"to\", on_delete from pragma_foreign_key_list('child')"),
              (Strings{"parent", "id", "CASCADE"}));
}

// Without its parent field a foreign key no longer matches any parent key, and every later
// change of the child fails, whether the keys are enforced or not.
TEST_F(TableRebuildTest, AFieldThatAForeignKeyRefersToStaysAndARenameReachesTheKey) {
    run("create table parent (id integer primary key, code unique);"
        "create table child (pcode references parent (code));"
        "insert into parent values (1, 'A'); insert into child values ('A');"
        "create table p2 (code unique, alt unique); create table c2 (k references p2 (code));"
        "insert into p2 values ('A', 'Z'); insert into c2 values ('A')");
    for (bool enforced : {true, false}) {
        UserDefaults::standard().setBool(enforced, "EnableForeignKeyConstraints");
        std::string error;
        EXPECT_EQ(rebuild("parent", {"id", "code"}, {0}, {"id"}, {1}, &error),
                  SQLITE_CONSTRAINT_FOREIGNKEY);
        EXPECT_EQ(error,
                  "Field code of table parent cannot be removed: a foreign key of table "
                  "child refers to it.");
        EXPECT_EQ(directQuery("select id, code from parent"), (Strings{"1", "A"}));
        // Filling the parent's key from another field drops the key field just the same.
        error.clear();
        EXPECT_EQ(rebuild("p2", {"code", "alt"}, {1}, {"code"}, {1}, &error),
                  SQLITE_CONSTRAINT_FOREIGNKEY);
        EXPECT_EQ(error,
                  "Field code of table p2 cannot be removed: a foreign key of table c2 "
                  "refers to it.");
        EXPECT_EQ(directQuery("select code, alt from p2"), (Strings{"A", "Z"}));
    }
    std::string error;
    ASSERT_EQ(rebuild("parent", {"id", "code"}, {0, 1}, {"id", "key"}, {1, 1}, &error), 0) << error;
    EXPECT_EQ(directQuery("select \"to\" from pragma_foreign_key_list('child')"), Strings{"key"});
    EXPECT_TRUE(directQuery("pragma foreign_key_check").empty());
}

TEST_F(TableRebuildTest, FileWithoutMetaTablesAndAnAwkwardName) {
    run("create table \"x\"\"; drop table y; --\" (\"it's\"); create table y (k);"
        "insert into y values (1); insert into \"x\"\"; drop table y; --\" values ('v')");
    std::string error;
    ASSERT_EQ(changeTable("x\"; drop table y; --", {"it's"}, {0, -1}, {"it's", "z\"z"}, {}, nullptr,
                          nullptr, nullptr, db, &error),
              0)
        << error;
    EXPECT_EQ(query("select \"it's\", \"z\"\"z\" from \"x\"\"; drop table y; --\""),
              (Strings{"v", ""}));
    EXPECT_EQ(query("select k from y"), Strings{"1"});
    EXPECT_FALSE(doesTableExist("varnelo_db_fields", db));
}

TEST_F(TableRebuildTest, MissingTableFailsWithAMessage) {
    run("create table t (a)");
    std::string error;
    EXPECT_NE(rebuild("nope", {"a"}, {0}, {"a"}, {1}, &error), 0);
    EXPECT_EQ(error, "No such table: nope");
}

// The stored settings follow their fields in the older sort form too, keep the search's filter
// text and drop with a deleted field; an unreadable sort setting and other tables' rows are left
// alone.
TEST_F(TableRebuildTest, StoredSortAndSearchSettingsFollowTheirFields) {
    run("create table t (a, b, c); create table u (a, b, c); create table varnelo_db_tables "
        "(name not null default '', number int not null default 0, flags int not null default "
        "0, search_field not null default '', sort_field1 not null default '', sort_field2 not "
        "null default '', sort_field3 not null default ''); insert into varnelo_db_tables (name, "
        "search_field, sort_field1, sort_field2, sort_field3) values ('t', '1,2; it''s', '4 2', "
        "'1#1 1', '0#0 0'), ('u', '1;=x', '4 2', '', '')");
    const std::string settings =
        "select search_field, sort_field1, sort_field2, sort_field3 from varnelo_db_tables "
        "order by name";
    DroppedFieldSettings dropped;
    std::string error;
    // c moves to the front, a goes, n is new.
    ASSERT_EQ(changeTable("t", {"a", "b", "c"}, {2, 1, -1}, {"c", "b", "n"}, {1, 1, 1}, nullptr,
                          nullptr, nullptr, db, &error, &dropped),
              0)
        << error;
    EXPECT_EQ(directQuery(settings),
              (Strings{"0,1; it's", "1#2 2", "0#0 0", "0#0 0", "1;=x", "4 2", "", ""}));
    EXPECT_EQ(dropped.sortCodes, (std::vector<int>{1}));
    EXPECT_TRUE(dropped.searchIndexes.empty());

    // Swapping back drops nothing; a rename alone moves nothing.
    ASSERT_EQ(changeTable("t", {"c", "b", "n"}, {1, 0, 2}, {"b", "c", "m"}, {1, 1, 1}, nullptr,
                          nullptr, nullptr, db, &error, &dropped),
              0)
        << error;
    EXPECT_EQ(directQuery(settings),
              (Strings{"0,1; it's", "2#4 2", "0#0 0", "0#0 0", "1;=x", "4 2", "", ""}));

    // An odd number of sort pieces cannot be read and stays.
    run("update varnelo_db_tables set sort_field1 = '4', sort_field2 = '', sort_field3 = '' "
        "where name = 'u'");
    ASSERT_EQ(changeTable("u", {"a", "b", "c"}, {2, 1, 0}, {"c", "b", "a"}, {1, 1, 1}, nullptr,
                          nullptr, nullptr, db, &error, nullptr),
              0)
        << error;
    EXPECT_EQ(directQuery(settings),
              (Strings{"0,1; it's", "2#4 2", "0#0 0", "0#0 0", "1;=x", "4", "", ""}));
}

// A trigger that writes a deleted field (an INSERT's column list, an UPDATE's SET) reads nothing
// of it, yet fails once it is gone. The table's own that name the field are not made again (also
// one that fires on an UPDATE OF it); the others are kept and told; nothing is told that failed
// already or names only another table's column of the same name.
TEST_F(TableRebuildTest, TriggersThatWriteADeletedFieldAreDroppedWhenOwnAndToldWhenOthers) {
    run("create table u (a, b); insert into u values (1, 2); create table o (y); insert into o "
        "values (5); create table log (b); create trigger t_set after insert on u begin update u "
        "set b = 'x' where rowid "
        "= new.rowid; end; create trigger t_log after insert on u begin insert into log (b) "
        "values (new.a); end; create trigger t_ins after insert on o begin insert into u (a, "
        "\"B\") values (new.y, new.y); end; create trigger t_upd after insert on o begin update "
        "u set [b] = new.y; end; create trigger t_only_a after delete on o begin insert into u "
        "(a) values (old.y); end; create trigger t_broken after delete on log begin insert into "
        "nowhere values (1); end; create trigger t_of after update of a, B on u begin insert into "
        "log (b) values (new.a); end");
    const std::string schema = "select type, name, sql from sqlite_master order by name";
    const Strings before = directQuery(schema);
    std::string error;
    Strings dropped, failing;
    ASSERT_EQ(
        objectsDroppedByChangeTable(&dropped, "u", {"a", "b"}, {0}, {"a"}, db, &error, &failing), 0)
        << error;
    EXPECT_EQ(dropped, (Strings{"t_of", "t_set"}));
    EXPECT_EQ(failing, (Strings{"t_ins", "t_upd"}));
    EXPECT_EQ(directQuery(schema), before);

    dropped.clear();
    ASSERT_EQ(changeTable("u", {"a", "b"}, {0}, {"a"}, {1}, nullptr, nullptr, &dropped, db, &error),
              0)
        << error;
    EXPECT_EQ(dropped, (Strings{"t_of", "t_set"}));
    EXPECT_EQ(directQuery("select name from sqlite_master where type = 'trigger' order by name"),
              (Strings{"t_broken", "t_ins", "t_log", "t_only_a", "t_upd"}));
    run("insert into u values (3); delete from o");
    EXPECT_EQ(directQuery("select a from u order by a"), (Strings{"1", "3", "5"}));
    EXPECT_EQ(directQuery("select b from log order by b"), (Strings{"3", "5"}));
}

// A table's own trigger that writes the deleted field into the table itself goes; the rows are
// deleted afterwards, its other triggers firing.
TEST_F(TableRebuildTest, AnOwnTriggerWritingTheDeletedFieldBackIsNotMadeAgain) {
    run("create table u3 (a, b); insert into u3 values (1, 2), (3, 4); create table log (x); "
        "create trigger t_again after delete on u3 begin insert into u3 (a, b) values (old.a, "
        "'again'); end; create trigger t_log after delete on u3 begin insert into log values "
        "(old.a); end");
    std::string error;
    Strings dropped;
    ASSERT_EQ(
        changeTable("u3", {"a", "b"}, {0}, {"a"}, {1}, nullptr, nullptr, &dropped, db, &error), 0)
        << error;
    EXPECT_EQ(dropped, Strings{"t_again"});
    run("delete from u3");
    EXPECT_TRUE(directQuery("select a from u3").empty());
    EXPECT_EQ(directQuery("select x from log order by x"), (Strings{"1", "3"}));
}
