#include "Common/RecordScan.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/ComposedCharacters.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/Utf8.h"

namespace {

constexpr size_t kBlockSize = size_t{1} << 18;
// Blocks begin at multiples of the block size in the file; kept before the next byte to scan: a
// separator right before a quote.
constexpr size_t kBehind = 4;
// Needed after a byte found: a doubled quote and the character after it, which may join it.
constexpr size_t kAhead = 12;
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

// The text each byte stands for in a one-byte encoding.
using DecodedBytes = std::array<std::string, 256>;

bool isOneCodePoint(std::string_view text) {
    return !text.empty() && utf8SequenceLength(text.data(), text.size()) == text.size();
}

bool joinsTheCharacterBefore(std::string_view character) {
    return composedCharacterLength(std::string("a").append(character), 0) != 1;
}

// A separator or quote as the file's bytes spell it.
struct Searched {
    enum Kind { Never, Bytes, Unsupported } kind = Never;
    std::string bytes;
};

Searched searched(std::string_view text, const DecodedBytes* decoded) {
    if (text.empty()) return {};
    if (!isValidUtf8(text)) return {Searched::Unsupported, {}};
    // The reader matches single composed characters only.
    if (composedCharacterLength(text, 0) < text.size()) return {};
    if (!isOneCodePoint(text) || text == kReplacementCharacter || text == "\n" || text == "\r" ||
        joinsTheCharacterBefore(text)) {
        return {Searched::Unsupported, {}};
    }
    if (!decoded) return {Searched::Bytes, std::string(text)};
    Searched found;
    for (size_t byte = 0; byte < 256; ++byte) {
        if ((*decoded)[byte] != text) continue;
        if (found.kind == Searched::Bytes) return {Searched::Unsupported, {}};
        found = {Searched::Bytes, std::string(1, static_cast<char>(byte))};
    }
    return found;
}

// Null when a byte stands for anything but one character that joins nothing: the scan would
// then miss a quote, separator or mark inside it.
std::unique_ptr<DecodedBytes> decodedBytes(const SingleByteTable& table) {
    auto decoded = std::make_unique<DecodedBytes>();
    for (size_t byte = 0; byte < 256; ++byte) {
        (*decoded)[byte] = byte < 0x80 ? std::string(1, static_cast<char>(byte)) : table[byte];
        const std::string& text = (*decoded)[byte];
        if (byte >= 0x80 && (!isOneCodePoint(text) || text == "\n" || text == "\r" ||
                             joinsTheCharacterBefore(text))) {
            return nullptr;
        }
    }
    return decoded;
}

// Finds the first of one to three bytes, sixteen bytes at a time.
class Stops {
  public:
    explicit Stops(std::string_view bytes) : count_(bytes.size()) {
        for (size_t i = 0; i < 16; ++i) {
            a_[i] = static_cast<unsigned char>(bytes[0]);
            b_[i] = static_cast<unsigned char>(bytes[count_ > 1 ? 1 : 0]);
            c_[i] = static_cast<unsigned char>(bytes[count_ > 2 ? 2 : 0]);
        }
        for (const char byte : bytes) isStop_[static_cast<unsigned char>(byte)] = true;
    }

    const unsigned char* find(const unsigned char* p, const unsigned char* end) const {
        if (count_ == 1) {
            const void* found = std::memchr(p, a_[0], static_cast<size_t>(end - p));
            return found ? static_cast<const unsigned char*>(found) : end;
        }
        while (end - p >= 16) {
            Chunk chunk;
            std::memcpy(&chunk, p, 16);
            const auto hits = (chunk == a_) | (chunk == b_) | (chunk == c_);
            uint64_t halves[2];
            std::memcpy(halves, &hits, 16);
            if ((halves[0] | halves[1]) != 0) break;
            p += 16;
        }
        while (p < end && !isStop_[*p]) ++p;
        return p;
    }

  private:
    using Chunk = unsigned char __attribute__((vector_size(16)));
    size_t count_;
    Chunk a_, b_, c_;
    bool isStop_[256] = {};
};

// The reader's states reduced to what decides where records end: inside a quoted value or not,
// and at the start of a record, where a quote opens one.
class Scanner {
  public:
    Scanner(std::string separator, std::string quote, LineEnds lineEnds, bool utf8)
        : separator_(std::move(separator)),
          quote_(std::move(quote)),
          lineEnds_(lineEnds),
          utf8_(utf8),
          unquotedStops_(unquotedStops(lineEnds, quote_)) {}

    int64_t count(int fileDescriptor) {
        buffer_.resize(kBehind + kBlockSize + kAhead);
        for (bool first = true;; first = false) {
            ssize_t got;
            do {
                got = ::read(fileDescriptor, buffer_.data() + filled_, kBlockSize);
            } while (got < 0 && errno == EINTR);
            if (got < 0) return records_;
            atEnd_ = got == 0;
            filled_ += static_cast<size_t>(got);
            // The reader drops a byte-order mark at the start of its first block.
            if (first && utf8_ && filled_ >= 3 &&
                std::memcmp(buffer_.data(), kByteOrderMark, 3) == 0) {
                next_ = 3;
                recordStart_ = 3;
            }
            scan();
            if (atEnd_) break;
            const size_t keep = std::min(next_, kBehind);
            const size_t drop = next_ - keep;
            std::memmove(buffer_.data(), buffer_.data() + drop, filled_ - drop);
            filled_ -= drop;
            next_ -= drop;
            bufferStart_ += drop;
        }
        // A record without a line end at the end counts when it holds a byte.
        return records_ + (recordStart_ < bufferStart_ + filled_ ? 1 : 0);
    }

