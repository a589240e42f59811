// The program on the desktop: the getting-started panel of the first launch, files handed over
// by a second start to the running one, and opened databases in the desktop's recent files.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QUrl>

#include "app/GettingStartedPanel.h"
#include "app/InstanceStart.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/InstanceHandover.h"
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

TEST_F(DesktopStartTest, ASecondStartHandsItsFileToTheRunningInstanceAndEnds) {
    app->applicationDidFinishLaunching();
    std::unique_ptr<InstanceHandover> handover = listenForHandedOverFiles(*app);
    ASSERT_TRUE(handover);
    const std::string path = makeDatabase(pathInHome("second.db"));

    // The program itself, started again with the file, as the desktop starts it.
    QProcess second;
    second.start(VARNELO_APP_PATH, {QString::fromStdString(path)});
    ASSERT_TRUE(second.waitForStarted());
    for (int waited = 0; second.state() != QProcess::NotRunning && waited < 20000; waited += 10) {
        QApplication::processEvents();
        second.waitForFinished(10);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    QApplication::processEvents();
    EXPECT_EQ(pathInSlot(1), path);
    EXPECT_TRUE(app->databaseWindowForWindowIndex(1)->isVisible());
}
