#include "Common/SelectedRowsExport.h"

#include <optional>

#include "Common/DBConnection.h"
#include "Common/DBExistence.h"
#include "Common/DelimitedExport.h"
#include "Common/ExportFile.h"
#include "Common/ExportRowText.h"
#include "Common/FieldTypes.h"
#include "Common/MetaTableText.h"
#include "Common/OrderByClause.h"
#include "Common/QueryRowidsTable.h"
#include "Common/SQLQuote.h"
#include "Common/SortSettings.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/SystemLog.h"

namespace DBInterface {

namespace {
constexpr int kBatchSize = 50;
constexpr size_t kMostRows = 500000;

// Writes the rows of sql; SQLITE_OK or the code of the failure, with SQLite's message.
int writeRows(ExportFile& file, sqlite3* db, const std::string& sql, const ExportSettings& settings,
              std::string* errorString) {
    Statement rows;
    int rc = rows.prepare(db, sql);
    if (rc == SQLITE_OK) {
        const int columnCount = sqlite3_column_count(rows.get());
        std::string hex;
        while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
            appendRow(file.buffer(), rows.get(), columnCount, settings, hex);
            if (!file.flushIfFull()) return kExportFileError;
        }
        if (rc == SQLITE_DONE) return SQLITE_OK;
    }
    appendError(errorString, sqlite3_errmsg(db));
    return rc;
}

// The next batch of gathered rowids, joined by ","; "" when none is left.
int nextBatch(std::string* list, sqlite3* db, std::string* errorString) {
    Statement batch;
    int rc = batch.prepare(db,
                           "select specialrowid from varnelo_db_special_query_rowids order by "
                           "specialrowid limit " +
                               std::to_string(kBatchSize));
    while (rc == SQLITE_OK && (rc = sqlite3_step(batch.get())) == SQLITE_ROW) {
        if (!list->empty()) *list += ",";
        *list += std::to_string(sqlite3_column_int64(batch.get(), 0));
        rc = SQLITE_OK;
    }
    if (rc == SQLITE_DONE || rc == SQLITE_OK) return SQLITE_OK;
    appendError(errorString, sqlite3_errmsg(db));
    return rc;
}

int dumpSelectedRows(const std::string& tableName, const std::string* specialQueryString,
                     const std::set<std::string>& specificRows, bool allSelected,
                     const std::vector<int>& columnTypes, const std::string& filePath,
                     const std::string& databaseFilePath, std::string* errorString) {
    // A missing file or one that is no database is refused, never created.
    if (int rc = checkExportDatabase(databaseFilePath, errorString); rc != SQLITE_OK) return rc;
    std::vector<int> sortCodes;
    uint64_t flags = 0;
    int rc = getSortCodes(&sortCodes, nullptr, &flags, tableName, databaseFilePath, errorString);
    if (rc != 0) return rc;
    if (specialQueryString) {
        rc = insertIntoSpecialQueryRowidsTable(*specialQueryString, specificRows, allSelected,
                                               databaseFilePath, errorString);
        if (rc != 0) {
            appendError(errorString,
                        "dumpFromTable: could not insert into special query "
                        "rowids table");
            return rc;
        }
    }
    std::optional<DBConnection> connection;
    rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    const std::string select = "select * from " + quoteIdentifier(tableName);
    Statement allColumns;
    if ((rc = allColumns.prepare(db, select)) != SQLITE_OK) {
        appendError(errorString, sqlite3_errmsg(db));
        return rc;
    }
    std::vector<std::string> names, types;
    for (int i = 0; i < sqlite3_column_count(allColumns.get()); ++i) {
        names.push_back(sqlite3_column_name(allColumns.get(), i));
        types.push_back(getColumnTypeStringForceText(
            static_cast<size_t>(i) < columnTypes.size() ? columnTypes[static_cast<size_t>(i)] : 0));
    }
    allColumns.finalize();

    const ExportSettings settings = ExportSettings::fromUserDefaults();
    ExportFile file(filePath, false, errorString);
    if (!file.isOpen()) return kExportFileError;
    if (settings.fieldNamesRow) appendHeaderRow(file.buffer(), names, settings);
    if (settings.fieldTypesRow) appendHeaderRow(file.buffer(), types, settings);

    if (!specialQueryString) {
        std::string where;
        if (!specificRows.empty()) {
            auto list = checkedRowidList(
                std::vector<std::string>(specificRows.begin(), specificRows.end()), errorString);
            if (!list) return -1;
            where =
                std::string(" where rowid ") + (allSelected ? "not " : "") + "in (" + *list + ")";
        }
        rc = writeRows(file, db,
                       select + where +
                           getOrderByClause(tableName, sortCodes,
                                            sortByROWIDCodeFromFlags(static_cast<int32_t>(flags)),
                                            databaseFilePath, errorString),
                       settings, errorString);
        if (rc != SQLITE_OK) return rc;
    }
    for (size_t handled = 0; specialQueryString && handled < kMostRows; handled += kBatchSize) {
        std::string list;
        if ((rc = nextBatch(&list, db, errorString)) != SQLITE_OK) return rc;
        if (list.empty()) break;
        rc = writeRows(file, db, select + " where rowid in (" + list + ") order by rowid", settings,
                       errorString);
        if (rc != SQLITE_OK) return rc;
        const std::string done =
            "delete from varnelo_db_special_query_rowids where specialrowid in (" + list + ")";
        if ((rc = sqlite3_exec(db, done.c_str(), nullptr, nullptr, nullptr)) != SQLITE_OK) {
            appendError(errorString, sqlite3_errmsg(db));
            return rc;
        }
    }
    return file.commit() ? SQLITE_OK : kExportFileError;
}
}  // namespace

int dumpFromTable(const std::string& tableName, const std::string* specialQueryString,
                  const std::set<std::string>& specificRows, bool allSelected,
                  const std::vector<int>& columnTypes, const std::string& filePath,
                  const std::string& databaseFilePath, std::string* errorString) {
    std::string messages;
    const int rc = dumpSelectedRows(tableName, specialQueryString, specificRows, allSelected,
                                    columnTypes, filePath, databaseFilePath, &messages);
    if (rc != SQLITE_OK) {
        systemLog(messages);
        appendError(errorString, messages);
    }
    return rc;
}

}  // namespace DBInterface
