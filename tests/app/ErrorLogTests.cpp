// The application error log, SQLite's log feeding it, the diagnostics window and the alerts.
#include <QDate>
#include <QLabel>
#include <QTableWidget>

#include <sqlite3.h>

#include "app/DiagnosticsWindow.h"
#include "app/SqliteErrorLog.h"
#include "tests/support/ShellTest.h"

namespace {

// As in the program, SQLite's log is set before anything else uses SQLite.
const bool sqliteLogInstalled = installSqliteErrorLog(&applicationErrorLog());

QStringList column(const QTableWidget* table, int column) {
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) texts << table->item(row, column)->text();
    return texts;
}

}  // namespace

using ErrorLogTest = ShellTest;

TEST_F(ErrorLogTest, KeepsTheNewestHundredEntries) {
    for (int i = 0; i < 101; ++i) app->appendErrorMessage("entry " + std::to_string(i), -1);
    app->appendErrorMessage(std::nullopt, 7);
    std::vector<ErrorLogEntry> entries = app->sqliteErrorMessagesArray().snapshot();
    ASSERT_EQ(entries.size(), 100u);
    EXPECT_EQ(entries.front().message, "entry 2");
    EXPECT_EQ(entries.back().code, 7);
    EXPECT_EQ(entries.back().message, "");
}

TEST_F(ErrorLogTest, SqliteLogLinesArriveWithTheirResultCode) {
    ASSERT_TRUE(sqliteLogInstalled);
    std::string error;
    EXPECT_NE(
        DBInterface::execMultipleQueryString("SELEC 1;", nullptr, nullptr, ":memory:", &error), 0);
    std::vector<ErrorLogEntry> entries = applicationErrorLog().snapshot();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().code, 1);  // SQLITE_ERROR
    EXPECT_NE(entries.back().message.find("syntax error"), std::string::npos);
}

TEST_F(ErrorLogTest, InvalidUtf8InALogLineIsStoredAsTheMarker) {
    ErrorLog log;
    sqliteErrorLogCallback(&log, 14, "cannot open \xff\xfe");
    sqliteErrorLogCallback(&log, 14, nullptr);
    sqliteErrorLogCallback(nullptr, 14, "no log, no crash");
    ASSERT_EQ(log.count(), 2u);
    EXPECT_EQ(log.snapshot()[0].message, kInvalidUtf8Marker);
    EXPECT_EQ(log.snapshot()[1].message, "");
}

TEST_F(ErrorLogTest, DiagnosticsWindowShowsASnapshotNewestFirst) {
    for (int i = 0; i < 100; ++i) app->appendErrorMessage("old " + std::to_string(i), -1);
    app->showDiagnosticsWindow();
    DiagnosticsWindow* window = app->diagnosticsWindow();
    QTableWidget* table = window->errorMessagesTable();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(table->rowCount(), 100);
    EXPECT_EQ(table->item(0, 1)->text(), "old 99");
    // The library's version and the date it was released.
    auto* version = window->findChild<QLabel*>("diagnosticsWindowSQLiteVersionLabel");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text().toStdString(), std::string("SQLite ") + sqlite3_libversion() + " (" +
                                                 std::string(sqlite3_sourceid(), 10) + ")");
    EXPECT_TRUE(
        QDate::fromString(version->text().section('(', 1).chopped(1), Qt::ISODate).isValid());

    app->appendErrorMessage("newest", 5);
    EXPECT_EQ(table->item(0, 1)->text(), "old 99");  // not redrawn by itself
    window->refreshButtonClicked();
    EXPECT_EQ(table->rowCount(), 100);
    EXPECT_EQ(table->item(0, 0)->text(), "5");
    EXPECT_EQ(table->item(0, 1)->text(), "newest");
    EXPECT_FALSE(column(table, 1).contains("old 0"));

    window->clearButtonClicked();
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(app->sqliteErrorMessagesArray().count(), 0u);
    app->appendErrorMessage("after clear", -1);
    EXPECT_EQ(table->rowCount(), 0);
    window->refreshButtonClicked();
    EXPECT_EQ(column(table, 0), QStringList{"-1"});
}

TEST_F(ErrorLogTest, AlertsAreModalOrSheetsWithTheErrorTitle) {
    app->showAlert("Title", "");
    app->showErrorAlert("it failed");
    app->showAlertErrorObject("Could not", "");
    app->showErrorAlert("on the window", app->databaseWindowForWindowIndex(2));
    ASSERT_EQ(alerts.size(), 4u);
    EXPECT_EQ(alerts[0].both(), "Title|");
    EXPECT_EQ(alerts[1].both(), "Error|it failed");
    EXPECT_FALSE(alerts[2].isSheet);
    EXPECT_TRUE(alerts[3].isSheet);
    EXPECT_EQ(alerts[3].messageText, "Error");
}
