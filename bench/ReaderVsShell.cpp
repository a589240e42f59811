// A generated 100 MB CSV with some quoted multi-line values, each job beside the sqlite3 shell's
// cheapest way to do the same: reading and splitting the records beside the shell's
// ".import --csv" into an in-memory table (it cannot read without storing), and a whole import
// (reading, splitting and inserting in one transaction through our access layer) beside the
// shell's ".import --csv" into a database file. Counting records has no shell counterpart.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <vector>

#include "Common/DBInterface.h"
#include "Common/FieldsAndLinesParser.h"
#include "ShellComparison.h"
#include "platform/foundation/TextEncoding.h"

namespace {

constexpr size_t kFileBytes = 100u << 20;
constexpr int kRuns = 3;

// Rows of six fields; every 50th row has a quoted value over two lines with doubled quotes.
int64_t writeCsv(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "id,name,amount,day,note,flag\n";
    int64_t records = 1;
    size_t bytes = 0;
    for (int64_t row = 1; bytes < kFileBytes; ++row, ++records) {
        std::string line = std::to_string(row) + ",name " + std::to_string(row * 7919 % 100003) +
                           "," + std::to_string(row * 1.25) + ",2024-0" +
                           std::to_string(row % 9 + 1) + "-1" + std::to_string(row % 10) + ",";
        line += row % 50 == 0 ? "\"a note, with \"\"quotes\"\"\nand a second line\""
                              : "\"plain, quoted note\"";
        line += row % 2 ? ",yes\n" : ",no\n";
        bytes += line.size();
        out << line;
    }
    return records;
}

// Reads the file record by record and hands each record's fields over; the record count.
int64_t forEachRecord(const std::string& path,
                      const std::function<void(const std::vector<std::string>&)>& onFields) {
    const int fd = open(path.c_str(), O_RDONLY);
    FieldsAndLinesParser parser;
    std::string record;
    std::vector<std::string> fields;
    int64_t records = 0;
    for (;;) {
        record.clear();
        const int result =
            parser.readLineFrom(fd, kUTF8StringEncoding, "\"", "\n", &record, nullptr);
        if (result == FieldsAndLinesParser::kReadError) break;
        if (result == FieldsAndLinesParser::kEndOfFile && record.empty()) break;
        fields.clear();
        FieldsAndLinesParser::findFieldsInLine(record, &fields, ",", "\"");
        onFields(fields);
        ++records;
        if (result == FieldsAndLinesParser::kEndOfFile) break;
    }
    close(fd);
    return records;
}

// The first record names the fields of a new Text table t; every further record is one INSERT,
// all run as one script in one transaction, as an import of the whole file at once would.
void importWithAccessLayer(const std::string& csv, const std::string& db) {
    std::filesystem::remove(db);
    std::vector<std::string> fieldNames;
    std::string script = "begin transaction; ";
    forEachRecord(csv, [&](const std::vector<std::string>& fields) {
        if (fieldNames.empty()) {
            fieldNames = fields;
            return;
        }
        std::vector<DBInterface::FieldValue> values(fields.begin(), fields.end());
        script += DBInterface::stringForInsertRowIntoTable("t", fieldNames, values, {}, false);
        script += "; ";
    });
    script += "commit transaction";
    std::string error;
    const std::vector<int> types(fieldNames.size(), DBInterface::kFieldTypeText);
    // The file first: making a table never makes one.
    if (DBInterface::execMultipleQueryString("pragma user_version = 0", nullptr, nullptr, db,
                                             &error, DBInterface::MissingFile::Create) != 0 ||
        DBInterface::createTable("t", 0, fieldNames, types, nullptr, nullptr, db, &error) != 0 ||
        DBInterface::execMultipleQueryString(script, nullptr, nullptr, db, &error) != 0) {
        std::fprintf(stderr, "import failed: %s\n", error.c_str());
        std::exit(1);
    }
}

// Both imports must hold every record but the line of field names.
void checkImportedRows(const char* who, const std::string& db, int64_t records) {
    const int64_t rows =
        DBInterface::getNumberWithQueryString("select count(*) from t", db, nullptr);
    if (rows != records - 1) {
        std::fprintf(stderr, "%s imported %lld rows of %lld\n", who, static_cast<long long>(rows),
                     static_cast<long long>(records - 1));
        std::exit(1);
    }
}

void checkRecords(int64_t records, int64_t expected) {
    if (records == expected) return;
    std::fprintf(stderr, "read %lld records of %lld\n", static_cast<long long>(records),
                 static_cast<long long>(expected));
    std::exit(1);
}

}  // namespace

int main() {
    bench::ScratchFolder scratch;
    // Our access layer looks at the Documents folder; it must not touch the user's own.
    setenv("VARNELO_HOME", scratch.file("home").c_str(), 1);
    const std::string csv = scratch.file("data.csv");
    const int64_t expected = writeCsv(csv);
    const double megabytes = static_cast<double>(std::filesystem::file_size(csv)) / 1e6;
    std::printf("%.1f MB, %lld records\n", megabytes, static_cast<long long>(expected));

    int64_t records = 0;
    const double read = bench::bestSeconds(
        kRuns, [&] { records = forEachRecord(csv, [](const std::vector<std::string>&) {}); });
    checkRecords(records, expected);
    const double shellRead = bench::bestSeconds(kRuns, [&] {
        bench::runOrDie("sqlite3 :memory: -cmd '.import --csv " + csv +
                        " t' 'select 1' >/dev/null");
    });
    bench::printComparison("read + split / into memory", read, shellRead, megabytes);

    const std::string ourDb = scratch.file("ours.db");
    const std::string shellDb = scratch.file("shell.db");
    const double import = bench::bestSeconds(kRuns, [&] { importWithAccessLayer(csv, ourDb); });
    checkImportedRows("ours", ourDb, expected);
    const double shellImport = bench::bestSeconds(kRuns, [&] {
        bench::runOrDie("rm -f " + shellDb + " && sqlite3 " + shellDb + " -cmd '.import --csv " +
                        csv + " t' 'select 1' >/dev/null");
    });
    checkImportedRows("the shell", shellDb, expected);
    bench::printComparison("import into a file", import, shellImport, megabytes);

    const double count = bench::bestSeconds(kRuns, [&] {
        records =
            FieldsAndLinesParser::findMaxLineCountInFile(csv, kUTF8StringEncoding, "\"", "\n");
    });
    checkRecords(records, expected);
    std::printf("%-28s ours %7.3f s (%7.1f MB/s)   no shell counterpart\n", "count records", count,
                megabytes / count);
    return 0;
}
