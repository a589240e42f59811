#pragma once
// The commands of the grid's selection and of the selected table as a whole: writing one value
// (the empty string, NULL or a typed text) into the selected cells, rows or fields, deleting the
// selected rows, adding blank rows and going to a row number. The rows written are those the
// selection resolves to (GridSelectionResolver.h); a write refuses when the rows or the fields
// changed since they were shown, so it never touches a row or field the user did not select.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/rows/GridSelectionResolver.h"

class DatabaseWindow;
class QDialog;
class QWidget;
class GridSurface;
struct TablesAndRowsState;

class CellCommands {
  public:
    // Rows a bulk command acts on at most.
    static constexpr size_t kBulkRowLimit = 1000;
    static constexpr int64_t kMaximumBlankRows = 10000;

    CellCommands(GridSurface& rows, DatabaseWindow& window);

    bool isSelectedTableInsertCapable() const;
    bool isSelectedTableUpdateCapable() const;
    bool isSelectedTableDeleteCapable() const { return isSelectedTableUpdateCapable(); }

    // Writes the value (nullopt for NULL) into the selection: whole fields in every row of the
    // table, whole rows (the first 1000) or the focused and selected cells. A type filter of 3
    // (Date) or 4 (Time) writes only fields of that type.
    void replaceSelectedFieldsWith(const DBValue& value, const std::string& table,
                                   int onlyIfFieldType);
    // Ask first, then write "" / NULL / the text typed into the selection.
    void clearMenuItemClicked();
    void setToNULLMenuItemClicked();
    QDialog* replaceMenuItemClicked();
    // The replace sheet's button: nullopt when written, else what its status line says.
    std::optional<std::string> replaceButtonPressed(const std::string& text);
    // Deletes the selected whole rows (the first 1000) after asking.
    void rowsTableViewDelete();
    void addOneBlankRow() { addSomeBlankRows(1); }
    // Asks for a count (LastNumberOfRowsAdded, else 100) and adds that many blank rows.
    QDialog* addBlankRows();
    // The count typed into the blank-rows sheet: nullopt when taken, else the refusal.
    std::optional<std::string> addBlankRowsButtonPressed(const std::string& text);
    // Blank rows in one transaction, then the object is shown again.
    void addSomeBlankRows(int64_t count);
    QDialog* goToRowMenuItemClicked();
    // Row number r (1 first): the grid jumps there; nullopt when done, else the refusal.
    std::optional<std::string> goToRowButtonPressed(const std::string& text);

  private:
    // Rows of the rows console that commands act on: one object, rows under the search.
    bool canChangeRows() const;
    // The table's rowids can be written by; otherwise an alert with that title says why.
    bool checkTableEditStatus(const std::string& table, const std::string& title);
    // The selection resolved for a write (GridSelectionResolver.h): at most the first
    // kBulkRowLimit whole rows; nullopt when refused or failed (told).
    std::optional<GridSelectionResolver::Resolved> resolveSelection();
    static std::vector<std::string> rowidsOf(const GridSelectionResolver::Resolved& resolved);
    // Writes the value into the named fields of the rows (every row for none), checked against
    // shown; false when refused or failed (told).
    bool writeRows(const std::vector<std::string>& rowids, const std::vector<std::string>& names,
                   const DBValue& value, const std::string& table, DBInterface::ShownRows shown);
    std::vector<std::string> eligibleFieldNames(const std::vector<FieldIndex>& fields,
                                                int onlyIfFieldType) const;
    void writeSelectedFields(const DBValue& value, const std::string& table, int filter);
    void writeSelectedRows(const DBValue& value, const std::string& table, int filter);
    void writeSelectedCells(const DBValue& value, const std::string& table, int filter);
    // Asks with the message and text (the whole-field note added when fields are selected) and
    // writes the value into the selection.
    void confirmAndReplace(const std::string& message, const std::string& text,
                           const std::string& button, const DBValue& value);
    // With whole fields selected, a note that every row is written, hidden ones too; else "".
    std::string wholeFieldsNote() const;
    void reloadGrid();
    QWidget* sheetWindow() const;

    GridSurface& rows_;
    DatabaseWindow& window_;
    TablesAndRowsState& state_;
};
