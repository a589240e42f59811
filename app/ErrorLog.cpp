#include "app/ErrorLog.h"

void ErrorLog::append(const std::optional<std::string>& message, int code) {
    std::lock_guard lock(mutex_);
    if (entries_.size() >= kCapacity) entries_.pop_front();
    entries_.push_back({code, message.value_or(std::string())});
}

std::vector<ErrorLogEntry> ErrorLog::snapshot() const {
    std::lock_guard lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

size_t ErrorLog::count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void ErrorLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

ErrorLog& applicationErrorLog() {
    static ErrorLog log;
    return log;
}
