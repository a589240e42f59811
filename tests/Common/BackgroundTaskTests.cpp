// A job on a thread of its own: stop() interrupts the SQL it runs, its reports reach the poster in
// order, and a task destroyed while its job runs stops it and waits for it.
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "Common/BackgroundTask.h"
#include "Common/ParallelReads.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/PostedCalls.h"

namespace {

// Would run for minutes unless interrupted.
int countToABillion(DBConnection& connection) {
    return forEachRow(connection.handle(),
                      "with recursive c(x) as (select 1 union all select x + 1 from c where x < "
                      "1000000000) select count(*) from c",
                      [](sqlite3_stmt*) { return true; });
}

// A read of a task that gives way to writes, held inside one step until released (or for ten
// seconds), as a sort of many rows holds it: out of reach of the progress handler that would make
// it give way. Its result is set once it has ended.
class HeldRead {
  public:
    HeldRead(const std::string& path, PostedCalls& posted, std::atomic<int>& result)
        : result_(result),
          task_(
              path, ConnectionKind::ReadOnly, posted.poster(),
              [this](DBConnection& connection, BackgroundTask&) { read(connection); },
              BackgroundTask::Yield::ToWaitingWriters) {
        holding_.get_future().wait();
    }
    ~HeldRead() { release(); }

    void release() {
        std::call_once(released_, [this] { release_.set_value(); });
    }
    bool ended() const { return ended_; }

  private:
    static void hold(sqlite3_context* context, int, sqlite3_value**) {
        auto* self = static_cast<HeldRead*>(sqlite3_user_data(context));
        self->holding_.set_value();
        self->releasedFuture_.wait_for(std::chrono::seconds(10));
        sqlite3_result_int(context, 1);
    }
    void read(DBConnection& connection) {
        sqlite3_create_function(connection.handle(), "hold", 0, SQLITE_UTF8, this, &HeldRead::hold,
                                nullptr, nullptr);
        result_ = forEachRow(connection.handle(), "select hold() from t limit 1",
                             [](sqlite3_stmt*) { return true; });
        ended_ = true;
    }

    std::promise<void> holding_, release_;
    std::shared_future<void> releasedFuture_ = release_.get_future().share();
    std::once_flag released_;
    std::atomic<bool> ended_{false};
    std::atomic<int>& result_;
    BackgroundTask task_;  // last: its thread starts once the rest is made
};

}  // namespace

class BackgroundTaskTest : public DatabaseTest {};

TEST_F(BackgroundTaskTest, StopInterruptsTheRunningQueryAndReportsArriveInOrder) {
    run("create table t (a)");
    PostedCalls posted;
    std::vector<int> reports;  // touched only by posted calls, on this thread
    std::promise<void> queryStarting;
    {
        BackgroundTask task(db, ConnectionKind::Statement, posted.poster(),
                            [&](DBConnection& connection, BackgroundTask& self) {
                                for (int i = 0; i < 3; ++i) {
                                    self.report([&reports, i] { reports.push_back(i); });
                                }
                                queryStarting.set_value();
                                const int rc = countToABillion(connection);
                                self.report([&reports, rc] { reports.push_back(rc); });
                            });
        queryStarting.get_future().wait();
        task.stop();
    }
    posted.runAll();
    EXPECT_EQ(reports, (std::vector<int>{0, 1, 2, SQLITE_INTERRUPT}));
}

TEST_F(BackgroundTaskTest, DestroyingARunningTaskStopsItsJobAtAnyStage) {
    run("create table t (a)");
    PostedCalls posted;
    for (int i = 0; i < 20; ++i) {
        std::atomic<int> result{-1};
        {
            BackgroundTask task(db, ConnectionKind::Statement, posted.poster(),
                                [&](DBConnection& connection, BackgroundTask&) {
                                    result = countToABillion(connection);
                                });
        }
        EXPECT_EQ(result, SQLITE_INTERRUPT);
    }
}

