#pragma once
// Reads a delimited text file one record at a time (a quoted value may run over several lines),
// counts a file's records the way the reader returns them, and splits a record into fields.
// One parser reads one open file from start to end: bytes read ahead stay in its buffer for the
// next record.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class FieldsAndLinesParser {
  public:
    // Results of readLineFrom.
    static constexpr int kLineRead = 0;
    static constexpr int kReadError = 1;
    static constexpr int kEndOfFile = 2;

    FieldsAndLinesParser() = default;

    // Appends the next record of the file to `into`, without its line separator, and returns
    // kLineRead; at the end of the file appends what is left (perhaps nothing) and returns
    // kEndOfFile; on a read error appends nothing and returns kReadError. The encoding is a
    // platform encoding number (UTF-8, Windows-1252 or Mac Roman). An empty quote string means
    // no quoting; an empty separator means the record runs to the end of the file. Invalid UTF-8
    // becomes U+FFFD, with a message in the error string.
    int readLineFrom(int fileDescriptor, int encoding, std::string_view quoteString,
                     std::string_view lineSeparator, std::string* into, std::string* errorString);

    // The number of records readLineFrom returns for the file, an empty last one not counted;
    // 0 when the file cannot be opened. Uses a buffer of its own.
    static int64_t findMaxLineCountInFile(const std::string& path, int encoding,
                                          std::string_view quoteString,
                                          std::string_view lineSeparator);

    // Appends the fields of one line: split at the separator outside quotes, quote characters
    // dropped, a doubled quote inside quotes standing for one. The separator and the quote match
    // only as whole composed characters. The last field is always added.
    static void findFieldsInLine(std::string_view line, std::vector<std::string>* into,
                                 std::string_view separatorString, std::string_view quoteString);

  private:
    struct Record;
    int readRecord(int fileDescriptor, int encoding, std::string_view quoteString,
                   std::string_view lineSeparator, Record& record, std::string* errorString);
    // Reads the next block; the byte count, 0 at the end of the file, -1 on an error.
    int64_t refill(int fileDescriptor);

    std::vector<char> buffer_;
    size_t index_ = 0;
    size_t filled_ = 0;
};
