#include "Common/FieldModel.h"

#include <cassert>
#include <map>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/HeldPrefixPages.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaListing.h"

namespace DBInterface {

namespace {

// The column names of the first statement of query, from the prepared statement alone.
int preparedColumnNames(const DBConnection& connection, const std::string& query,
                        std::vector<std::string>* names, std::string* errorString) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(connection.handle(), query.c_str(), static_cast<int>(query.size()),
                                &statement, nullptr);
    if (rc != SQLITE_OK) {
        appendError(errorString, connection.errorMessage());
        return rc;
    }
    if (!statement) return SQLITE_OK;
    int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i) {
        names->push_back(columnName(statement, i, "", kInvalidUtf8Marker));
    }
    sqlite3_finalize(statement);
    return SQLITE_OK;
}

// Where the reads of a field model run: each through the readers on a connection of its own,
// or all on one open connection.
class ModelReads {
  public:
    virtual ~ModelReads() = default;
    // The values of every row, NULL as empty text.
    virtual int rows(const std::string& query, std::vector<std::string>* values,
                     std::string* errorString) = 0;
    virtual int columnNames(const std::string& query, std::vector<std::string>* names,
                            std::string* errorString) = 0;
    // The object's type text, "" when there is no such object.
    virtual int objectType(const std::string& name, std::string* type,
                           std::string* errorString) = 0;
    virtual int fieldsMetaTableExists(bool* exists, std::string* errorString) = 0;
};

class ReadsByPath : public ModelReads {
  public:
    explicit ReadsByPath(const std::string& path) : path_(path) {}
    int rows(const std::string& query, std::vector<std::string>* values,
             std::string* errorString) override {
        return getRows(values, query, path_, errorString);
    }
    int columnNames(const std::string& query, std::vector<std::string>* names,
                    std::string* errorString) override {
        return getQueryColumnNames(names, query, path_, errorString);
    }
    int objectType(const std::string& name, std::string* type, std::string* errorString) override {
        std::vector<std::string> definition;
        int rc = getTableTypeAndDefinition(&definition, name, path_, errorString);
        if (rc == 0 && !definition.empty()) *type = definition.front();
        return rc;
    }
    // A failed test counts as no meta table.
    int fieldsMetaTableExists(bool* exists, std::string*) override {
        *exists = doesTableExist(kFieldsMetaTable, path_);
        return 0;
    }

  private:
    const std::string& path_;
};

class ReadsOnConnection : public ModelReads {
  public:
    explicit ReadsOnConnection(const DBConnection& connection) : connection_(connection) {}
    int rows(const std::string& query, std::vector<std::string>* values,
             std::string* errorString) override {
        int rc = forEachRow(connection_.handle(), query, [&](sqlite3_stmt* statement) {
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                values->push_back(*columnValue(statement, i, false, kInvalidUtf8Marker));
            }
            return true;
        });
        if (rc != SQLITE_OK) appendError(errorString, connection_.errorMessage());
        return rc;
    }
    int columnNames(const std::string& query, std::vector<std::string>* names,
                    std::string* errorString) override {
        return preparedColumnNames(connection_, query, names, errorString);
    }
    int objectType(const std::string& name, std::string* type, std::string* errorString) override {
        // sqlite_master does not list itself.
        if (name == "sqlite_master") {
            *type = "table";
            return 0;
        }
        std::vector<std::string> types;
        int rc = rows("select type from sqlite_master where name=" + quoteLiteral(name), &types,
                      errorString);
        if (rc == 0 && !types.empty()) *type = types.front();
        return rc;
    }
    int fieldsMetaTableExists(bool* exists, std::string* errorString) override {
        std::vector<std::string> found;
        int rc = rows("select 1 from sqlite_master where type='table' and name=" +
                          quoteLiteral(kFieldsMetaTable),
                      &found, errorString);
        *exists = rc == 0 && !found.empty();
        return rc;
    }

  private:
    const DBConnection& connection_;
};

// Whether a failed read of the meta rows fails the whole read, or gives the defaults.
enum class MetaRows { Optional, Required };

