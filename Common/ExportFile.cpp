#include "Common/ExportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

#include "Common/DBConnection.h"
#include "Common/DBTypes.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/SystemLog.h"

namespace {

constexpr size_t kFlushSize = size_t{1} << 20;
// Room for the temporary file's suffix within the system's 255-byte name limit.
constexpr size_t kLongestTemporaryBaseName = 200;

std::atomic<unsigned> temporaryFileCounter{0};

// A new hidden file beside target, opened for writing; -1 with errno when none can be made.
int openTemporaryBeside(const std::string& target, std::string* temporary) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = target.substr(folder.size(), kLongestTemporaryBaseName);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = folder + "." + name + "." + std::to_string(getpid()) + "-" +
                     std::to_string(temporaryFileCounter++) + ".part";
        const int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

ExportFile::ExportFile(const std::string& path, bool append, std::string* errorString)
    : path_(path), errorString_(errorString), target_(path) {
    struct stat status {};
    const bool exists = ::stat(path.c_str(), &status) == 0;
    const bool regular = exists && S_ISREG(status.st_mode);
    if (DBConnection::isSideFileOfOpenDatabase(path)) {
        // SQLite's alone: written over, its database would be damaged, and a descriptor of it
        // closed would drop the locks this process holds on it.
        errno = EBUSY;
    } else if (append || (exists && !regular)) {
        // A device or a pipe cannot be replaced, so it is written as it is.
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC),
                     0666);
        if (regular) keptLength_ = status.st_size;
        removeOnFailure_ = append && !exists;
    } else if (exists && ::access(path.c_str(), W_OK) != 0) {
        // A file the user may not write stays as it is, though its folder would let it be
        // replaced.
    } else {
        // A link is followed, so that the file it names is replaced and the link kept.
        std::error_code error;
        if (exists) target_ = std::filesystem::canonical(path, error).string();
        if (error) target_ = path;
        fd_ = openTemporaryBeside(target_, &temporary_);
        // The new file keeps the old one's permissions.
        if (fd_ >= 0 && exists) ::fchmod(fd_, status.st_mode & 07777);
    }
    if (fd_ < 0) {
        const int error = errno;
        temporary_.clear();
        removeOnFailure_ = false;
        appendError(errorString_, localizedFormat("Could not open file [%s], errno %d",
                                                  {path_, std::to_string(error)}));
        return;
    }
    buffer_.reserve(kFlushSize + kFlushSize / 4);
}

ExportFile::~ExportFile() {
    if (fd_ >= 0) ::close(fd_);
    if (committed_) return;
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    } else if (removeOnFailure_) {
        ::unlink(path_.c_str());
    } else if (keptLength_ >= 0) {
        if (::truncate(path_.c_str(), keptLength_) != 0) {
            systemLog("Could not cut back file [" + path_ + "], errno " + std::to_string(errno));
        }
    }
}

bool ExportFile::flushIfFull() {
    return buffer_.size() < kFlushSize || flush();
}

bool ExportFile::commit() {
    if (!flush()) return false;
    // On disk before it replaces the old file, so that a crash leaves one or the other whole.
    if (!temporary_.empty() && ::fsync(fd_) != 0) return failed();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return failed();
    if (!temporary_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0) return failed();
    committed_ = true;
    return true;
}

bool ExportFile::flush() {
    const char* data = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return failed();
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    buffer_.clear();
    return true;
}

bool ExportFile::failed() {
    const int error = errno;
    appendError(errorString_, localizedFormat("Could not write file [%s], errno %d",
                                              {path_, std::to_string(error)}));
    return false;
}
