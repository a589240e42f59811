#include "Common/Pickers.h"

#include "Common/DBExecution.h"
#include "Common/MetaTableText.h"
#include "Common/RowidText.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {
constexpr int kRefused = -1;

const char* kCreatePickerTables =
    "create table if not exists varnelo_db_picker_types (rowid integer primary key "
    "autoincrement, name not null default '', number int not null default 0); create table if "
    "not exists varnelo_db_picker_values (rowid integer primary key autoincrement, type_id int "
    "not null default 0, name not null default '', number int not null default 0); ";

// The rowid of the type just added in this transaction (rowids only grow).
const char* kNewestType = "(select max(rowid) from varnelo_db_picker_types)";

std::string insertTypeSQL(const std::string& name) {
    return "insert into varnelo_db_picker_types (name, number) select " + quoteLiteral(name) +
           ", coalesce(max(number), 0) + 1 from varnelo_db_picker_types; ";
}

// Numbered after the last value of its type, so that it ends the list.
std::string appendValueSQL(const std::string& typeExpression, const std::string& value) {
    return "insert into varnelo_db_picker_values (type_id, name, number) select " + typeExpression +
           ", " + quoteLiteral(value) +
           ", coalesce(max(number), 0) + 1 from varnelo_db_picker_values where type_id=" +
           typeExpression + "; ";
}

bool hasFlagsColumn(const std::string& databaseFilePath) {
    auto definition = tableDefinition(kPickerTypesTable, databaseFilePath);
    return definition && definition->find("flags") != std::string::npos;
}
}  // namespace

int addPickerType(const std::string& name, const std::string& databaseFilePath,
                  std::string* errorString) {
    return addPickerType(name, {}, databaseFilePath, errorString);
}

int addPickerType(const std::string& name, const std::vector<std::string>& values,
                  const std::string& databaseFilePath, std::string* errorString) {
    std::string statements = std::string(kCreatePickerTables) + insertTypeSQL(name);
    for (const std::string& value : values) statements += appendValueSQL(kNewestType, value);
    return runInTransaction(statements, nullptr, databaseFilePath, errorString);
}

int getPickerTypes(std::vector<std::string>* rows, const std::string& databaseFilePath,
                   std::string* errorString) {
    return getRowsIfTableExists(
        rows, kPickerTypesTable,
        "select rowid, name from varnelo_db_picker_types order by name collate nocase",
        databaseFilePath, errorString);
}

int getPickerTypeDictionaries(std::map<std::string, PickerTypeDictionary>* dictionaries,
                              const std::string& databaseFilePath, std::string* errorString) {
    bool flags = hasFlagsColumn(databaseFilePath);
    std::vector<std::string> rows;
    int rc = getRowsIfTableExists(&rows, kPickerTypesTable,
                                  flags ? "select rowid, name, flags from varnelo_db_picker_types"
                                        : "select rowid, name, '0' from varnelo_db_picker_types",
                                  databaseFilePath, errorString);
    for (size_t i = 0; rc == 0 && i + 3 <= rows.size(); i += 3) {
        (*dictionaries)[rows[i]] = {rows[i + 1], rows[i + 2]};
    }
    return rc;
}

int getFlags(int64_t* flags, const std::string& pickerType, const std::string& databaseFilePath,
             std::string* errorString) {
    if (!hasFlagsColumn(databaseFilePath)) return 0;
    if (!checkRowid(pickerType, errorString)) return kRefused;
    std::vector<std::string> rows;
    int rc = getRows(&rows, "select flags from varnelo_db_picker_types where rowid=" + pickerType,
                     databaseFilePath, errorString);
    if (rc == 0 && !rows.empty()) *flags = std::atoll(rows.front().c_str());
    return rc;
}

int changePickerType(const std::string& pickerType, int64_t flag, bool enable,
                     const std::string& databaseFilePath, std::string* errorString) {
    auto definition = tableDefinition(kPickerTypesTable, databaseFilePath);
    if (!definition) {
        appendError(errorString, localizedString("No varnelo_db_picker_types table"));
        return kRefused;
    }
    if (!checkRowid(pickerType, errorString)) return kRefused;
    if (definition->find("flags") == std::string::npos) {
        int rc = execCommandString(
            "alter table varnelo_db_picker_types add column flags int not null default 0; ",
            databaseFilePath, errorString);
        if (rc != 0) return rc;
    }
    return execCommandString("update varnelo_db_picker_types set flags = (flags " +
                                 std::string(enable ? "| " : "& ~") + std::to_string(flag) +
                                 ") where rowid=" + pickerType,
                             databaseFilePath, errorString);
}

int updatePickerType(const std::string& name, const std::string& rowid,
                     const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(rowid, errorString)) return kRefused;
    return execCommandString(
        "update varnelo_db_picker_types set name=" + quoteLiteral(name) + " where rowid=" + rowid,
        databaseFilePath, errorString);
}

int deletePickerTypes(const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                      std::string* errorString) {
    if (rowids.empty()) return 0;
    auto list = checkedRowidList(rowids, errorString);
    if (!list) return kRefused;
    return runInTransaction("delete from varnelo_db_picker_types where rowid in (" + *list +
                                "); delete from varnelo_db_picker_values where type_id in (" +
                                *list + "); ",
                            nullptr, databaseFilePath, errorString);
}

int addPickerValue(const std::string& value, const std::string& pickerType,
                   const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(pickerType, errorString)) return kRefused;
    return execCommandString(appendValueSQL(pickerType, value), databaseFilePath, errorString);
}

int getPickerValues(std::vector<std::string>* rows, const std::string& pickerType,
                    const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(pickerType, errorString)) return kRefused;
    return getRowsIfTableExists(rows, kPickerValuesTable,
                                "select rowid, name from varnelo_db_picker_values where type_id=" +
                                    pickerType + " order by number",
                                databaseFilePath, errorString);
}

int updatePickerValue(const std::string& name, const std::string& rowid,
                      const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(rowid, errorString)) return kRefused;
    return execCommandString(
        "update varnelo_db_picker_values set name=" + quoteLiteral(name) + " where rowid=" + rowid,
        databaseFilePath, errorString);
}

int updatePickerValues(const std::vector<std::string>& values, const std::string& pickerType,
                       const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(pickerType, errorString)) return kRefused;
    std::string statements =
        "delete from varnelo_db_picker_values where type_id=" + pickerType + "; ";
    for (size_t i = 0; i < values.size(); ++i) {
        statements += "insert into varnelo_db_picker_values (type_id, name, number) values (" +
                      pickerType + ", " + quoteLiteral(values[i]) + ", " + std::to_string(i + 1) +
                      "); ";
    }
    return runInTransaction(statements, nullptr, databaseFilePath, errorString);
}

int deletePickerValues(const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                       std::string* errorString) {
    return deleteRowsWithRowids(kPickerValuesTable, rowids, databaseFilePath, errorString);
}

}  // namespace DBInterface
