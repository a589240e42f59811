#pragma once
// A fixture with an application object in its own temporary home; alerts and panels are
// answered by recorders (alerts with `alertAnswer`), so nothing waits on a dialog.
#include <QListWidget>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/DatabasesWindow.h"
#include "app/ErrorLog.h"
#include "app/WindowParts.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FilePanel.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempHome.h"

struct ShownAlert {
    std::string messageText;
    std::string informativeText;
    bool isSheet = false;
    Alert::Style style = Alert::Style::Warning;
    std::string both() const { return messageText + "|" + informativeText; }
};

class ShellTest : public TempHomeTest {
  protected:
    void SetUp() override {
        TempHomeTest::SetUp();
        ensureQApplication();
        applicationErrorLog().clear();
        Alert::setTestResponder([this](const Alert& alert, QWidget* window) {
            alerts.push_back({alert.messageText.toStdString(), alert.informativeText.toStdString(),
                              window != nullptr, alert.style});
            if (whileAlertShown) std::exchange(whileAlertShown, nullptr)();
            return alertAnswer;
        });
        FilePanel::setTestResponder([this](const FilePanel& panel, QWidget*) {
            panelTitles.push_back(panel.title.toStdString());
            panelsShown.push_back(panel);
            return panelAnswer;
        });
        app = std::make_unique<AppDelegate>();
    }

    void TearDown() override {
        app.reset();
        Alert::setTestResponder({});
        FilePanel::setTestResponder({});
        TempHomeTest::TearDown();
    }

    // A new application object, as at the next launch.
    void relaunch() {
        app = std::make_unique<AppDelegate>();
        app->applicationDidFinishLaunching();
    }

    // A database file with one table of that name.
    std::string makeDatabase(const std::string& path, const std::string& table = "t") {
        std::string error;
        EXPECT_EQ(DBInterface::execMultipleQueryString("CREATE TABLE \"" + table + "\"(a);",
                                                       nullptr, nullptr, path, &error,
                                                       DBInterface::MissingFile::Create),
                  0)
            << error;
        return path;
    }

    // The consoles and panels of the window the controller belongs to, each by its type.
    WindowParts& partsOf(const TablesAndRowsController* controller) const {
        return *app->windowPartsForWindowIndex(controller->windowIndex());
    }

    // The databases window of the slot's database window, which must have been shown.
    DatabasesWindow& databasesWindowOf(int windowIndex) const {
        return app->windowPartsForWindowIndex(windowIndex)->databases;
    }

    std::optional<std::string> pathInSlot(int windowIndex) const {
        return app->databaseFilePathForWindowIndex(windowIndex);
    }

    QStringList tablesListed(int windowIndex) const {
        QStringList names;
        TablesAndRowsController* controller =
            app->tablesAndRowsControllerForWindowIndex(windowIndex);
        if (!controller) return names;
        auto* list = controller->view()->findChild<QListWidget*>("tablesTableView");
        for (int i = 0; list && i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }

    std::unique_ptr<AppDelegate> app;
    std::vector<ShownAlert> alerts;
    int alertAnswer = 0;
    // Runs once while the next alert is open, as another program may write meanwhile.
    std::function<void()> whileAlertShown;
    std::vector<std::string> panelTitles;
    std::vector<FilePanel> panelsShown;
    QStringList panelAnswer;
};
