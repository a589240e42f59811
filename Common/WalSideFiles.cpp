#include "Common/WalSideFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
// SQLite's unix VFS: every connection holds a read lock on this byte of the -shm while it has the
// index open (its "dead man switch").
constexpr off_t kShmInUseByte = 128;

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// Whether another program holds the -shm's in-use lock; an index that cannot be checked is in use.
bool isIndexInUse(const std::string& shm) {
    const int file = ::open(shm.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return errno != ENOENT;
    // An open-file-description query sees the record locks of every process.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kShmInUseByte;
    lock.l_len = 1;
    const bool queried = ::fcntl(file, F_OFD_GETLK, &lock) == 0;
    ::close(file);
    return !queried || lock.l_type != F_UNLCK;
}
}  // namespace

bool removeIdleWalSideFiles(const std::string& databaseFilePath) {
    const std::string wal = databaseFilePath + "-wal";
    const std::string shm = databaseFilePath + "-shm";
    struct stat walInfo;
    if (::stat(wal.c_str(), &walInfo) == 0) {
        // Frames not yet copied into the database would be lost with the file.
        if (walInfo.st_size != 0) return false;
    } else if (errno != ENOENT) {
        return false;
    }
    if (isIndexInUse(shm)) return false;
    ::unlink(shm.c_str());
    ::unlink(wal.c_str());
    return !exists(shm) && !exists(wal);
}
