#pragma once
// What a rebuild's new field list does with the old columns: which it keeps, which it renames
// and whether the foreign keys of other tables let it drop the rest.
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Common/TableShape.h"

namespace DBInterface {

// What the new field list does with the old columns.
struct FieldPlan {
    // Per new field: the old column it takes its values from, or nothing for a new field.
    std::vector<std::optional<std::string>> sources;
    std::set<std::string> kept;  // the columns some new field takes, as the table spells them
};

FieldPlan planFields(const TableShape& shape, const std::vector<std::string>& oldFieldNames,
                     const std::vector<int64_t>& oldFieldIndices, size_t newFieldCount);

// Fails with SQLite's message when two new fields share a name in any letter case. The renames
// below could not tell.
int refuseDuplicateNames(const std::vector<std::string>& newFieldNames, std::string* errorString);

// Fails with a message when a field that a foreign key of another table refers to would be
// dropped: the key would no longer match a parent key, and every later change of that table
// would fail.
int refuseDroppingReferencedFields(RebuildSession& session, const std::string& table,
                                   const TableShape& shape, const FieldPlan& plan,
                                   std::string* errorString);

// A new field that takes an old column's values under another name. The column is the same
// field renamed; during the rebuild it goes by a name of its own, so that names may be swapped
// and a dropped field's name taken.
struct Rename {
    size_t field;
    std::string column;
    std::string interim;
};

std::vector<Rename> planRenames(const TableShape& shape, const FieldPlan& plan,
                                const std::vector<std::string>& newFieldNames);

// Renames columns in place with SQLite's own column rename, which takes the new name into the
// table's indexes and triggers, and into the views, triggers and foreign keys elsewhere that
// name the field.
int renameColumns(RebuildSession& session, const std::string& table,
                  const std::vector<std::pair<std::string, std::string>>& fromTo);

}  // namespace DBInterface
