#include "app/SqliteErrorLog.h"

#include <sqlite3.h>

#include "Common/DBTypes.h"
#include "Common/SQLiteLibrary.h"
#include "platform/foundation/Utf8.h"

bool installSqliteErrorLog(ErrorLog* log) {
    DBInterface::configureSQLiteLibrary();
    static const bool installed =
        sqlite3_config(SQLITE_CONFIG_LOG, sqliteErrorLogCallback, log) == SQLITE_OK;
    return installed;
}

void sqliteErrorLogCallback(void* context, int code, const char* message) {
    auto* log = static_cast<ErrorLog*>(context);
    if (!log) return;
    std::string text = message ? message : "";
    // A file name or value inside the message may not be UTF-8; the table shows text only.
    if (!isValidUtf8(text)) text = kInvalidUtf8Marker;
    log->append(text, code);
}
