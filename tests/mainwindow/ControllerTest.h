#pragma once
// A database window on real temporary database files: the application object shows a
// database in slot 0 of an offscreen window big enough for a page of rows.
#include <QApplication>
#include <QTest>

#include "mainwindow/rows/RowsConsole.h"
#include "tests/support/ShellTest.h"

// Long enough for a window shown or resized to settle: its geometry, the grid's layout for its
// size and its drawing.
inline constexpr int kSettleWaitMs = 250;

class ControllerTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        UserDefaults::standard().setInteger(15, "SchemaObjectTypesToShow");
        db = pathInDocuments("test.db");
    }

    void run(const std::string& sql, const std::string& path = {}) {
        std::string error;
        ASSERT_EQ(
            DBInterface::execMultipleQueryString(sql, nullptr, nullptr, path.empty() ? db : path,
                                                 &error, DBInterface::MissingFile::Create),
            0)
            << error;
    }

    // A table t (name, amount) of `rows` rows: name "name <i>", amount i * 1.5, NULL every
    // tenth row.
    void makeRowsTable(int64_t rows, const std::string& path = {}) {
        run("create table t (name text, amount number); insert into t select 'name ' || value, "
            "case when value % 10 = 0 then null else value * 1.5 end from generate_series(1, " +
                std::to_string(rows) + ")",
            path);
    }

    // Shows the database in slot 0 with the table selected, in a window of a fixed size.
    TablesAndRowsController* show(const std::string& table, const std::string& path = {}) {
        TablesAndRowsWindow* window = app->showDatabase(
            path.empty() ? db : path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
        window->resize(900, 500);
        window->show();
        // The grid lays out for a new size after the events already queued; let that happen
        // before the test acts, so that it never arrives in the middle of an edit.
        QTest::qWait(kSettleWaitMs);
        TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(0);
        controller->selectTableWithName(table);
        // The table's fields may resize the grid (a scroller shown or hidden); that layout too
        // comes before the test acts.
        QApplication::processEvents();
        RowsTableView* grid = rowsOf(controller)->rowsTableView();
        EXPECT_TRUE(QTest::qWaitFor([grid] { return !grid || !grid->hasLayoutForSizeToCome(); }));
        return controller;
    }

    // The grid console of a database window.
    RowsConsole* rowsOf(const TablesAndRowsController* controller) const {
        return &partsOf(controller).rows;
    }

    std::string title() const {
        return app->databaseWindowForWindowIndex(0)->windowTitle().toStdString();
    }

    std::string db;
};