// A lock held elsewhere for longer than a blink: the window's thread gives up on it, a task's
// thread waits it out, each once.
TEST_F(BackgroundTaskTest, ATaskWaitsOutALockTheWindowsThreadGivesUpOn) {
    run("create table t (a)");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread releaser([locker] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    });
    std::string error;
    EXPECT_EQ(DBInterface::execMultipleQueryString("insert into t values (1)", nullptr, nullptr, db,
                                                   &error),
              SQLITE_BUSY);
    EXPECT_NE(error.find("database is locked"), std::string::npos) << error;
    PostedCalls posted;
    std::atomic<int> taskResult{-1};
    {
        BackgroundTask task(db, ConnectionKind::Statement, posted.poster(),
                            [&](DBConnection& connection, BackgroundTask&) {
                                taskResult =
                                    sqlite3_exec(connection.handle(), "insert into t values (2)",
                                                 nullptr, nullptr, nullptr);
                            });
        // Destroyed only once its job has ended: a task destroyed stops its job.
        while (taskResult == -1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    releaser.join();
    sqlite3_close(locker);
    EXPECT_EQ(taskResult, SQLITE_OK);
    EXPECT_EQ(query("select group_concat(a) from t"), std::vector<std::string>{"2"});
}

// The window's write meets the lock of a read of the program's own that gives way, held inside one
// step for four of the window's waits: the read is asked to give way, and the write waits until
// it has, rather than failing with "database is locked". A read of another file is not waited
// for: another program's lock still fails the write after the window's wait.
TEST_F(BackgroundTaskTest, AWriteWaitsOutTheProgramsOwnReadHeldInsideOneStep) {
    run("create table t (a); insert into t values (1)");
    PostedCalls posted;
    std::string error;
    std::atomic<int> readResult{-1};
    {
        HeldRead read(db, posted, readResult);
        std::thread releaser([&read] {
            std::this_thread::sleep_for(DBConnection::kWindowLockWait * 4);
            read.release();
        });
        EXPECT_EQ(DBInterface::execMultipleQueryString("insert into t values (2)", nullptr, nullptr,
                                                       db, &error),
                  SQLITE_OK)
            << error;
        releaser.join();
    }
    EXPECT_EQ(readResult, SQLITE_OK);
    EXPECT_EQ(query("select group_concat(a) from t"), std::vector<std::string>{"1,2"});

    const std::string elsewhere = pathInHome("elsewhere.db");
    ASSERT_EQ(DBInterface::execMultipleQueryString("create table t (a); insert into t values (1)",
                                                   nullptr, nullptr, elsewhere, &error,
                                                   DBInterface::MissingFile::Create),
              SQLITE_OK)
        << error;
    sqlite3* otherProgram = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &otherProgram), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(otherProgram, "begin; select count(*) from t", nullptr, nullptr, nullptr),
        SQLITE_OK);
    {
        HeldRead read(elsewhere, posted, readResult);
        error.clear();
        EXPECT_EQ(DBInterface::execMultipleQueryString("insert into t values (3)", nullptr, nullptr,
                                                       db, &error),
                  SQLITE_BUSY)
            << error;
        EXPECT_FALSE(read.ended());
    }
    sqlite3_exec(otherProgram, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(otherProgram);
    EXPECT_EQ(query("select group_concat(a) from t"), std::vector<std::string>{"1,2"});
}

// A task that reads on several connections side by side has each of them give way to a write of
// the window's thread, which would otherwise wait on their locks past its blink and fail.
TEST_F(BackgroundTaskTest, ReadsSplitOverThreadsGiveWayToAWriteAsTheTaskDoes) {
    run("create table t (a); insert into t values (1)");
    PostedCalls posted;
    std::atomic<int> reading{0};
    std::atomic<int> result{-1};
    std::atomic<bool> yielded{false};
    std::string error;
    {
        BackgroundTask task(
            db, ConnectionKind::ReadOnly, posted.poster(),
            [&](DBConnection&, BackgroundTask& self) {
                result = DBInterface::readInParallel(
                    3, db, [&self](sqlite3* part) { self.governConnection(part); },
                    [&](unsigned, sqlite3* part) {
                        ++reading;
                        // Holds its read of t for seconds unless interrupted.
                        return forEachRow(part,
                                          "with recursive c(x) as (select 1 union all select x + "
                                          "1 from c where x < 50000000) select count(*) from c "
                                          "where (select a from t) = 1",
                                          [](sqlite3_stmt*) { return true; });
                    },
                    nullptr);
                yielded = self.yielded();
            },
            BackgroundTask::Yield::ToWaitingWriters);
        while (reading < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(DBInterface::execMultipleQueryString("insert into t values (2)", nullptr, nullptr,
                                                       db, &error),
                  SQLITE_OK)
            << error;
    }
    EXPECT_EQ(result, SQLITE_INTERRUPT);
    EXPECT_TRUE(yielded);
    EXPECT_EQ(query("select count(*) from t"), std::vector<std::string>{"2"});
}
