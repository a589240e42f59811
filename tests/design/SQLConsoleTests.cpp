// Running scripts in the SQL console: the row limit, errors, schema changes and the history
// shared by the windows.
#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "design/QueriesPanel.h"
#include "design/QueryHistory.h"
#include "tests/design/SQLConsoleTest.h"

TEST_F(SQLConsoleTest, ScriptRunsPastTheRowLimitReportsFailuresAndReloadsTheTablesList) {
    makeRowsTable(1500);
    SQLConsole* console = showConsole("t");

    execute(console, "select * from t; update t set name = 'changed' where rowid = 1");
    EXPECT_EQ(console->numberOfRowsLabel()->text(), "First 1000 results");
    EXPECT_EQ(console->messageLabel()->text(), "Only the first 1000 rows are shown.");
    EXPECT_EQ(console->resultsTableView()->model()->rowCount(), 1000);
    EXPECT_EQ(console->resultsTableView()->model()->headerData(1, Qt::Horizontal).toString(),
              "amount");
    EXPECT_FALSE(console->createViewButton()->isHidden());
    EXPECT_EQ(directQuery(db, "select name from t where rowid = 1"),
              std::vector<std::string>{"changed"});

    execute(console, "select 1;\nupdate nosuch set a = 1; select 2");
    EXPECT_EQ(console->messageLabel()->text(),
              "no such table: nosuch (in \"update nosuch set a = 1\")");
    EXPECT_EQ(console->numberOfRowsLabel()->text(), "0 results");
    EXPECT_TRUE(console->createViewButton()->isHidden());
    // A failed run keeps the query of the last result with columns.
    EXPECT_EQ(console->lastSelectQueryString(),
              "select * from t; update t set name = 'changed' where rowid = 1");

    execute(console, "select * from t where rowid = 2");
    EXPECT_EQ(console->numberOfRowsLabel()->text(), "1 result");
    EXPECT_EQ(console->messageLabel()->text(), "");

    // Creating a table changes no rows but the tables list all the same.
    execute(console, "create table added (x)");
    EXPECT_EQ(console->messageLabel()->text(), "Number of rows affected: 0");
    EXPECT_TRUE(tablesListed(0).contains("added"));

    console->sqlViewClearButtonPressed();
    EXPECT_EQ(console->queryTextView()->toPlainText(), "");
    EXPECT_FALSE(console->lastSelectQueryString());
    EXPECT_EQ(console->resultsTableView()->model()->columnCount(), 1);
}

TEST_F(SQLConsoleTest, NonASCIIQueryAsksFirstAndCancelRunsNothing) {
    makeRowsTable(3);
    SQLConsole* console = showConsole("t");
    alertAnswer = 1;  // Cancel
    execute(console, "update t set name = \u201cx\u201d");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Warning");
    EXPECT_EQ(directQuery(db, "select count(*) from t where name = 'x'"),
              std::vector<std::string>{"0"});
    EXPECT_TRUE(queryHistory().empty());
}

TEST_F(SQLConsoleTest, HistoryIsSharedDedupedCappedAndDeletedByText) {
    makeRowsTable(3);
    const std::string other = pathInDocuments("other.db");
    makeDatabase(other);
    SQLConsole* first = showConsole("t", 0);
    SQLConsole* second = showConsole("t", 1, other);

    execute(first, "select 1");
    execute(second, "select 2");
    execute(first, "select 1");
    execute(first, " select 3");  // a leading blank keeps it out
    EXPECT_EQ(queryHistory(), (std::vector<std::string>{"select 1", "select 2"}));

    for (int i = 0; i < 55; ++i) execute(i % 2 ? first : second, "select " + std::to_string(i));
    std::vector<std::string> history = queryHistory();
    ASSERT_EQ(history.size(), kQueryHistoryLimit);
    EXPECT_EQ(history.front(), "select 54");
    EXPECT_EQ(history.back(), "select 5");

    // The first window lists the history, then the second runs another query: deleting the
    // first window's top row deletes the query shown there, not the one now at the top.
    QueriesPanel* panel = first->queriesPanel();
    panel->reloadQueriesArray();
    execute(second, "select 'newer'");
    panel->queriesPanelHistoryTableView()->selectRow(0);
    alertAnswer = 0;  // Delete
    panel->queriesPanelDeleteButtonPressed();
    history = queryHistory();
    EXPECT_EQ(history.front(), "select 'newer'");
    EXPECT_EQ(std::count(history.begin(), history.end(), "select 54"), 0);
    EXPECT_EQ(history.size(), kQueryHistoryLimit - 1);
}

