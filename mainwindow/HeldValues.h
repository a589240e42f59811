#pragma once
// A value read for display is held as at most its first kHeldValueBytes bytes (ValuePrefix.h): a
// table of large values is shown without reading each one whole into the window; where a value
// is edited or copied, a cut value is read again whole.
#include <string>
#include <string_view>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/ValuePrefix.h"
#include "mainwindow/IndexSpaces.h"

struct TablesAndRowsState;

// The value as the window draws it: a cut or long value as its first characters and "…".
std::string_view heldTextOfValue(const std::string& value, std::string* withEllipsis);

// Reads the field of the table's row with the rowid whole into value, a raw field as the hex text
// the grid shows of it: 0, else non-zero with the error (a row gone is one).
int readWholeValue(const std::string& databaseFilePath, const std::string& table,
                   const std::string& fieldName, bool rawField, const std::string& rowid,
                   DBValue* value, std::string* error);

// A field of a row to read whole: its name and whether it is raw.
struct WholeValueField {
    std::string name;
    bool raw = false;
};
// The same for several fields of the row in one query: values gets one value a field, in order.
int readWholeValues(const std::string& databaseFilePath, const std::string& table,
                    const std::vector<WholeValueField>& fields, const std::string& rowid,
                    std::vector<DBValue>* values, std::string* error);

// The values of a row of the table shown (its rowid first, then its fields, as the page holds
// them) that are held cut among the fields given, read whole in one query; raw ones only with
// withRaw. 0 when nothing was cut or everything cut was read (replaced in row), else non-zero with
// the error and row as it was.
int readCutValuesOfRow(const TablesAndRowsState& state, const std::string& table,
                       const std::vector<FieldIndex>& fields, bool withRaw,
                       std::vector<DBValue>* row, std::string* error);
