#pragma once
// Pages of a grid query that holds long blobs by their prefix: the rows are read with a stand-in
// for each long blob (its length is known from the record header alone, so SQLite reads none of
// it), then the prefix of each through one blob handle a field, moved from row to row; rows and
// prefixes come from one snapshot of the file.
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Common/FieldModel.h"
#include "Common/GridQuery.h"

namespace DBInterface {

// The schema version the connection reads; -1 when it cannot be read.
int64_t schemaVersion(sqlite3* db);

// The held-prefix form of a table's grid query whose columns are ROWID and every field, built
// on the connection the field model was read on, at the schema version and table definition
// read before the model; nullopt where a blob handle would not read the stored values as the
// query does (generated or hidden fields, a text encoding other than UTF-8).
std::optional<HeldPrefixes> heldPrefixesOfTable(const std::string& table,
                                                const ObjectFieldModel& model, int64_t version,
                                                const std::string& definition, sqlite3* db);
// What the held-prefix query selects: ROWID, then each field or the stand-in of a long blob.
std::string heldPrefixColumns(const HeldPrefixes& held);

// Reads the rows of a page with read(query to read with, page): the query as it is, or in one
// snapshot of the file, a held-prefix query whose long blobs are then read up to their prefix;
// where the schema changed since the query was built, its whole values instead.
int readHoldingPrefixes(
    std::vector<DBRow>* page, const GridQuery& query, const std::string& databaseFilePath,
    std::string* errorString,
    const std::function<int(const GridQuery& query, std::vector<DBRow>* page)>& read);

}  // namespace DBInterface
