#pragma once
// A job run on a thread of its own, with a database connection of its own opened on that thread.
// The job reports to the main thread through the caller's poster (the window code passes its
// post-to-the-event-loop function, so this layer stays free of the window system) and polls
// stopRequested(); stop() also interrupts the SQL the job is running. The destructor stops the
// job and waits for it. A job that only reads may yield to the writes of others: its statement is
// interrupted as soon as a connection of another thread begins to wait on a lock, so that the
// write it may be holding up goes on, and that write waits until the job's connections are
// closed; the job then sees yielded() and is run again later by its owner.
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "Common/DBConnection.h"

class BackgroundTask {
  public:
    // Runs a function on the main thread without waiting for it.
    using Poster = std::function<void(std::function<void()>)>;
    // The job, given its connection (open or not: see openResult()) and its task.
    using Job = std::function<void(DBConnection& connection, BackgroundTask& task)>;

    enum class Yield { Never, ToWaitingWriters };

    // The watcher, when given, watches every wait of the task's thread on a lock held elsewhere,
    // from the opening of its connection on.
    BackgroundTask(std::string databaseFilePath, ConnectionKind kind, Poster poster, Job job,
                   Yield yield = Yield::Never,
                   DBConnection::LockWaitWatcher* lockWaitWatcher = nullptr);
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // Asks the job to stop and interrupts the statement its connection is running; statements it
    // starts afterwards fail with SQLITE_INTERRUPT too. Any thread may call it, any number of
    // times.
    void stop();
    bool stopRequested() const { return stop_.load(); }
    // Whether the job was asked to give way to another thread's write: its statements are
    // interrupted and its waits on a lock end from then on.
    bool yielded() const;
    // Stops and yields the statements of another connection of the job (one a helper thread of
    // the job reads on) as those of the task's own.
    void governConnection(sqlite3* db);
    // Hands the function to the poster; the poster keeps the order of the calls.
    void report(std::function<void()> onMainThread) { poster_(std::move(onMainThread)); }

  private:
    void run(const std::string& databaseFilePath, ConnectionKind kind, const Job& job,
             DBConnection::LockWaitWatcher* lockWaitWatcher);
    static int stopWhenAsked(void* task);

    Poster poster_;
    const Yield yield_;
    int64_t lockWaitsAtStart_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex connectionMutex_;
    sqlite3* runningConnection_ = nullptr;  // guarded: interrupt never reaches a closed handle
    std::thread thread_;                    // last, so that it starts after the members above
};