TEST_F(SQLConsoleTest, FavoritesSurviveReopeningTheFile) {
    makeRowsTable(3);
    SQLConsole* console = showConsole("t");
    execute(console, "select name from t");
    execute(console, "select amount from t");
    QueriesPanel* panel = console->queriesPanel();
    panel->reloadQueriesArray();
    panel->queriesPanelMakeFavoriteButtonPressed(1);  // "select name from t"
    EXPECT_EQ(directQuery(db, "select title, querystring from varnelo_db_favorite_queries"),
              (std::vector<std::string>{"", "select name from t"}));

    removeQueriesFromHistory({"select name from t", "select amount from t"});
    app.reset();
    app = std::make_unique<AppDelegate>();
    panel = showConsole("t")->queriesPanel();
    panel->reloadQueriesArray();
    ASSERT_EQ(panel->queries().queriesArray().size(), 1u);
    EXPECT_EQ(panel->queries().queriesArray()[0].queryString, "select name from t");
    EXPECT_TRUE(panel->queries().queriesArray()[0].queryROWID);

    // Favourites-only with a search in another letter case; then the check box removes it.
    panel->queriesPanelFavoritesButton()->setChecked(true);
    panel->queriesPanelSearchField()->setText("NAME");
    EXPECT_EQ(panel->queries().queryIndexesShownArray().size(), 1u);
    panel->queriesPanelMakeFavoriteButtonPressed(0);
    EXPECT_TRUE(panel->queries().queriesArray().empty());
    EXPECT_TRUE(directQuery(db, "select * from varnelo_db_favorite_queries").empty());
}

TEST_F(SQLConsoleTest, CopiedRowsAreDelimitedAsTheExportDelimiterSays) {
    run("create table q (a, b); insert into q values ('x', 'say \"hi\"'), ('y', 'z')");
    SQLConsole* console = showConsole("q");
    execute(console, "select * from q");
    console->resultsTableView()->selectRow(0);
    UserDefaults::standard().setInteger(1, "ExportDelimiter");
    console->sqlResultsTableViewCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "\"x\",\"say \"\"hi\"\"\"");
    UserDefaults::standard().setInteger(2, "ExportDelimiter");
    console->sqlResultsTableViewCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "x|say \"hi\"");
}

TEST_F(SQLConsoleTest, ItsButtonsStayUnderThePointerWhateverTheMessageSays) {
    makeRowsTable(3);
    SQLConsole* console = showConsole("t");
    QWidget* window = console->view()->window();
    auto* executeButton = console->view()->findChild<QPushButton*>("sqlViewExecuteButton");
    auto* clearButton = console->view()->findChild<QPushButton*>("sqlViewClearButton");
    ASSERT_TRUE(executeButton && clearButton);
    QApplication::processEvents();
    auto place = [&](QWidget* button) {
        QApplication::processEvents();
        return button->mapTo(window, button->rect().center());
    };
    const QPoint executeAt = place(executeButton);
    const QPoint clearAt = place(clearButton);
    // No message, a short one, a long error and none again: each click lands where the last
    // one did.
    for (const char* sql : {"update t set name = name",
                            "select * from nosuch_table_with_a_name_long_enough_to_wrap_the_"
                            "message_over_more_than_one_line_of_the_console_at_this_width",
                            "select 1", ""}) {
        SCOPED_TRACE(sql);
        console->queryTextView()->setPlainText(sql);
        QTest::mouseClick(window->childAt(executeAt), Qt::LeftButton);
        EXPECT_EQ(place(executeButton), executeAt);
        EXPECT_EQ(place(clearButton), clearAt);
        QTest::mouseClick(window->childAt(clearAt), Qt::LeftButton);
        EXPECT_EQ(console->queryTextView()->toPlainText(), "");
        EXPECT_EQ(place(executeButton), executeAt);
        EXPECT_EQ(window->childAt(executeAt), executeButton);
    }
}

TEST_F(SQLConsoleTest, ButtonsAndTheRowCountStayWholeInsideANarrowWindow) {
    makeRowsTable(1500);
    SQLConsole* console = showConsole("t");
    QWidget* window = console->view()->window();
    window->resize(790, 600);
    execute(console, "select * from t");
    ASSERT_EQ(console->numberOfRowsLabel()->text(), "First 1000 results");
    std::vector<QWidget*> parts = {console->numberOfRowsLabel()};
    for (QAbstractButton* button : console->view()->findChildren<QAbstractButton*>()) {
        if (button->objectName().startsWith("sqlView") && button->isVisibleTo(console->view()))
            parts.push_back(button);
    }
    ASSERT_EQ(parts.size(), 7u);  // the row count, Execute to Functions and Create View
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 790 && parts[0]->isVisible(); }));
    QApplication::processEvents();
    // Each stands inside the window, in sight, and no narrower than its text needs.
    for (QWidget* part : parts) {
        const QRect shown(part->mapTo(window, QPoint(0, 0)), part->size());
        const std::string name = part->objectName().toStdString();
        EXPECT_TRUE(window->rect().contains(shown)) << name;
        EXPECT_EQ(window->childAt(shown.center()), part) << name;
        EXPECT_GE(part->width(), part->minimumSizeHint().width()) << name;
    }
    // An error naming one long word stays inside the window too, and so do the results.
    execute(console, "select * from t" + std::string(120, 'x'));
    ASSERT_FALSE(console->view()->findChild<QLabel*>("sqlViewMessageLabel")->text().isEmpty());
    // Layouts settle in passes, each posting the next.
    for (int pass = 0; pass < 5; ++pass) {
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
    }
    for (const char* name : {"sqlViewMessageLabel", "sqlViewResultsTableView"}) {
        auto* part = console->view()->findChild<QWidget*>(name);
        ASSERT_NE(part, nullptr) << name;
        const QRect shown(part->mapTo(window, QPoint(0, 0)), part->size());
        EXPECT_LE(shown.right(), window->rect().right()) << name;
    }
}
