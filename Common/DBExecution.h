#pragma once
// The execution core: every operation opens its own connection, runs its SQL and closes the
// connection before it returns. Results are SQLite codes (0 success, -1 for a missing path) with
// messages appended to the optional error string; lists are appended to, never cleared.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"

namespace DBInterface {

// Result of the script runner when the row limit kept rows back; callers treat it like 0. No
// SQLite result code is negative.
inline constexpr int kRowLimitReached = -2;
static_assert(kRowLimitReached != kMissingPathResult);

// Whether the script runner may create a missing database file: only operations meant to make a
// new file ask for it; anything else fails on a vanished file instead of leaving a new one.
enum class MissingFile { Fail, Create };

// How the script runner treats the rows a script returns.
struct ScriptOptions {
    // The rows of all statements are kept up to the limit (a limit below 1 keeps none); past it
    // a read stops, the remaining statements still run and the result is kRowLimitReached.
    // Without a limit no row is kept and every statement runs in full.
    std::optional<int64_t> rowLimit;
    bool nullPossible = false;  // SQL NULL as the null object, else as empty text
    MissingFile missingFile = MissingFile::Fail;
};

// What a script delivers on success; on failure only failedStatement.
struct ScriptResult {
    std::vector<std::string> fieldNames;  // of the first statement that returned a row
    std::vector<DBRow> rows;
    int64_t numberOfChanges = 0;  // of the last statement
    int64_t lastRowID = 0;
    std::string failedStatement;  // the text of the statement that ended the script
};

// The script runner: runs every statement of sql on a statement connection, in turn; the first
// failing statement ends the script.
int execMultipleQueryString(const std::string& sql, const ScriptOptions& options,
                            ScriptResult* result, const std::string& databaseFilePath,
                            std::string* errorString);
// The script runner without names, rows or limit.
int execMultipleQueryString(const std::string& sql, int64_t* numberOfChanges, int64_t* lastRowID,
                            const std::string& databaseFilePath, std::string* errorString,
                            MissingFile missingFile = MissingFile::Fail);

// The statement runner: prepares and steps only the first statement of sql. NULL and invalid
// UTF-8 read as empty text. A negative rowLimit means no limit.
int execQueryString(const std::string& sql, int64_t rowLimit, int* fieldCount,
                    std::vector<std::string>* fieldNames,
                    std::vector<DBTextRow>* fieldValuesInArrays, int64_t* numberOfChanges,
                    int64_t* lastRowID, const std::string& databaseFilePath,
                    std::string* errorString);
int execCommandString(const std::string& sql, int64_t* numberOfChanges, int64_t* lastRowID,
                      const std::string& databaseFilePath, std::string* errorString);
int execCommandString(const std::string& sql, const std::string& databaseFilePath,
                      std::string* errorString);
int execUpdateStatement(const std::string& sql, const std::string& databaseFilePath,
                        std::string* errorString);

// Row readers (plain or read-only connections: no system SQL functions, no files table).
int getRowsInternal(std::vector<DBValue>* rows, const std::string& query, bool nullPossible,
                    const std::string& databaseFilePath, std::string* errorString);
int getRows(std::vector<std::string>* rows, const std::string& query,
            const std::string& databaseFilePath, std::string* errorString);
// Paged: " limit L offset O" is added when limit is at least 1; else the whole result.
int getRows(std::vector<std::string>* rows, const std::string& query, int64_t limit, int64_t offset,
            const std::string& databaseFilePath, std::string* errorString);
int getNullableRows(std::vector<DBValue>* rows, const std::string& query, int64_t limit,
                    int64_t offset, const std::string& databaseFilePath, std::string* errorString);
int getArrayOfRows(std::vector<DBRow>* rows, const std::string& query, bool nullPossible,
                   const std::string& databaseFilePath, std::string* errorString);
int getArrayOfRows(std::vector<DBRow>* rows, const std::string& query, bool nullPossible,
                   int64_t limit, int64_t offset, const std::string& databaseFilePath,
                   std::string* errorString);
// One text a row, its values joined by a tab (read-only connection).
int getRowsRO(std::vector<std::string>* rows, const std::string& query,
              const std::string& databaseFilePath, std::string* errorString);
// The integer the first value begins with; -1 on failure or when there is no row.
int64_t getNumberWithQueryString(const std::string& query, const std::string& databaseFilePath,
                                 std::string* errorString);
// The number of result rows, -1 on failure.
int64_t countRowsWithQuery(const std::string& query, const std::string& databaseFilePath);
// The column names of every result row (callers pass queries of at most one row).
int getFieldNames(std::vector<std::string>* fieldNames, const std::string& query,
                  const std::string& databaseFilePath, std::string* errorString);
// Names and rows of the first statement of query, up to rowLimit rows (negative: no limit).
// Returns the column count, 0 when the query returns no row, -1 on failure.
int getColumnNames(std::vector<std::string>* columnNames,
                   std::vector<DBTextRow>* columnValuesInArrays, int64_t rowLimit,
                   const std::string& queryString, const std::string& databaseFilePath,
                   std::string* errorString);

}  // namespace DBInterface