  private:
    static std::string unquotedStops(LineEnds lineEnds, const std::string& quote) {
        std::string stops = lineEnds == LineEnds::LineFeed                 ? "\n"
                            : lineEnds == LineEnds::CarriageReturnLineFeed ? "\r"
                                                                           : "\n\r";
        if (!quote.empty()) stops += quote[0];
        return stops;
    }

    // Whether the bytes from the position on read as enough to decide.
    bool enough(size_t at) const { return atEnd_ || at + kAhead <= filled_; }

    // A whole quote character at the position: no mark follows it.
    bool quoteAt(size_t at) const {
        if (quote_.empty() || filled_ - at < quote_.size() ||
            std::memcmp(buffer_.data() + at, quote_.data(), quote_.size()) != 0) {
            return false;
        }
        const size_t after = at + quote_.size();
        if (!utf8_ || after == filled_ || buffer_[after] < 0x80) return true;
        const std::string_view rest(reinterpret_cast<const char*>(buffer_.data()) + at,
                                    filled_ - at);
        return composedCharacterLength(rest, 0) == quote_.size();
    }

    // The length of the line end at a line-end byte outside quoted values; 0 when it is text.
    size_t lineEndAt(size_t at) const {
        const unsigned char byte = buffer_[at];
        const bool last = at + 1 == filled_;
        switch (lineEnds_) {
            case LineEnds::LineFeed:
                return byte == '\n' ? 1 : 0;
            case LineEnds::CarriageReturnLineFeed:
                return byte == '\r' && !last && buffer_[at + 1] == '\n' ? 2 : 0;
            case LineEnds::Any:
                if (last) return 1;
                return buffer_[at + 1] == (byte == '\r' ? '\n' : '\r') ? 2 : 1;
        }
        return 0;
    }

    // Scans on from next_ until the bytes read no longer tell what comes next.
    void scan() {
        const unsigned char* data = buffer_.data();
        for (;;) {
            if (atRecordStart_) {
                if (!enough(next_)) return;
                atRecordStart_ = false;
                if (quoteAt(next_)) {
                    quoted_ = true;
                    next_ += quote_.size();
                }
                continue;
            }
            if (quoted_) {
                const void* found = std::memchr(data + next_, quote_[0], filled_ - next_);
                if (!found) {
                    next_ = filled_;
                    return;
                }
                const auto at =
                    static_cast<size_t>(static_cast<const unsigned char*>(found) - data);
                if (!enough(at)) {
                    next_ = at;
                    return;
                }
                next_ = at + 1;
                if (!quoteAt(at)) continue;
                next_ = at + quote_.size();
                if (quoteAt(next_)) {
                    next_ += quote_.size();  // a doubled quote
                } else {
                    quoted_ = false;
                }
                continue;
            }
            const auto at =
                static_cast<size_t>(unquotedStops_.find(data + next_, data + filled_) - data);
            if (at == filled_ || !enough(at)) {
                next_ = at;
                return;
            }
            const unsigned char byte = data[at];
            if (byte == '\n' || byte == '\r') {
                const size_t length = lineEndAt(at);
                next_ = at + (length > 0 ? length : 1);
                if (length > 0) {
                    ++records_;
                    recordStart_ = bufferStart_ + next_;
                    atRecordStart_ = true;
                }
                continue;
            }
            // A quote opens a quoted value right after a separator (kept in the buffer). Those
            // bytes belong to this stretch outside quoted values: a separator is one character,
            // neither the quote nor a line end.
            const size_t s = separator_.size();
            quoted_ = s > 0 && at >= s && std::memcmp(data + at - s, separator_.data(), s) == 0 &&
                      quoteAt(at);
            next_ = at + (quoted_ ? quote_.size() : 1);
        }
    }

    const std::string separator_, quote_;
    const LineEnds lineEnds_;
    const bool utf8_;
    const Stops unquotedStops_;
    std::vector<unsigned char> buffer_;
    size_t filled_ = 0, next_ = 0;
    uint64_t bufferStart_ = 0;  // where the buffer begins in what is read
    bool atEnd_ = false;
    int64_t records_ = 0;
    uint64_t recordStart_ = 0;  // where the open record begins
    bool atRecordStart_ = true;
    bool quoted_ = false;
};

}  // namespace

std::optional<int64_t> scanRecordCount(int fileDescriptor, int encoding, std::string_view separator,
                                       std::string_view quote, LineEnds lineEnds) {
    std::unique_ptr<DecodedBytes> decoded;
    if (encoding != kUTF8StringEncoding) {
        const SingleByteTable* table = singleByteTable(encoding);
        if (!table) return std::nullopt;
        decoded = decodedBytes(*table);
        if (!decoded) return std::nullopt;
    }
    const Searched quoteBytes = searched(quote, decoded.get());
    // Without a quote the separator changes nothing.
    const Searched separatorBytes =
        quoteBytes.kind == Searched::Bytes ? searched(separator, decoded.get()) : Searched();
    if (quoteBytes.kind == Searched::Unsupported || separatorBytes.kind == Searched::Unsupported ||
        (separatorBytes.kind == Searched::Bytes && separatorBytes.bytes == quoteBytes.bytes)) {
        return std::nullopt;
    }
    return Scanner(separatorBytes.bytes, quoteBytes.bytes, lineEnds,
                   encoding == kUTF8StringEncoding)
        .count(fileDescriptor);
}
