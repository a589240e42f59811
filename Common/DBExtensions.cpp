#include "Common/DBExtensions.h"

extern "C" {
int sqlite3_decimal_init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api);
int sqlite3_ieee_init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api);
int sqlite3_series_init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api);
int sqlite3_regexp_init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api);
}

int installConnectionExtensions(sqlite3* db) {
    using Step = int (*)(sqlite3*);
    static const Step steps[] = {
        registerSubstr,
        registerDateFunctions,
        registerFilesTable,
        [](sqlite3* d) { return sqlite3_decimal_init(d, nullptr, nullptr); },
        [](sqlite3* d) { return sqlite3_ieee_init(d, nullptr, nullptr); },
        [](sqlite3* d) { return sqlite3_series_init(d, nullptr, nullptr); },
        [](sqlite3* d) { return sqlite3_regexp_init(d, nullptr, nullptr); },
    };
    for (Step step : steps) {
        int rc = step(db);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}
