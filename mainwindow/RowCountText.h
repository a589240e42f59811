#pragma once
// The row count of the selected object as the consoles label it: "0 rows", "1 row", "12 rows".
#include <cstdint>
#include <string>

class DatabaseWindow;
class QLabel;

std::string numberOfRowsText(int64_t rows);
// Shows the selected object's row count in the label; hides it while no object is selected.
void showNumberOfRows(QLabel* label, const DatabaseWindow& window);
