#pragma once
// What a write from rows the window shows (a page of the grid, the record editor's row) was read
// with. The write checks it inside its own transaction, once it holds the file's write lock: the
// table's fields must still be those shown, and where the file changed since the rows were read,
// each row written must still hold the values shown: a field the write is given whole (as an
// editor loaded it) whole, another value held by its prefix as far as it is held. After a change
// of the schema (a vacuum renumbers the rowids of a table without an INTEGER PRIMARY KEY) a row
// held in part by a prefix cannot be told from another row that only differs past it, and is
// refused. Otherwise nothing is written. While the file is as it was, the check costs a look at
// its version and one at its schema's, and reads no row.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/TableIdentity.h"

class DBConnection;

namespace DBInterface {

// Results of a write refused since what it was given changed in another window or program:
// nothing was written, and the message says why. A write by rowid that finds no row with the
// rowid gives kRowGone, the check kRowsChanged or kFieldsChanged.
inline constexpr int kRowGone = -2;
inline constexpr int kRowsChanged = -3;
inline constexpr int kFieldsChanged = -4;
inline bool isRefusal(int rc) {
    return rc == kRowGone || rc == kRowsChanged || rc == kFieldsChanged;
}
std::string rowNoLongerExistsMessage();
std::string rowsChangedMessage();
// The refusal of a write from one row shown for editing.
std::string rowChangedMessage();
std::string fieldsChangedMessage();

struct ShownRows {
    // Looks at the file's version now (FileChangeWatch.h); -1 when it cannot.
    std::function<int64_t()> fileVersion;
    int64_t version = -1;            // taken before the rows were read; -1 unknown
    int64_t schemaVersion = -1;      // taken before the fields were read; -1 unknown
    int64_t rowsSchemaVersion = -1;  // the schema's version the rows were read at; -1 unknown
    std::vector<std::string> fieldNames;
    std::vector<bool> rawFields;  // read as hex text, by field
    // Each row as shown: its rowid, then its fields as the grid's page holds them. A row of its
    // rowid alone was found by its place and not read: any change of the file refuses it.
    std::vector<DBRow> rows;
    // The rows are one row edited (a cell, a record, a picker's value): a refusal speaks of it.
    bool editedRow = false;
    // The table as it was shown, for a write to the whole table: one made again since is refused.
    std::optional<TableIdentity> table;
};

// The field of the row of the rowid is compared whole with the value as the editor loaded it,
// in the place of what the page held of it. A value still held cut changes nothing.
void compareWhole(ShownRows* shown, const std::string& rowid, const std::string& fieldName,
                  const DBValue& loaded);

// The settings of an object's fields as varnelo_db_fields stores them, one entry a field: type,
// format style (its flags, with the field's display bits) and lookup table ("" for none).
struct FieldSettings {
    std::vector<int> types;
    std::vector<int64_t> formatStyles;
    std::vector<std::string> lookupTables;
};

// 0 when the field-model reader gives the object these field names now, read on the
// connection, and, when given, these settings; kFieldsChanged with the message when it gives
// others; the code of a read that failed. An object gone gives 0: what follows fails on it as it
// would.
int checkFieldNames(const std::vector<std::string>& fieldNames, const std::string& table,
                    const DBConnection& connection, std::string* errorString,
                    const FieldSettings* settings = nullptr);
// The same, read on a connection of its own.
int checkFieldsOfFile(const std::vector<std::string>& fieldNames, const FieldSettings* settings,
                      const std::string& table, const std::string& databaseFilePath,
                      std::string* errorString);
// 0 when the write of the rows of the rowids written may go on; kFieldsChanged, kRowsChanged or
// kRowGone with the message; the code of a read that failed. A rowid written that is not one of
// the rows shown is refused, even while the file is as it was; a write that names none (a whole
// field, shown with no rows) is checked for its fields. A table gone gives 0: the write fails on
// it as it would.
int checkShownRows(const ShownRows& shown, const std::string& table, const DBConnection& connection,
                   std::string* errorString, const std::vector<std::string>& written = {});
// The select of the rowids' rows with the fields shown, raw fields as hex text, as the grid's
// page reads them.
std::string shownRowsSelect(const ShownRows& shown, const std::string& table,
                            const std::vector<std::string>& rowids);
// The rows of the rowids, in their order, as the grid's page reads them (rowid, then the fields
// shown, long values held by their prefix, or whole when asked), read on the connection; a rowid
// of no row gives no row.
int readShownRows(std::vector<DBRow>* rows, const ShownRows& shown, const std::string& table,
                  const std::vector<std::string>& rowids, const DBConnection& connection,
                  std::string* errorString, bool whole = false);
// The row of the rowid as the file holds it now, for an editor that takes it again after a
// refusal: into whole with every value whole (raw fields as hex text), and into shown as the
// grid's page holds it, with the file's version taken before and the schema's it was read at.
// kRowGone with the message when no row has the rowid.
int readRowAsItStands(DBRow* whole, ShownRows* shown, const std::string& table,
                      const std::string& rowid, const std::string& databaseFilePath,
                      std::string* errorString);

}  // namespace DBInterface
