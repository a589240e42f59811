#include "Common/FieldMoves.h"

#include <sqlite3.h>

#include <algorithm>

#include "Common/CommaLists.h"
#include "Common/SQLQuote.h"
#include "Common/SortSettings.h"
#include "Common/TableShape.h"

namespace DBInterface {

std::vector<int64_t> newFieldPositions(const std::vector<int64_t>& oldFieldIndices,
                                       size_t oldFieldCount) {
    std::vector<int64_t> positions(oldFieldCount, -1);
    for (size_t i = 0; i < oldFieldIndices.size(); ++i) {
        int64_t old = oldFieldIndices[i];
        if (old >= 0 && static_cast<size_t>(old) < oldFieldCount) {
            positions[static_cast<size_t>(old)] = static_cast<int64_t>(i);
        }
    }
    return positions;
}

int64_t movedFieldPosition(int64_t position, const std::vector<int64_t>& newPositions) {
    if (position < 0 || static_cast<size_t>(position) >= newPositions.size()) return position;
    return newPositions[static_cast<size_t>(position)];
}

std::vector<int> sortCodesFollowingFields(const std::vector<int>& sortCodes,
                                          const std::vector<int64_t>& newPositions,
                                          std::vector<int>* dropped) {
    std::vector<int> moved;
    for (int code : sortCodes) {
        if (code < 1) {
            moved.push_back(code);
            continue;
        }
        int64_t position = movedFieldPosition(sortFieldIndexFromCode(code), newPositions);
        if (position < 0) {
            if (dropped) dropped->push_back(code);
            continue;
        }
        moved.push_back(sortCodeFromIndex(position, sortDirectionFromCode(code)));
    }
    moved.resize(sortCodes.size(), 0);
    return moved;
}

IndexSet searchIndexesFollowingFields(const IndexSet& searchIndexes,
                                      const std::vector<int64_t>& newPositions, IndexSet* dropped) {
    IndexSet moved;
    for (int64_t index : searchIndexes) {
        int64_t position = movedFieldPosition(index, newPositions);
        if (position >= 0) {
            moved.insert(position);
        } else if (dropped) {
            dropped->insert(index);
        }
    }
    return moved;
}

int moveFieldSettings(RebuildSession& session, const std::string& tableName,
                      const std::vector<int64_t>& newPositions, DroppedFieldSettings* dropped) {
    if (!session.tryRun("select 1 from varnelo_db_tables limit 0")) return SQLITE_OK;
    const std::string name = quoteLiteral(tableName);
    std::vector<DBRow> rows;
    int rc = session.read(
        "select search_field, sort_field1, sort_field2, sort_field3 from "
        "varnelo_db_tables where name=" +
            name,
        &rows);
    if (rc != SQLITE_OK || rows.empty() || rows[0].size() < 4) return rc;
    auto text = [&](size_t column) { return rows[0][column].value_or(std::string()); };
    std::string assignments;

    std::vector<int> codes;
    appendStoredSortCodes(&codes, text(1), text(2), text(3), tableName);
    std::vector<int> droppedCodes;
    std::vector<int> movedCodes = sortCodesFollowingFields(codes, newPositions, &droppedCodes);
    if (movedCodes != codes) {
        for (size_t i = 0; i < movedCodes.size(); ++i) {
            assignments += std::string(assignments.empty() ? "" : ", ") + "sort_field" +
                           std::to_string(i + 1) + "=" +
                           quoteLiteral(storedSortField(movedCodes[i]));
        }
    }

    const std::string search = text(0);
    IndexSet searched, droppedSearched;
    if (searchIndexesFromStoredSettings(search, &searched)) {
        IndexSet movedSearched =
            searchIndexesFollowingFields(searched, newPositions, &droppedSearched);
        if (movedSearched != searched) {
            std::string stored =
                commaSeparatedStringForIndexSet(&movedSearched) + search.substr(search.find(';'));
            assignments += std::string(assignments.empty() ? "" : ", ") +
                           "search_field=" + quoteLiteral(stored);
        }
    }
    if (!assignments.empty()) {
        rc = session.run("update varnelo_db_tables set " + assignments + " where name=" + name);
    }
    // The sort indexes are made on the fields the order names now, and on their new types.
    const bool sorted =
        std::any_of(movedCodes.begin(), movedCodes.end(), [](int c) { return c > 0; });
    if (rc == SQLITE_OK && sorted) rc = updateSortIndexes(session, tableName, movedCodes);
    if (rc == SQLITE_OK && dropped) {
        dropped->sortCodes = droppedCodes;
        dropped->searchIndexes = droppedSearched;
    }
    return rc;
}

}  // namespace DBInterface
