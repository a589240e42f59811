// A database only locked for now, by another program or by another connection of this process
// (an import in another window), is named as locked, never as invalid, and nothing is opened or
// copied; once the lock is gone it opens and copies. A database dropped on the databases list is
// copied through SQLite: whole while another program writes it, with what that program committed
// to its log.
#include <QApplication>
#include <QCheckBox>

#include <filesystem>
#include <functional>

#include "Common/DBConnection.h"
#include "Common/FileNames.h"
#include "app/DatabaseFiles.h"
#include "app/DatabasesWindow.h"
#include "app/FileTableView.h"
#include "app/ImagesWindow.h"
#include "platform/foundation/Paths.h"
#include "tests/support/DropEvents.h"
#include "tests/support/HeldWriteTransaction.h"
#include "tests/support/OtherProgram.h"
#include "tests/support/ShellTest.h"

namespace fs = std::filesystem;

namespace {

// Rows ranging from 1 to count, made by SQL that needs no function of ours.
std::string insertRows(int count) {
    return "with recursive n(v) as (select 1 union all select v + 1 from n where v < " +
           std::to_string(count) + ") insert into t select v from n;";
}

}  // namespace

class LockedDatabaseFilesTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        outside = pathInHome("outside");
        fs::create_directories(outside);
        app->applicationDidFinishLaunching();
        alerts.clear();
    }

    // Drops the files on the databases list of window 0, as the user would.
    void dropOnDatabasesList(const std::vector<std::string>& paths) {
        DatabasesWindow& databases = databasesWindowOf(0);
        databases.openDatabase(std::nullopt);
        QMimeData files;
        setFileUrls(files, paths);
        EXPECT_TRUE(sendDrop(databases.tableView()->viewport(), files, QPoint(10, 10)));
        QApplication::processEvents();
    }

    bool shownInAWindow(const std::string& path) const {
        for (int i = 0; i < AppDelegate::kNumberOfWindowSlots; ++i) {
            if (pathInSlot(i) == path) return true;
        }
        return false;
    }

    std::string count(const std::string& path) {
        std::vector<std::string> rows;
        std::string error;
        EXPECT_EQ(DBInterface::getRows(&rows, "select count(*) from t", path, &error), 0) << error;
        return rows.empty() ? "" : rows[0];
    }

    std::string outside;
};

TEST_F(LockedDatabaseFilesTest, ALockedFileIsSaidLockedNothingOpensOrIsCopiedUntilTheLockEnds) {
    const std::string path = makeDatabase(outside + "/busy.db");
    const std::vector<std::pair<const char*, std::function<void()>>> opens = {
        {"handed over", [&] { app->applicationOpenFiles({path}); }},
        {"Open External Database",
         [&] {
             panelAnswer = {QString::fromStdString(path)};
             app->openExternalDatabase();
         }},
    };
    // Another program, and a connection of this process as an import in a window holds it.
    const std::vector<std::pair<const char*, std::function<std::function<void()>()>>> holders = {
        {"another program",
         [&]() -> std::function<void()> {
             auto other = std::make_shared<OtherProgram>(
                 std::vector<std::string>{"hold", path, "begin exclusive"});
             EXPECT_EQ(other->told(), "held");
             return [other] { other->end(); };
         }},
        {"this process",
         [&]() -> std::function<void()> {
             auto writer = std::make_shared<DBConnection>(path, ConnectionKind::Plain);
             EXPECT_EQ(sqlite3_exec(writer->handle(), "begin exclusive", nullptr, nullptr, nullptr),
                       SQLITE_OK);
             return [writer]() mutable { writer.reset(); };
         }},
    };
    for (const auto& [holderName, hold] : holders) {
        for (const auto& [openName, open] : opens) {
            SCOPED_TRACE(std::string(holderName) + ", " + openName);
            alerts.clear();
            std::function<void()> release = hold();
            open();
            ASSERT_EQ(alerts.size(), 1u);
            EXPECT_EQ(alerts[0].both(), "database is locked|" + path);
            EXPECT_FALSE(shownInAWindow(path));
            dropOnDatabasesList({path});
            ASSERT_EQ(alerts.size(), 2u);
            EXPECT_EQ(alerts[1].both(), "database is locked|Not copied:\n" + path);
            EXPECT_FALSE(fs::exists(pathInDocuments("busy.db")));

            release();
            open();
            EXPECT_EQ(alerts.size(), 2u);
            EXPECT_TRUE(shownInAWindow(path));
            dropOnDatabasesList({path});
            EXPECT_TRUE(DBInterface::doesTableExist("t", pathInDocuments("busy.db")));
            // Back as before: window 0 on its own database, no other window, no copy.
            for (int i = AppDelegate::kNumberOfWindowSlots - 1; i > 0; --i) {
                if (pathInSlot(i)) app->closeDatabaseWindow(app->databaseWindowForWindowIndex(i));
            }
            app->showDatabase(pathInDocuments("varnelo.db"), 0, false, std::nullopt,
                              TablesAndRowsState::RowsConsole);
            fs::remove(pathInDocuments("busy.db"));
        }
    }
}

