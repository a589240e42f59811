#include "Common/BackgroundTask.h"

namespace {
// How many virtual machine steps pass between two looks at the stop flag.
constexpr int kStepsBetweenStopChecks = 1000;
}  // namespace

// An interrupt that comes before a statement has started is forgotten by SQLite, so the stop
// flag is also checked while statements run.
int BackgroundTask::stopWhenAsked(void* task) {
    auto* self = static_cast<BackgroundTask*>(task);
    return self->yielded() || self->stop_.load() ? 1 : 0;
}

bool BackgroundTask::yielded() const {
    return yield_ == Yield::ToWaitingWriters &&
           DBConnection::lockWaitsOfOthers() != lockWaitsAtStart_;
}

BackgroundTask::BackgroundTask(std::string databaseFilePath, ConnectionKind kind, Poster poster,
                               Job job, Yield yield, DBConnection::LockWaitWatcher* lockWaitWatcher)
    : poster_(std::move(poster)),
      yield_(yield),
      lockWaitsAtStart_(DBConnection::lockWaitsOfOthers()),
      thread_([this, path = std::move(databaseFilePath), kind, job = std::move(job),
               lockWaitWatcher] { run(path, kind, job, lockWaitWatcher); }) {}

BackgroundTask::~BackgroundTask() {
    stop();
    thread_.join();
}

void BackgroundTask::stop() {
    stop_ = true;
    std::lock_guard lock(connectionMutex_);
    if (runningConnection_) sqlite3_interrupt(runningConnection_);
}

void BackgroundTask::governConnection(sqlite3* db) {
    sqlite3_progress_handler(db, kStepsBetweenStopChecks, stopWhenAsked, this);
}

void BackgroundTask::run(const std::string& databaseFilePath, ConnectionKind kind, const Job& job,
                         DBConnection::LockWaitWatcher* lockWaitWatcher) {
    // Nobody waits on this thread: a lock held elsewhere is waited out rather than failing a run.
    DBConnection::setLockWaitOnThisThread(DBConnection::kBackgroundLockWait);
    DBConnection::setLockWaitWatcherOnThisThread(lockWaitWatcher);
    if (yield_ == Yield::ToWaitingWriters) DBConnection::yieldOnThisThread(lockWaitsAtStart_);
    DBConnection connection(databaseFilePath, kind, nullptr, ConnectionSharing::Own);
    if (connection.isOpen()) {
        governConnection(connection.handle());
        std::lock_guard lock(connectionMutex_);
        runningConnection_ = connection.handle();
    }
    job(connection, *this);
    std::lock_guard lock(connectionMutex_);
    runningConnection_ = nullptr;
}
