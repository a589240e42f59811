#pragma once
// The row count of the selected object as the consoles label it: "0 rows", "1 row", "12 rows".
#include <cstdint>
#include <string>

#include "mainwindow/IndexSpaces.h"

class DatabaseWindow;
class QLabel;

std::string numberOfRowsText(int64_t rows);
// The focused row of the rows as the record editor and the print console label it: "Row 4 of
// 120", or the row count when no row of them is focused.
std::string rowNumberText(RowIndex focused, int64_t totalRows);
// Shows the selected object's row count in the label; hides it while no object is selected.
void showNumberOfRows(QLabel* label, const DatabaseWindow& window);
