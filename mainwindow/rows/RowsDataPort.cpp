#include "mainwindow/rows/RowsDataPort.h"

#include <algorithm>
#include <cassert>

#include <sqlite3.h>

#include "Common/DBInterface.h"
#include "Common/SQLQuote.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/HeldValues.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/MainThread.h"

namespace {
constexpr size_t kLimitedCacheCapacity = 20000;
}  // namespace

RowsDataPort::RowsDataPort(DatabaseWindow& window)
    : window_(window), state_(window.state()), pager_(performOnMainThread) {}

bool RowsDataPort::isBusy(int rc) {
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

std::string RowsDataPort::countStatementForLimitedObject(const std::string& name) const {
    // The cap is inside the statement, so a large limited object is never counted in full.
    std::string rows = "select 1 from " + quoteIdentifier(name);
    std::vector<std::string> searchNames;
    const auto& fieldNames = state_.fieldModel.fieldNames;
    for (FieldPosition position : state_.sortAndSearch.searchFieldIndexes) {
        if (!position.isNone() && position.value < static_cast<int64_t>(fieldNames.size())) {
            searchNames.push_back(fieldNames[static_cast<size_t>(position.value)]);
        }
    }
    const std::optional<std::string>& likeString = state_.sortAndSearch.likeString;
    if (likeString && !likeString->empty() && !searchNames.empty()) {
        rows += " where " + DBInterface::whereExpressionForLikeString(*likeString, searchNames);
    }
    return "select count(*) from (" + rows + " limit " +
           std::to_string(TablesAndRowsState::kLimitedRows) + ")";
}

int64_t RowsDataPort::countRows(std::string* error) {
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    if (!name || !state_.databaseFilePath) return 0;
    const std::string& path = *state_.databaseFilePath;
    if (state_.selectedObject.selectedObjectStatus == DBInterface::kObjectLimited) {
        return DBInterface::getNumberWithQueryString(countStatementForLimitedObject(*name), path,
                                                     error);
    }
    const DBInterface::GridQuery* built = query(*name, error);
    return built ? pager_.countRows(*built, path, error) : -1;
}

const DBInterface::GridQuery* RowsDataPort::query(const std::string& name, std::string* error) {
    uint32_t status = state_.selectedObject.selectedObjectStatus;
    const auto& search = state_.sortAndSearch;
    QueryInputs inputs{
        *state_.databaseFilePath,
        name,
        search.likeString,
        search.sortCodes,
        search.sortByROWIDCode,
        search.searchFieldIndexes.indexes(),
        status == DBInterface::kObjectReadOnlyPaged || status == DBInterface::kObjectLimited};
    if (queryInputs_ != inputs) {
        queryInputs_.reset();
        if (DBInterface::buildGridQuery(
                &query_, name, inputs.likeString.value_or(std::string()), inputs.searchFieldIndexes,
                inputs.sortCodes, inputs.sortByROWIDCode, 0,
                inputs.noROWID ? DBInterface::kNoRowidName : 0, inputs.databaseFilePath, error,
                DBInterface::LongValues::HeldPrefix) != 0) {
            return nullptr;
        }
        queryInputs_ = std::move(inputs);
    }
    // A query built after the fields changed elsewhere would put its values under the fields the
    // window loaded before.
    if (query_.columnsPerRow != state_.dataPort.numberOfFieldsPerRow) {
        appendError(error, DBInterface::fieldsChangedMessage());
        return nullptr;
    }
    return &query_;
}

int RowsDataPort::loadFieldValues(std::vector<DBValue>* destination, RowIndex firstRowIndex,
                                  int64_t limit, bool reloadCachedValues, std::string* error,
                                  int64_t* fileVersion) {
    return loadValues(destination, firstRowIndex, limit, reloadCachedValues,
                      DBInterface::LongValues::Whole, error, fileVersion);
}

int RowsDataPort::loadValues(std::vector<DBValue>* destination, RowIndex firstRowIndex,
                             int64_t limit, bool reloadCachedValues,
                             DBInterface::LongValues longValues, std::string* error,
                             int64_t* fileVersion) {
    if (fileVersion) *fileVersion = -1;
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    auto& port = state_.dataPort;
    if (!name || !state_.databaseFilePath || port.numberOfFieldsPerRow < 1) return 0;
    const std::string& path = *state_.databaseFilePath;
    switch (state_.selectedObject.selectedObjectStatus) {
        case DBInterface::kObjectEditable:
        case DBInterface::kObjectReadOnlyPaged: {
            const DBInterface::GridQuery* built = query(*name, error);
            if (!built) return -1;
            const size_t before = destination->size();
            int rc = pager_.readPage(destination, *built, firstRowIndex.value, limit, path, error,
                                     longValues, fileVersion);
            assert((destination->size() - before) % static_cast<size_t>(built->columnsPerRow) == 0);
            return rc;
        }
        case DBInterface::kObjectLimited: {
            int rc = 0;
            if (reloadCachedValues) {
                std::vector<DBValue> cache;
                cache.reserve(kLimitedCacheCapacity);
                const DBInterface::GridQuery* built = query(*name, error);
                rc = built ? DBInterface::readGridPage(
                                 &cache, *built, TablesAndRowsState::kLimitedRows, 0, path, error)
                           : -1;
                if (rc != 0) {
                    if (!isBusy(rc)) port.limitedFieldValuesLoaded.clear();
                    return rc;
                }
                port.limitedFieldValuesLoaded = std::move(cache);
            }
            assert(port.limitedFieldValuesLoaded.size() %
                       static_cast<size_t>(port.numberOfFieldsPerRow) ==
                   0);
            const auto& cache = port.limitedFieldValuesLoaded;
            int64_t cachedRows = static_cast<int64_t>(cache.size()) / port.numberOfFieldsPerRow;
            int64_t first = firstRowIndex.value;
            int64_t end = std::min(first + limit, cachedRows);
            if (first >= 0 && end > first) {
                destination->insert(destination->end(),
                                    cache.begin() + first * port.numberOfFieldsPerRow,
                                    cache.begin() + end * port.numberOfFieldsPerRow);
            }
            return rc;
        }
        default:
            return 0;
    }
}

int RowsDataPort::loadPageValues(std::vector<DBValue>* destination, RowIndex firstRowIndex,
                                 int64_t limit, bool reloadCachedValues, std::string* error,
                                 int64_t* fileVersion) {
    const size_t before = destination->size();
    const int rc = loadValues(destination, firstRowIndex, limit, reloadCachedValues,
                              DBInterface::LongValues::HeldPrefix, error, fileVersion);
    // Long blobs of a table come held already; long texts are cut here.
    for (size_t i = before; i < destination->size(); ++i) holdPrefixOfValue(&(*destination)[i]);
    return rc;
}

int RowsDataPort::readWholeValue(RowIndex rowIndex, const std::string& rowid, FieldIndex field,
                                 int64_t shownAtVersion, DBValue* value, std::string* error) {
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    const auto& names = state_.fieldModel.fieldNames;
    if (!name || !state_.databaseFilePath || field < kFirstFieldIndex ||
        field.value > static_cast<int64_t>(names.size())) {
        return -1;
    }
    if (state_.selectedObject.selectedObjectStatus == DBInterface::kObjectEditable) {
        return ::readWholeValue(
            *state_.databaseFilePath, *name,
            names[static_cast<size_t>(positionOfField(field).value)],
            state_.fieldModel.fieldTypeAtFieldIndexP1(field) == DBInterface::kFieldTypeRaw, rowid,
            value, error);
    }
    std::vector<DBValue> row;
    int64_t versionRead = -1;
    const int rc = loadFieldValues(&row, rowIndex, 1, false, error, &versionRead);
    if (rc != 0) return rc;
    // A limited object's rows come from what was read at its reload; others are at their places
    // only while the file stands as it was when the row was shown.
    if (state_.selectedObject.selectedObjectStatus != DBInterface::kObjectLimited &&
        (versionRead < 0 || versionRead != shownAtVersion ||
         fileVersion(*state_.databaseFilePath) != shownAtVersion)) {
        appendError(error, DBInterface::rowsChangedCopyMessage());
        return DBInterface::kRowsChanged;
    }
    if (static_cast<int64_t>(row.size()) != state_.dataPort.numberOfFieldsPerRow) {
        appendError(error, DBInterface::rowNoLongerExistsMessage());
        return DBInterface::kRowGone;
    }
    *value = std::move(row[static_cast<size_t>(field.value)]);
    return 0;
}

int RowsDataPort::rowIndexOfRowid(const std::string& rowid, RowIndex* rowIndex,
                                  std::string* error) {
    *rowIndex = RowIndex();
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    std::optional<int64_t> id = DBInterface::rowidOfText(rowid);
    if (!name || !state_.databaseFilePath || !id ||
        state_.selectedObject.selectedObjectStatus != DBInterface::kObjectEditable) {
        return 0;
    }
    const DBInterface::GridQuery* built = query(*name, error);
    if (!built) return -1;
    int64_t found = -1;
    const int rc = pager_.rowIndexOfRowid(&found, *built, *id, *state_.databaseFilePath, error);
    if (rc == 0 && found >= 0) *rowIndex = RowIndex(found);
    return rc;
}

RowIndex RowsDataPort::rowIndexFromTableViewRow(GridRow row) const {
    assert(row.value >= 0);
    return state_.dataPort.firstRowIndexInDataPort + row.value;
}

GridRow RowsDataPort::tableViewRowFromRowIndex(RowIndex rowIndex) const {
    return GridRow(rowIndex - state_.dataPort.firstRowIndexInDataPort);
}

FieldIndex RowsDataPort::fieldIndexFromDataColumn(int64_t dataColumn) const {
    assert(dataColumn >= 0);
    return state_.dataPort.firstFieldIndexInDataPort + dataColumn;
}

GridColumn RowsDataPort::tableViewColumnFromFieldIndex(FieldIndex field) const {
    return GridColumn(field - state_.dataPort.firstFieldIndexInDataPort + 1);
}

const DBValue* RowsDataPort::fieldValueObjectForTableViewRowIndex(GridRow row,
                                                                  FieldIndex field) const {
    const auto& port = state_.dataPort;
    // A moved port's grid shows nothing until its own page is read.
    if (port.dataPortLoadPending || row.isNone()) return nullptr;
    return port.page.cell(rowIndexFromTableViewRow(row), field);
}

int64_t RowsDataPort::fileVersion(const std::string& databaseFilePath) {
    return databaseFilePath == state_.databaseFilePath ? pager_.fileVersion(databaseFilePath) : -1;
}

void RowsDataPort::takePage(std::vector<DBValue> values, int64_t fileVersion) {
    auto& port = state_.dataPort;
    // Rows another program added since the count come back past the counted rows; they are shown
    // once a reload counts them.
    const int64_t counted =
        std::max<int64_t>(port.totalRows - port.firstRowIndexInDataPort.value, 0);
    if (port.numberOfFieldsPerRow > 0) {
        values.resize(
            std::min(values.size(), static_cast<size_t>(counted * port.numberOfFieldsPerRow)));
    }
    port.page.assign(port.firstRowIndexInDataPort, port.numberOfFieldsPerRow, std::move(values),
                     fileVersion, schemaVersionAt(fileVersion));
}

int64_t RowsDataPort::schemaVersionAt(int64_t fileVersion) {
    if (fileVersion < 0 || !state_.databaseFilePath) return -1;
    if (fileVersion != schemaFileVersion_) {
        const std::string& path = *state_.databaseFilePath;
        const int64_t version = DBInterface::fileSchemaVersion(path);
        // Read after the rows, it is the schema they were read at while the file is unchanged.
        schemaFileVersion_ = fileVersion;
        schemaVersion_ = pager_.fileVersion(path) == fileVersion ? version : -1;
    }
    return schemaVersion_;
}

std::string RowsDataPort::fieldValueForTableViewRowIndex(GridRow row, FieldIndex field) const {
    const DBValue* value = fieldValueObjectForTableViewRowIndex(row, field);
    return value && *value ? **value : std::string();
}

std::string RowsDataPort::fieldValueForDatabaseRowIndex(RowIndex rowIndex, FieldIndex field) const {
    if (rowIndex.isNone() || field.isNone()) return std::string();
    return fieldValueForTableViewRowIndex(tableViewRowFromRowIndex(rowIndex), field);
}

std::string RowsDataPort::fieldHeaderNameAtFieldIndex(FieldIndex field) const {
    const auto& names = state_.fieldModel.fieldNames;
    if (field == kRowidFieldIndex) return localizedString("ROWID");
    if (field.value >= 1 && field.value <= static_cast<int64_t>(names.size())) {
        return names[static_cast<size_t>(positionOfField(field).value)];
    }
    return localizedString("(Unknown)");
}
