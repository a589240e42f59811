// Files in WAL mode: browsing one leaves no -wal or -shm beside it, even one this process may
// only read, the reads still refuse to change it, another process's side files are left to it,
// and the watch that tells a changed file sees every commit without keeping the file open.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "Common/KeysetPager.h"
#include "Common/ReadSession.h"
#include "Common/SchemaListing.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/OtherProgram.h"
#include "tests/support/PostedCalls.h"

using namespace DBInterface;
namespace fs = std::filesystem;

namespace {
class WalFileTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("pragma journal_mode = wal; create table t (name text, amount number);"
            "insert into t select 'n' || (value % 37), value % 11 from generate_series(1, 300)");
        ASSERT_TRUE(isWriteAheadLogFile(db));
        ASSERT_EQ(sideFiles(), "");
    }

    // The side files beside the database, "" for none.
    std::string sideFiles() const {
        std::string found;
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            if (fs::exists(db + suffix)) found += suffix;
        }
        return found;
    }

    // A connection of the test's own, as another program would hold it.
    sqlite3* openOther() {
        sqlite3* other = nullptr;
        EXPECT_EQ(sqlite3_open_v2(db.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        return other;
    }
    void exec(sqlite3* connection, const std::string& sql) {
        EXPECT_EQ(sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(connection);
    }
    void write(const std::string& sql) {
        sqlite3* other = openOther();
        exec(other, sql);
        sqlite3_close(other);
    }

    GridQuery byName() {
        GridQuery query;
        std::string error;
        EXPECT_EQ(buildGridQuery(&query, "t", "", {}, {1}, 1, 0, 0, db, &error), 0) << error;
        EXPECT_TRUE(query.keyed);
        return query;
    }

    // What the window does on a table selection and a few page moves, with the marks sampled.
    void browse(KeysetPager& pager, const GridQuery& query) {
        MasterTables tables;
        std::string error;
        ASSERT_EQ(getMasterTables(&tables, db, &error), 0) << error;
        ASSERT_GE(pager.countRows(query, db, &error), 300) << error;
        waitForMarks(pager);
        for (int64_t first : {0, 40, 150, 290}) expectPageByOffset(pager, query, first);
    }

    // Once the marks are sampled no read runs in the background.
    void waitForMarks(KeysetPager& pager) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!pager.marksReady() && std::chrono::steady_clock::now() < deadline) {
            posted.runAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(pager.marksReady());
    }

    void expectPageByOffset(KeysetPager& pager, const GridQuery& query, int64_t first) {
        std::vector<DBValue> expected, read;
        ASSERT_EQ(readGridPage(&expected, query, 6, first, db, nullptr), 0);
        std::string error;
        ASSERT_EQ(pager.readPage(&read, query, first, 6, db, &error), 0) << error;
        EXPECT_EQ(read, expected) << "page at " << first;
    }

    PostedCalls posted;
};

}  // namespace

TEST_F(WalFileTest, BrowsingLeavesNoSideFilesAndTheReadsStillChangeNothing) {
    KeysetPager pager(posted.poster(), 7, 20);
    GridQuery query = byName();
    browse(pager, query);
    EXPECT_EQ(sideFiles(), "");

    // A read connection opened for the checkpoint still refuses every change.
    std::vector<DBRow> rows;
    std::string error;
    EXPECT_NE(getArrayOfRows(&rows, "delete from t", false, db, &error), 0);
    EXPECT_EQ(error, "attempt to write a readonly database");
    EXPECT_EQ(sideFiles(), "");
    EXPECT_EQ(directQuery("select count(*) from t"), std::vector<std::string>{"300"});

    // A commit elsewhere is seen by the pages read after it, and leaves nothing behind either.
    write("delete from t where rowid % 3 = 0; insert into t values ('a', 1)");
    for (int64_t first : {0, 100, 195}) expectPageByOffset(pager, query, first);
    waitForMarks(pager);
    EXPECT_EQ(sideFiles(), "");
}

TEST_F(WalFileTest, AnotherProgramsSideFilesAreLeftToItAndItsCommitsAreRead) {
    sqlite3* other = openOther();
    exec(other, "pragma wal_autocheckpoint = 0; insert into t values ('held', 0)");
    ASSERT_EQ(sideFiles(), "-wal-shm");

    KeysetPager pager(posted.poster(), 7, 20);
    GridQuery query = byName();
    browse(pager, query);
    EXPECT_EQ(getNumberWithQueryString("select count(*) from t", db, nullptr), 301);
    // Still its files: it goes on writing through them, and removes them when it closes.
    EXPECT_EQ(sideFiles(), "-wal-shm");
    exec(other, "delete from t where name = 'n1'");
    for (int64_t first : {0, 150, 280}) expectPageByOffset(pager, query, first);
    waitForMarks(pager);
    EXPECT_EQ(sideFiles(), "-wal-shm");
    sqlite3_close(other);
    EXPECT_EQ(sideFiles(), "");
    EXPECT_EQ(directQuery("select count(*) from t where name = 'held'"),
              std::vector<std::string>{"1"});
}

