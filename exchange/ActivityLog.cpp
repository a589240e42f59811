#include "exchange/ActivityLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/foundation/Localized.h"

void ActivityLog::add(int type, const std::string& message) {
    std::lock_guard lock(mutex_);
    if (entries_.size() >= kMaximumEntries) return;
    if (!entries_.empty() && entries_.back().message == message) {
        ++repeatCount_;
        return;
    }
    if (repeatCount_ > 0) {
        store(Information,
              localizedFormat("(Last message repeated %ld times)", {std::to_string(repeatCount_)}));
    }
    repeatCount_ = 0;
    store(type, message);
}

void ActivityLog::store(int type, const std::string& message) {
    entries_.push_back({type, message});
    if (type == Information) atLeastOneInfo_ = true;
    if (type == Warning) atLeastOneWarning_ = true;
    if (type == Error) atLeastOneError_ = true;
}

void ActivityLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

void ActivityLog::restart() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    repeatCount_ = 0;
    atLeastOneInfo_ = atLeastOneWarning_ = atLeastOneError_ = false;
}

size_t ActivityLog::count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

std::optional<ActivityLog::Entry> ActivityLog::entry(size_t index) const {
    std::lock_guard lock(mutex_);
    if (index >= entries_.size()) return std::nullopt;
    return entries_[index];
}

std::vector<ActivityLog::Entry> ActivityLog::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::string ActivityLog::text() const {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const Entry& entry : entries_) text += entry.message + "\n";
    return text;
}

bool writeTextFileAtomically(const std::string& path, const std::string& text,
                             std::string* errorString) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    auto fail = [&](int error) {
        if (errorString) *errorString += std::strerror(error);
        return false;
    };
    if (fd < 0) return fail(errno);
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return fail(error);
        }
        written += static_cast<size_t>(n);
    }
    ::fchmod(fd, 0644);
    bool ok = ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (ok) return true;
    ::unlink(temporary.c_str());
    return fail(error);
}
