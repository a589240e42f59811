#pragma once
// Database windows with their SQL console shown, and reads of database files through a
// connection of the test's own.
#include <sqlite3.h>

#include <QLabel>
#include <QPlainTextEdit>

#include "design/DropFileNameTextView.h"
#include "design/SQLConsole.h"
#include "design/SqlResultsTableView.h"
#include "tests/mainwindow/ControllerTest.h"

class SQLConsoleTest : public ControllerTest {
  protected:
    // Shows the database in the slot with the table selected and the SQL console shown.
    SQLConsole* showConsole(const std::optional<std::string>& table, int windowIndex = 0,
                            const std::string& path = {}) {
        TablesAndRowsWindow* window =
            app->showDatabase(path.empty() ? db : path, windowIndex, false, std::nullopt, 0);
        window->resize(900, 600);
        window->show();
        TablesAndRowsController* controller =
            app->tablesAndRowsControllerForWindowIndex(windowIndex);
        controller->selectTableWithName(table);
        controller->selectConsole(TablesAndRowsState::SQLConsole);
        return &partsOf(controller).sql;
    }

    static void execute(SQLConsole* console, const std::string& sql) {
        console->queryTextView()->setPlainText(QString::fromStdString(sql));
        console->executeButtonPressed();
    }

    // Every value of the query's rows in order, NULL as empty text.
    static std::vector<std::string> directQuery(const std::string& path, const std::string& sql) {
        std::vector<std::string> values;
        sqlite3* connection = nullptr;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) ==
                SQLITE_OK &&
            sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                    const auto* text = sqlite3_column_text(statement, i);
                    values.push_back(text ? reinterpret_cast<const char*>(text) : "");
                }
            }
        }
        sqlite3_finalize(statement);
        sqlite3_close(connection);
        return values;
    }
};
