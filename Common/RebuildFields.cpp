#include "Common/RebuildFields.h"

#include <algorithm>

#include "Common/Helpers.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

FieldPlan planFields(const TableShape& shape, const std::vector<std::string>& oldFieldNames,
                     const std::vector<int64_t>& oldFieldIndices, size_t newFieldCount) {
    FieldPlan plan;
    for (size_t i = 0; i < newFieldCount; ++i) {
        int64_t k = i < oldFieldIndices.size() ? oldFieldIndices[i] : -1;
        if (k < 0 || k >= static_cast<int64_t>(oldFieldNames.size())) {
            plan.sources.emplace_back();
            continue;
        }
        const std::string& oldName = oldFieldNames[static_cast<size_t>(k)];
        plan.sources.emplace_back(oldName);
        if (const std::string* column = tableColumn(shape, oldName)) plan.kept.insert(*column);
    }
    return plan;
}

int refuseDuplicateNames(const std::vector<std::string>& newFieldNames, std::string* errorString) {
    for (size_t i = 0; i < newFieldNames.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (sqlite3_stricmp(newFieldNames[i].c_str(), newFieldNames[j].c_str()) == 0) {
                appendError(errorString, "duplicate column name: " + newFieldNames[i]);
                return SQLITE_ERROR;
            }
        }
    }
    return SQLITE_OK;
}

int refuseDroppingReferencedFields(RebuildSession& session, const std::string& table,
                                   const TableShape& shape, const FieldPlan& plan,
                                   std::string* errorString) {
    std::vector<DBRow> rows;
    int rc = session.read(
        "select m.name, f.id, f.\"from\", f.\"to\" from sqlite_master m, "
        "pragma_foreign_key_list(m.name) f where m.type='table' and f.\"table\"=" +
            quoteLiteral(table) + " collate nocase order by m.name, f.id, f.seq",
        &rows);
    if (rc != SQLITE_OK) return rc;
    std::vector<std::string> primaryKey;
    for (const std::string& column : shape.columnOrder) {
        int order = shape.columns.at(column).primaryKeyOrder;
        if (order < 1) continue;
        primaryKey.resize(std::max(primaryKey.size(), static_cast<size_t>(order)));
        primaryKey[static_cast<size_t>(order - 1)] = column;
    }
    for (size_t first = 0; first < rows.size();) {
        size_t end = first;
        while (end < rows.size() && rows[end][0] == rows[first][0] &&
               rows[end][1] == rows[first][1]) {
            ++end;
        }
        std::string child = valueOrDefaultIfNull(&rows[first][0], "");
        std::vector<std::string> referenced;
        bool childKeyStays = true;
        for (size_t i = first; i < end; ++i) {
            referenced.push_back(rows[i][3]                      ? *rows[i][3]
                                 : i - first < primaryKey.size() ? primaryKey[i - first]
                                                                 : "");
            const std::string* from = tableColumn(shape, valueOrDefaultIfNull(&rows[i][2], ""));
            childKeyStays &= !from || plan.kept.count(*from);
        }
        first = end;
        // A key of the table on itself goes when its own fields go.
        if (child == table && !childKeyStays) continue;
        for (const std::string& name : referenced) {
            const std::string* column = tableColumn(shape, name);
            if (!column || plan.kept.count(*column)) continue;
            appendError(errorString,
                        localizedFormat("Field %@ of table %@ cannot be removed: a foreign key of "
                                        "table %@ refers to it.",
                                        {*column, table, child}));
            return SQLITE_CONSTRAINT_FOREIGNKEY;
        }
    }
    return SQLITE_OK;
}

std::vector<Rename> planRenames(const TableShape& shape, const FieldPlan& plan,
                                const std::vector<std::string>& newFieldNames) {
    auto columnOf = [&](size_t i) {
        return plan.sources[i] ? tableColumn(shape, *plan.sources[i]) : nullptr;
    };
    std::set<std::string> settled;  // kept under their names, or renamed already
    for (size_t i = 0; i < newFieldNames.size(); ++i) {
        if (const std::string* column = columnOf(i); column && newFieldNames[i] == *column) {
            settled.insert(*column);
        }
    }
    std::vector<Rename> renames;
    size_t n = 0;
    for (size_t i = 0; i < newFieldNames.size(); ++i) {
        const std::string* column = columnOf(i);
        if (!column || !settled.insert(*column).second) continue;
        std::string interim;
        do {
            interim = "xyztmp_field_" + std::to_string(++n);
        } while (tableColumn(shape, interim) || isOneOf(interim, newFieldNames));
        renames.push_back({i, *column, interim});
    }
    return renames;
}

int renameColumns(RebuildSession& session, const std::string& table,
                  const std::vector<std::pair<std::string, std::string>>& fromTo) {
    if (fromTo.empty()) return SQLITE_OK;
    std::string sql;
    for (const auto& [from, to] : fromTo) {
        sql += "alter table " + quoteIdentifier(table) + " rename column " + quoteIdentifier(from) +
               " to " + quoteIdentifier(to) + ";\n";
    }
    // A view or trigger that is broken already must not stop the rename: while the schema is
    // writable SQLite leaves such an object as it is.
    int rc = session.run("pragma writable_schema=ON;\n" + sql);
    session.tryRun("pragma writable_schema=OFF");
    return rc;
}

}  // namespace DBInterface