TEST_F(WalFileTest, TheWatchSeesEveryCommitButNotTheReadsAndKeepsNoFileOpen) {
    FileChangeWatch watch(db);
    int64_t version = watch.version();
    std::vector<DBRow> rows;
    ASSERT_EQ(getArrayOfRows(&rows, "select * from t", false, db, nullptr), 0);
    EXPECT_EQ(watch.version(), version);
    EXPECT_EQ(sideFiles(), "");

    // Two commits in quick succession, each by a program that closes the file afterwards.
    write("update t set amount = 99 where rowid = 1");
    int64_t first = watch.version();
    EXPECT_NE(first, version);
    write("update t set amount = 98 where rowid = 1");
    int64_t second = watch.version();
    EXPECT_NE(second, first);
    EXPECT_EQ(watch.version(), second);

    // Commits of a program that keeps the file open, after the log restarted too.
    sqlite3* other = openOther();
    exec(other, "pragma wal_autocheckpoint = 0; update t set amount = 1 where rowid = 2");
    int64_t held = watch.version();
    EXPECT_NE(held, second);
    EXPECT_EQ(watch.version(), held);
    exec(other, "pragma wal_checkpoint(restart)");
    int64_t checkpointed = watch.version();
    exec(other, "update t set amount = 2 where rowid = 2");
    EXPECT_NE(watch.version(), checkpointed);
    sqlite3_close(other);

    // A copy moved over the file is another file.
    int64_t before = watch.version();
    fs::copy_file(db, db + ".copy");
    fs::rename(db + ".copy", db);
    EXPECT_NE(watch.version(), before);
    EXPECT_EQ(sideFiles(), "");

    // Back to a rollback journal: watched through its data version from then on.
    run("pragma journal_mode = delete");
    int64_t rollback = watch.version();
    EXPECT_EQ(watch.version(), rollback);
    write("update t set amount = 30 where rowid = 3");
    EXPECT_NE(watch.version(), rollback);
}

namespace {
// A WAL file of mode 0444 in a folder everyone may write, read by a user who is not its owner.
class ReadOnlyWalFileTest : public WalFileTest {
  protected:
    void SetUp() override {
        WalFileTest::SetUp();
        ASSERT_EQ(::chmod(home().c_str(), 0711), 0);
        const std::string folder = pathInHome("shared");
        fs::create_directory(folder);
        ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
        const std::string moved = folder + "/test.db";
        fs::rename(db, moved);
        db = moved;
        ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
    }

    // What reads returns, run in a child process that has given up root (as "nobody").
    static std::string readAsAnotherUser(const std::function<std::string()>& reads) {
        int channel[2];
        if (::pipe(channel) != 0) return "no pipe";
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            const bool unprivileged =
                ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
            const std::string told = unprivileged ? reads() : "still root";
            const bool written =
                ::write(channel[1], told.data(), told.size()) == static_cast<ssize_t>(told.size());
            ::_exit(written ? 0 : 1);
        }
        ::close(channel[1]);
        std::string told;
        char buffer[256];
        for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
            told.append(buffer, static_cast<size_t>(n));
        }
        ::close(channel[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        return told;
    }

    // The rows counted, then the side files left once the reads are over.
    std::string countThenSideFiles(bool inOneSession) {
        return readAsAnotherUser([&] {
            std::string counted;
            {
                std::optional<ReadSession> session;
                if (inOneSession) session.emplace(db);
                std::string error;
                counted =
                    std::to_string(getNumberWithQueryString("select count(*) from t", db, &error)) +
                    error;
                std::vector<std::string> rows;
                getRows(&rows, "select name from t limit 1", db, &error);
            }
            return counted + " " + sideFiles();
        });
    }
};
}  // namespace

TEST_F(ReadOnlyWalFileTest, ReadsOfAFileOnlyReadableLeaveNoSideFiles) {
    EXPECT_EQ(countThenSideFiles(false), "300 ");
    EXPECT_EQ(countThenSideFiles(true), "300 ");
}

TEST_F(ReadOnlyWalFileTest, SideFilesInUseOrHoldingFramesAreKept) {
    // A program that keeps the file open: its index is in use.
    sqlite3* other = openOther();
    exec(other, "select count(*) from t");
    ASSERT_EQ(sideFiles(), "-wal-shm");
    EXPECT_EQ(countThenSideFiles(false), "300 -wal-shm");
    // One that left frames in the log on closing: they are the file's last rows.
    int off = 0;
    sqlite3_db_config(other, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, &off);
    exec(other, "pragma wal_autocheckpoint = 0; insert into t values ('logged', 1)");
    sqlite3_close(other);
    ASSERT_EQ(sideFiles(), "-wal-shm");
    EXPECT_EQ(countThenSideFiles(true), "301 -wal-shm");
    EXPECT_EQ(directQuery("select count(*) from t where name = 'logged'"),
              std::vector<std::string>{"1"});
}

TEST_F(ReadOnlyWalFileTest, TheEndOfOneReadLeavesAnotherReadOfThisProcessItsLocksAndSideFiles) {
    const std::string told = readAsAnotherUser([&] {
        DBConnection reading(db, ConnectionKind::ReadOnly);
        sqlite3_exec(reading.handle(), "begin; select count(*) from t", nullptr, nullptr, nullptr);
        const std::string before = probeLocks(db);
        std::vector<std::string> rows;
        getRowsRO(&rows, "select name from t limit 1", db, nullptr);
        return before + " | " + probeLocks(db) + " | " + sideFiles();
    });
    const std::string before = told.substr(0, told.find(" | "));
    EXPECT_NE(before.find("index:held"), std::string::npos) << told;
    EXPECT_EQ(told, before + " | " + before + " | -wal-shm");
}
