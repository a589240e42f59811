#pragma once
// Pasted rows added to a table on one connection: every row one bound INSERT, the rows committed
// together, so that a failing row keeps those before it.
#include <cstdint>
#include <string>
#include <vector>

#include "Common/DBTypes.h"

// Each row fills the named fields in order, a short row padded with empty strings, a long one
// cut. SQLite's code; inserted counts the rows added; the message appended to errorString.
int insertPastedRows(const std::vector<DBRow>& rows, const std::vector<std::string>& fieldNames,
                     const std::string& table, const std::string& databaseFilePath,
                     int64_t* inserted, std::string* errorString);
