// The window layer's stand-ins: alerts answered by tests, desktop requests,
// work posted to the main thread and the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <sqlite3.h>

#include <atomic>
#include <optional>
#include <thread>

#include "platform/ui/Alert.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/MainThread.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Workspace.h"
#include "tests/support/OtherProgram.h"
#include "tests/support/QtApplication.h"

class PlatformUiTest : public ::testing::Test {
  protected:
    void SetUp() override { ensureQApplication(); }
    void TearDown() override {
        Alert::setTestResponder({});
        Workspace::setTestRecorder({});
    }
};

TEST_F(PlatformUiTest, AlertsReachTheResponderWithTheirButtonsAndWindow) {
    std::vector<std::pair<QStringList, QWidget*>> seen;
    Alert::setTestResponder([&](const Alert& alert, QWidget* window) {
        seen.emplace_back(alert.buttons, window);
        return 1;
    });
    Alert alert;
    alert.messageText = "Delete ALL rows?";
    alert.buttons = {"Delete ALL Rows", "Cancel"};
    EXPECT_EQ(alert.runModal(), 1);
    QWidget window;
    int pressed = -1;
    alert.beginSheetModalForWindow(&window, [&](int button) { pressed = button; });
    EXPECT_EQ(pressed, 1);
    alert.beginSheetModalForWindow(nullptr);  // no completion, no window: still answered
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].first, (QStringList{"Delete ALL Rows", "Cancel"}));
    EXPECT_EQ(seen[0].second, nullptr);
    EXPECT_EQ(seen[1].second, &window);
}

TEST_F(PlatformUiTest, DesktopRequestsCarryTheirArguments) {
    std::vector<std::pair<QString, QString>> requests;
    Workspace::setTestRecorder([&](const QString& kind, const QString& argument) {
        requests.emplace_back(kind, argument);
        return kind != "url";
    });
    EXPECT_FALSE(Workspace::openURL("https://example.org/help"));
    EXPECT_TRUE(Workspace::composeMail("", "Database & copy", "a=b", {"/tmp/x y.db"}));
    EXPECT_TRUE(Workspace::revealFile("/tmp/folder/file.db"));
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].second, "https://example.org/help");
    EXPECT_TRUE(requests[1].second.startsWith("mailto:?subject=Database %26 copy&body=a%3Db"))
        << requests[1].second.toStdString();
    EXPECT_TRUE(requests[1].second.contains("attach=/tmp/x y.db"));
    EXPECT_EQ(requests[2].second, "file:///tmp/folder");
}

TEST_F(PlatformUiTest, WorkPostedFromAnotherThreadRunsLaterOnTheMainThread) {
    std::atomic<bool> ranOnMain{false};
    std::thread worker([&] {
        performOnMainThread([&] {
            ranOnMain = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
    });
    worker.join();
    EXPECT_FALSE(ranOnMain);  // queued, not run at once
    QCoreApplication::processEvents();
    EXPECT_TRUE(ranOnMain);
}

TEST_F(PlatformUiTest, TheMainWindowIsForgottenWhenItResignsOrIsDeleted) {
    auto* first = new QWidget;
    QWidget second;
    makeKeyAndOrderFront(first);
    EXPECT_EQ(mainWindow(), first);
    EXPECT_TRUE(first->isVisible());
    resignMainWindow(&second);  // not the main one: nothing changes
    EXPECT_EQ(mainWindow(), first);
    delete first;
    EXPECT_EQ(mainWindow(), nullptr);
    setMainWindow(&second);
    resignMainWindow(&second);
    EXPECT_EQ(mainWindow(), nullptr);
    makeKeyAndOrderFront(nullptr);
    EXPECT_EQ(mainWindow(), nullptr);
}

TEST_F(PlatformUiTest, ActivationMakesADocumentMainWhilePanelsLeaveItAndOtherWindowsClearIt) {
    QWidget document, otherDocument, panel, preferences, undeclared;
    declareWindowRole(&document, WindowRole::Document);
    declareWindowRole(&otherDocument, WindowRole::Document);
    declareWindowRole(&panel, WindowRole::Panel);
    declareWindowRole(&preferences, WindowRole::Auxiliary);
    auto activate = [](QWidget* window) {
        QEvent event(QEvent::WindowActivate);
        QCoreApplication::sendEvent(window, &event);
    };
    activate(&document);
    EXPECT_EQ(mainWindow(), &document);
    activate(&panel);
    activate(&undeclared);  // an alert or a dialog
    EXPECT_EQ(mainWindow(), &document);
    activate(&otherDocument);
    EXPECT_EQ(mainWindow(), &otherDocument);
    activate(&preferences);
    EXPECT_EQ(mainWindow(), nullptr);
    makeKeyAndOrderFront(&panel);
    EXPECT_EQ(mainWindow(), nullptr);
    makeKeyAndOrderFront(&document);
    EXPECT_EQ(mainWindow(), &document);
    document.hide();
    EXPECT_EQ(mainWindow(), nullptr);
}

TEST_F(PlatformUiTest, AFilePanelShowsItsMessageAndNamesItsButtonByThePrompt) {
    QWidget window;
    window.show();
    FilePanel panel;
    panel.kind = FilePanel::Kind::Folder;
    panel.title = "Copy to Folder";
    panel.prompt = "Copy";
    panel.message = "Select a folder to copy the database in to";
    bool ended = false;
    panel.beginSheetModalForWindow(&window, [&](const QStringList&) { ended = true; });
    auto* dialog = window.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    auto* message = dialog->findChild<QLabel*>("filePanelMessage");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), panel.message);
    EXPECT_TRUE(message->isVisible());
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text(), "Copy");
    dialog->reject();
    EXPECT_TRUE(ended);
}

