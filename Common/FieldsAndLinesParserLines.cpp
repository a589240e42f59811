// The parser's logical lines: read one at a time through a 4096-byte buffer, counted, and split
// into fields.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

#include "Common/DBTypes.h"
#include "Common/DatabaseFileHeader.h"
#include "Common/FieldsAndLinesParser.h"
#include "platform/foundation/ComposedCharacters.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Utf8.h"

namespace {

constexpr size_t kMaximumLineUnits = 4096;

// The length the first byte announces; a stray continuation byte stands alone.
size_t announcedLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// Gathers the bytes of one UTF-8 character as they are read; a character that is not well-formed
// is reported as an error and dropped.
class CharacterBytes {
  public:
    // The character once its last byte came; empty before, and for a character dropped.
    std::string_view take(unsigned char byte, std::string* errorString) {
        if (length_ == 0) announced_ = announcedLength(byte);
        bytes_[length_++] = byte;
        if (length_ < announced_) return {};
        length_ = 0;
        const std::string_view character(reinterpret_cast<const char*>(bytes_), announced_);
        if (utf8SequenceLength(character.data(), announced_) == announced_) return character;
        appendError(errorString, localizedFormat("Invalid %d-byte UTF-8 character.",
                                                 {std::to_string(announced_)}));
        dropped_ = announced_;
        return {};
    }
    // How many bytes the character just dropped had; 0 when none was.
    size_t takeDropped() { return std::exchange(dropped_, 0); }

  private:
    unsigned char bytes_[4] = {};
    size_t length_ = 0, announced_ = 0, dropped_ = 0;
};

void readFailed(std::string* errorString) {
    appendError(errorString, localizedFormat("Error reading file: %d", {std::to_string(errno)}));
}

}  // namespace

int64_t FieldsAndLinesParser::readNextCharFrom(int fileDescriptor, unsigned char* into) {
    if (bytesReadToReadCharacterBuffer_ <= readCharacterBufferIndex_) {
        ssize_t count;
        do {
            count =
                ::read(fileDescriptor, readCharacterBuffer_.data(), readCharacterBuffer_.size());
        } while (count < 0 && errno == EINTR);
        if (count < 1) {
            bytesReadToReadCharacterBuffer_ = -1;
            readCharacterBufferIndex_ = 0;
            return count;
        }
        bytesReadToReadCharacterBuffer_ = count;
        readCharacterBufferIndex_ = 0;
    }
    *into = readCharacterBuffer_[static_cast<size_t>(readCharacterBufferIndex_++)];
    return 1;
}

int FieldsAndLinesParser::readLineFrom(int fileDescriptor, int encoding,
                                       std::string_view quoteString, std::string_view lineSeparator,
                                       std::string* into, std::string* errorString) {
    const SingleByteTable* table =
        encoding == kUTF8StringEncoding ? nullptr : singleByteTable(encoding);
    std::string line;
    line.reserve(kMaximumLineUnits);
    size_t units = 0;
    // Once a character is not kept, nothing after it is: the kept text is a prefix of the line.
    bool full = false;
    size_t readBytes = 0;  // of the line's text, kept or not
    std::string recent;    // its last bytes, for the separator test once the line is full
    bool inQuotes = false;
    bool tooLongTold = false;
    auto tellTooLong = [&] {
        if (!tooLongTold) appendError(errorString, localizedString("Line is too long"));
        tooLongTold = true;
        full = true;
    };
    // Appends text of so many UTF-16 units when it fits (all or nothing).
    auto append = [&](std::string_view text, size_t textUnits) {
        if (!full && units < kMaximumLineUnits &&
            (textUnits == 1 || units + textUnits <= kMaximumLineUnits)) {
            line.append(text);
            units += textUnits;
        } else {
            tellTooLong();
        }
        readBytes += text.size();
        recent.append(text);
        if (recent.size() > lineSeparator.size())
            recent.erase(0, recent.size() - lineSeparator.size());
    };
    // The tests after a character; true when it completed the line.
    auto lineEnds = [&](std::string_view character) {
        if (!quoteString.empty() && character == quoteString) inQuotes = !inQuotes;
        return !inQuotes && !lineSeparator.empty() && recent.size() == lineSeparator.size() &&
               recent == lineSeparator;
    };
    CharacterBytes characterBytes;
    for (;;) {
        unsigned char byte;
        const int64_t rc = readNextCharFrom(fileDescriptor, &byte);
        if (rc < 0) {
            readFailed(errorString);
            return kReadError;
        }
        if (rc == 0) {
            // An unfinished UTF-8 sequence is dropped.
            if (!line.empty()) into->append(line);
            return kEndOfFile;
        }
        std::string_view character;
        char ascii;
        if (table || encoding != kUTF8StringEncoding) {
            if (byte < 0x80) {
                ascii = static_cast<char>(byte);
                character = std::string_view(&ascii, 1);
            } else {
                character = table ? std::string_view((*table)[byte]) : std::string_view("?");
            }
        } else {
            character = characterBytes.take(byte, errorString);
            if (const size_t dropped = characterBytes.takeDropped()) {
                append(std::string(dropped, '?'), dropped);
            }
            if (character.empty()) continue;
        }
        append(character, character.size() == 4 ? 2 : 1);
        if (lineEnds(character)) {
            // The separator is dropped, also where part of it was kept.
            into->append(line, 0, std::min(line.size(), readBytes - lineSeparator.size()));
            return kLineRead;
        }
    }
}