int toInt(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

int64_t toInt64(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

template <typename T>
void appendAll(std::vector<T>* list, const std::vector<T>& values) {
    if (list) list->insert(list->end(), values.begin(), values.end());
}

void appendModel(const ObjectFieldModel& model, std::vector<std::string>* fieldNames,
                 std::vector<int>* fieldTypes, std::vector<int64_t>* formatStyles) {
    // The lists are read side by side, one entry a field.
    assert(model.types.size() == model.names.size() &&
           model.formatStyles.size() == model.names.size());
    appendAll(fieldNames, model.names);
    appendAll(fieldTypes, model.types);
    appendAll(formatStyles, model.formatStyles);
}

// The object's meta rows when varnelo_db_fields exists. Unless they are required, a failed read
// reads as no rows and is reported to optionalError alone.
int readMetaRows(ModelReads& reads, MetaRows metaRows, const std::string& query,
                 std::vector<std::string>* rows, std::string* errorString,
                 std::string* optionalError) {
    bool required = metaRows == MetaRows::Required;
    bool exists = false;
    int rc = reads.fieldsMetaTableExists(&exists, required ? errorString : nullptr);
    if (rc == 0 && exists) rc = reads.rows(query, rows, required ? errorString : optionalError);
    if (rc == 0) return 0;
    rows->clear();
    return required ? rc : 0;
}

// Types and styles matched by position: the meta row numbered n describes column n. A failed
// read of the names leaves the model empty.
int readViewModel(ModelReads& reads, MetaRows metaRows, const std::string& viewName,
                  ObjectFieldModel* model, std::string* errorString) {
    int rc = reads.columnNames("select * from " + quoteIdentifier(viewName) + " limit 1",
                               &model->names, errorString);
    if (rc != 0) model->names.clear();
    model->types.assign(model->names.size(), 1);
    model->formatStyles.assign(model->names.size(), 0);
    if (model->names.empty()) return rc;
    std::vector<std::string> rows;
    int metaRC = readMetaRows(reads, metaRows,
                              "select number, type, flags from varnelo_db_fields where "
                              "table_name=" +
                                  quoteLiteral(viewName) + " order by number",
                              &rows, errorString, errorString);
    if (metaRC != 0) return metaRC;
    for (size_t i = 0; i + 2 < rows.size(); i += 3) {
        int64_t number = toInt64(rows[i]);
        if (number < 1 || number > static_cast<int64_t>(model->names.size())) continue;
        model->types[static_cast<size_t>(number - 1)] = toInt(rows[i + 1]);
        model->formatStyles[static_cast<size_t>(number - 1)] = toInt64(rows[i + 2]);
    }
    return rc;
}

// A table's columns with hidden and generated ones; types and styles matched by name. A view
// goes to the view reader; any other object gives an empty model.
int readModel(ModelReads& reads, MetaRows metaRows, const std::string& name,
              ObjectFieldModel* model, std::string* errorString) {
    int rc = reads.objectType(name, &model->type, errorString);
    if (rc != 0) return rc;
    if (model->type == "view") return readViewModel(reads, metaRows, name, model, errorString);
    if (model->type != "table") return 0;

    std::vector<std::string> columns;
    rc = reads.rows("select name, hidden from pragma_table_xinfo(" + quoteLiteral(name) + ")",
                    &columns, errorString);
    if (rc != 0) return rc;
    for (size_t i = 0; i + 1 < columns.size(); i += 2) {
        model->names.push_back(columns[i]);
        if (toInt(columns[i + 1]) >= 1) model->hiddenFields.insert(columns[i]);
    }

    std::vector<std::string> rows;
    rc = readMetaRows(reads, metaRows,
                      "select name, type, flags from varnelo_db_fields where table_name=" +
                          quoteLiteral(name) + " order by number",
                      &rows, errorString, nullptr);
    if (rc != 0) return rc;
    std::map<std::string, std::pair<int, int64_t>> byName;
    for (size_t i = 0; i + 2 < rows.size(); i += 3) {
        byName[rows[i]] = {toInt(rows[i + 1]), toInt64(rows[i + 2])};
    }
    for (const std::string& column : model->names) {
        auto found = byName.find(column);
        model->types.push_back(found == byName.end() ? 1 : found->second.first);
        model->formatStyles.push_back(found == byName.end() ? 0 : found->second.second);
    }
    return 0;
}

}  // namespace

int getQueryColumnNames(std::vector<std::string>* names, const std::string& query,
                        const std::string& databaseFilePath, std::string* errorString) {
    if (databaseFilePath.empty()) return kMissingPathResult;
    DBConnection connection(databaseFilePath, ConnectionKind::Plain);
    if (!connection.isOpen()) {
        appendError(errorString, connection.errorMessage());
        return connection.openResult();
    }
    return preparedColumnNames(connection, query, names, errorString);
}

int getFieldNames(std::vector<std::string>* fieldNames, std::vector<int>* fieldTypes,
                  std::vector<int64_t>* formatStyles, std::set<std::string>* hiddenFields,
                  const std::string& tableName, const std::string& databaseFilePath,
                  std::string* errorString) {
    ReadsByPath reads(databaseFilePath);
    ObjectFieldModel model;
    int rc = readModel(reads, MetaRows::Optional, tableName, &model, errorString);
    if (rc != 0 && model.type != "view") return rc;
    appendModel(model, fieldNames, fieldTypes, formatStyles);
    if (hiddenFields) hiddenFields->insert(model.hiddenFields.begin(), model.hiddenFields.end());
    return rc;
}

int getFieldNames(std::vector<std::string>* fieldNames, std::vector<int>* fieldTypes,
                  std::vector<int64_t>* formatStyles, const std::string& viewName,
                  const std::string& databaseFilePath, std::string* errorString) {
    ReadsByPath reads(databaseFilePath);
    ObjectFieldModel model;
    int rc = readViewModel(reads, MetaRows::Optional, viewName, &model, errorString);
    appendModel(model, fieldNames, fieldTypes, formatStyles);
    return rc;
}

int64_t fileSchemaVersion(const std::string& databaseFilePath) {
    if (databaseFilePath.empty()) return -1;
    DBConnection connection(databaseFilePath, ConnectionKind::ReadOnly);
    return connection.isOpen() ? schemaVersion(connection.handle()) : -1;
}

int readFieldModel(ObjectFieldModel* model, const std::string& name, const DBConnection& connection,
                   std::string* errorString) {
    ReadsOnConnection reads(connection);
    return readModel(reads, MetaRows::Required, name, model, errorString);
}

}  // namespace DBInterface
