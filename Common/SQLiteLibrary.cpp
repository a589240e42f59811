#include "Common/SQLiteLibrary.h"

#include <sqlite3.h>

#include <mutex>

namespace DBInterface {

void configureSQLiteLibrary() {
    static std::once_flag configured;
    std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

}  // namespace DBInterface
