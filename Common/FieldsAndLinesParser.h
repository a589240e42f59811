#pragma once
// Reads delimited text files. The import's reader goes record by record straight into fields (a
// quoted value may run over several lines): the bytes are decoded from the file's encoding,
// invalid UTF-8 becomes U+FFFD with a message for its record, a UTF-8 byte-order mark at the start
// is dropped, and so is every carriage return that is not part of a line end. Beside it stand the
// line reader, line counter and line splitter of logical lines, and the date parsers. One parser
// reads one open file from start to end: bytes read ahead stay in its buffers for the next call.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/FieldSplitter.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/TextEncoding.h"

class FieldsAndLinesParser {
  public:
    // Results of readRecord.
    static constexpr int kLineRead = 0;
    static constexpr int kReadError = 1;
    static constexpr int kEndOfFile = 2;

    // The encoding is a platform encoding number (UTF-8, Windows-1252 or Mac Roman). The caller
    // keeps the file open, and reads it nowhere else, while the parser reads it.
    FieldsAndLinesParser(int fileDescriptor, int encoding, std::string_view separator,
                         std::string_view quote, LineEnds lineEnds);
    // A parser for the line operations below, its buffer empty.
    FieldsAndLinesParser();

    // The next byte through the parser's 4096-byte buffer: 1 and the byte, 0 at end of file, -1
    // on a read error.
    int64_t readNextCharFrom(int fileDescriptor, unsigned char* into);
    // Appends the next logical line, without its separator, to `into`: kLineRead; kEndOfFile with
    // the rest of the file (maybe nothing); kReadError with nothing appended. A line separator or
    // quote that is empty is none; the quote flips being inside quotes, where a separator does not
    // end the line. Encodings other than UTF-8 give a character a byte. Invalid UTF-8 becomes one
    // "?" a byte; a line keeps its first 4096 characters (UTF-16 units). Messages are appended to
    // errorString (may be null).
    int readLineFrom(int fileDescriptor, int encoding, std::string_view quoteString,
                     std::string_view lineSeparator, std::string* into, std::string* errorString);
    // Reads past the next logical line as readLineFrom reads it, by bytes: the quote byte (0 for
    // none) and the separator byte are tested on the last byte of each well-formed character.
    // emptyLastLine is set when the end of the file came before any byte of the line.
    int readLineForCountingFrom(int fileDescriptor, int encoding, unsigned char quoteCharacter,
                                unsigned char lineSeparatorCharacter, std::string* errorString,
                                bool* emptyLastLine);
    // The number of logical lines of the file (0 when it cannot be opened, or is a database or a
    // side file of one this process has open, which only SQLite opens): the first byte of the
    // quote and the last byte of the separator ("\n" when empty) are what count. A read error ends
    // the count.
    int64_t findMaxLineCountInFile(const std::string& path, int encoding,
                                   std::string_view quoteString, std::string_view lineSeparator);
    // Appends the fields of one line: separator and quote match whole composed characters only;
    // a quote flips being inside quotes wherever it stands and is dropped, except that a doubled
    // quote inside quotes stands for one. An empty separator ends no field.
    static void findFieldsInLine(std::string_view line, std::vector<std::string>* into,
                                 std::string_view separatorString, std::string_view quoteString);

    // Each tries its patterns on the formatter in turn (leaving the last one set) and answers the
    // first date parsed.
    static std::optional<Date> dateFromString(const std::string& text, DateFormatter& formatter);
    static std::optional<Date> dateTimeFromStringWithStandardDate(const std::string& text,
                                                                  DateFormatter& formatter);
    static std::optional<Date> timeFromString(const std::string& text, DateFormatter& formatter);
    static std::optional<Date> dateTimeFromString(const std::string& text,
                                                  DateFormatter& formatter);

    struct Record {
        bool wasEmpty = false;       // it held no character at all
        bool unclosedQuote = false;  // its last value opened a quote that never closed
    };
    // Appends the next record's fields to `into` and returns kLineRead; kEndOfFile when no record
    // is left (nothing appended); kReadError when the file cannot be read, or the encoding is not
    // one of those above, with nothing of the record appended. Messages (the read error, invalid
    // UTF-8 in the record) are appended to errorString.
    int readRecord(FieldTexts* into, Record* record, std::string* errorString);
    // The number of records left in the file, read as readRecord reads them; a read error ends
    // the count.
    int64_t countRecords();
    // The same count by a scan that builds no values, on a parser that has read nothing yet;
    // countRecords where the scan cannot follow the reader.
    int64_t countRecordsFast();

  private:
    // Reads and decodes the next block; false on a read error.
    bool refill(std::string* errorString);
    void decodeUtf8(const unsigned char* bytes, size_t count);
    void appendInvalidSequence();
    // Hands the messages of text before the position (from the file's start) to errorString.
    void takeMessagesBefore(uint64_t position, std::string* errorString);

    // Gathers the bytes of one UTF-8 sequence across blocks.
    struct Utf8Sequence {
        unsigned char bytes[4] = {};
        size_t length = 0;
        int need = 0;
        unsigned char lo = 0x80, hi = 0xBF;
    };
    // An invalid UTF-8 sequence: where its U+FFFD stands in the text, and its byte count.
    struct Invalid {
        uint64_t position;
        size_t length;
    };

    // Counts lines a block at a time; the same count as readLineForCountingFrom line by line.
    int64_t countLines(int fileDescriptor, int encoding, unsigned char quote,
                       unsigned char separator);

    // The line operations' buffer.
    int32_t readCharacterBufferIndex_ = 0;
    int64_t bytesReadToReadCharacterBuffer_ = -1;
    std::array<unsigned char, 4096> readCharacterBuffer_{};

    int fileDescriptor_ = -1;
    int encoding_ = kUTF8StringEncoding;
    std::string separator_, quote_;  // as given
    LineEnds lineEnds_;
    const SingleByteTable* table_ = nullptr;  // null for UTF-8
    FieldSplitter splitter_;
    std::vector<unsigned char> block_;
    std::string text_;        // decoded text not yet split
    size_t at_ = 0;           // the next byte of text_ to split
    uint64_t textStart_ = 0;  // where text_ begins in the decoded file
    bool endOfFile_ = false;
    bool started_ = false;  // the first block was read
    Utf8Sequence sequence_;
    std::deque<Invalid> invalid_;
};
