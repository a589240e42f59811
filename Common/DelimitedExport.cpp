#include "Common/DelimitedExport.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "Common/DBConnection.h"
#include "Common/DBExistence.h"
#include "Common/ExportSettings.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

constexpr size_t kFlushSize = size_t{1} << 20;

// The output file, written in large blocks; every write and the close are checked, so that a
// full disk is reported rather than taken for success.
class ExportFile {
  public:
    ExportFile(const std::string& path, bool append, std::string* errorString)
        : path_(path),
          errorString_(errorString),
          file_(std::fopen(path.c_str(), append ? "a" : "w")) {
        if (!file_) {
            appendError(errorString_, localizedFormat("Could not open file [%s], errno %d",
                                                      {path_, std::to_string(errno)}));
        }
        buffer_.reserve(kFlushSize + kFlushSize / 4);
    }
    ~ExportFile() {
        if (file_) std::fclose(file_);
    }
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    std::string& buffer() { return buffer_; }

    // Writes the buffer out once it is large; false after a failed write.
    bool flushIfFull() { return buffer_.size() < kFlushSize || flush(); }

    // Writes what is left and closes the file; false when either fails.
    bool close() {
        const bool flushed = flush();
        FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0 && flushed) return failed();
        return flushed;
    }

  private:
    bool flush() {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
            return failed();
        }
        buffer_.clear();
        return true;
    }
    bool failed() {
        appendError(errorString_, localizedFormat("Could not write file [%s], errno %d",
                                                  {path_, std::to_string(errno)}));
        return false;
    }

    std::string path_;
    std::string* errorString_;
    FILE* file_;
    std::string buffer_;
};

// A line of header texts, never quoted.
void appendHeaderRow(std::string& out, const std::vector<std::string>& texts,
                     const ExportSettings& settings) {
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out.append(settings.separator);
        appendExportValue(out, texts[i], settings, ExportQuoting::Never);
    }
    out.append(settings.lineEnd());
}

// The object's columns as "select *" gives them, with their field types when known.
struct FieldModel {
    std::vector<std::string> names;
    std::vector<int> types;

    // The position of a column, found as SQLite finds it (ASCII letters in either case); -1 when
    // there is none.
    int64_t indexOf(const std::string& field) const {
        for (size_t i = 0; i < names.size(); ++i) {
            if (sqlite3_stricmp(names[i].c_str(), field.c_str()) == 0)
                return static_cast<int64_t>(i);
        }
        return -1;
    }
    // The field types from the meta table, kept only when they describe these columns.
    void readTypes(const std::string& tableName, const std::string& databaseFilePath) {
        std::vector<std::string> typedNames;
        getFieldNames(&typedNames, &types, nullptr, tableName, databaseFilePath, nullptr);
        if (typedNames != names) types.clear();
    }
    // The localized type name of each field, "Text" for a field without a type.
    std::vector<std::string> typeNames(const std::vector<std::string>& fields) const {
        std::vector<std::string> result;
        for (const std::string& field : fields) {
            const int64_t index = indexOf(field);
            const bool typed = index >= 0 && index < static_cast<int64_t>(types.size());
            result.push_back(
                getColumnTypeStringForceText(typed ? types[static_cast<size_t>(index)] : 0));
        }
        return result;
    }
};

// A BLOB as upper-case hexadecimal digits, like SQL's hex().
void appendHex(std::string& out, const unsigned char* bytes, int length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < length; ++i) {
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
    }
}

void appendRow(std::string& out, sqlite3_stmt* statement, int columnCount,
               const ExportSettings& settings, std::string& hex) {
    for (int column = 0; column < columnCount; ++column) {
        if (column > 0) out.append(settings.separator);
        std::string_view value;
        switch (sqlite3_column_type(statement, column)) {
            case SQLITE_NULL:
                value = settings.nullText;
                break;
            case SQLITE_BLOB: {
                const auto* bytes =
                    static_cast<const unsigned char*>(sqlite3_column_blob(statement, column));
                hex.clear();
                appendHex(hex, bytes, sqlite3_column_bytes(statement, column));
                value = hex;
                break;
            }
            default: {
                const auto* text =
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
                const auto length = static_cast<size_t>(sqlite3_column_bytes(statement, column));
                // Bytes that are not UTF-8 are written as stored rather than dropped, so the
                // file still holds every value.
                if (text) value = std::string_view(text, length);
            }
        }
        appendExportValue(out, value, settings, settings.quoting);
    }
    out.append(settings.lineEnd());
}

