// Every routine that writes in a transaction takes the write lock as it begins: another program's
// lock is waited out as long as the lock wait of the caller's thread says, even where the
// transaction reads before it writes. A lock that ends within the wait costs a wait; one that
// outlasts it fails the routine with "database is locked", the file as it was.
#include <chrono>
#include <functional>
#include <thread>

#include "Common/MetaTableText.h"
#include "Common/WriteTransaction.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/OtherProgram.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

namespace {

struct LockedWrite {
    const char* name;
    std::function<int(const std::string& db, std::string* error)> write;
};

void PrintTo(const LockedWrite& write, std::ostream* os) {
    *os << write.name;
}

TableDictionary copiedTable() {
    TableDictionary table;
    table.name = "t";
    table.type = "table";
    table.fields = Strings{"a", "b"};
    table.indexes = Strings{"create index t_a on t(a)"};
    table.varnelo_db_fields = Strings{"a", "1", "1", "0", "b", "2", "1", "0"};
    return table;
}

const LockedWrite kWrites[] = {
    {"createTable",
     [](const std::string& db, std::string* error) {
         return createTable("made", 0, {"x", "y"}, {1, 1}, nullptr, nullptr, db, error);
     }},
    {"renameTable",
     [](const std::string& db, std::string* error) { return renameTable("t", "u", db, error); }},
    {"deleteObject", [](const std::string& db,
                        std::string* error) { return deleteObject("t", "table", db, error); }},
    {"createView",
     [](const std::string& db, std::string* error) {
         return createView("v", "create view v as select a from t", {"a"}, {1}, {0}, nullptr, false,
                           db, error);
     }},
    {"addSystemTableFlags",
     [](const std::string& db, std::string* error) {
         return addSystemTableFlags({"4", "", "", "", ""}, "other", db, error);
     }},
    {"addSystemFields",
     [](const std::string& db, std::string* error) {
         return addSystemFields({"z", "1", "1", "0"}, "other", db, error);
     }},
    {"updateSystemTable",
     [](const std::string& db, std::string* error) {
         return updateSystemTable("other", 8, true, db, error);
     }},
    {"updateSortByROWIDCode",
     [](const std::string& db, std::string* error) {
         return updateSortByROWIDCode(2, "t", db, error);
     }},
    {"updateSortCodesAndIndexes",
     [](const std::string& db, std::string* error) {
         return updateSortCodesAndIndexes({sortCodeFromIndex(0, 1)}, "t", db, error);
     }},
    {"copyTable",
     [](const std::string& db, std::string* error) {
         return copyTable(copiedTable(), "create table t2 (a, b)", "t2", true, true, db, error);
     }},
    {"addBlankRows",
     [](const std::string& db, std::string* error) {
         return addBlankRows(2, {"a", "b"}, "t", nullptr, db, error);
     }},
    {"runInTransaction",
     [](const std::string& db, std::string* error) {
         return runInTransaction(
             "insert into t select a + 10, b from t where a < (select count(*) + 1 from t);",
             nullptr, db, error);
     }},
    {"changeTable",
     [](const std::string& db, std::string* error) {
         return changeTable("t", {"a", "b"}, {0, 1}, {"a", "b", "c"}, {1, 1, 1}, nullptr, nullptr,
                            nullptr, db, error);
     }},
};

}  // namespace

class WriteLockWaitTest
    : public DatabaseTest,
      public ::testing::WithParamInterface<std::tuple<const char*, LockedWrite>> {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run(std::string("pragma journal_mode=") + std::get<0>(GetParam()) +
            ";\ncreate table t (a, b);\ninsert into t values (1, 'one'), (2, 'two');");
        ASSERT_EQ(createTable("t", 0, {"a", "b"}, {1, 1}, nullptr, nullptr, db, nullptr), 0);
    }
    void TearDown() override {
        DBConnection::setLockWaitOnThisThread(DBConnection::kWindowLockWait);
        DatabaseTest::TearDown();
    }

    // Everything the file holds: its schema and the rows of each table.
    Strings contents() {
        Strings all = directQuery("select type, name, sql from sqlite_master order by name");
        for (const std::string& table :
             directQuery("select name from sqlite_master where type = 'table' order by name")) {
            all.push_back(table);
            for (const std::string& value : directQuery("select * from \"" + table + "\"")) {
                all.push_back(value);
            }
        }
        return all;
    }

    // Another program's write transaction, holding the write lock until it ends.
    static OtherProgram otherWriter(const std::string& db) {
        return OtherProgram({"hold", db, "begin immediate; insert into t values (99, 'other')"});
    }

    const LockedWrite& write() const { return std::get<1>(GetParam()); }
};

TEST_P(WriteLockWaitTest, ALockThatEndsWithinTheWaitIsWaitedOut) {
    std::string error;
    const Strings before = contents();
    DBConnection::setLockWaitOnThisThread(std::chrono::seconds(20));
    OtherProgram other = otherWriter(db);
    ASSERT_EQ(other.told(), "held");
    const int64_t waits = DBConnection::busyWaitCount();
    std::thread ending([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        other.end();
    });
    const int rc = write().write(db, &error);
    ending.join();
    EXPECT_EQ(rc, 0) << error;
    EXPECT_GT(DBConnection::busyWaitCount(), waits);
    EXPECT_NE(contents(), before);
}

TEST_P(WriteLockWaitTest, ALockThatOutlastsTheWaitFailsTheWriteAndChangesNothing) {
    std::string error;
    const Strings before = contents();
    DBConnection::setLockWaitOnThisThread(std::chrono::milliseconds(100));
    OtherProgram other = otherWriter(db);
    ASSERT_EQ(other.told(), "held");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(write().write(db, &error), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_NE(error.find("database is locked"), std::string::npos) << error;
    other.end();
    EXPECT_EQ(contents(), before);
}

INSTANTIATE_TEST_SUITE_P(Routines, WriteLockWaitTest,
                         ::testing::Combine(::testing::Values("delete", "wal"),
                                            ::testing::ValuesIn(kWrites)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param)) + "_" +
                                    std::get<1>(info.param).name;
                         });
