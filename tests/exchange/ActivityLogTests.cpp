// The activity log's rules: repeats counted and noted once, the entry limit, the flags, and its
// file written whole over an old one.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "exchange/ActivityLog.h"
#include "tests/support/TempHome.h"

using ::testing::ElementsAre;

namespace {
std::vector<std::string> messages(const ActivityLog& log) {
    std::vector<std::string> texts;
    for (const auto& entry : log.entries()) texts.push_back(entry.message);
    return texts;
}

}  // namespace

TEST(ActivityLogTest, RepeatsAreCountedAndNotedOnceBeforeTheNextMessage) {
    ActivityLog log;
    for (int i = 0; i < 3; ++i) log.add(ActivityLog::Information, "A");
    log.add(ActivityLog::Information, "B");
    log.add(ActivityLog::Information, "B");
    EXPECT_THAT(messages(log), ElementsAre("A", "(Last message repeated 2 times)", "B"));
    EXPECT_EQ(log.text(), "A\n(Last message repeated 2 times)\nB\n");  // the pending repeat not

    // Clearing keeps the pending count: the next message notes it first.
    log.clear();
    log.add(ActivityLog::Warning, "C");
    EXPECT_THAT(messages(log), ElementsAre("(Last message repeated 1 times)", "C"));
    EXPECT_TRUE(log.atLeastOneWarning());
    EXPECT_FALSE(log.atLeastOneError());

    // A type of its own is kept but sets no flag; a restart clears the flags.
    log.restart();
    log.add(3, "D");
    EXPECT_FALSE(log.atLeastOneInfo() || log.atLeastOneWarning() || log.atLeastOneError());
    EXPECT_EQ(log.entry(0)->type, 3);
}

TEST(ActivityLogTest, AppendsStopAtAThousandEntriesOrOneMoreForARepeatNotice) {
    ActivityLog log;
    for (int i = 0; i < 998; ++i) log.add(ActivityLog::Information, std::to_string(i));
    log.add(ActivityLog::Information, "same");
    log.add(ActivityLog::Information, "same");
    log.add(ActivityLog::Error, "different");
    EXPECT_EQ(log.count(), 1001u);
    EXPECT_EQ(log.entry(999)->message, "(Last message repeated 1 times)");
    log.add(ActivityLog::Error, "dropped");
    EXPECT_EQ(log.count(), 1001u);

    ActivityLog full;
    for (int i = 0; i < 1000; ++i) full.add(ActivityLog::Information, std::to_string(i));
    full.add(ActivityLog::Error, "dropped");
    EXPECT_EQ(full.count(), 1000u);
    EXPECT_FALSE(full.atLeastOneError());
}

class LogFileTest : public TempHomeTest {};

TEST_F(LogFileTest, TheLogIsWrittenOverTheOldFileInOnePiece) {
    const std::string path = pathInHome("log.txt");
    writeFile(path, "old log\n");
    const auto files = std::distance(std::filesystem::directory_iterator(home()), {});
    std::string error;
    ASSERT_TRUE(writeTextFileAtomically(path, "new\nlog\n", &error)) << error;
    EXPECT_EQ(readFile(path), "new\nlog\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home()), {}), files);

    // A file that cannot be written leaves the old one and reports why.
    EXPECT_FALSE(writeTextFileAtomically(pathInHome("missing/log.txt"), "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(writeTextFileAtomically(home(), "x", &error));  // a folder stays a folder
    EXPECT_TRUE(std::filesystem::is_directory(home()));
}
