#pragma once
// The application error log: SQLite's own log lines and the application's background failures
// (code -1), the newest 100 kept. Entries arrive on any thread (the import worker's too) while
// the main thread reads them, so every access is serialised and readers take a snapshot.
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct ErrorLogEntry {
    int code = 0;
    std::string message;
};

class ErrorLog {
  public:
    static constexpr size_t kCapacity = 100;

    // Drops the oldest entry of a full log first; no message is stored as the empty text.
    void append(const std::optional<std::string>& message, int code);
    // The entries, oldest first, as they stand now.
    std::vector<ErrorLogEntry> snapshot() const;
    size_t count() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::deque<ErrorLogEntry> entries_;
};

// The one log of the process; SQLite's log callback writes into it for the whole run.
ErrorLog& applicationErrorLog();
