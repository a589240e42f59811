// Reading a generated 100 MB CSV with some quoted multi-line values: our record reader and
// field splitter beside the sqlite3 shell's ".import --csv" into an in-memory database.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "Common/FieldsAndLinesParser.h"
#include "ShellComparison.h"
#include "platform/foundation/TextEncoding.h"

namespace {

constexpr size_t kFileBytes = 100u << 20;

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

int64_t readWithParser(const std::string& path) {
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
        ++records;
        if (result == FieldsAndLinesParser::kEndOfFile) break;
    }
    close(fd);
    return records;
}

}  // namespace

int main() {
    bench::ScratchFolder scratch;
    const std::string csv = scratch.file("data.csv");
    const int64_t expected = writeCsv(csv);
    const double megabytes = static_cast<double>(std::filesystem::file_size(csv)) / 1e6;
    int64_t records = 0;
    const double ours = bench::bestSeconds(3, [&] { records = readWithParser(csv); });
    const double count = bench::bestSeconds(3, [&] {
        records =
            FieldsAndLinesParser::findMaxLineCountInFile(csv, kUTF8StringEncoding, "\"", "\n");
    });
    if (records != expected) {
        std::fprintf(stderr, "read %lld records of %lld\n", static_cast<long long>(records),
                     static_cast<long long>(expected));
        return 1;
    }
    const std::string importCommand =
        "sqlite3 :memory: -cmd '.import --csv " + csv + " t' 'select 1' >/dev/null";
    const double shell = bench::bestSeconds(3, [&] { bench::runOrDie(importCommand); });
    std::printf("%.1f MB, %lld records\n", megabytes, static_cast<long long>(expected));
    bench::printComparison("read + split records", ours, shell, megabytes);
    bench::printComparison("count records", count, shell, megabytes);
    return 0;
}
