#pragma once
// What a console asks of the database window it belongs to. Consoles meet only here and in the
// window's state; none includes another's header.
#include <QRect>

#include <optional>
#include <string>
#include <vector>

#include "mainwindow/TablesAndRowsState.h"

class QWidget;
class WindowShell;

class DatabaseWindow {
  public:
    virtual ~DatabaseWindow() = default;

    virtual TablesAndRowsState& state() = 0;
    virtual const TablesAndRowsState& state() const = 0;
    virtual WindowShell& shell() const = 0;
    // The window's slot.
    virtual int windowIndex() const = 0;
    // The top-level window, for sheets; nullptr before it is shown.
    virtual QWidget* window() const = 0;
    // The one object selected in the tables list; nullopt for none or several.
    virtual std::optional<std::string> selectedTableNameIfOnlyOne() const = 0;
    // The selected objects in list order.
    virtual std::vector<std::string> selectedTableNames() const = 0;
    // The object selected last, also when several are.
    virtual std::optional<std::string> selectedTableName() const = 0;
    virtual void selectConsole(TablesAndRowsState::ConsoleIndex console) = 0;
    // Shows the record console on the field (none for the first field shown).
    virtual void selectAddRowViewAtFieldIndex(FieldIndex field) = 0;
    // The row count changed: the labels that show it are updated.
    virtual void updateNumberOfRowsLabel() = 0;
    // Tells the consoles that rows of the shown object were added, written or deleted.
    virtual void rowsDidChange() = 0;
    // The grid's focus moves by rows (negative up) and its page is loaded, for the record editor
    // that follows it.
    virtual void moveFocusedRowBy(int64_t offset) = 0;
    // The grid's focus, page or loaded values changed: consoles and panels that follow it are
    // told.
    virtual void focusDidMove() = 0;
    // A write from the page or the record editor was refused: its row was deleted
    // (DBInterface::kRowGone), its rows changed (kRowsChanged) or the table's fields changed
    // (kFieldsChanged) in another window or program since they were read. The alert shows the
    // message on alertWindow (application-modal for nullptr); after a row refused, the rows are
    // read again once the event that wrote has ended.
    virtual void writeRefused(int refusal, const std::string& message, QWidget* alertWindow) = 0;
    // Values were written into cells of the loaded page: the grid reads the page back and
    // redraws it.
    virtual void pageWasWritten() = 0;
    // The version of the database file now, to be compared with the version the page was read
    // at (LoadedPage.h); -1 for a file the window does not show.
    virtual int64_t fileVersion(const std::string& databaseFilePath) = 0;
    // The grid's focused cell on the screen; nullopt while none is shown.
    virtual std::optional<QRect> focusedCellScreenRect() const = 0;
    // The edit-field panel over the grid's focused cell.
    virtual void showEditFieldPanel() = 0;
    // The edit-field panel as a sheet over a field of the record editor, with its buffer's value;
    // its end comes back through editFieldSheetDidEnd.
    virtual void showEditFieldSheet(FieldIndex field, const DBValue& value) = 0;
    virtual void editFieldSheetDidEnd(FieldIndex field, const std::optional<std::string>& text) = 0;
    // The edit-field panel over the grid closes: what it showed is about to move.
    virtual void closeEditFieldPanel() = 0;
    // Reads the selected object again: its field model, stored sort settings and first page.
    // Any search in force ends.
    virtual void reloadSelectedDatabaseObject() = 0;
    // The state's sort or search changed: the consoles show the rows under it, the field model
    // kept.
    virtual void sortOrSearchDidChange() = 0;
    virtual void updateWindowTitle() = 0;
    // The tables list is read again; the selection is not touched.
    virtual void reloadTables() = 0;
    // After a schema change: the tables list is read again and the named object selected.
    virtual void reloadTablesAndSelectTableNamed(const std::optional<std::string>& tableName) = 0;
    // The tables list, the rows grid and the record editor's Add are disabled while an import
    // writes to the database.
    virtual void enableUIWhileImportingFiles(bool enable) = 0;
    // Reads the database's picker types and values into the state again.
    virtual void reloadPickerTypes() = 0;
    // Sheets on the window.
    virtual void showErrorAlert(const std::string& text, QWidget* window) = 0;
    virtual void showAlert(const std::string& title, const std::string& message,
                           QWidget* window) = 0;
    virtual void showInfoAlert(const std::string& title, const std::string& info,
                               QWidget* window) = 0;
};
