#pragma once
// Database windows with their SQL console shown, and reads of database files through a
// connection of the test's own.

#include <QLabel>
#include <QPlainTextEdit>

#include "design/DropFileNameTextView.h"
#include "design/SQLConsole.h"
#include "design/SqlResultsTableView.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"

class SQLConsoleTest : public ControllerTest {
  protected:
    // Shows the database in the slot with the table selected and the SQL console shown.
    SQLConsole* showConsole(const std::optional<std::string>& table, int windowIndex = 0,
                            const std::string& path = {}) {
        TablesAndRowsWindow* window =
            app->showDatabase(path.empty() ? db : path, windowIndex, false, std::nullopt,
                              TablesAndRowsState::RowsConsole);
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
};
