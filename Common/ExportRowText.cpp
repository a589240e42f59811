#include "Common/ExportRowText.h"

#include "Common/DBExistence.h"
#include "Common/DBTypes.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

int checkExportDatabase(const std::string& databaseFilePath, std::string* errorString) {
    if (databaseFilePath.empty()) {
        appendError(errorString,
                    localizedFormat("Could not find the database resource %@", {databaseFilePath}));
        return kMissingPathResult;
    }
    if (!isValidDatabaseFile(databaseFilePath)) {
        appendError(errorString,
                    localizedFormat("Could not open the database %@", {databaseFilePath}));
        return SQLITE_CANTOPEN;
    }
    return SQLITE_OK;
}

void appendHeaderRow(std::string& out, const std::vector<std::string>& texts,
                     const ExportSettings& settings) {
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out.append(settings.separator);
        appendExportValue(out, texts[i], settings, settings.quoting);
    }
    out.append(settings.lineEnd());
}

namespace {
// Like SQL's hex().
void appendHex(std::string& out, const unsigned char* bytes, int length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < length; ++i) {
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
    }
}
}  // namespace

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

}  // namespace DBInterface