int FieldsAndLinesParser::readLineForCountingFrom(int fileDescriptor, int encoding,
                                                  unsigned char quoteCharacter,
                                                  unsigned char lineSeparatorCharacter,
                                                  std::string* errorString, bool* emptyLastLine) {
    const bool utf8 = encoding == kUTF8StringEncoding;
    bool inQuotes = false;
    bool anyByte = false;
    CharacterBytes characterBytes;
    for (;;) {
        unsigned char byte;
        const int64_t rc = readNextCharFrom(fileDescriptor, &byte);
        if (rc < 0) {
            readFailed(errorString);
            return kReadError;
        }
        if (rc == 0) {
            if (emptyLastLine) *emptyLastLine = !anyByte;
            return kEndOfFile;
        }
        anyByte = true;
        if (utf8 && characterBytes.take(byte, errorString).empty()) continue;
        if (quoteCharacter != 0 && byte == quoteCharacter) inQuotes = !inQuotes;
        if (!inQuotes && byte == lineSeparatorCharacter) return kLineRead;
    }
}

int64_t FieldsAndLinesParser::countLines(int fileDescriptor, int encoding, unsigned char quote,
                                         unsigned char separator) {
    // In UTF-8 a byte below 0x80 is tested only where a character begins: the bytes a first
    // byte announces belong to its character, whatever they are. Runs of other bytes are
    // skipped whole.
    enum Kind : unsigned char { Plain, Quote, Separator, FirstOfSeveral };
    std::array<unsigned char, 256> kinds{};
    if (encoding == kUTF8StringEncoding) {
        for (size_t byte = 0xC0; byte < 256; ++byte) kinds[byte] = FirstOfSeveral;
    }
    kinds[separator] = Separator;
    if (quote != 0) kinds[quote] = Quote;
    int64_t lines = 0;
    bool inQuotes = false, lineHasBytes = false;
    size_t skip = 0;
    for (;;) {
        ssize_t count;
        do {
            count =
                ::read(fileDescriptor, readCharacterBuffer_.data(), readCharacterBuffer_.size());
        } while (count < 0 && errno == EINTR);
        if (count < 0) return lines;
        if (count == 0) return lines + (lineHasBytes ? 1 : 0);
        const unsigned char* p = readCharacterBuffer_.data();
        const unsigned char* end = p + count;
        lineHasBytes = true;  // reset below where a line ends on the block's last byte
        while (p < end) {
            if (skip > 0) {
                const size_t n = std::min(skip, static_cast<size_t>(end - p));
                p += n;
                skip -= n;
                continue;
            }
            while (p < end && kinds[*p] == Plain) ++p;
            if (p == end) break;
            const unsigned char byte = *p++;
            switch (kinds[byte]) {
                case Quote:
                    inQuotes = !inQuotes;
                    // A separator byte equal to the quote byte is tested after the flip.
                    if (byte != separator || inQuotes) break;
                    [[fallthrough]];
                case Separator:
                    if (!inQuotes) {
                        ++lines;
                        lineHasBytes = p < end;
                    }
                    break;
                default:
                    skip = announcedLength(byte) - 1;
                    break;
            }
        }
    }
}

int64_t FieldsAndLinesParser::findMaxLineCountInFile(const std::string& path, int encoding,
                                                     std::string_view quoteString,
                                                     std::string_view lineSeparator) {
    // SQLite's files are no text, and closing a descriptor of one would drop the locks this
    // process's connections hold on it.
    if (isSQLiteFile(path)) return 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const auto quote = quoteString.empty() ? 0 : static_cast<unsigned char>(quoteString.front());
    const auto separator =
        lineSeparator.empty() ? '\n' : static_cast<unsigned char>(lineSeparator.back());
    int64_t lines = 0;
    // In UTF-8 a byte from 0x80 up may end a character of several bytes, which is tested only
    // when well-formed: such bytes are counted character by character.
    if (encoding != kUTF8StringEncoding || (quote < 0x80 && separator < 0x80)) {
        lines = countLines(fd, encoding, quote, separator);
    } else {
        std::string errors;
        for (;;) {
            errors.clear();
            bool emptyLastLine = false;
            const int rc =
                readLineForCountingFrom(fd, encoding, quote, separator, &errors, &emptyLastLine);
            if (rc == kReadError) break;
            if (rc == kLineRead || !emptyLastLine) ++lines;
            if (rc == kEndOfFile) break;
        }
    }
    ::close(fd);
    return lines;
}

void FieldsAndLinesParser::findFieldsInLine(std::string_view line, std::vector<std::string>* into,
                                            std::string_view separatorString,
                                            std::string_view quoteString) {
    std::string field;
    bool inQuotes = false;
    for (size_t i = 0; i < line.size();) {
        const size_t n = composedCharacterLength(line, i);
        const std::string_view character = line.substr(i, n);
        i += n;
        if (!quoteString.empty() && character == quoteString) {
            if (inQuotes && i < line.size() &&
                line.substr(i, composedCharacterLength(line, i)) == quoteString) {
                field.append(quoteString);
                i += quoteString.size();
            } else {
                inQuotes = !inQuotes;
            }
        } else if (!inQuotes && !separatorString.empty() && character == separatorString) {
            into->push_back(field);
            field.clear();
        } else {
            field.append(character);
        }
    }
    into->push_back(field);
}
