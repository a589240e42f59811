#pragma once
// Routes the main menu's commands: each item carries its action name (the object name) and its
// tag (the action's data). A command reaches the main database window's controller or the
// application; it runs only when bound and when its rule enables it at that moment, because a
// key equivalent fires without its menu ever being shown. The consoles and panels that other
// work adds bind their commands here by action name; until then their items stay disabled.
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <string>

#include "app/MenuRules.h"

class AppDelegate;
class QAction;
class QMenu;
class TablesAndRowsController;
struct WindowParts;

class MenuRouter : public QObject {
    Q_OBJECT

  public:
    using WindowCommand = std::function<void(WindowParts&)>;
    using ApplicationCommand = std::function<void()>;
    using WindowQuery = std::function<bool(WindowParts&)>;

    explicit MenuRouter(AppDelegate& app);

    // A command of the main database window; it never runs without one.
    void bindWindowCommand(const std::string& action, WindowCommand command);
    // A command of the application, run whatever window is main.
    void bindApplicationCommand(const std::string& action, ApplicationCommand command);
    bool isBound(const std::string& action) const;
    // Whether the main window's expanded fields panel is hidden; hidden while unbound.
    void bindExpandedFieldsPanelHidden(WindowQuery query);

    MainWindowMenuContext mainWindowMenuContext() const;
    // Enables the item by its rule and sets the toggle items' titles; answers the enabling.
    bool validateMenuItem(QAction* item) const;
    // Validates every item of the menu as it is about to show.
    void menuNeedsUpdate(QMenu* menu) const;
    // The item's command, when bound and enabled now.
    void menuItemClicked(QAction* item);
    // The command of that action and tag, the same way.
    void runMenuCommand(const std::string& action, int tag);

    // ---- Commands of the main database window ----
    // Shows the console in the main window and marks its toolbar segment.
    void selectConsoleOfMainWindow(TablesAndRowsState::ConsoleIndex console);
    void selectPreviousViewMenuItemClicked();
    void selectNextViewMenuItemClicked();
    // Toggle the main window's tables list and toolbar, keeping the per-slot arrays.
    void showTablesViewMenuItemClicked();
    void showToolbarMenuItemClicked();

  private:
    void toggleSlotFlag(const char* key, void (TablesAndRowsController::*show)(bool));

    AppDelegate& app_;
    std::map<std::string, WindowCommand> windowCommands_;
    std::map<std::string, ApplicationCommand> applicationCommands_;
    WindowQuery expandedFieldsPanelHidden_;
};

// The item's action name and tag.
std::string menuItemAction(const QAction* item);
int menuItemTag(const QAction* item);
