#pragma once
// Reads a delimited text file record by record straight into fields (a quoted value may run over
// several lines). The bytes are decoded from the file's encoding; invalid UTF-8 becomes U+FFFD
// with a message for its record; a UTF-8 byte-order mark at the start is dropped, and so is every
// carriage return that is not part of a line end. One parser reads one open file from start to
// end: bytes read ahead stay in its buffers for the next record.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "Common/FieldSplitter.h"
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

    struct Record {
        bool wasEmpty = false;       // it held no character at all
        bool unclosedQuote = false;  // its last value opened a quote that never closed
    };
    // Appends the next record's fields to `into` and returns kLineRead; kEndOfFile when no record
    // is left (nothing appended); kReadError when the file cannot be read, or the encoding is not
    // one of those above, with nothing of the record appended. Messages (the read error, invalid
    // UTF-8 in the record) are appended to errorString.
    int readRecord(FieldTexts* into, Record* record, std::string* errorString);

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

    int fileDescriptor_;
    int encoding_;
    const SingleByteTable* table_;  // null for UTF-8
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
