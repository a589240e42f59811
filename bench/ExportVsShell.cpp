// Exporting a generated 1,000,000-row, 6-column table to CSV: our export writer beside the
// sqlite3 shell's ".mode csv" with ".once" on the same database.
#include <filesystem>

#include "Common/DBInterface.h"
#include "ShellComparison.h"
#include "platform/foundation/UserDefaults.h"

int main() {
    bench::ScratchFolder scratch;
    setenv("VARNELO_HOME", scratch.file("home").c_str(), 1);
    const std::string db = scratch.file("export.db");
    std::string error;
    // Text with and without commas and quotes, integers, reals, dates and some NULLs.
    if (DBInterface::execMultipleQueryString(
            "begin transaction; create table t (id, name, amount, day, note, flag); "
            "insert into t select value, 'name ' || (value * 7919 % 100003), value * 1.25, "
            "date('2020-01-01', '+' || (value % 3650) || ' days'), "
            "case when value % 10 = 0 then 'note, with \"quotes\"' when value % 10 = 1 then NULL "
            "else 'plain note ' || value end, value % 2 from generate_series(1, 1000000); "
            "commit transaction",
            nullptr, nullptr, db, &error, DBInterface::MissingFile::Create) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        return 1;
    }
    UserDefaults::standard().setInteger(1, "ExportDelimiter");

    const std::string ours = scratch.file("ours.csv");
    const std::string shells = scratch.file("shell.csv");
    const double oursSeconds = bench::bestSeconds(3, [&] {
        if (DBInterface::dumpFromTable("t", {"id", "name", "amount", "day", "note", "flag"}, ours,
                                       false, db, &error) != 0) {
            std::fprintf(stderr, "export failed: %s\n", error.c_str());
            std::exit(1);
        }
    });
    const double shellSeconds = bench::bestSeconds(3, [&] {
        bench::runOrDie("sqlite3 " + db + " '.headers on' '.mode csv' '.once " + shells +
                        "' 'select * from t'");
    });
    const double megabytes = static_cast<double>(std::filesystem::file_size(ours)) / 1e6;
    std::printf("1000000 rows, %.1f MB of CSV (shell wrote %.1f MB)\n", megabytes,
                static_cast<double>(std::filesystem::file_size(shells)) / 1e6);
    bench::printComparison("export 1,000,000 rows", oursSeconds, shellSeconds, megabytes);
    return 0;
}
