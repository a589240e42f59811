#pragma once
// Where a table's fields go when its field list changes, and the stored settings that name fields
// by position (sort keys, searched fields) following them: moved with their fields, dropped with
// a deleted one.
#include <cstdint>
#include <string>
#include <vector>

#include "Common/IndexSet.h"

namespace DBInterface {

class RebuildSession;

// For each old position its new one, -1 for a field the new list leaves out; new field i takes
// the values of old field oldFieldIndices[i] (-1 for a new field).
std::vector<int64_t> newFieldPositions(const std::vector<int64_t>& oldFieldIndices,
                                       size_t oldFieldCount);
// The new position of an old one, -1 for a deleted field; a position no old field had stays.
int64_t movedFieldPosition(int64_t position, const std::vector<int64_t>& newPositions);

// Sort codes following their fields. A key whose field is deleted is removed and appended to
// dropped, the keys after it move up and the list keeps its length.
std::vector<int> sortCodesFollowingFields(const std::vector<int>& sortCodes,
                                          const std::vector<int64_t>& newPositions,
                                          std::vector<int>* dropped);
// Searched positions following their fields; the deleted ones are added to dropped.
IndexSet searchIndexesFollowingFields(const IndexSet& searchIndexes,
                                      const std::vector<int64_t>& newPositions, IndexSet* dropped);

// The settings of deleted fields, by their old codes and positions.
struct DroppedFieldSettings {
    std::vector<int> sortCodes;
    IndexSet searchIndexes;
};

// Rewrites the table's varnelo_db_tables row on the session, inside its transaction, when a
// setting moves, and brings the sort indexes of a stored order in line with it; the filter text
// of the search settings is kept.
int moveFieldSettings(RebuildSession& session, const std::string& tableName,
                      const std::vector<int64_t>& newPositions, DroppedFieldSettings* dropped);

}  // namespace DBInterface