TEST_F(LockedDatabaseFilesTest, ADroppedDatabaseIsCopiedWithWhatAnotherProgramCommittedToItsLog) {
    const std::string live = outside + "/live.db";
    makeDatabase(live);
    std::string error;
    ASSERT_EQ(DBInterface::execMultipleQueryString("pragma journal_mode = wal;" + insertRows(3),
                                                   nullptr, nullptr, live, &error),
              0)
        << error;
    // It keeps the file open, its 1,000 rows committed to the log and not yet to the file.
    OtherProgram writer({"hold", live, "pragma wal_autocheckpoint = 0;" + insertRows(1000)});
    ASSERT_EQ(writer.told(), "held");
    ASSERT_GT(fs::file_size(live + "-wal"), 0u);

    dropOnDatabasesList({live});
    EXPECT_TRUE(alerts.empty()) << alerts[0].both();
    const std::string copy = pathInDocuments("live.db");
    EXPECT_EQ(count(copy), "1003");
    std::vector<std::string> check;
    EXPECT_EQ(DBInterface::getRows(&check, "pragma integrity_check", copy, &error), 0) << error;
    EXPECT_EQ(check, std::vector<std::string>{"ok"});

    // Dropped again, the copy that replaces it holds what a second program has committed since.
    OtherProgram second({"hold", live, "pragma wal_autocheckpoint = 0;" + insertRows(500)});
    ASSERT_EQ(second.told(), "held");
    alertAnswer = 0;  // Overwrite
    dropOnDatabasesList({live});
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Overwrite Existing Files?");
    EXPECT_EQ(count(copy), "1503");
    for (const auto& item : fs::directory_iterator(Paths::documentsFolder())) {
        EXPECT_EQ(item.path().filename().string().find(".copying"), std::string::npos);
    }
}

