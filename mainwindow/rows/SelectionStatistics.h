#pragma once
// The count, total, average, minimum and maximum of the numbers in the grid's focused and selected
// cells, and the values of those cells, for the math and map panels. Only what the grid holds in
// memory is read: the loaded page and the values stored with selected cells; never the database.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/TablesAndRowsState.h"

class RowsDataPort;

// The number a cell's text starts with: currency and other symbols around it are dropped, and
// accounting parentheses negate it; "1,234" reads as 1 (no grouping), text without a number as 0.
double doubleValueFromFieldValue(const std::optional<std::string>& text);

struct SelectedCellsStatistics {
    int64_t count = 0;
    double total = 0;
    double average = 0;
    double minimum = 0;
    double maximum = 0;
};

class SelectionStatistics {
  public:
    SelectionStatistics(const TablesAndRowsState& state, const RowsDataPort& dataPort)
        : state_(state), dataPort_(dataPort) {}

    // The number in the loaded cell; 0 for a cell that is not loaded.
    double doubleValueFromFieldValueAtRowIndex(RowIndex rowIndex, FieldIndex field) const;
    // With nothing counted: count, total and average 0, minimum the largest double and maximum
    // its negative.
    SelectedCellsStatistics computeUsingSelectedCells() const;
    // The focused cell's text first, then the selected cells' values in the statistics' order.
    std::vector<DBValue> fieldValuesForSelectedCells() const;

  private:
    // Calls visit with each selected cell's value, once per cell, the focused cell first; whole
    // fields and rows are limited to the rows loaded.
    template <class Visit>
    void forEachSelectedValue(Visit visit) const;

    const TablesAndRowsState& state_;
    const RowsDataPort& dataPort_;
};
