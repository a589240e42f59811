// A database window on a file in WAL mode: choosing tables and paging through their rows leaves
// no -wal or -shm beside the file while the window stays open, and a commit of another program
// shows on the next page.
#include <QListWidget>

#include <filesystem>

#include "tests/mainwindow/GridTest.h"

namespace {
constexpr int64_t kRows = 25000;  // enough for the pages to be found by key
}  // namespace

class WalFileWindowTest : public GridTest {
  protected:
    // Once the marks are sampled no read runs in the background.
    void waitForMarks(TablesAndRowsController* c) {
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return rowsOf(c)->dataPort().pagesFoundByKey(); }, 20000));
    }
    std::string sideFiles() const {
        std::string found;
        for (const char* suffix : {"-wal", "-shm"}) {
            if (std::filesystem::exists(db + suffix)) found += suffix;
        }
        return found;
    }
    void clickTable(TablesAndRowsController* c, const std::string& name) {
        QListWidget* list = c->tablesTableView();
        QList<QListWidgetItem*> items =
            list->findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(items[0]).center());
        QApplication::processEvents();
        grid->setFocus();
    }
    // The name shown in the first row agrees with the port's place in rowid order.
    void expectPortShown(TablesAndRowsController* c) {
        QApplication::processEvents();
        int64_t first = c->state().dataPort.firstRowIndexInDataPort.value;
        EXPECT_GT(first, 0);
        EXPECT_EQ(shown(0, 1).toStdString(), "name " + std::to_string(first + 1));
    }
};

TEST_F(WalFileWindowTest, BrowsingLeavesNoSideFilesWhileTheWindowIsOpen) {
    run("pragma journal_mode = wal; create table other (a); insert into other values ('x')");
    makeRowsTable(kRows);
    ASSERT_TRUE(isWriteAheadLogFile(db));
    TablesAndRowsController* c = showGrid("other");
    EXPECT_EQ(sideFiles(), "");

    clickTable(c, "t");
    ASSERT_EQ(c->selectedTableNames(), std::vector<std::string>{"t"});
    for (int i = 0; i < 3; ++i) key(Qt::Key_PageDown);
    expectPortShown(c);
    waitForMarks(c);
    EXPECT_EQ(sideFiles(), "");
    // Past the first marks.
    for (int i = 0; i < 400; ++i) key(Qt::Key_PageDown);
    expectPortShown(c);
    EXPECT_EQ(sideFiles(), "");

    // Another program deletes the rows before the port: the next page shows the rows after.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "delete from t where rowid <= 100", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    key(Qt::Key_PageDown);
    QApplication::processEvents();
    int64_t first = c->state().dataPort.firstRowIndexInDataPort.value;
    EXPECT_EQ(shown(0, 1).toStdString(), "name " + std::to_string(first + 101));
    waitForMarks(c);
    EXPECT_EQ(sideFiles(), "");

    clickTable(c, "other");
    EXPECT_EQ(shown(0, 1).toStdString(), "x");
    EXPECT_EQ(sideFiles(), "");
}
