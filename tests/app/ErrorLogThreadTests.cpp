// The error log under concurrent writers and a reading main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/ErrorLog.h"

namespace {

constexpr int kPerWriter = 5000;

// Writer w appends "w:i" with code w for i = 0..kPerWriter-1.
void appendEntries(ErrorLog* log, int writer) {
    for (int i = 0; i < kPerWriter; ++i) {
        log->append(std::to_string(writer) + ":" + std::to_string(i), writer);
    }
}

}  // namespace

TEST(ErrorLogThreads, TwoWritersKeepTheNewestHundredWhileTheMainThreadReads) {
    ErrorLog log;
    std::atomic<bool> done{false};
    std::thread first(appendEntries, &log, 1);
    std::thread second(appendEntries, &log, 2);
    size_t largestSnapshot = 0;
    std::thread reader([&] {
        while (!done) largestSnapshot = std::max(largestSnapshot, log.snapshot().size());
    });
    first.join();
    second.join();
    done = true;
    reader.join();

    std::vector<ErrorLogEntry> entries = log.snapshot();
    ASSERT_EQ(entries.size(), ErrorLog::kCapacity);
    EXPECT_LE(largestSnapshot, ErrorLog::kCapacity);
    // Each writer's entries stay in its own order, and the last one written is kept.
    int previous[3] = {-1, -1, -1};
    for (const ErrorLogEntry& entry : entries) {
        ASSERT_TRUE(entry.code == 1 || entry.code == 2);
        std::string prefix = std::to_string(entry.code) + ":";
        ASSERT_EQ(entry.message.rfind(prefix, 0), 0u) << entry.message;
        int index = std::stoi(entry.message.substr(prefix.size()));
        EXPECT_GT(index, previous[entry.code]);
        previous[entry.code] = index;
    }
    EXPECT_TRUE(previous[1] == kPerWriter - 1 || previous[2] == kPerWriter - 1);
}

TEST(ErrorLogThreads, ClearWhileWritingLeavesAConsistentLog) {
    ErrorLog log;
    std::thread writer(appendEntries, &log, 1);
    for (int i = 0; i < 200; ++i) {
        log.clear();
        EXPECT_LE(log.count(), ErrorLog::kCapacity);
    }
    writer.join();
    std::vector<ErrorLogEntry> entries = log.snapshot();
    EXPECT_LE(entries.size(), ErrorLog::kCapacity);
    // The last clear may come after the writer's last entry; whatever survives ends with it.
    if (!entries.empty()) {
        EXPECT_EQ(entries.back().message, "1:" + std::to_string(kPerWriter - 1));
    }
}
