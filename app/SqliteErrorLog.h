#pragma once
// Feeds SQLite's log into the application error log. SQLite takes its log callback only before
// its first use in the process, so this is the first SQLite call the program makes.
#include "app/ErrorLog.h"

// Installs the callback once per process; later calls change nothing. Answers whether SQLite
// took it.
bool installSqliteErrorLog(ErrorLog* log);

// The callback: appends [code, message] to the log given as context.
void sqliteErrorLogCallback(void* context, int code, const char* message);
