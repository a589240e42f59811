// A job on a thread of its own: stop() interrupts the SQL it runs, its reports reach the poster in
// order, and a task destroyed while its job runs stops it and waits for it.
#include <future>
#include <mutex>

#include "Common/BackgroundTask.h"
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
