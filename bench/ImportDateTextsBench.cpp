// Imports of generated CSV files of seven fields, three of them Date and Time fields, spread over
// forty years so that every change of daylight saving time is met: ordinary ISO texts
// ("2005-08-15", "2005-08-15 13:03:53", and times with a zone "+02:00"); the other forms the
// import reads (US "08/15/2005" and "8/15/2005 1:03:53 PM", "2005-8-15 13:03", "15-Aug-2005
// 13:03"), also with days anywhere in a century in no order; and texts that no pattern reads and
// that stay text (ISO 8601 with a "T", German "15.08.2005"). Each with date and time conversion
// on, in the local zone and with zoneless texts read in UTC, beside the same file imported as
// text, and the ISO file beside the sqlite3 shell's ".import --csv" of it.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <sqlite3.h>

#include "ImportByRun.h"
#include "ShellComparison.h"
#include "platform/foundation/UserLocale.h"

namespace {

constexpr int kRuns = 3;

// The day, the time and the zoned time of a row, in one of the forms.
enum class Form { ISO, US, Other, OtherAtRandom, ISOWithT, German };

// A well-mixed number of the row, for fields that fall anywhere.
uint64_t scrambled(int64_t row) {
    uint64_t x = static_cast<uint64_t>(row) * 0x9e3779b97f4a7c15u;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9u;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebu;
    return x ^ (x >> 31);
}

int formatDates(char* out, size_t size, Form form, int64_t row) {
    // The fields cycle through forty years, or with OtherAtRandom fall anywhere in a century.
    int year = 1990 + static_cast<int>(row % 40), month = 1 + static_cast<int>(row % 12),
        day = 1 + static_cast<int>(row * 7 % 28), hour = static_cast<int>(row % 24),
        minute = static_cast<int>(row * 13 % 60), second = static_cast<int>(row % 60),
        zone = static_cast<int>(row % 25) - 12;
    if (form == Form::OtherAtRandom) {
        uint64_t mixed = scrambled(row);
        auto next = [&mixed](int count) {
            const auto value = static_cast<int>(mixed % static_cast<uint64_t>(count));
            mixed /= static_cast<uint64_t>(count);
            return value;
        };
        year = 1950 + next(100);
        month = 1 + next(12);
        day = 1 + next(28);
        hour = next(24);
        minute = next(60);
    }
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    const char* period = hour < 12 ? "AM" : "PM";
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    switch (form) {
        case Form::ISO:
            return std::snprintf(out, size,
                                 "%04d-%02d-%02d,%04d-%02d-%02d %02d:%02d:%02d,"
                                 "%04d-%02d-%02d %02d:%02d:%02d %+03d:00",
                                 year, month, day, year, month, day, hour, minute, second, year,
                                 12 - month + 1, day, hour, minute, second, zone);
        case Form::US:
            return std::snprintf(
                out, size,
                "%02d/%02d/%04d,%02d/%02d/%04d %02d:%02d:%02d,%d/%d/%04d %d:%02d:%02d %s", month,
                day, year, month, day, year, hour, minute, second, month, day, year, hour12, minute,
                second, period);
        case Form::Other:
        case Form::OtherAtRandom:
            return std::snprintf(out, size, "%04d-%d-%d,%04d-%d-%d %d:%02d,%d-%s-%04d %d:%02d %s",
                                 year, month, day, year, month, day, hour, minute, day,
                                 months[month - 1], year, hour12, minute, period);
        case Form::ISOWithT:
            return std::snprintf(out, size,
                                 "%04d-%02d-%02dT%02d:%02d:%02dZ,%04d-%02d-%02dT%02d:%02d:%02dZ,"
                                 "%04d-%02d-%02dT%02d:%02d:%02d%+03d:00",
                                 year, month, day, hour, minute, second, year, month, day, hour,
                                 minute, second, year, month, day, hour, minute, second, zone);
        case Form::German:
            return std::snprintf(
                out, size, "%02d.%02d.%04d,%02d.%02d.%04d %02d:%02d:%02d,%02d.%02d.%04d %02d:%02d",
                day, month, year, day, month, year, hour, minute, second, day, month, year, hour,
                minute);
    }
    return 0;
}

// Rows of id, name, amount, a date, a time, a time with a zone and a note, after a names and a
// formats line.
void writeCsv(const std::string& path, int64_t rows, Form form) {
    std::ofstream out(path, std::ios::binary);
    out << "id,name,amount,day,moment,zoned,note\nNumber,Text,Number,Date,Time,Time,Text\n";
    char line[200], dates[150];
    for (int64_t row = 1; row <= rows; ++row) {
        formatDates(dates, sizeof dates, form, row);
        const int length = std::snprintf(
            line, sizeof line, "%lld,name %lld,%lld.%02lld,%s,a note\n",
            static_cast<long long>(row), static_cast<long long>(row * 7919 % 100003),
            static_cast<long long>(row % 100000), static_cast<long long>(row % 100), dates);
        out.write(line, length);
    }
}

// Values the conversion left as they were: only local times skipped by a change of offset.
int64_t unconvertedValues(const std::string& db) {
    sqlite3* connection = nullptr;
    sqlite3_stmt* statement = nullptr;
    sqlite3_open_v2(db.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_prepare_v2(connection,
                       "select sum((length(day) <> 16) + (length(moment) <> 25) + "
                       "(length(zoned) <> 25)) from t",
                       -1, &statement, nullptr);
    const int64_t count =
        sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    sqlite3_close(connection);
    return count;
}

void compare(int64_t rows) {
    bench::ScratchFolder scratch;
    const std::string csv = scratch.file("dates.csv"), db = scratch.file("import.db");
    writeCsv(csv, rows, Form::ISO);
    constexpr int64_t kDatesAndTimes = ImportOptions::ConvertDates | ImportOptions::ConvertTimes;
    const double plain = bench::bestSeconds(kRuns, [&] { bench::importByRun(csv, db, true, 0); });
    const double local =
        bench::bestSeconds(kRuns, [&] { bench::importByRun(csv, db, true, kDatesAndTimes); });
    const double utc =
        bench::bestSeconds(kRuns, [&] { bench::importByRun(csv, db, true, kDatesAndTimes, true); });
    const int64_t leftInUTC = unconvertedValues(db);
    bench::importByRun(csv, db, true, kDatesAndTimes);
    const int64_t leftLocal = unconvertedValues(db);
    const double shell = bench::bestSeconds(kRuns, [&] {
        std::filesystem::remove(db);
        bench::runOrDie("sqlite3 '" + db + "' '.import --csv " + csv + " t'");
    });
    std::printf(
        "%8lld rows of ISO texts: as text %.3f s; converted, zoneless texts local %.3f s (ratio "
        "%.2f), in UTC %.3f s (ratio %.2f); sqlite3 shell as text %.3f s (as text/shell %.2f); "
        "values left unconverted: local %lld, UTC %lld\n",
        static_cast<long long>(rows), plain, local, local / plain, utc, utc / plain, shell,
        plain / shell, static_cast<long long>(leftLocal), static_cast<long long>(leftInUTC));
    const struct {
        Form form;
        const char* name;
    } others[] = {{Form::US, "US \"08/15/2005 1:03:53 PM\""},
                  {Form::Other, "\"2005-8-15 13:03\", \"15-Aug-2005 1:03 PM\""},
                  {Form::OtherAtRandom, "the same, days anywhere in 1950-2049"},
                  {Form::ISOWithT, "ISO with T (stay text)"},
                  {Form::German, "German \"15.08.2005\" (stay text)"}};
    for (const auto& other : others) {
        writeCsv(csv, rows, other.form);
        const double asText =
            bench::bestSeconds(kRuns, [&] { bench::importByRun(csv, db, true, 0); });
        const double converted =
            bench::bestSeconds(kRuns, [&] { bench::importByRun(csv, db, true, kDatesAndTimes); });
        const double inUTC = bench::bestSeconds(
            kRuns, [&] { bench::importByRun(csv, db, true, kDatesAndTimes, true); });
        std::printf(
            "%8lld rows of %-42s as text %.3f s; converted %.3f s (ratio %.2f), in UTC "
            "%.3f s (ratio %.2f)\n",
            static_cast<long long>(rows), other.name, asText, converted, converted / asText, inUTC,
            inUTC / asText);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setUserLocaleIdentifier("en_US");
    setUserTimeZoneIdentifier("Europe/Berlin");
    if (argc > 1) {
        compare(std::atoll(argv[1]));
        return 0;
    }
    compare(100000);
    compare(1000000);
    return 0;
}
