// The application's own commands (New Window, Close, Preferences, Quit) answer their keys in
// every window of the program, as a user presses them with that window in front; Close closes
// the window in front, not the database window behind it.
#include <QAction>
#include <QMenuBar>

#include <functional>

#include "app/DiagnosticsWindow.h"
#include "app/ImagesWindow.h"
#include "app/MathPanel.h"
#include "app/MenuRouter.h"
#include "app/PreferencesWindow.h"
#include "design/PickerTypesWindow.h"
#include "design/SortPanel.h"
#include "design/TableSchemaWindow.h"
#include "design/WebBookmarksWindow.h"
#include "exchange/ClipboardWindow.h"
#include "platform/ui/MainWindow.h"
#include "tests/mainwindow/ControllerTest.h"

class ApplicationKeysTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        makeRowsTable(3);
        show("t");
        database = app->databaseWindowForWindowIndex(0);
    }

    // The item of database window 0's menu bar, clicked there.
    void click(const char* action) {
        toFront(database);
        app->databaseWindowForWindowIndex(0)->menuBar()->findChild<QAction*>(action)->trigger();
        QApplication::processEvents();
    }
    // A panel counts as active while its database window is; the keys go to the window that
    // the window system made active.
    static void toFront(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
    }
    // The keys pressed where the window in front has its focus.
    static void press(QWidget* window, Qt::Key key) {
        toFront(window);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, key, Qt::ControlModifier);
        QApplication::processEvents();
    }

    QWidget* database = nullptr;
};

TEST_F(ApplicationKeysTest, CloseClosesTheWindowInFrontWhicheverItIs) {
    WindowParts& parts = *app->windowPartsForWindowIndex(0);
    const std::pair<const char*, std::function<QWidget*()>> windows[] = {
        {"pickerTypesMenuItemClicked", [&] { return parts.pickerTypes.pickerTypesWindow(); }},
        {"webBrowserBookmarksMenuItemClicked",
         [&] { return parts.webBookmarks.webBrowserBookmarksWindow(); }},
        {"schemaMenuItemClicked", [&] { return parts.tableSchema.tableSchemaPanel(); }},
        {"sortFieldsMenuItemClicked", [&] { return parts.sort.sortPanel(); }},
        {"openDocument", [&] { return &parts.databases; }},
        {"imagesWindowMenuItemClicked", [&] { return &app->imagesWindow(); }},
        {"showPreferences", [&] { return app->preferencesWindow(); }},
        {"showDiagnosticsWindow", [&] { return app->diagnosticsWindow(); }},
        {"clipboardContentsWindowMenuItemClicked", [&] { return &app->clipboardWindow(); }},
        {"mathMenuItemClicked", [&] { return &app->mathPanel(); }},
    };
    for (const auto& [action, windowOf] : windows) {
        SCOPED_TRACE(action);
        click(action);
        QWidget* window = windowOf();
        ASSERT_TRUE(window->isVisible());
        press(window, Qt::Key_W);
        EXPECT_FALSE(window->isVisible());
        ASSERT_TRUE(database->isVisible());
    }
    // With the last database window in front, the key closes it.
    press(database, Qt::Key_W);
    EXPECT_FALSE(database->isVisible());
}

TEST_F(ApplicationKeysTest, QuitNewWindowAndPreferencesAnswerInWindowsWithoutTheMenuBar) {
    int quits = 0;
    app->menuRouter().bindApplicationCommand("terminate", [&quits] { ++quits; });
    click("imagesWindowMenuItemClicked");
    QWidget* images = &app->imagesWindow();
    press(images, Qt::Key_Q);
    EXPECT_EQ(quits, 1);
    press(images, Qt::Key_Comma);
    ASSERT_TRUE(app->preferencesWindow()->isVisible());
    press(app->preferencesWindow(), Qt::Key_Q);
    EXPECT_EQ(quits, 2);

    click("showDiagnosticsWindow");
    QWidget* diagnostics = app->diagnosticsWindow();
    press(diagnostics, Qt::Key_Q);
    EXPECT_EQ(quits, 3);
    press(diagnostics, Qt::Key_N);
    EXPECT_TRUE(app->databaseWindowForWindowIndex(1)->isVisible());
}
