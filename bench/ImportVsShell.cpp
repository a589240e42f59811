// A whole import of a generated 1,000,000-row, 6-field CSV (text and number fields, a header
// line) into a new table, by the import run beside two anchors on the same file: a plain
// single-threaded C++ importer (read, split, one prepared INSERT in one transaction) and the
// sqlite3 shell's ".import --csv"; the same into a table whose trigger may roll back, without and
// with a line that does; the same rows with a Date and a Time field converted beside
// them read as plain text; and the peak memory of a child process importing a small and a large
// file.
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "ImportByRun.h"
#include "ShellComparison.h"

namespace {

constexpr int kRuns = 3;

// Rows of id, name, amount, city, count and note; with dates, the 4th and 5th fields are a date
// and a time in their stored forms, and a formats line follows the names. The refused row's note
// reads "refused".
void writeCsv(const std::string& path, int64_t rows, bool dates, int64_t refusedRow = 0) {
    std::ofstream out(path, std::ios::binary);
    out << "id,name,amount,city,count,note\n";
    if (dates) out << "Number,Text,Number,Date,Time,Text\n";
    std::string line;
    for (int64_t row = 1; row <= rows; ++row) {
        line = std::to_string(row) + ",name " + std::to_string(row * 7919 % 100003) + "," +
               std::to_string(row % 100000) + "." + std::to_string(row % 100);
        if (dates) {
            line += ",2024-0" + std::to_string(row % 9 + 1) + "-1" + std::to_string(row % 10) +
                    " +0100,2024-03-1" + std::to_string(row % 10) + " 1" +
                    std::to_string(row % 10) + ":3" + std::to_string(row % 10) + ":00 +0100";
        } else {
            line += ",city " + std::to_string(row % 977) + "," + std::to_string(row % 5000);
        }
        line += row == refusedRow ? ",refused\n" : ",a note\n";
        out << line;
    }
}

// The plain importer: lines read with getline (a quoted value may hold line ends), fields split
// by the CSV rules, each record bound to one prepared INSERT, everything in one transaction.
void importPlain(const std::string& csv, const std::string& db) {
    std::filesystem::remove(db);
    sqlite3* connection = nullptr;
    sqlite3_open(db.c_str(), &connection);
    std::ifstream in(csv, std::ios::binary);
    std::string line, record;
    std::vector<std::string> fields;
    sqlite3_stmt* insert = nullptr;
    auto readRecord = [&] {
        record.clear();
        bool quoted = false;
        while (std::getline(in, line)) {
            record += line;
            for (char c : line) quoted ^= c == '"';
            if (!quoted) return true;
            record += '\n';
        }
        return !record.empty();
    };
    auto split = [&] {
        fields.assign(1, std::string());
        bool quoted = false, atStart = true;
        for (size_t i = 0; i < record.size(); ++i) {
            const char c = record[i];
            if (quoted) {
                if (c != '"') {
                    fields.back() += c;
                } else if (i + 1 < record.size() && record[i + 1] == '"') {
                    fields.back() += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (c == ',') {
                fields.emplace_back();
                atStart = true;
                continue;
            } else if (c == '"' && atStart) {
                quoted = true;
            } else {
                fields.back() += c;
            }
            atStart = false;
        }
    };
    sqlite3_exec(connection, "begin", nullptr, nullptr, nullptr);
    while (readRecord()) {
        split();
        if (!insert) {
            std::string create = "create table t (", sql = "insert into t values (";
            for (size_t i = 0; i < fields.size(); ++i) {
                create += (i ? ", \"" : "\"") + fields[i] + "\" text";
                sql += i ? ", ?" : "?";
            }
            sqlite3_exec(connection, (create + ")").c_str(), nullptr, nullptr, nullptr);
            sqlite3_prepare_v2(connection, (sql + ")").c_str(), -1, &insert, nullptr);
            continue;
        }
        for (size_t i = 0; i < fields.size(); ++i) {
            sqlite3_bind_text(insert, static_cast<int>(i) + 1, fields[i].data(),
                              static_cast<int>(fields[i].size()), SQLITE_STATIC);
        }
        if (sqlite3_step(insert) != SQLITE_DONE) {
            std::fprintf(stderr, "plain import failed: %s\n", sqlite3_errmsg(connection));
            std::exit(1);
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(connection, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(connection);
}

// The peak resident memory, in MB, of a child process that imports the file into a table of the
// schema (a new one when empty).
double peakMegabytesOfImport(const std::string& csv, const std::string& db,
                             const std::string& schema = {}) {
    const pid_t child = fork();
    if (child == 0) {
        bench::importByRun(csv, db, false, 0, false, schema);
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main() {
    bench::ScratchFolder scratch;
    const std::string csv = scratch.file("rows.csv"), db = scratch.file("import.db");
    writeCsv(csv, 1000000, false);
    const double megabytes = static_cast<double>(std::filesystem::file_size(csv)) / 1e6;
    const double ours = bench::bestSeconds(kRuns, [&] { bench::importByRun(csv, db, false, 0); });
    const double plain = bench::bestSeconds(kRuns, [&] { importPlain(csv, db); });
    const double shell = bench::bestSeconds(kRuns, [&] {
        std::filesystem::remove(db);
        bench::runOrDie("sqlite3 '" + db + "' '.import --csv " + csv + " t'");
    });
    std::printf("file: 1,000,000 rows x 6 fields, %.1f MB\n", megabytes);
    bench::printComparison("import into a new table", ours, shell, megabytes);
    std::printf("%-28s ours %7.3f s   plain C++ importer %7.3f s   ours/plain time %.2f\n",
                "import into a new table", ours, plain, ours / plain);

    const std::string datesCsv = scratch.file("dates.csv");
    writeCsv(datesCsv, 1000000, true);
    const double converted = bench::bestSeconds(kRuns, [&] {
        bench::importByRun(datesCsv, db, true,
                           ImportOptions::ConvertDates | ImportOptions::ConvertTimes);
    });
    const double asText =
        bench::bestSeconds(kRuns, [&] { bench::importByRun(datesCsv, db, true, 0); });
    std::printf("Date and Time fields converted %.3f s, the same read as text %.3f s: ratio %.2f\n",
                converted, asText, converted / asText);

    const std::string small = scratch.file("small.csv"), large = scratch.file("large.csv");
    writeCsv(small, 200000, false);
    writeCsv(large, 4000000, false);
    std::printf("peak memory: %.1f MB file %.1f MB, %.1f MB file %.1f MB\n",
                static_cast<double>(std::filesystem::file_size(small)) / 1e6,
                peakMegabytesOfImport(small, db),
                static_cast<double>(std::filesystem::file_size(large)) / 1e6,
                peakMegabytesOfImport(large, db));

    // Where a trigger may roll the transaction back, the rows since the last commit are kept to be
    // written again: beside the same trigger that aborts, once with a line in the middle that is
    // rolled back, so that they are. Last, so that the memory figures above are of a fresh heap.
    auto refusing = [](const char* how) {
        return std::string(
                   "create table t (id, name, amount, city, count, note); create trigger "
                   "g before insert on t when new.note = 'refused' begin select raise(") +
               how + ", 'refused'); end";
    };
    std::printf("peak memory, table whose trigger may roll back: %.1f MB file %.1f MB\n",
                static_cast<double>(std::filesystem::file_size(large)) / 1e6,
                peakMegabytesOfImport(large, db, refusing("rollback")));
    const double aborting = bench::bestSeconds(
        kRuns, [&] { bench::importByRun(csv, db, false, 0, false, refusing("abort")); });
    const double kept = bench::bestSeconds(
        kRuns, [&] { bench::importByRun(csv, db, false, 0, false, refusing("rollback")); });
    const std::string refusedCsv = scratch.file("refused.csv");
    writeCsv(refusedCsv, 1000000, false, 500000);
    const double writtenAgain = bench::bestSeconds(kRuns, [&] {
        bench::importByRun(refusedCsv, db, false, 0, false, refusing("rollback"), 1);
    });
    std::printf("%-28s ours %7.3f s   same trigger aborting %7.3f s   ratio %.2f\n",
                "trigger may roll back", kept, aborting, kept / aborting);
    std::printf("%-28s ours %7.3f s   none rolled back %7.3f s   ratio %.2f\n",
                "a line rolled back mid-file", writtenAgain, kept, writtenAgain / kept);
    return 0;
}
