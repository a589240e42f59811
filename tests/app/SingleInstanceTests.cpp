// One instance per home, with the program itself started as further processes, as the desktop
// starts it: which start becomes the instance, and that every file handed over opens there
// once, also while the instance shows an alert or is busy.
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/InstanceStart.h"
#include "platform/ui/InstanceHandover.h"
#include "platform/ui/QtStrings.h"
#include "tests/support/ShellTest.h"

namespace {

using Start = InstanceHandover::Start;
constexpr int kTimeout = 30000;

bool endedWell(const QProcess& process) {
    return process.state() == QProcess::NotRunning &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

class SingleInstanceTest : public ShellTest {
  protected:
    void TearDown() override {
        for (const auto& process : processes_) {
            process->kill();
            process->waitForFinished();
        }
        ShellTest::TearDown();
    }

    // The program started with these files in this test's home.
    QProcess* startProgram(const std::vector<std::string>& files) {
        QStringList arguments;
        for (const std::string& file : files) arguments << toQString(file);
        auto process = std::make_unique<QProcess>();
        process->setReadChannel(QProcess::StandardError);
        process->start(VARNELO_APP_PATH, arguments);
        EXPECT_TRUE(process->waitForStarted());
        processes_.push_back(std::move(process));
        return processes_.back().get();
    }

    static bool allEnded(const std::vector<QProcess*>& processes) {
        return std::all_of(processes.begin(), processes.end(),
                           [](QProcess* p) { return p->state() == QProcess::NotRunning; });
    }

    // This process as the running instance, as the program's entry point makes it.
    void becomeTheInstance(InstanceHandover& handover) {
        std::string error;
        ASSERT_EQ(handover.start({}, &error), Start::Instance) << error;
        receiveHandedOverFiles(handover, *app);
    }

    // The files the instance in this home has opened from outside the Documents folder.
    std::set<std::string> bookmarkedFiles() const {
        std::ifstream in(pathInHome("defaults.json"));
        nlohmann::json defaults = nlohmann::json::parse(in, nullptr, false);
        std::set<std::string> files;
        if (!defaults.is_object() || !defaults["FileBookmarks"].is_object()) return files;
        for (const auto& [path, bookmark] : defaults["FileBookmarks"].items()) files.insert(path);
        return files;
    }

    std::multiset<std::string> filesInSlots() const {
        std::multiset<std::string> shown;
        for (int i = 0; i < AppDelegate::kNumberOfWindowSlots; ++i) {
            if (auto path = pathInSlot(i)) shown.insert(*path);
        }
        return shown;
    }

  private:
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(SingleInstanceTest, FiveStartsAtOnceLeaveOneInstanceThatOpensEveryFile) {
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(makeDatabase(pathInHome("start " + std::to_string(i) + ".db")));
    std::vector<QProcess*> starts;
    for (const std::string& file : files) starts.push_back(startProgram({file}));

    // Four hand their file over and end; the fifth is the instance and keeps running.
    auto ended = [&] {
        return std::count_if(starts.begin(), starts.end(),
                             [](QProcess* p) { return p->state() == QProcess::NotRunning; });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended() == 4; }, kTimeout)) << ended() << " ended";
    QProcess* instance = nullptr;
    for (QProcess* start : starts) {
        if (start->state() != QProcess::NotRunning) {
            instance = start;
        } else {
            EXPECT_TRUE(endedWell(*start)) << start->readAllStandardError().toStdString();
        }
    }
    const std::set<std::string> all(files.begin(), files.end());
    EXPECT_TRUE(QTest::qWaitFor([&] { return bookmarkedFiles() == all; }, kTimeout));

    // Later starts reach the same instance.
    QProcess* later = startProgram({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return allEnded({later}); }, kTimeout));
    EXPECT_TRUE(endedWell(*later));
    EXPECT_EQ(instance->state(), QProcess::Running);

    // The instance crashes, leaving its socket file: the next start is the instance.
    instance->kill();
    ASSERT_TRUE(instance->waitForFinished());
    const std::string next = makeDatabase(pathInHome("next.db"));
    QProcess* restarted = startProgram({next});
    EXPECT_TRUE(QTest::qWaitFor([&] { return bookmarkedFiles().count(next) == 1; }, kTimeout));
    EXPECT_EQ(restarted->state(), QProcess::Running);
    InstanceHandover probe;
    EXPECT_EQ(probe.start({}, nullptr), Start::HandedOver);
}

TEST_F(SingleInstanceTest, StartsAtOnceAgainstARunningInstanceOpenEachFileOnce) {
    app->applicationDidFinishLaunching();
    InstanceHandover handover;
    becomeTheInstance(handover);
    std::vector<std::string> files;
    std::vector<QProcess*> starts;
    for (int i = 0; i < 4; ++i)
        files.push_back(makeDatabase(pathInHome("at once " + std::to_string(i) + ".db")));
    for (const std::string& file : files) starts.push_back(startProgram({file}));

    ASSERT_TRUE(QTest::qWaitFor([&] { return allEnded(starts); }, kTimeout));
    for (QProcess* start : starts) EXPECT_TRUE(endedWell(*start));
    EXPECT_TRUE(QTest::qWaitFor([&] { return filesInSlots().size() == 5; }, kTimeout));
    std::multiset<std::string> expected(files.begin(), files.end());
    expected.insert(pathInDocuments("varnelo.db"));
    EXPECT_EQ(filesInSlots(), expected);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(SingleInstanceTest, AStartWaitsForABusyInstanceRatherThanBecomingASecondOne) {
    app->applicationDidFinishLaunching();
    InstanceHandover handover;
    becomeTheInstance(handover);
    const std::string file = makeDatabase(pathInHome("patient.db"));
    QProcess* second = startProgram({file});

    // This instance takes no events until the second start says that it is waiting.
    QByteArray said;
    while (!said.contains("Waiting for the running instance") &&
           second->waitForReadyRead(kTimeout)) {
        said += second->readAllStandardError();
    }
    EXPECT_TRUE(said.contains("Waiting for the running instance")) << said.toStdString();
    EXPECT_EQ(second->state(), QProcess::Running);

    EXPECT_TRUE(QTest::qWaitFor([&] { return allEnded({second}); }, kTimeout));
    EXPECT_TRUE(endedWell(*second));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pathInSlot(1) == file; }, kTimeout));
    EXPECT_FALSE(pathInSlot(2));
}

