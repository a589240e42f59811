#pragma once
// Carrying a table's own CREATE TABLE text over to a new field list, so that a rebuilt table
// keeps its types, collations, checks, defaults, keys, generated columns and table options.
#include <optional>
#include <string>
#include <vector>

namespace DBInterface {

struct CarriedOverDefinition {
    // Column definitions and table constraints, joined by ", ", without the outer parentheses.
    std::string body;
    // " WITHOUT ROWID", " STRICT" or both, as the old table had them.
    std::string options;
    // Per new field: still a generated column, so its values are computed, never copied.
    std::vector<bool> generated;
};

// The definition of a table whose new field i comes from old column sources[i] (nullptr for a
// new field). A clause that names a column that is gone is left out; renamed columns are
// renamed inside the clauses kept. Nothing when the text is not split as expected, or its
// columns are not oldColumns in order.
std::optional<CarriedOverDefinition> carryOverCreateTable(
    const std::string& createSQL, const std::string& tableName,
    const std::vector<std::string>& oldColumns, const std::vector<const std::string*>& sources,
    const std::vector<std::string>& newFieldNames);

}  // namespace DBInterface
