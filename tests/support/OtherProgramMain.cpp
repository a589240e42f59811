// Another program beside a test, working on a database file the test's process may have open.
//   other_program probe <db>
//     prints what it finds of the locks on the file: "write:refused|taken range:held|free
//     index:held|free|none writer:held|free|none": whether it could begin a write transaction at
//     once (it rolls back at once), whether a lock is held on the file's lock bytes, on the -shm's
//     in-use byte and on its write byte.
//   other_program hold <db> <sql>
//     runs the SQL on a connection it keeps open, prints "held" (or SQLite's message) and waits
//     until its input ends; then closes the connection, which rolls back what is not committed.
//   other_program write <db> <sql> <milliseconds>
//     prints "writing", then runs the SQL that often, each time on a connection of its own that
//     waits up to 5 s on a lock, until its input ends; prints "<writes done> <writes failed>".
#include <fcntl.h>
#include <poll.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Whether another process holds a lock that a write lock on these bytes would meet.
const char* heldOrFree(const std::string& path, off_t start, off_t length) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return "none";
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    const bool queried = ::fcntl(file, F_GETLK, &lock) == 0;
    ::close(file);
    return !queried ? "unknown" : lock.l_type == F_UNLCK ? "free" : "held";
}

int probe(const std::string& db) {
    // SQLite's pending, reserved and shared bytes, and the -shm's in-use byte.
    constexpr off_t kPendingByte = 0x40000000;
    const char* range = heldOrFree(db, kPendingByte, 512);
    // SQLite's write byte of the -shm, held while a connection writes the file in WAL mode.
    constexpr off_t kShmWriteByte = 120;
    const char* index = heldOrFree(db + "-shm", 128, 1);
    const char* writer = heldOrFree(db + "-shm", kShmWriteByte, 1);
    sqlite3* connection = nullptr;
    const char* write = "unknown";
    if (sqlite3_open_v2(db.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_exec(connection, "begin immediate", nullptr, nullptr, nullptr);
        write = rc == SQLITE_OK ? "taken" : rc == SQLITE_BUSY ? "refused" : "unknown";
        if (rc == SQLITE_OK) sqlite3_exec(connection, "rollback", nullptr, nullptr, nullptr);
    }
    sqlite3_close(connection);
    std::printf("write:%s range:%s index:%s writer:%s\n", write, range, index, writer);
    return 0;
}

int hold(const std::string& db, const char* sql) {
    sqlite3* connection = nullptr;
    int rc = sqlite3_open_v2(db.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(connection, sql, nullptr, nullptr, nullptr);
    std::printf("%s\n", rc == SQLITE_OK ? "held" : sqlite3_errmsg(connection));
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    sqlite3_close(connection);
    return rc == SQLITE_OK ? 0 : 1;
}

int writeOften(const std::string& db, const char* sql, int milliseconds) {
    std::printf("writing\n");
    std::fflush(stdout);
    int done = 0, failed = 0;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    char buffer[64];
    while (::poll(&input, 1, milliseconds) == 0 ||
           ::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
        sqlite3* connection = nullptr;
        int rc = sqlite3_open_v2(db.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_busy_timeout(connection, 5000);
        if (rc == SQLITE_OK) rc = sqlite3_exec(connection, sql, nullptr, nullptr, nullptr);
        sqlite3_close(connection);
        ++(rc == SQLITE_OK ? done : failed);
    }
    std::printf("%d %d\n", done, failed);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "probe" && argc == 3) return probe(argv[2]);
    if (mode == "hold" && argc == 4) return hold(argv[2], argv[3]);
    if (mode == "write" && argc == 5) return writeOften(argv[2], argv[3], std::atoi(argv[4]));
    return 2;
}
