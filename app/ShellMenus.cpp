#include "app/ShellMenus.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

#include <vector>

#include "app/MenuRouter.h"
#include "platform/ui/TextFieldKeys.h"

namespace {

struct Item {
    const char* title;  // nullptr: a separator
    const char* action = "";
    int tag = 0;
    QKeySequence keys = {};
    // The application's own command: its key answers from every window of the program.
    bool fromEveryWindow = false;
};

// The keys are made on use: a key sequence needs the application. Close and Quit have the keys
// of the Linux desktops also where the platform's theme gives them others or none.
// Items needing a main database window carry 730-739, those needing it to show a database
// 720-729.
std::vector<Item> fileMenu() {
    return {
        {"New Window", "openNewWindow", 0, QKeySequence::New, true},
        {"Open…", "openDocument", 0, QKeySequence::Open},
        {"Open External Database…", "openExternalDatabase", 0, QKeySequence("Ctrl+Shift+O")},
        {"Show Databases Folder", "databasesWindowMenuItemClicked"},
        {"Rename Database…", "renameDatabaseMenuItemClicked"},
        {nullptr},
        {"Send Database by E-mail…", "shareCurrentDatabaseUsingEmail", 721},
        {"Copy Database to Folder…", "copyDatabaseToFolder", 722},
        {"Copy Database to Dropbox…", "uploadToDropbox", 723},
        {nullptr},
        {"Close", "performClose", 0, QKeySequence("Ctrl+W"), true},
        {"Preferences…", "showPreferences", 0, QKeySequence("Ctrl+,"), true},
        {"Quit", "terminate", 0, QKeySequence("Ctrl+Q"), true},
    };
}

std::vector<Item> editMenu() {
    return {
        {"Cut", "cut", 0, QKeySequence::Cut},
        {"Copy", "copy", 0, QKeySequence::Copy},
        {"Paste", "paste", 0, QKeySequence::Paste},
        {"Delete", "delete", 0, QKeySequence("Ctrl+Backspace")},
        {"Select All", "selectAll", 730, QKeySequence::SelectAll},
        {"Deselect All", "deselectAllMenuItemClicked", 0, QKeySequence("Ctrl+Shift+A")},
        {nullptr},
        {"Copy for Export", "copyForExportMenuItemClicked", 0, QKeySequence("Ctrl+Alt+C")},
        {"Paste Rows", "pasteRowsMenuItemClicked", 0, QKeySequence("Ctrl+Alt+V")},
        {nullptr},
        {"Clear", "clearMenuItemClicked"},
        {"Replace…", "replaceMenuItemClicked", 0, QKeySequence("Ctrl+Alt+R")},
        {"Set to NULL", "setToNULLMenuItemClicked", 0, QKeySequence("Ctrl+Alt+N")},
        {"Edit Field in Panel", "editFieldInPanelMenuItemClicked", 0, QKeySequence("Ctrl+E")},
    };
}

std::vector<Item> tableMenu() {
    return {
        {"Add Blank Table", "addBlankTableMenuItemClicked", 724, QKeySequence("Ctrl+Shift+T")},
        {"Add Table from Clipboard", "addTableFromClipboardMenuItemClicked", 725},
        {"Duplicate Table", "duplicateTableMenuItemPressed"},
        {"Create View…", "createViewMenuItemPressed"},
        {nullptr},
        {"Name and Fields…", "nameAndFieldsMenuItemClicked", 0, QKeySequence("Ctrl+Shift+F")},
        {"Schema", "schemaMenuItemClicked"},
        {"Sort…", "sortFieldsMenuItemClicked", 0, QKeySequence("Ctrl+Shift+S")},
        {"Search…", "searchMenuItemClicked", 0, QKeySequence::Find},
        {nullptr},
        {"Hidden", "hiddenMenuItemClicked", 726},
        {"Show Hidden Tables", "showHiddenTablesMenuItemClicked", 726},
        {"Reload Tables", "reloadTablesMenuItemClicked", 720, QKeySequence("Ctrl+R")},
        {nullptr},
        {"Picker Types…", "pickerTypesMenuItemClicked", 727},
        {"Web Bookmarks…", "webBrowserBookmarksMenuItemClicked", 728},
    };
}

std::vector<Item> rowsMenu() {
    return {
        {"Add One Blank Row", "addOneBlankRowItemClicked", 731, QKeySequence("Ctrl+Shift+N")},
        {"Add Blank Rows…", "addBlankRowsItemClicked"},
        {"Go to Row…", "goToRowMenuItemClicked", 0, QKeySequence("Ctrl+G")},
        {"Choose Location…", "chooseLocationMenuItemClicked", 731},
        {nullptr},
        {"Delete All Rows…", "deleteAllRowsMenuItemClicked"},
    };
}

std::vector<Item> viewMenu() {
    return {
        {"Tables List", "tablesViewMenuItemClicked", 730, QKeySequence("Ctrl+0")},
        {"Rows", "rowsViewMenuItemClicked", 731, QKeySequence("Ctrl+1")},
        {"Record", "addRowViewMenuItemClicked", 731, QKeySequence("Ctrl+2")},
        {"SQL", "sqlViewMenuItemClicked", 732, QKeySequence("Ctrl+3")},
        {"Import", "importViewMenuItemClicked", 733, QKeySequence("Ctrl+4")},
        {"Export", "exportViewMenuItemClicked", 734, QKeySequence("Ctrl+5")},
        {"Print", "printViewMenuItemClicked", 735, QKeySequence("Ctrl+6")},
        {"Previous Console", "selectPreviousViewMenuItemClicked", 736, QKeySequence("Ctrl+[")},
        {"Next Console", "selectNextViewMenuItemClicked", 736, QKeySequence("Ctrl+]")},
        {nullptr},
        {"Hide Tables List", "showTablesViewMenuItemClicked", 737, QKeySequence("Ctrl+Alt+T")},
        {"Hide Toolbar", "showToolbarMenuItemClicked", 738, QKeySequence("Ctrl+Alt+B")},
        {"Show Expanded Fields", "showExpandedFieldsMenuItemClicked", 739},
    };
}

std::vector<Item> windowMenu() {
    return {
        {"Images", "imagesWindowMenuItemClicked"},
        {"Clipboard", "clipboardContentsWindowMenuItemClicked"},
        {"Map", "showMapPanel"},
        {"Math", "mathMenuItemClicked"},
        {nullptr},
        {"Diagnostics", "showDiagnosticsWindow"},
    };
}

std::vector<Item> helpMenu() {
    return {
        {"Getting Started", "gettingStartedMenuItemClicked"},
        {"Sample Databases", "sampleDatabasesMenuItemClicked"},
        {"Tutorials", "tutorialsMenuItemClicked"},
        {"Support", "supportMenuItemClicked"},
    };
}

void addMenu(QMainWindow* window, MenuRouter* router, const char* title,
             const std::vector<Item>& items) {
    QMenu* menu = window->menuBar()->addMenu(QObject::tr(title));
    for (const Item& item : items) {
        if (!item.title) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QObject::tr(item.title));
        action->setObjectName(item.action);
        action->setData(item.tag);
        action->setShortcut(item.keys);
        QObject::connect(action, &QAction::triggered, router,
                         [router, action] { router->menuItemClicked(action); });
    }
    QObject::connect(menu, &QMenu::aboutToShow, router,
                     [router, menu] { router->menuNeedsUpdate(menu); });
    // A key equivalent reaches only an enabled item: between showings every item is enabled
    // and its command checks its rule itself.
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] {
        for (QAction* action : menu->actions()) action->setEnabled(true);
    });
}

