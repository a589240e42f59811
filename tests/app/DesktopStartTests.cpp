// The program on the desktop: the getting-started panel of the first launch and opened
// databases in the desktop's recent files.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QUrl>

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

TEST_F(DesktopStartTest, AnOpenedExternalDatabaseAppearsInTheRecentlyUsedList) {
    app->applicationDidFinishLaunching();
    const std::string path = makeDatabase(pathInHome("my data #1.db"));
    panelAnswer = {QString::fromStdString(path)};
    app->openExternalDatabase();
    EXPECT_EQ(pathInSlot(0), path);

    ASSERT_EQ(RecentDocuments::recentlyUsedFilePath(), pathInHome("recently-used.xbel"));
    QFile list(QString::fromStdString(RecentDocuments::recentlyUsedFilePath()));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains(
        "href=\"" + QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded() + "\""));
}
