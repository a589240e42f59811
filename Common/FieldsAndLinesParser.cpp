#include "Common/FieldsAndLinesParser.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Common/DBTypes.h"
#include "Common/RecordScan.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/Utf8.h"

namespace {

// Large blocks: a record of any length is gathered from as many blocks as it needs.
constexpr size_t kBlockSize = size_t{1} << 20;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

const SingleByteTable* tableOf(int encoding) {
    return encoding == kUTF8StringEncoding ? nullptr : singleByteTable(encoding);
}

}  // namespace

FieldsAndLinesParser::FieldsAndLinesParser(int fileDescriptor, int encoding,
                                           std::string_view separator, std::string_view quote,
                                           LineEnds lineEnds)
    : fileDescriptor_(fileDescriptor),
      encoding_(encoding),
      separator_(separator),
      quote_(quote),
      lineEnds_(lineEnds),
      table_(tableOf(encoding)),
      splitter_(separator, quote, lineEnds, true) {}

FieldsAndLinesParser::FieldsAndLinesParser()
    : FieldsAndLinesParser(-1, kUTF8StringEncoding, {}, {}, LineEnds::LineFeed) {}

void FieldsAndLinesParser::appendInvalidSequence() {
    invalid_.push_back({textStart_ + text_.size(), sequence_.length});
    text_.append(kReplacementCharacter);
    sequence_.length = 0;
}

// Well-formed sequences only: no overlong forms, no surrogates, nothing above U+10FFFF. A bad
// sequence becomes one U+FFFD; the byte that broke it may begin something good.
void FieldsAndLinesParser::decodeUtf8(const unsigned char* bytes, size_t count) {
    const unsigned char* p = bytes;
    const unsigned char* end = bytes + count;
    Utf8Sequence& s = sequence_;
    while (p < end) {
        if (s.length == 0) {
            const unsigned char* run = p;
            p += asciiPrefixLength(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));
            text_.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
            if (p == end) break;
        }
        const unsigned char c = *p++;
        if (s.length > 0 && (c < s.lo || c > s.hi)) appendInvalidSequence();
        if (s.length == 0) {
            if (c < 0x80) {
                text_ += static_cast<char>(c);
                continue;
            }
            s.bytes[0] = c;
            s.length = 1;
            s.lo = 0x80;
            s.hi = 0xBF;
            if (c >= 0xC2 && c <= 0xDF) {
                s.need = 1;
            } else if (c >= 0xE0 && c <= 0xEF) {
                s.need = 2;
                if (c == 0xE0) s.lo = 0xA0;
                if (c == 0xED) s.hi = 0x9F;
            } else if (c >= 0xF0 && c <= 0xF4) {
                s.need = 3;
                if (c == 0xF0) s.lo = 0x90;
                if (c == 0xF4) s.hi = 0x8F;
            } else {
                appendInvalidSequence();
            }
            continue;
        }
        s.bytes[s.length++] = c;
        s.lo = 0x80;
        s.hi = 0xBF;
        if (--s.need == 0) {
            text_.append(reinterpret_cast<const char*>(s.bytes), s.length);
            s.length = 0;
        }
    }
}

bool FieldsAndLinesParser::refill(std::string* errorString) {
    if (block_.empty()) block_.resize(kBlockSize);
    ssize_t count;
    do {
        count = ::read(fileDescriptor_, block_.data(), block_.size());
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        appendError(errorString,
                    localizedFormat("Error reading file: %d", {std::to_string(errno)}));
        return false;
    }
    // Only the text not split yet stays.
    text_.erase(0, at_);
    textStart_ += at_;
    at_ = 0;
    const unsigned char* bytes = block_.data();
    auto size = static_cast<size_t>(count);
    if (!started_) {
        started_ = true;
        if (!table_ && size >= 3 && std::memcmp(bytes, kByteOrderMark, 3) == 0) {
            bytes += 3;
            size -= 3;
        }
    }
    if (count == 0) {
        endOfFile_ = true;
        if (sequence_.length > 0) appendInvalidSequence();  // cut off by the end
        return true;
    }
    if (!table_) {
        decodeUtf8(bytes, size);
        return true;
    }
    for (const unsigned char* p = bytes; p < bytes + size; ++p) {
        if (*p < 0x80) {
            text_ += static_cast<char>(*p);
        } else {
            text_ += (*table_)[*p];
        }
    }
    return true;
}

void FieldsAndLinesParser::takeMessagesBefore(uint64_t position, std::string* errorString) {
    while (!invalid_.empty() && invalid_.front().position < position) {
        appendError(errorString, localizedFormat("Invalid %d-byte UTF-8 character.",
                                                 {std::to_string(invalid_.front().length)}));
        invalid_.pop_front();
    }
}

int FieldsAndLinesParser::readRecord(FieldTexts* into, Record* record, std::string* errorString) {
    if (encoding_ != kUTF8StringEncoding && !table_) {
        appendError(errorString,
                    localizedFormat("Unsupported text encoding: %d", {std::to_string(encoding_)}));
        return kReadError;
    }
    const size_t fieldsBefore = into->ends.size(), textBefore = into->text.size();
    for (;;) {
        const bool lineEnd = splitter_.split(text_, &at_, endOfFile_, into);
        if (lineEnd || (endOfFile_ && splitter_.recordHasText())) {
            record->wasEmpty = !splitter_.recordHasText();
            record->unclosedQuote = splitter_.inQuotedValue();
            splitter_.endRecord(into);
            takeMessagesBefore(textStart_ + at_, errorString);
            return kLineRead;
        }
        if (endOfFile_) return kEndOfFile;
        if (!refill(errorString)) {
            into->text.resize(textBefore);
            into->ends.resize(fieldsBefore);
            return kReadError;
        }
    }
}

int64_t FieldsAndLinesParser::countRecords() {
    int64_t records = 0;
    FieldTexts fields;
    Record record;
    while (readRecord(&fields, &record, nullptr) == kLineRead) {
        ++records;
        fields.clear();
    }
    return records;
}

int64_t FieldsAndLinesParser::countRecordsFast() {
    if (!started_) {
        if (const auto records =
                scanRecordCount(fileDescriptor_, encoding_, separator_, quote_, lineEnds_)) {
            return *records;
        }
    }
    return countRecords();
}
