#pragma once
// Shared by the import benchmarks: a whole import of a CSV file into table t of a new database by
// the import run, as the import console runs it, failing the benchmark on any issue.
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Common/DBConnection.h"
#include "exchange/ActivityLog.h"
#include "exchange/ImportRun.h"

namespace bench {

// The file's first line holds the names and, with formatsLine, its second the formats; convert
// holds ImportOptions::Convert bits, and with utc zoneless texts are read in UTC. The schema, when
// given, makes the table first; that many lines are expected to fail.
inline void importByRun(const std::string& csv, const std::string& db, bool formatsLine,
                        int64_t convert, bool utc = false, const std::string& schema = {},
                        int64_t failures = 0) {
    class QuietReporter : public ImportRun::Reporter {
      public:
        void status(const std::string&) override {}
        void resetProgress() override {}
        void advanceProgress(double) override {}
        void logChanged() override {}
    };
    std::filesystem::remove(db);
    sqlite3* created = nullptr;
    sqlite3_open(db.c_str(), &created);
    if (!schema.empty()) sqlite3_exec(created, schema.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(created);
    ImportFileSettings settings = ImportFileSettings::forFile(csv, std::string("t"));
    settings.line1 = ImportFileSettings::FieldNames;
    if (formatsLine) settings.line2 = ImportFileSettings::FieldFormats;
    ImportOptions options;
    options.dataTypesToConvert = convert;
    options.useUTC = utc;
    ActivityLog log;
    QuietReporter reporter;
    ImportRun run({settings}, options, log, reporter);
    DBConnection connection(db, ConnectionKind::Statement);
    run.run(connection, db);
    if (run.failedRows() != failures ||
        run.finalStatus() !=
            (failures ? "Import completed with issues" : "Import completed without issues")) {
        std::fprintf(stderr, "import failed: %s\n", log.text().c_str());
        std::exit(1);
    }
}

}  // namespace bench
