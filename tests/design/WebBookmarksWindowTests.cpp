#include <QPushButton>
#include <QTableWidget>

#include "design/WebBookmarksWindow.h"
#include "platform/ui/Workspace.h"
#include "tests/design/PanelTest.h"

namespace {

class WebBookmarksWindowTest : public PanelTest {
  protected:
    void TearDown() override {
        Workspace::setTestRecorder({});
        PanelTest::TearDown();
    }
    static std::string cell(QTableWidget* table, int row, int column) {
        QTableWidgetItem* item = table->item(row, column);
        return item ? item->text().toStdString() : "<none>";
    }
};

TEST_F(WebBookmarksWindowTest, BookmarksAreEditedReorderedOpenedAndSurviveAReopen) {
    makeRowsTable(3);
    WebBookmarksWindow* bookmarks = &partsOf(show("t")).webBookmarks;
    bookmarks->showWebBrowserBookmarksWindow();
    QTableWidget* table = bookmarks->webBrowserBookmarksWindowTableView();
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_TRUE(
        query("select name from sqlite_master where name = 'varnelo_db_bookmarks'").empty());

    bookmarks->addButtonPressedInBookmarksWindow();
    bookmarks->addButtonPressedInBookmarksWindow();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(cell(table, 1, WebBookmarksWindow::BookmarkTitle), "Bookmark");
    // An edited title that sorts first moves its row to the top; the edit ends while another
    // row is selected and changes the row edited.
    table->selectRow(0);
    table->item(1, WebBookmarksWindow::URL)->setText("https://example.org/a'b");
    QApplication::processEvents();
    table->item(1, WebBookmarksWindow::BookmarkTitle)->setText("Aardvark");
    QApplication::processEvents();
    EXPECT_EQ(cell(table, 0, WebBookmarksWindow::BookmarkTitle), "Aardvark");
    EXPECT_EQ(cell(table, 0, WebBookmarksWindow::URL), "https://example.org/a'b");
    EXPECT_EQ(query("select title, url from varnelo_db_bookmarks order by title"),
              (std::vector<std::string>{"Aardvark", "https://example.org/a'b", "Bookmark", ""}));

    QStringList opened;
    Workspace::setTestRecorder([&](const QString& kind, const QString& argument) {
        opened << kind + " " + argument;
        return true;
    });
    table->selectRow(0);
    bookmarks->openButtonPressedInBookmarksWindow();
    EXPECT_EQ(opened, QStringList{"url https://example.org/a'b"});

    // Delete without a selection only says so.
    table->clearSelection();
    EXPECT_FALSE(bookmarks->webBrowserBookmarksWindowDeleteButton()->isEnabled());
    bookmarks->deleteButtonPressedInBookmarksWindow();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "No bookmark selected");
    EXPECT_EQ(query("select count(*) from varnelo_db_bookmarks"), (std::vector<std::string>{"2"}));

    relaunch();
    WebBookmarksWindow* reopened = &partsOf(show("t")).webBookmarks;
    reopened->showWebBrowserBookmarksWindow();
    table = reopened->webBrowserBookmarksWindowTableView();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(cell(table, 0, WebBookmarksWindow::BookmarkTitle), "Aardvark");
    table->selectRow(1);
    EXPECT_TRUE(reopened->webBrowserBookmarksWindowDeleteButton()->isEnabled());
    reopened->deleteButtonPressedInBookmarksWindow();  // confirmed by the first button
    EXPECT_EQ(alerts.back().messageText, "Delete selected bookmarks?");
    EXPECT_EQ(query("select title from varnelo_db_bookmarks"),
              (std::vector<std::string>{"Aardvark"}));
    EXPECT_EQ(table->rowCount(), 1);
}

}  // namespace