// A database named as a picture, open in this process and being written there, dropped on the
// images list: copied through SQLite, the locks held on it kept.
TEST_F(LockedDatabaseFilesTest, ADatabaseDroppedAsAPictureIsCopiedWithoutLettingGoOfItsLocks) {
    const std::string photo = outside + "/photo.png";
    DBConnection writer(photo, ConnectionKind::NewFileStatement);
    ASSERT_EQ(sqlite3_exec(writer.handle(),
                           ("create table t (v);" + insertRows(7) + "begin immediate;" +
                            "insert into t values (8)")
                               .c_str(),
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string held = probeLocks(photo);
    ASSERT_EQ(held.substr(0, held.find(' ')), "write:refused") << held;

    app->databaseFiles().copyFiles({photo}, DatabaseFiles::ImagesWindow);
    EXPECT_TRUE(alerts.empty()) << alerts[0].both();
    EXPECT_EQ(probeLocks(photo), held);
    // What was committed, not the row still being written.
    EXPECT_EQ(count(pathInDocuments("photo.png")), "7");
}

// The -wal, -shm or -journal of a database this process is writing, handed in under its own name
// or a link's: each way in refuses it as it refuses a file that is no database, and another
// program still finds the writer's locks held.
TEST_F(LockedDatabaseFilesTest, ASideFileOfAnOpenDatabaseIsRefusedEveryWayInAndItsLocksStayHeld) {
    for (const std::string mode : {"wal", "delete"}) {
        SCOPED_TRACE(mode);
        const std::string live = outside + "/" + mode + ".db";
        const HeldWriteTransaction writer(live, mode);
        const std::string& held = writer.locks();
        std::vector<std::string> paths;
        int link = 0;
        for (const std::string& side : writer.sideFiles()) {
            // Named as the lists take them: a database and a picture.
            const std::string asDatabase = outside + "/" + mode + std::to_string(++link) + ".db";
            const std::string asPicture = outside + "/" + mode + std::to_string(link) + ".png";
            fs::create_symlink(side, asDatabase);
            fs::create_hard_link(side, asPicture);
            paths.insert(paths.end(), {side, asDatabase, asPicture});
        }
        for (const std::string& path : paths) {
            SCOPED_TRACE(path);
            alerts.clear();
            app->applicationOpenFiles({path});
            panelAnswer = {QString::fromStdString(path)};
            app->openExternalDatabase();
            ASSERT_EQ(alerts.size(), 2u);
            EXPECT_EQ(alerts[0].both(), "Not a valid database file|" + path);
            EXPECT_EQ(alerts[1].both(), "Not a valid database file|" + path);
            EXPECT_FALSE(shownInAWindow(path));
            EXPECT_EQ(probeLocks(live), held);

            const std::string name = Paths::lastPathComponent(path);
            if (DBInterface::isSupportedDatabaseFile(name)) {
                dropOnDatabasesList({path});
                ASSERT_EQ(alerts.size(), 3u);
                EXPECT_EQ(alerts[2].both(), "Not a valid database file|Not copied:\n" + path);
            }
            if (DBInterface::isSupportedImageFile(name)) {
                app->databaseFiles().copyFiles({path}, DatabaseFiles::ImagesWindow);
                ASSERT_EQ(alerts.size(), 3u);
                EXPECT_EQ(alerts[2].informativeText, "Device or resource busy: " + path);
                panelAnswer = {QString::fromStdString(path)};
                app->imagesWindow().chooseImageFile();
                ASSERT_EQ(alerts.size(), 4u);
                EXPECT_EQ(alerts[3].both(), alerts[2].both());
            }
            EXPECT_FALSE(fs::exists(pathInDocuments(name)));
            EXPECT_EQ(probeLocks(live), held);
        }
        EXPECT_EQ(sqlite3_exec(writer.handle(), "commit", nullptr, nullptr, nullptr), SQLITE_OK);
    }
}

// A side file of a database being written, linked into Documents under a picture's name: listing
// it with its thumbnail, previewing it and making its thumbnail read nothing of it, so another
// program still finds the writer's locks held.
TEST_F(LockedDatabaseFilesTest, ASideFileNamedAsAPictureInDocumentsIsNeverReadAsOne) {
    for (const std::string mode : {"wal", "delete"}) {
        SCOPED_TRACE(mode);
        const HeldWriteTransaction writer(outside + "/" + mode + ".db", mode);
        int link = 0;
        for (const std::string& side : writer.sideFiles()) {
            const std::string name = mode + std::to_string(++link) + ".png";
            fs::create_hard_link(side, pathInDocuments(name));
            fs::create_hard_link(side, pathInDocuments("thumb" + name));
            alerts.clear();
            ImagesWindow& images = app->imagesWindow();
            images.imagesWindowMenuItemClicked();
            images.showThumbnailsButton()->setChecked(true);
            images.reloadSelectingFileNames({name});
            images.createThumbnail(name);
            ASSERT_EQ(alerts.size(), 1u);
            EXPECT_EQ(alerts[0].both(), "Error|Could not create the thumbnail image");
            EXPECT_EQ(probeLocks(outside + "/" + mode + ".db"), writer.locks());
        }
        EXPECT_EQ(sqlite3_exec(writer.handle(), "commit", nullptr, nullptr, nullptr), SQLITE_OK);
    }
}
