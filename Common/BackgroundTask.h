#pragma once
// A job run on a thread of its own, with a database connection of its own opened on that thread.
// The job reports to the main thread through the caller's poster (the window code passes its
// post-to-the-event-loop function, so this layer stays free of the window system) and polls
// stopRequested(); stop() also interrupts the SQL the job is running. The destructor stops the
// job and waits for it.
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

    BackgroundTask(std::string databaseFilePath, ConnectionKind kind, Poster poster, Job job);
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // Asks the job to stop and interrupts the statement its connection is running; statements it
    // starts afterwards fail with SQLITE_INTERRUPT too. Any thread may call it, any number of
    // times.
    void stop();
    bool stopRequested() const { return stop_.load(); }
    // Hands the function to the poster; the poster keeps the order of the calls.
    void report(std::function<void()> onMainThread) { poster_(std::move(onMainThread)); }

  private:
    void run(const std::string& databaseFilePath, ConnectionKind kind, const Job& job);

    Poster poster_;
    std::atomic<bool> stop_{false};
    std::mutex connectionMutex_;
    sqlite3* runningConnection_ = nullptr;  // guarded: interrupt never reaches a closed handle
    std::thread thread_;                    // last, so that it starts after the members above
};
