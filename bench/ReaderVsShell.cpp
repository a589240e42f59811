// A generated 100 MB CSV with some quoted multi-line values, read and split into fields by the
// import's record reader beside the sqlite3 shell's ".import --csv" into an in-memory table (the
// shell cannot read without storing); the count the import makes first, with that same reader;
// and the parser's line count by blocks beside line by line, on that file and on one of accented
// text, where every other byte begins a character of two. The whole import is measured by
// bench_import_vs_shell.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>

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

// Reads the file record by record into fields, as the import's reading thread does; the record
// count.
int64_t readRecords(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    FieldsAndLinesParser parser(fd, kUTF8StringEncoding, ",", "\"", LineEnds::LineFeed);
    FieldTexts fields;
    FieldsAndLinesParser::Record record;
    int64_t records = 0;
    while (parser.readRecord(&fields, &record, nullptr) == FieldsAndLinesParser::kLineRead) {
        fields.clear();
        ++records;
    }
    close(fd);
    return records;
}

// The same rows with every letter accented: the counter meets a multibyte character every
// other byte.
void writeAccentedCsv(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    for (char c; in.get(c);) {
        if (c >= 'a' && c <= 'z') {
            out << "\xC3" << static_cast<char>(0xA0 + (c - 'a') % 28);
        } else {
            out << c;
        }
    }
}

int64_t countLineByLine(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    FieldsAndLinesParser parser;
    int64_t lines = 0;
    std::string errors;
    for (bool empty = false;;) {
        const int rc =
            parser.readLineForCountingFrom(fd, kUTF8StringEncoding, '"', '\n', &errors, &empty);
        if (rc == FieldsAndLinesParser::kLineRead ||
            (rc == FieldsAndLinesParser::kEndOfFile && !empty))
            ++lines;
        if (rc != FieldsAndLinesParser::kLineRead) break;
    }
    close(fd);
    return lines;
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
    const std::string csv = scratch.file("data.csv");
    const int64_t expected = writeCsv(csv);
    const double megabytes = static_cast<double>(std::filesystem::file_size(csv)) / 1e6;
    std::printf("%.1f MB, %lld records\n", megabytes, static_cast<long long>(expected));

    int64_t records = 0;
    const double read = bench::bestSeconds(kRuns, [&] { records = readRecords(csv); });
    checkRecords(records, expected);
    const double shellRead = bench::bestSeconds(kRuns, [&] {
        bench::runOrDie("sqlite3 :memory: -cmd '.import --csv " + csv +
                        " t' 'select 1' >/dev/null");
    });
    bench::printComparison("read + split / into memory", read, shellRead, megabytes);
    int64_t counted = 0;
    const double count = bench::bestSeconds(kRuns, [&] {
        const int fd = open(csv.c_str(), O_RDONLY);
        counted = FieldsAndLinesParser(fd, kUTF8StringEncoding, ",", "\"", LineEnds::LineFeed)
                      .countRecords();
        close(fd);
    });
    checkRecords(counted, expected);
    std::printf("import's record count %.3f s: / read + split %.2f\n", count, count / read);

    const std::string accented = scratch.file("accented.csv");
    writeAccentedCsv(csv, accented);
    for (const std::string& file : {csv, accented}) {
        int64_t byBlocks = 0, byLines = 0;
        const double blocks = bench::bestSeconds(kRuns, [&] {
            byBlocks = FieldsAndLinesParser().findMaxLineCountInFile(file, kUTF8StringEncoding,
                                                                     "\"", "\n");
        });
        const double lines = bench::bestSeconds(1, [&] { byLines = countLineByLine(file); });
        checkRecords(byBlocks, byLines);
        std::printf(
            "%-9s line count by blocks %.3f s, line by line %.3f s: ratio %.2f; "
            "count / read + split %.2f\n",
            file == csv ? "ASCII" : "accented", blocks, lines, blocks / lines, blocks / read);
    }
    return 0;
}
