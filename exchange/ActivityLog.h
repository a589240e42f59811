#pragma once
// A console's activity log: messages marked information, warning or error. A message equal to the
// last one stored is counted instead of stored again and later noted once as "(Last message
// repeated N times)"; appends stop at 1000 entries (a repeat notice can make it 1001). Appends
// may come from the import worker while the window reads: every access takes the log's lock, and
// readers get copies.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class ActivityLog {
  public:
    enum EntryType { Information = 0, Warning = 1, Error = 2 };
    struct Entry {
        int type = Information;
        std::string message;
    };
    static constexpr size_t kMaximumEntries = 1000;

    void add(int type, const std::string& message);
    // Removes every entry; the repeat count stays, as it counts the last message stored.
    void clear();
    // Empties the log and its flags for a new run.
    void restart();

    size_t count() const;
    std::optional<Entry> entry(size_t index) const;
    std::vector<Entry> entries() const;
    // Every message followed by "\n", types left out; a pending repeat count is not written.
    std::string text() const;

    // Whether anything of each type was logged since the last restart.
    bool atLeastOneInfo() const { return atLeastOneInfo_; }
    bool atLeastOneWarning() const { return atLeastOneWarning_; }
    bool atLeastOneError() const { return atLeastOneError_; }

  private:
    void store(int type, const std::string& message);

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    int64_t repeatCount_ = 0;
    std::atomic<bool> atLeastOneInfo_{false}, atLeastOneWarning_{false}, atLeastOneError_{false};
};

// Writes the text over the file at path through a temporary file and a rename, so the old file
// stays whole until the new one is complete. False, with the reason in errorString, on failure.
bool writeTextFileAtomically(const std::string& path, const std::string& text,
                             std::string* errorString);