using StatementPtr = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

int prepare(const DBConnection& connection, const std::string& sql, StatementPtr& statement,
            std::string* errorString) {
    sqlite3_stmt* prepared = nullptr;
    const int rc = sqlite3_prepare_v2(connection.handle(), sql.c_str(),
                                      static_cast<int>(sql.size()), &prepared, nullptr);
    statement.reset(prepared);
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

std::string selectQuery(const std::string& tableName,
                        const std::vector<std::string>& selectedFields) {
    std::string query = "select ";
    for (size_t i = 0; i < selectedFields.size(); ++i) {
        if (i > 0) query += ",";
        query += quoteIdentifier(selectedFields[i]);
    }
    return query + " from " + quoteIdentifier(tableName);
}

}  // namespace

int dumpFromTable(const std::string& tableName, const std::vector<std::string>& selectedFields,
                  const std::string& filePath, bool append, const std::string& databaseFilePath,
                  std::string* errorString) {
    if (databaseFilePath.empty()) {
        appendError(errorString,
                    localizedFormat("Could not find the database resource %@", {databaseFilePath}));
        return kMissingPathResult;
    }
    // Opening would create a missing file; a file that is no database is refused before the
    // output is touched.
    if (!isValidDatabaseFile(databaseFilePath)) {
        appendError(errorString,
                    localizedFormat("Could not open the database %@", {databaseFilePath}));
        return SQLITE_CANTOPEN;
    }
    DBConnection connection(databaseFilePath, ConnectionKind::Statement, errorString);
    if (!connection.isOpen()) {
        appendError(errorString, connection.errorMessage());
        return connection.openResult();
    }
    // A double-quoted name that is no column would be read as a text literal, so every field is
    // looked up among the object's columns first.
    StatementPtr allColumns(nullptr, &sqlite3_finalize);
    int rc =
        prepare(connection, "select * from " + quoteIdentifier(tableName), allColumns, errorString);
    if (rc != SQLITE_OK) return rc;
    FieldModel model;
    for (int i = 0; i < sqlite3_column_count(allColumns.get()); ++i) {
        model.names.push_back(sqlite3_column_name(allColumns.get(), i));
    }
    for (const std::string& field : selectedFields) {
        if (model.indexOf(field) < 0) {
            appendError(errorString, localizedFormat("no such column: %@", {field}));
            return SQLITE_ERROR;
        }
    }
    StatementPtr rows(nullptr, &sqlite3_finalize);
    rc = prepare(connection, selectQuery(tableName, selectedFields), rows, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3_stmt* statement = rows.get();

    const ExportSettings settings = ExportSettings::fromUserDefaults();
    ExportFile file(filePath, append, errorString);
    if (!file.isOpen()) return kExportFileError;
    std::string& out = file.buffer();
    if (!append) {
        if (settings.fieldNamesRow) appendHeaderRow(out, selectedFields, settings);
        if (settings.fieldTypesRow) {
            model.readTypes(tableName, databaseFilePath);
            appendHeaderRow(out, model.typeNames(selectedFields), settings);
        }
    }
    const int columnCount = sqlite3_column_count(statement);
    std::string hex;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        appendRow(out, statement, columnCount, settings, hex);
        if (!file.flushIfFull()) return kExportFileError;
    }
    // What was read before a failure is still written out.
    const bool written = file.close();
    if (rc != SQLITE_DONE) {
        appendError(errorString, connection.errorMessage());
        return rc;
    }
    return written ? SQLITE_OK : kExportFileError;
}

}  // namespace DBInterface
