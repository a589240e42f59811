// Everything the window offers leads somewhere: each item of the menu bar and of the tables
// list's menu, opened and clicked as a user does on a window showing a database with a table
// selected, is either disabled by its rule or changes something the user sees. Every item runs
// on a fresh copy of the database in a fresh application home, so no item depends on another.
// And every window class of the program is built by the program itself, not only by tests.
#include <QAction>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "app/MenuRouter.h"
#include "exchange/TextEntrySheet.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Workspace.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/Menus.h"

namespace fs = std::filesystem;

namespace {

// Items whose effect a test cannot see: Quit ends the process's event loop, which a test does
// not run.
const std::set<std::string> kNotWalked = {"terminate"};

}  // namespace

class ReachabilityTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        Workspace::setTestRecorder([this](const QString& kind, const QString& argument) {
            desktopRequests.push_back((kind + " " + argument).toStdString());
            return true;
        });
        TextEntrySheet::setTestResponder([this](const TextEntrySheet&) {
            ++textSheets;
            return std::optional<QString>();
        });
        // Dialogs run by the commands themselves are answered by closing them, and counted.
        modalWatch.setInterval(10);
        QObject::connect(&modalWatch, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++modalsClosed;
                modal->close();
            }
        });
        modalWatch.start();
        fixtureHome = home();
    }

    void TearDown() override {
        modalWatch.stop();
        closeEverything();
        app.reset();
        setenv("VARNELO_HOME", fixtureHome.c_str(), 1);
        setenv("XDG_DATA_HOME", fixtureHome.c_str(), 1);
        Workspace::setTestRecorder({});
        TextEntrySheet::setTestResponder({});
        ControllerTest::TearDown();
    }

    // A new application in a new home showing a new database: table t with rows, a view, an
    // index, a trigger and a hidden table, t selected and a cell of it focused in the grid.
    TablesAndRowsController* freshWindow() {
        closeEverything();
        app.reset();
        std::string pattern = fixtureHome + "/run-XXXXXX";
        EXPECT_NE(mkdtemp(pattern.data()), nullptr);
        setenv("VARNELO_HOME", pattern.c_str(), 1);
        setenv("XDG_DATA_HOME", pattern.c_str(), 1);
        app = std::make_unique<AppDelegate>();
        UserDefaults::standard().setInteger(15, "SchemaObjectTypesToShow");
        db = pathInDocuments("test.db");
        makeRowsTable(5);
        run("create view v as select name from t; create index i on t(name); create trigger tr "
            "after insert on t begin select 1; end; create table h(x); insert into h values (1)");
        std::string error;
        EXPECT_EQ(DBInterface::updateSystemTable("h", 8192, true, db, &error), 0) << error;
        TablesAndRowsController* c = show("t");
        makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
        QApplication::processEvents();
        RowsTableView* grid = rowsOf(c)->rowsTableView();
        grid->setFocus();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(1, 1)).center());
        QApplication::clipboard()->setText("before");
        alertAnswer = 1;  // the second button: Cancel, where the alert asks
        return c;
    }

    void closeEverything() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) window->close();
        }
        QApplication::processEvents();
    }

    // What the user sees: windows, panels and sheets shown, alerts, the clipboard, the files
    // and settings written, and the state each database window shows.
    std::string seen() const {
        std::vector<std::string> parts;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || qobject_cast<QMenu*>(window)) continue;
            parts.push_back(std::string(window->metaObject()->className()) + ":" +
                            window->objectName().toStdString() + ":" +
                            window->windowTitle().toStdString());
        }
        std::sort(parts.begin(), parts.end());
        std::ostringstream text;
        for (const std::string& part : parts) text << part << "\n";
        text << "alerts " << alerts.size() << " panels " << panelTitles.size() << " desktop "
             << desktopRequests.size() << " text sheets " << textSheets << " dialogs "
             << modalsClosed << "\n";
        const QMimeData* clipboard = QApplication::clipboard()->mimeData();
        text << "clipboard " << (clipboard ? clipboard->formats().join(",").toStdString() : "")
             << " " << QApplication::clipboard()->text().toStdString() << "\n";
        text << "file " << std::hash<std::string>()(readFile(db)) << " defaults "
             << std::hash<std::string>()(readFile(UserDefaults::standard().filePath())) << "\n";
        QWidget* focus = QApplication::focusWidget();
        text << "focus " << (focus ? focus->objectName().toStdString() : "") << "\n";
        for (int slot = 0; slot < 5; ++slot) {
            TablesAndRowsController* c = app->tablesAndRowsControllerForWindowIndex(slot);
            if (!c) continue;
            const auto& selection = c->state().selection;
            text << slot << " console " << c->selectedConsole() << " tables "
                 << c->isTablesViewShown() << " toolbar " << c->isConsoleToolbarShown() << " rows "
                 << c->state().dataPort.totalRows << " focus " << selection.focusedRowIndex.value
                 << "," << selection.focusedFieldIndex.value << " selected "
                 << selection.mySelectedCells.size() << "," << selection.mySelectedRowIndexes.size()
                 << "," << selection.mySelectedFieldIndexes.size() << " list";
            for (int row = 0; row < c->tablesTableView()->count(); ++row) {
                QListWidgetItem* item = c->tablesTableView()->item(row);
                text << " " << item->text().toStdString() << (item->isSelected() ? "*" : "");
            }
            text << "\n";
        }
        return text.str();
    }

    // Runs the click and answers how the walk found the item. An item checked as the menu
    // opened (the console shown) may leave everything as it is.
    std::string outcome(QAction* item, const std::function<void()>& click) {
        if (!item->isEnabled()) return "disabled";
        bool checked = menuItemState(item) == 1;
        std::string before = seen();
        click();
        QTest::qWait(30);
        if (seen() != before) return "acts";
        return checked ? "in force" : "does nothing";
    }

    // Opens the menu of the menu bar by a click on its title and clicks the item, on a fresh
    // window for each item.
    void walkMenuBarMenu(const QString& title) {
        std::vector<std::string> actions;
        {
            freshWindow();
            actions = itemsOf(menuTitled(title));
        }
        ASSERT_FALSE(actions.empty()) << title.toStdString();
        for (const std::string& action : actions) {
            // An item without a command would be disabled whatever its rule says.
            EXPECT_TRUE(app->menuRouter().isBound(action)) << action << " has no command";
            if (kNotWalked.count(action)) continue;
            freshWindow();
            QMenu* menu = menuTitled(title);
            QMenuBar* bar = app->databaseWindowForWindowIndex(0)->menuBar();
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->actionGeometry(menu->menuAction()).center());
            QApplication::processEvents();
            ASSERT_TRUE(menu->isVisible()) << title.toStdString();
            QAction* item = menu->findChild<QAction*>(QString::fromStdString(action));
            std::string found = outcome(item, [&] { clickMenuItem(menu, item); });
            if (menu->isVisible()) menu->close();
            EXPECT_NE(found, "does nothing") << action << " of the " << title.toStdString()
                                             << " menu is enabled but changes nothing";
            walked[action] = found;
        }
    }

    QMenu* menuTitled(const QString& title) const {
        for (QAction* item : app->databaseWindowForWindowIndex(0)->menuBar()->actions()) {
            if (item->menu() && item->text() == title) return item->menu();
        }
        ADD_FAILURE() << "no menu " << title.toStdString();
        return nullptr;
    }

    static std::vector<std::string> itemsOf(QMenu* menu) {
        std::vector<std::string> actions;
        for (QAction* item : menu->actions()) {
            if (!item->isSeparator()) actions.push_back(item->objectName().toStdString());
        }
        return actions;
    }

    std::string fixtureHome;
    std::vector<std::string> desktopRequests;
    int textSheets = 0;
    int modalsClosed = 0;
    QTimer modalWatch;
    std::map<std::string, std::string> walked;
};