TEST_F(SingleInstanceTest, ANonDatabaseIsRefusedInAnAlertThatOutlivesTheStartHandingItOver) {
    app->applicationDidFinishLaunching();
    InstanceHandover handover;
    becomeTheInstance(handover);
    const std::string notes = pathInHome("notes.db");
    writeFile(notes, "Just some text that is no SQLite database, long enough to hold a header.");
    Alert::setTestResponder({});  // the real alert, with an event loop of its own

    QProcess* second = startProgram({notes});
    // Return is pressed once the second start has ended and its connection is gone.
    QString shown;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || second->state() != QProcess::NotRunning ||
            !handover.findChildren<QLocalSocket*>().isEmpty()) {
            return;
        }
        shown = box->text() + "|" + box->informativeText();
        QTest::keyClick(box, Qt::Key_Return);
    });
    user.start(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, kTimeout));
    user.stop();
    EXPECT_TRUE(endedWell(*second));
    EXPECT_EQ(shown, toQString("Not a valid database file|" + notes));
    EXPECT_FALSE(QApplication::activeModalWidget());
    EXPECT_EQ(filesInSlots(), std::multiset<std::string>{pathInDocuments("varnelo.db")});
}

TEST_F(SingleInstanceTest, AFileHandedOverWhileTheLaunchShowsAnAlertOpensAfterTheLaunch) {
    InstanceHandover handover;
    becomeTheInstance(handover);
    const std::string notes = pathInHome("notes.db");
    writeFile(notes, "Just some text that is no SQLite database, long enough to hold a header.");
    const std::string later = makeDatabase(pathInHome("later.db"));
    QProcess* second = nullptr;
    Alert::setTestResponder([&](const Alert& alert, QWidget*) {
        alerts.push_back({alert.messageText.toStdString(), alert.informativeText.toStdString()});
        if (second) return 0;
        // While the launch's alert shows, a later start hands its file over and ends.
        second = startProgram({later});
        EXPECT_TRUE(QTest::qWaitFor([&] { return allEnded({second}); }, kTimeout));
        QCoreApplication::processEvents();
        return 0;
    });
    app->applicationOpenFiles({notes});
    app->applicationDidFinishLaunching();

    ASSERT_TRUE(second);
    EXPECT_TRUE(endedWell(*second));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Not a valid database file|" + notes);
    EXPECT_EQ(pathInSlot(0), pathInDocuments("varnelo.db"));
    EXPECT_EQ(pathInSlot(1), later);
    EXPECT_EQ(app->mainDatabaseWindow(), app->databaseWindowForWindowIndex(1));
}

TEST_F(SingleInstanceTest, AHomeOrLockFolderThatCannotBeWrittenEndsTheStartWithAnAlert) {
    // The home is a file: no folder can be made there.
    writeFile(pathInHome("file"), "x");
    setenv("VARNELO_HOME", pathInHome("file/home").c_str(), 1);
    InstanceHandover refused;
    EXPECT_EQ(startOrHandOver(refused, {}), 1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Varnelo cannot start");
    EXPECT_EQ(alerts[0].informativeText,
              "Cannot create the folder " + pathInHome("file/home") + ": Not a directory");
    EXPECT_EQ(alerts[0].style, Alert::Style::Critical);

    // The lock cannot be made where the instance keeps it.
    setenv("VARNELO_HOME", home().c_str(), 1);
    const std::string runtime = pathInHome("runtime");
    std::filesystem::create_directories(runtime);
    const std::string previous = qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString();
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    std::filesystem::create_directories((InstanceHandover::serverName() + ".lock").toStdString());
    InstanceHandover locked;
    EXPECT_EQ(startOrHandOver(locked, {}), 1);
    if (previous.empty()) {
        unsetenv("XDG_RUNTIME_DIR");
    } else {
        setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    }
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].messageText, "Varnelo cannot start");
    EXPECT_EQ(alerts[1].informativeText.rfind("cannot open " + runtime + "/varnelo-", 0), 0u)
        << alerts[1].informativeText;
}

TEST_F(SingleInstanceTest, FilesOnTheCommandLineKeepTheirBytesAndBecomeAbsolute) {
    const std::string latin1 = makeDatabase(pathInHome("caf\xE9.db"));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(home());
    std::string program = "varnelo", relative = "caf\xE9.db", dotted = "sub/../x.db",
                absolute = "/abs/y.db";
    char* argv[] = {program.data(), relative.data(), dotted.data(), absolute.data(), nullptr};
    const std::vector<std::string> files = commandLineFiles(4, argv);
    std::filesystem::current_path(previous);
    EXPECT_EQ(files, (std::vector<std::string>{latin1, pathInHome("x.db"), "/abs/y.db"}));
    app->applicationOpenFiles({files[0]});
    app->applicationDidFinishLaunching();
    EXPECT_EQ(pathInSlot(0), latin1);
    EXPECT_TRUE(alerts.empty());
}
