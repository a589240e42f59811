#pragma once
// A database window on real temporary database files: the application object shows a
// database in slot 0 of an offscreen window big enough for a page of rows; alerts are
// recorded and answered with `alertAnswer`.
#include <QApplication>

#include <memory>
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/TablesAndRowsWindow.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempHome.h"

class ControllerTest : public TempHomeTest {
  protected:
    void SetUp() override {
        TempHomeTest::SetUp();
        ensureQApplication();
        UserDefaults::standard().setInteger(15, "SchemaObjectTypesToShow");
        Alert::setTestResponder([this](const Alert& alert, QWidget*) {
            alerts.push_back(alert.messageText.toStdString() + "|" +
                             alert.informativeText.toStdString());
            return alertAnswer;
        });
        app = std::make_unique<AppDelegate>();
        db = pathInDocuments("test.db");
    }

    void TearDown() override {
        app.reset();
        Alert::setTestResponder({});
        TempHomeTest::TearDown();
    }

    void run(const std::string& sql, const std::string& path = {}) {
        std::string error;
        ASSERT_EQ(DBInterface::execMultipleQueryString(sql, nullptr, nullptr,
                                                       path.empty() ? db : path, &error),
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
        TablesAndRowsWindow* window =
            app->showDatabase(path.empty() ? db : path, 0, false, std::nullopt, 0);
        window->resize(900, 500);
        window->show();
        QApplication::processEvents();
        TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(0);
        controller->selectTableWithName(table);
        return controller;
    }

    std::string title() const {
        return app->databaseWindowForWindowIndex(0)->windowTitle().toStdString();
    }

    std::unique_ptr<AppDelegate> app;
    std::string db;
    std::vector<std::string> alerts;
    int alertAnswer = 0;
};
