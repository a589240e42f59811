#pragma once
// The type pop-up of a field row: the nine base types, one item per picker type and one per
// special (lookup or picker) table. Each item's tag (its item data) is row * 100000 + code, code
// 1-9 for a base type, 10000 + rowid for a picker type and 90000 + the table's position in the
// special tables for a Text field shown through that table.
#include <functional>
#include <string>
#include <vector>

#include "mainwindow/TablesAndRowsState.h"

class QComboBox;

namespace FieldTypeMenu {

inline constexpr int kRowTagFactor = 100000;
inline constexpr int kSpecialTableCodeBase = 90000;

inline int fieldTypeMenuTag(int row, int code) {
    return row * kRowTagFactor + code;
}
inline int rowOfTag(int tag) {
    return tag / kRowTagFactor;
}
inline int codeOfTag(int tag) {
    return tag - rowOfTag(tag) * kRowTagFactor;
}

// The code of the row's current choice: its type (Text without one), plus 90000 with a lookup
// table.
int currentChoice(const std::vector<int>& fieldTypes,
                  const std::vector<std::string>& fieldLookupTables, size_t row);

// Fills a new pop-up for the row and selects its current choice; choosing an item calls the
// action with the item's tag.
void updateTableCellView(QComboBox* popUp, const std::vector<int>& fieldTypes,
                         const std::vector<std::string>& fieldLookupTables,
                         const std::function<void(int tag)>& typeChangedAction, int row,
                         const TablesAndRowsState& state);

}  // namespace FieldTypeMenu