// Only the database windows have the menu bar, and the panels over them reach it; in the other
// windows (images, diagnostics, preferences, sheets, floating panels of their own) the keys of
// the application's own commands that no widget took come here. Before any shortcut, a text
// field with the keyboard claims the keys of text editing from the menus.
class ApplicationKeys : public QObject {
  public:
    explicit ApplicationKeys(MenuRouter* router) : QObject(router), router_(router) {
        for (const Item& item : fileMenu()) {
            if (item.fromEveryWindow) items_.push_back(item);
        }
        if (qApp) qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            if (!isKeyOfFocusedTextField(static_cast<QKeyEvent*>(event))) return false;
            event->accept();
            return true;
        }
        if (event->type() != QEvent::KeyPress) return false;
        if (keyLeftByTextField(watched, static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        // A key reaches its window after every widget in it declined it. A menu keeps its
        // keys, and an alert waits for its answer.
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || !window->isWindow() || window->windowType() == Qt::Popup ||
            window->windowModality() == Qt::ApplicationModal) {
            return false;
        }
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const Item& item : items_) {
            if (item.keys != pressed) continue;
            router_->runMenuCommand(item.action, item.tag);
            return true;
        }
        return false;
    }

  private:
    // A text key the focused field had no use for, on its way to the widgets behind the field.
    static bool keyLeftByTextField(QObject* watched, const QKeyEvent* key) {
        QWidget* focus = QApplication::focusWidget();
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget && widget != focus && widget->isAncestorOf(focus) &&
               isKeyOfFocusedTextField(key);
    }

    MenuRouter* router_;
    std::vector<Item> items_;
};

}  // namespace

void answerApplicationKeysInEveryWindow(MenuRouter* router) {
    new ApplicationKeys(router);
}

void addShellMenus(QMainWindow* window, MenuRouter* router) {
    addMenu(window, router, "&File", fileMenu());
    addMenu(window, router, "&Edit", editMenu());
    addMenu(window, router, "&Table", tableMenu());
    addMenu(window, router, "&Rows", rowsMenu());
    addMenu(window, router, "&View", viewMenu());
    addMenu(window, router, "&Window", windowMenu());
    addMenu(window, router, "&Help", helpMenu());
}
