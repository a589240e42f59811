#pragma once
// The grid's columns: a row-number column and as many data columns as whole fields fit from the
// port's first field, with the column widths kept per database and table.
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/IndexSpaces.h"

class DatabaseWindow;
class RowsDataPort;
class RowsTableModel;
class RowsTableView;
struct TablesAndRowsState;

class GridColumnLayout {
  public:
    GridColumnLayout(DatabaseWindow& window, const RowsDataPort& dataPort);
    void setGrid(RowsTableView* view, RowsTableModel* model);

    // How many whole fields from startField fit beside the row-number column.
    int64_t numberOfFieldsFrom(FieldIndex startField,
                               const std::optional<std::string>& tableName) const;
    // The fields of the port's page, from its first field.
    int64_t numberOfDataPortFields() const;
    // The fields of the first page, from field 1.
    int64_t numberOfDataPortFieldsInFirstPage() const;
    // The data columns the grid shows, from the port's first field or from `first`.
    int64_t numberOfFieldsToShow() const;
    int64_t numberOfFieldsToShowFrom(FieldIndex first) const;
    void fillFieldWidthsWithDefaultValues(std::vector<double>* widths) const;
    // The stored widths of the table when their count fits the field model, else the defaults.
    std::vector<double> fieldWidthsForTable(const std::optional<std::string>& tableName) const;
    // Data columns and their headers for the port's first field.
    void updateRowsTableViewColumnsAndHeaders();
    void updateRowsTableViewColumnWidths(const std::optional<std::string>& tableName);
    // Hides the row-number column and the first data column while no object with fields is
    // shown; showing them again stores no width.
    void setColumnsHidden(bool hidden);
    // Each column's width kept under the field it shows.
    void storeFieldWidths();
    // Moves the port's first field left while the fields before it fit in the room left of the
    // last field, so a widened grid shows no blank room beside its last field.
    void fillRoomBeforeFirstField();
    // The first field that move leads to.
    FieldIndex firstFieldFillingRoom() const;
    // Set while the layout itself resizes columns: no width is stored then.
    bool isResizingColumns() const { return resizingColumns_; }

  private:
    int numberOfColumns() const;
    // The stored row-number width, widened to fit the largest row number of the object.
    int rowNumberColumnWidth() const;

    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    const RowsDataPort& dataPort_;
    RowsTableView* view_ = nullptr;
    RowsTableModel* model_ = nullptr;
    bool resizingColumns_ = false;
};
