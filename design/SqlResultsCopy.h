#pragma once
// Copy of the SQL console's result rows: delimited text beside the pasteboard record of type
// AddRowsFromSQLViewDataType.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "platform/ui/Pasteboard.h"

// The rows (ascending indexes, those past the result skipped), values joined by "," for
// delimiter 1 (each value quoted, its quotes doubled), "|" for 2 and a tab otherwise; lines
// joined by "\n". Empty when no row is taken.
std::string resultRowsText(const std::vector<DBRow>& rows, const std::vector<int64_t>& rowIndexes,
                           int64_t delimiter);
// Empties the clipboard, then puts the rows there with the record of the window; false when
// the clipboard did not take them.
bool copyResultRowsToPasteboard(const std::vector<DBRow>& rows,
                                const std::vector<int64_t>& rowIndexes,
                                const std::optional<std::string>& databaseFilePath,
                                int windowIndex);
