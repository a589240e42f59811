#pragma once
// What a console asks of the database window it belongs to. Consoles meet only here and in the
// window's state; none includes another's header.
#include <optional>
#include <string>

#include "mainwindow/TablesAndRowsState.h"

class QWidget;
class WindowShell;

class DatabaseWindow {
  public:
    virtual ~DatabaseWindow() = default;

    virtual TablesAndRowsState& state() = 0;
    virtual const TablesAndRowsState& state() const = 0;
    virtual WindowShell& shell() const = 0;
    // The top-level window, for sheets; nullptr before it is shown.
    virtual QWidget* window() const = 0;
    // The one object selected in the tables list; nullopt for none or several.
    virtual std::optional<std::string> selectedTableNameIfOnlyOne() const = 0;
    // The object selected last, also when several are.
    virtual std::optional<std::string> selectedTableName() const = 0;
    // Shows the console (TablesAndRowsState::ConsoleIndex).
    virtual void selectConsole(int console) = 0;
    // Shows the record console on the field (none for the first field shown).
    virtual void selectAddRowViewAtFieldIndex(FieldIndex field) = 0;
    // The row count changed: the labels that show it are updated.
    virtual void updateNumberOfRowsLabel() = 0;
    // Reloads the tables list and selects the named table (none: nothing selected);
    // firstFieldIndex -1 keeps the grid's first field.
    virtual void reloadTablesAndSelectTableNamed(const std::optional<std::string>& tableName,
                                                 int firstFieldIndex) = 0;
    // The tables list and the rows grid are disabled while an import writes to the database.
    virtual void enableUIWhileImportingFiles(bool enable) = 0;
    // Sheets on the window.
    virtual void showErrorAlert(const std::string& text, QWidget* window) = 0;
    virtual void showAlert(const std::string& title, const std::string& message,
                           QWidget* window) = 0;
};
