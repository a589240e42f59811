#include "Common/ParallelReads.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "Common/DBConnection.h"

namespace DBInterface {

unsigned ParallelReads::defaultThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

int readInParallel(unsigned parts, const std::string& databaseFilePath,
                   const std::function<void(sqlite3* db)>& prepare,
                   const std::function<int(unsigned part, sqlite3* db)>& read,
                   std::string* errorString) {
    const auto lockWait = DBConnection::lockWaitOnThisThread();
    const auto yieldsSince = DBConnection::yieldsOnThisThreadSince();
    std::vector<int> results(parts, SQLITE_OK);
    std::mutex errorMutex;
    std::vector<std::thread> threads;
    for (unsigned part = 0; part < parts; ++part) {
        threads.emplace_back([&, part] {
            DBConnection::setLockWaitOnThisThread(lockWait);
            if (yieldsSince) DBConnection::yieldOnThisThread(*yieldsSince);
            DBConnection connection(databaseFilePath, ConnectionKind::ReadOnly, nullptr,
                                    ConnectionSharing::Own);
            if (!connection.isOpen()) {
                results[part] = connection.openResult();
                std::lock_guard lock(errorMutex);
                appendError(errorString, connection.errorMessage());
                return;
            }
            prepare(connection.handle());
            results[part] = read(part, connection.handle());
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int rc : results) {
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

}  // namespace DBInterface
