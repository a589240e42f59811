#pragma once
// The stored sort and search settings of a table or view (its varnelo_db_tables row), the ROWID
// order and sorted-on-unique-key bits of its flags, and the indexes kept for its sort keys.
#include <cstdint>
#include <string>
#include <vector>

#include "Common/IndexSet.h"

namespace DBInterface {

class RebuildSession;

// Flag bits of varnelo_db_tables.flags.
inline constexpr uint64_t kTableFlagSortByROWIDUp = 1;
inline constexpr uint64_t kTableFlagSortByROWIDDown = 2;
inline constexpr uint64_t kTableFlagSortedOnUniqueKey = 4;

// A sort code is 0 for no key, 2p + 1 for field position p ascending, 2p + 2 descending.
int sortCodeFromIndex(int64_t position, int direction);
int sortFieldIndexFromCode(int code);
// 0 for no key, 1 ascending, 2 descending.
int sortDirectionFromCode(int code);
// 2 (descending) when only bit 2 is set of bits 1 and 2, else 1.
int sortByROWIDCodeFromFlags(int32_t flags);

// The stored text of one sort key: "mask#code direction".
std::string storedSortField(int code);
// Appends the codes of the three stored key texts (also the older "mask direction"); a text of an
// odd number of pieces is logged and gives none.
void appendStoredSortCodes(std::vector<int>* sortCodes, const std::string& key1,
                           const std::string& key2, const std::string& key3,
                           const std::string& tableName);
// The searched positions of stored search settings ("0,2;=filter"); false, filling nothing, for
// a text without the list. An empty list means no searched field.
bool searchIndexesFromStoredSettings(const std::string& stored, IndexSet* searchIndexes);

// Appends the stored sort codes, stores the flags and, when the stored search settings have a
// list of positions, puts them into searchIndexes. Fills nothing and gives 0 when the meta table
// or the row is missing.
int getSortCodes(std::vector<int>* sortCodes, IndexSet* searchIndexes, uint64_t* flags,
                 const std::string& tableName, const std::string& databaseFilePath,
                 std::string* errorString);
// As above, but with the first number of the stored search settings.
int getSortCodesSearchFieldNumber(std::vector<int>* sortCodes, int64_t* searchFieldNumber,
                                  uint64_t* flags, const std::string& tableName,
                                  const std::string& databaseFilePath, std::string* errorString);

// Stores key i of the list in sort_field<i>; an empty list writes nothing.
int updateSortCodes(const std::vector<int>& sortCodes, const std::string& tableName,
                    const std::string& databaseFilePath, std::string* errorString);
// 1 sets ROWID ascending, 2 descending, anything else clears both; 0 without a meta table.
int updateSortByROWIDCode(uint64_t sortByROWIDCode, const std::string& tableName,
                          const std::string& databaseFilePath, std::string* errorString);
int updateSearchFields(const IndexSet& searchIndexes, bool simple, const std::string* searchFilter,
                       const std::string& tableName, const std::string& databaseFilePath,
                       std::string* errorString);

// Sets or clears flag bits of the table's row, inserting the row when missing.
int updateSystemTable(const std::string& tableName, uint64_t flag, bool enable,
                      const std::string& databaseFilePath, std::string* errorString);
// Sets the whole flags value of the table's row, inserting the row when missing.
int updateSystemTable(const std::string& tableName, uint64_t flags,
                      const std::string& databaseFilePath, std::string* errorString);
// Runs updateString when the table has a row, else creates the meta tables when missing and runs
// insertString, in one transaction.
int updateSystemTable(const std::string& tableName, const std::string& insertString,
                      const std::string& updateString, const std::string& databaseFilePath,
                      std::string* errorString);

// Replaces the indexes of the table's sort keys by one index per key (codes beyond the field
// list are skipped) and, where the grid orders by two or three keys, one of them all, each
// later key in it running as it runs against key 1; an index whose keys, expressions and
// directions are unchanged is kept, as are indexes this system did not make.
int updateTableIndexes(const std::string& tableName, const std::vector<int64_t>& sortCodes,
                       const std::string& databaseFilePath, std::string* errorString);
int updateTableIndexes(const std::string& tableName, int64_t sortCode1, int64_t sortCode2,
                       int64_t sortCode3, const std::string& databaseFilePath,
                       std::string* errorString);
// Stores the sort codes as updateSortCodes does and brings the sort indexes in line with them, in
// one transaction: when an index cannot be built, the codes stored before stay.
int updateSortCodesAndIndexes(const std::vector<int>& sortCodes, const std::string& tableName,
                              const std::string& databaseFilePath, std::string* errorString);
// Whether every sort index the codes want stands (also when the table cannot be read): a build
// cut short leaves a stored order without them.
bool hasSortIndexes(const std::vector<int>& sortCodes, const std::string& tableName,
                    const std::string& databaseFilePath);
// Brings the sort indexes in line with the codes on the rebuild's session, inside its
// transaction.
int updateSortIndexes(RebuildSession& session, const std::string& tableName,
                      const std::vector<int>& sortCodes);

}  // namespace DBInterface