TEST_F(ReachabilityTest, FileAndEditMenus) {
    walkMenuBarMenu("&File");
    walkMenuBarMenu("&Edit");
    // The focused cell of a table is copied, cut and edited; deleting needs whole rows.
    EXPECT_EQ(walked["copy"], "acts");
    EXPECT_EQ(walked["cut"], "acts");
    EXPECT_EQ(walked["delete"], "disabled");
    EXPECT_EQ(walked["editFieldInPanelMenuItemClicked"], "acts");
}

TEST_F(ReachabilityTest, TableAndRowsMenus) {
    walkMenuBarMenu("&Table");
    walkMenuBarMenu("&Rows");
    EXPECT_EQ(walked["hiddenMenuItemClicked"], "acts");
    EXPECT_EQ(walked["addOneBlankRowItemClicked"], "acts");
}

TEST_F(ReachabilityTest, ViewWindowAndHelpMenus) {
    walkMenuBarMenu("&View");
    walkMenuBarMenu("&Window");
    walkMenuBarMenu("&Help");
    EXPECT_EQ(walked["rowsViewMenuItemClicked"], "in force");
    EXPECT_EQ(walked["sqlViewMenuItemClicked"], "acts");
}

TEST_F(ReachabilityTest, TablesListMenuOnATableAndOnAnIndex) {
    for (const char* object : {"t", "i"}) {
        std::vector<std::string> actions;
        TablesAndRowsController* c = freshWindow();
        QListWidget* list = c->tablesTableView();
        auto rowOf = [&list](const char* name) {
            return list->visualItemRect(list->findItems(name, Qt::MatchExactly).first()).center();
        };
        withContextMenu(list->viewport(), rowOf(object),
                        [&](QMenu* menu) { actions = itemsOf(menu); });
        ASSERT_GT(actions.size(), 10u);
        std::map<std::string, std::string> found;
        for (const std::string& action : actions) {
            c = freshWindow();
            list = c->tablesTableView();
            bool opened = withContextMenu(list->viewport(), rowOf(object), [&](QMenu* menu) {
                QAction* item = menu->findChild<QAction*>(QString::fromStdString(action));
                found[action] = outcome(item, [&] { clickMenuItem(menu, item); });
            });
            ASSERT_TRUE(opened) << action;
            EXPECT_NE(found[action], "does nothing") << action << " of the tables list's menu on "
                                                     << object << " is enabled but changes nothing";
        }
        if (std::string(object) == "i") {
            // An index offers its schema and the commands of the whole list, nothing more.
            for (const char* action :
                 {"tablesNamesAndFieldsMenuItemClicked", "tablesSortFieldsMenuItemClicked",
                  "tablesDuplicateTableMenuItemClicked", "tablesCreateViewMenuItemClicked",
                  "tablesSpecialTableMenuItemClicked", "hiddenMenuItemClicked",
                  "deleteAllRowsMenuItemClicked"}) {
                EXPECT_EQ(found[action], "disabled") << action;
            }
            EXPECT_EQ(found["tablesSchemaMenuItemClicked"], "acts");
        }
        EXPECT_EQ(found["deleteTableButtonPressed"], "acts") << object;
    }
}

