// The program on the desktop: the getting-started panel of the first launch and opened
// databases in the desktop's recent files.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <filesystem>

#include "app/DatabasesWindow.h"
#include "app/FileTableView.h"
#include "app/GettingStartedPanel.h"
#include "app/InstanceStart.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/InstanceHandover.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"
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
constexpr int kTimeout = 30000;

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
    DatabasesWindow& sheet = databasesWindowOf(0);

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

TEST_F(DesktopStartTest, TheInstalledDesktopEntryIsValidAndHandsTheFilesItIsStartedWithOver) {
    app->applicationDidFinishLaunching();
    InstanceHandover handover;
    ASSERT_EQ(handover.start({}, nullptr), InstanceHandover::Start::Instance);
    receiveHandedOverFiles(handover, *app);
    // The program in a folder whose name needs quoting and escaping on the entry's Exec line.
    const std::string folder = pathInHome("my \"apps\" $HOME `x` \\ here");
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(VARNELO_APP_PATH, folder + "/varnelo");

    // Installed as the set-up installs it, into this test's data folder.
    auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(kTimeout)) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
        return QString::fromUtf8(process.readAll());
    };
    const QString install = VARNELO_SOURCE_DIR "/scripts/install-desktop-entry";
    const QString entry = toQString(pathInHome("applications/org.example.varnelodb.desktop"));
    EXPECT_TRUE(run(install, {toQString(folder + "/varnelo")}).contains("installed"));
    EXPECT_EQ(run("desktop-file-validate", {entry}), "");
    QFile installed(entry);
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    const QByteArray text = installed.readAll();
    EXPECT_TRUE(text.contains("\nMimeType=application/vnd.sqlite3;application/x-sqlite3;\n"));
    EXPECT_TRUE(text.contains(" %F\n"));
    // Unchanged, it is left as it is, silently.
    EXPECT_EQ(run(install, {toQString(folder + "/varnelo")}), "");

    // Started as a file manager starts it with a database file.
    const std::string file = makeDatabase(pathInHome("from the file manager.db"));
    // Its output goes nowhere: the launcher ends before the program it starts.
    QProcess launcher;
    launcher.setStandardOutputFile(QProcess::nullDevice());
    launcher.setStandardErrorFile(QProcess::nullDevice());
    launcher.start("gio", {"launch", entry, toQString(file)});
    EXPECT_TRUE(launcher.waitForFinished(kTimeout));
    EXPECT_EQ(launcher.exitCode(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pathInSlot(1) == file; }, kTimeout));
    EXPECT_TRUE(alerts.empty());
}