// Qt's own listing reads each file whose name leaves its type open; a database and its side
// files being written by this process are listed with a type, unopened, their locks kept.
TEST_F(PlatformUiTest, AFilePanelListsADatabaseAndItsSideFilesWithoutOpeningThem) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string db = folder.filePath("w.db").toStdString();
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer,
                           "pragma journal_mode = wal; create table t (a); begin immediate; "
                           "insert into t values (1)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string held = probeLocks(db);
    ASSERT_NE(held.find("write:refused range:held index:held writer:held"), std::string::npos)
        << held;

    QWidget window;
    window.show();
    FilePanel panel;
    panel.directory = folder.path();
    panel.allowsMultipleSelection = true;
    panel.beginSheetModalForWindow(&window, {});
    auto* dialog = window.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    auto* model = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    // Typed once the listing has looked at each of them.
    constexpr int kTypeColumn = 2;
    for (const char* name : {"w.db", "w.db-wal", "w.db-shm"}) {
        const QString path = folder.filePath(name);
        QTRY_VERIFY_WITH_TIMEOUT(!model->index(path, kTypeColumn).data().toString().isEmpty(),
                                 10000);
    }
    EXPECT_EQ(probeLocks(db), held);
    dialog->reject();
    sqlite3_close(writer);
}

TEST_F(PlatformUiTest, AnAlertWithAShortTextIsStillWideEnoughForItsWholeTitle) {
    const QString previous = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName("Varnelo");
    QWidget window;
    window.resize(600, 400);
    window.show();
    for (const char* text : {"file is not a database", "", "x"}) {
        Alert alert;
        alert.messageText = "Error";
        alert.informativeText = text;
        alert.beginSheetModalForWindow(&window);
        auto* box = window.findChild<QMessageBox*>();
        ASSERT_NE(box, nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(box->windowTitle(), "Varnelo");
        // The title bar holds the title in a font at least as large and bold as the box's,
        // beside its close, minimise and maximise buttons.
        QFont titleFont = box->font();
        titleFont.setBold(true);
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance("Varnelo");
        EXPECT_GE(box->width(), titleWidth + 3 * 32) << text;
        delete box;
    }
    QGuiApplication::setApplicationDisplayName(previous);
}

// Tests share one application: a Ctrl key click in one must not turn the next one's plain clicks
// and row selections into Ctrl-clicks.
TEST_F(PlatformUiTest, ATestStartsWithNoKeyHeldDownAfterAControlKeyClick) {
    QWidget field;
    QTest::keyClick(&field, Qt::Key_Period, Qt::ControlModifier);
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    SetUp();  // what the next test's set-up does
    EXPECT_EQ(QGuiApplication::keyboardModifiers(), Qt::NoModifier);
}

// Qt's dialog reads a quote in a typed name as the start of a list of names ("a" "b"): a name
// holding one chose another file, a save went to a file the user never named.
TEST_F(PlatformUiTest, AFileNameHoldingAQuoteIsTheFileChosen) {
    QTemporaryDir folder;
    const QString dir = folder.path();
    for (const char* name : {"in\"side.csv", "x.csv", "y.csv"}) {
        QFile file(dir + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QWidget window;
    window.show();
    struct Case {
        FilePanel::Kind kind;
        bool multiple;
        QString typed;
        QStringList chosen;
    };
    for (const Case& c :
         {Case{FilePanel::Kind::Save, false, "new\"name.txt", {"new\"name.txt"}},
          Case{FilePanel::Kind::Save, false, dir + "/o'k\"2.txt", {"o'k\"2.txt"}},
          Case{FilePanel::Kind::Open, false, "in\"side.csv", {"in\"side.csv"}},
          Case{FilePanel::Kind::Open, true, "in\"side.csv", {"in\"side.csv"}},
          Case{FilePanel::Kind::Open, true, "\"x.csv\" \"y.csv\"", {"x.csv", "y.csv"}},
          Case{FilePanel::Kind::Save, false, "plain.txt", {"plain.txt"}}}) {
        FilePanel panel;
        panel.kind = c.kind;
        panel.allowsMultipleSelection = c.multiple;
        panel.directory = dir;
        panel.message = "m";  // the program's own dialog, as on a desktop without a native one
        std::optional<QStringList> paths;
        panel.beginSheetModalForWindow(&window, [&](const QStringList& chosen) { paths = chosen; });
        auto* dialog = window.findChild<QFileDialog*>();
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        edit->setText(c.typed);
        QString asked;  // a question or warning the dialog put up instead of choosing
        QTimer::singleShot(500, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                box->reject();
            }
        });
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return paths.has_value(); }, 2000))
            << c.typed.toStdString();
        QStringList expected;
        for (const QString& name : c.chosen) expected << dir + "/" + name;
        EXPECT_EQ(paths->join('|').toStdString(), expected.join('|').toStdString());
        EXPECT_EQ(asked, "") << c.typed.toStdString();
        QTest::qWait(0);  // the dialog deletes itself
        delete window.findChild<QFileDialog*>();
    }
}
