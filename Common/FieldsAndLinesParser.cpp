#include "Common/FieldsAndLinesParser.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "Common/DBTypes.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/TextEncoding.h"

namespace {

// Large blocks: a record of any length is gathered from as many blocks as it needs.
constexpr size_t kBufferSize = size_t{1} << 20;
// While counting only the end of a record matters; its text is cut back past this length.
constexpr size_t kCountingTextLimit = size_t{1} << 16;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
// Stands for "no such byte" in the scan: bytes from 0x80 up leave the quick scan anyway.
constexpr unsigned char kNoByte = 0x80;

// Gathers the bytes of one UTF-8 sequence, checking each against the well-formed forms
// (no overlong forms, no surrogates, nothing above U+10FFFF).
struct Utf8Sequence {
    enum class Step { Pending, Complete, Invalid, InvalidRereadByte };

    Step feed(unsigned char c) {
        if (length == 0) {
            bytes[length++] = static_cast<char>(c);
            lo = 0x80;
            hi = 0xBF;
            if (c < 0x80) return Step::Complete;
            if (c >= 0xC2 && c <= 0xDF) {
                need = 1;
            } else if (c >= 0xE0 && c <= 0xEF) {
                need = 2;
                if (c == 0xE0) lo = 0xA0;
                if (c == 0xED) hi = 0x9F;
            } else if (c >= 0xF0 && c <= 0xF4) {
                need = 3;
                if (c == 0xF0) lo = 0x90;
                if (c == 0xF4) hi = 0x8F;
            } else {
                return Step::Invalid;
            }
            return Step::Pending;
        }
        // The bytes so far are bad; the byte that broke them may begin something good.
        if (c < lo || c > hi) return Step::InvalidRereadByte;
        bytes[length++] = static_cast<char>(c);
        lo = 0x80;
        hi = 0xBF;
        return --need == 0 ? Step::Complete : Step::Pending;
    }

    std::string_view view() const { return {bytes, length}; }

    char bytes[4] = {};
    size_t length = 0;
    int need = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
};

void appendReadError(std::string* errorString, int error) {
    appendError(errorString, localizedFormat("Error reading file: %d", {std::to_string(error)}));
}

}  // namespace

// The text a record goes into. While counting (keep false) the text is cut back now and then,
// keeping only the end that the separator test looks at.
struct FieldsAndLinesParser::Record {
    std::string& text;
    size_t start;
    bool keep;
    bool sawByte = false;
};

int64_t FieldsAndLinesParser::refill(int fileDescriptor) {
    if (buffer_.empty()) buffer_.resize(kBufferSize);
    index_ = filled_ = 0;
    ssize_t count;
    do {
        count = ::read(fileDescriptor, buffer_.data(), buffer_.size());
    } while (count < 0 && errno == EINTR);
    if (count > 0) filled_ = static_cast<size_t>(count);
    return count;
}

int FieldsAndLinesParser::readRecord(int fileDescriptor, int encoding, std::string_view quote,
                                     std::string_view separator, Record& record,
                                     std::string* errorString) {
    const SingleByteTable* table = nullptr;
    if (encoding != kUTF8StringEncoding) {
        table = singleByteTable(encoding);
        if (!table) {
            appendError(errorString, localizedFormat("Unsupported text encoding: %d",
                                                     {std::to_string(encoding)}));
            return kReadError;
        }
    }
    std::string& text = record.text;
    const unsigned char quoteByte =
        quote.size() == 1 ? static_cast<unsigned char>(quote[0]) : kNoByte;
    const unsigned char separatorByte =
        separator.empty() ? kNoByte : static_cast<unsigned char>(separator.back());
    bool inQuotes = false;
    Utf8Sequence sequence;

    // Appends one character and tells whether it completed the record.
    auto appendCharacter = [&](std::string_view character) {
        text.append(character);
        if (!quote.empty() && character == quote) inQuotes = !inQuotes;
        if (inQuotes || separator.empty() ||
            static_cast<unsigned char>(character.back()) != separatorByte ||
            text.size() - record.start < separator.size() ||
            text.compare(text.size() - separator.size(), separator.size(), separator) != 0) {
            return false;
        }
        text.resize(text.size() - separator.size());
        return true;
    };
    auto appendInvalidSequence = [&] {
        text.append(kReplacementCharacter);
        if (errorString) {
            errorString->append(localizedFormat("Invalid %d-byte UTF-8 character.",
                                                {std::to_string(sequence.length)}));
        }
        sequence.length = 0;
    };

    for (;;) {
        if (index_ >= filled_) {
            if (!record.keep && text.size() - record.start > kCountingTextLimit) {
                text.erase(record.start, text.size() - record.start - separator.size());
            }
            const int64_t count = refill(fileDescriptor);
            if (count < 0) {
                appendReadError(errorString, errno);
                text.resize(record.start);
                return kReadError;
            }
            if (count == 0) {
                if (sequence.length > 0) appendInvalidSequence();  // cut off by the end
                return kEndOfFile;
            }
        }
        record.sawByte = true;
        const auto* base = reinterpret_cast<const unsigned char*>(buffer_.data());
        const unsigned char* p = base + index_;
        const unsigned char* end = base + filled_;
        if (sequence.length == 0) {
            // Plain ASCII that is neither a quote nor the separator's last byte goes in as a run.
            const unsigned char* run = p;
            while (p < end && *p < 0x80 && *p != quoteByte && *p != separatorByte) ++p;
            text.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
            index_ = static_cast<size_t>(p - base);
            if (p == end) continue;
        }
        const unsigned char c = *p;
        ++index_;
        if (c < 0x80 && sequence.length == 0) {
            const char byte = static_cast<char>(c);
            if (appendCharacter(std::string_view(&byte, 1))) return kLineRead;
            continue;
        }
        if (table) {
            if (appendCharacter((*table)[c])) return kLineRead;
            continue;
        }
        Utf8Sequence::Step step = sequence.feed(c);
        if (step == Utf8Sequence::Step::InvalidRereadByte) {
            appendInvalidSequence();
            step = sequence.feed(c);
        }
        if (step == Utf8Sequence::Step::Invalid) {
            appendInvalidSequence();
        } else if (step == Utf8Sequence::Step::Complete) {
            const std::string_view character = sequence.view();
            sequence.length = 0;
            if (appendCharacter(character)) return kLineRead;
        }
    }
}

int FieldsAndLinesParser::readLineFrom(int fileDescriptor, int encoding,
                                       std::string_view quoteString, std::string_view lineSeparator,
                                       std::string* into, std::string* errorString) {
    std::string scratch;
    std::string& text = into ? *into : scratch;
    Record record{text, text.size(), true};
    return readRecord(fileDescriptor, encoding, quoteString, lineSeparator, record, errorString);
}

int64_t FieldsAndLinesParser::findMaxLineCountInFile(const std::string& path, int encoding,
                                                     std::string_view quoteString,
                                                     std::string_view lineSeparator) {
    const int fileDescriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fileDescriptor < 0) return 0;
    FieldsAndLinesParser parser;
    std::string scratch;
    int64_t count = 0;
    for (;;) {
        scratch.clear();
        Record record{scratch, 0, false};
        const int result = parser.readRecord(fileDescriptor, encoding, quoteString, lineSeparator,
                                             record, nullptr);
        if (result == kLineRead) {
            ++count;
            continue;
        }
        // A read error ends the count too: asking again would meet it again.
        if (result == kEndOfFile && record.sawByte) ++count;
        break;
    }
    ::close(fileDescriptor);
    return count;
}