// Every class of the program's windows (a QObject or a window panel or console) is built
// somewhere in the program's own sources, so that what it offers is reachable by a user.
TEST(ProgramClassesTest, EveryWindowClassIsBuiltByTheProgram) {
    const fs::path root = fs::path(VARNELO_SOURCE_DIR);
    std::map<std::string, std::string> sources;
    for (const char* folder : {"app", "design", "exchange", "mainwindow", "platform"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            std::string extension = entry.path().extension().string();
            if (extension == ".h" || extension == ".cpp") {
                sources[entry.path().string()] = readFile(entry.path().string());
            }
        }
    }
    const std::regex declaration(R"(\nclass (\w+)(?: final)? : public ([\w:]+)[^{;]*\{)");
    const std::set<std::string> windowBases = {"QObject",           "QWidget",     "QDialog",
                                               "QMainWindow",       "WindowPanel", "Console",
                                               "QTableView",        "QListWidget", "QPlainTextEdit",
                                               "QAbstractItemView", "QFrame",      "QLabel"};
    std::vector<std::string> classes;
    std::multimap<std::string, std::string> derived;  // base -> class
    for (const auto& [path, text] : sources) {
        if (fs::path(path).extension() != ".h") continue;
        for (std::sregex_iterator match(text.begin(), text.end(), declaration), end; match != end;
             ++match) {
            derived.emplace((*match)[2], (*match)[1]);
            if (windowBases.count((*match)[2])) classes.push_back((*match)[1]);
        }
    }
    ASSERT_GT(classes.size(), 30u);
    // A base class is built as one of its subclasses.
    std::function<bool(const std::string&)> isBuilt = [&](const std::string& name) {
        // Made by new or make_unique, as a variable or member, or as a temporary; never by
        // its own header, and never on a line defining its own members.
        const std::regex built("(new " + name + R"(\b|make_unique<)" + name + R"(>|\b)" + name +
                               R"(\s+\w+\s*[({;=]|\b)" + name + R"(\s*[({][^)}]))");
        bool direct = std::any_of(sources.begin(), sources.end(), [&](const auto& source) {
            if (fs::path(source.first).filename() == name + ".h" ||
                source.second.find(name) == std::string::npos) {
                return false;
            }
            std::istringstream lines(source.second);
            for (std::string line; std::getline(lines, line);) {
                if (line.find(name + "::") == std::string::npos && std::regex_search(line, built)) {
                    return true;
                }
            }
            return false;
        });
        auto [first, last] = derived.equal_range(name);
        return direct ||
               std::any_of(first, last, [&](const auto& sub) { return isBuilt(sub.second); });
    };
    std::vector<std::string> unbuilt;
    for (const std::string& name : classes) {
        if (!isBuilt(name)) unbuilt.push_back(name);
    }
    EXPECT_TRUE(unbuilt.empty()) << "built by tests only: " << ::testing::PrintToString(unbuilt);
}
