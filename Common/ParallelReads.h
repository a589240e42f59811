#pragma once
// Reads of a large table split over several connections, a thread each, since SQLite's readers
// run side by side: each thread opens a read-only connection of its own and waits on locks, and
// gives way to the writes of others, as the thread that asked for the reads does. The threads
// never touch the window.
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>

namespace DBInterface {

// How far reads are split: a table of fewer rows than leastRows is read on one connection, a
// larger one in as many parts as threads.
struct ParallelReads {
    unsigned threads = defaultThreads();
    int64_t leastRows = 1000000;

    // The parts a table of that many rows is read in.
    unsigned partsFor(int64_t rows) const { return rows >= leastRows && threads > 1 ? threads : 1; }
    // The machine's hardware threads, at most 8.
    static unsigned defaultThreads();
};

// Runs read(part, db) for each part below parts on a thread of its own, db a read-only connection
// of the file opened there, given to prepare first (which may set how its statements are
// stopped); returns once every read has ended, with the first failure: the code of a connection
// that did not open, its message appended, or the code a read returned.
int readInParallel(unsigned parts, const std::string& databaseFilePath,
                   const std::function<void(sqlite3* db)>& prepare,
                   const std::function<int(unsigned part, sqlite3* db)>& read,
                   std::string* errorString);

}  // namespace DBInterface
