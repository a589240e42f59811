// The program on the desktop: the getting-started panel of the first launch and opened
// databases in the desktop's recent files.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "app/DatabasesWindow.h"
#include "app/FileTableView.h"
#include "app/GettingStartedPanel.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/RecentDocuments.h"
#include "tests/support/ShellTest.h"

using DesktopStartTest = ShellTest;

TEST_F(DesktopStartTest, GettingStartedShowsAtTheFirstLaunchOnlyAndFromTheHelpMenu) {
    app->applicationDidFinishLaunching();
    GettingStartedPanel* panel = app->gettingStartedPanel();
    EXPECT_TRUE(panel->isVisible());
    // A panel: the database window stays the one the menus act on.
    EXPECT_EQ(mainWindow(), app->databaseWindowForWindowIndex(0));
    EXPECT_TRUE(panel->findChild<QLabel*>("gettingStartedText")
                    ->text()
                    .contains(QString::fromStdString(Paths::documentsFolder())));

    relaunch();
    EXPECT_FALSE(app->gettingStartedPanel()->isVisible());
    app->databaseWindowForWindowIndex(0)
        ->menuBar()
        ->findChild<QAction*>("gettingStartedMenuItemClicked")
        ->trigger();
    EXPECT_TRUE(app->gettingStartedPanel()->isVisible());
}

namespace {
QByteArray recentlyUsedList() {
    QFile list(QString::fromStdString(RecentDocuments::recentlyUsedFilePath()));
    return list.open(QIODevice::ReadOnly) ? list.readAll() : QByteArray();
}
QByteArray hrefOf(const std::string& path) {
    return "href=\"" + QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded() + "\"";
}
}  // namespace

TEST_F(DesktopStartTest, AnOpenedExternalDatabaseAppearsInTheRecentlyUsedList) {
    app->applicationDidFinishLaunching();
    const std::string path = makeDatabase(pathInHome("my data #1.db"));
    panelAnswer = {QString::fromStdString(path)};
    app->openExternalDatabase();
    EXPECT_EQ(pathInSlot(0), path);

    ASSERT_EQ(RecentDocuments::recentlyUsedFilePath(), pathInHome("recently-used.xbel"));
    EXPECT_TRUE(recentlyUsedList().contains(hrefOf(path)));
}

TEST_F(DesktopStartTest, DatabasesOpenedOrCreatedInTheDatabasesWindowAppearInTheRecentlyUsedList) {
    app->applicationDidFinishLaunching();
    const std::string chosen = makeDatabase(pathInDocuments("chosen #1.db"));
    QAction* open =
        app->databaseWindowForWindowIndex(0)->menuBar()->findChild<QAction*>("openDocument");
    DatabasesWindow& sheet = app->databasesWindow();

    open->trigger();
    ASSERT_TRUE(sheet.isVisible());
    sheet.tableView()->selectRows({0});
    ASSERT_EQ(sheet.filteredDatabaseFilesArray()[0].fileName, "chosen #1.db");
    QTest::mouseClick(sheet.openButton(), Qt::LeftButton);
    EXPECT_EQ(pathInSlot(0), chosen);

    open->trigger();
    QPushButton* newButton = nullptr;
    for (QPushButton* button : sheet.findChildren<QPushButton*>()) {
        if (button->text() == "New") newButton = button;
    }
    ASSERT_TRUE(newButton);
    QTest::mouseClick(newButton, Qt::LeftButton);
    const std::string created = pathInDocuments("varnelo_2.db");
    EXPECT_EQ(pathInSlot(0), created);

    const QByteArray list = recentlyUsedList();
    EXPECT_TRUE(list.contains(hrefOf(chosen))) << list.toStdString();
    EXPECT_TRUE(list.contains(hrefOf(created))) << list.toStdString();
    EXPECT_TRUE(alerts.empty());
}
