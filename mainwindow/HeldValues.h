#pragma once
// A value read for display is held as at most its first kHeldValueBytes bytes: a table of large
// values is shown without reading each one whole into the window. A value cut so ends in a mark
// that no value read from a database holds (those are valid UTF-8); where a value is edited or
// copied, a cut value is read again whole.
#include <string>
#include <string_view>

#include "Common/DBTypes.h"

inline constexpr size_t kHeldValueBytes = 4096;

// Cuts a value longer than kHeldValueBytes to its first bytes, on a character boundary.
void holdPrefixOfValue(DBValue* value);
bool isCutValue(const DBValue& value);
// The value as the window draws it: a cut or long value as its first characters and "…".
std::string_view heldTextOfValue(const std::string& value, std::string* withEllipsis);

// Reads the field of the table's row with the rowid whole into value: 0, else non-zero with the
// error (a row gone is one).
int readWholeValue(const std::string& databaseFilePath, const std::string& table,
                   const std::string& fieldName, const std::string& rowid, DBValue* value,
                   std::string* error);
