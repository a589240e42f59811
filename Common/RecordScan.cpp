#include "Common/RecordScan.h"

#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Every read asks for a whole block, so blocks begin at its multiples in the file.
constexpr size_t kBlockSize = size_t{1} << 18;
// Kept before the next byte to scan: a separator right before a quote.
constexpr size_t kBehind = 4;
// Needed after a byte found: a doubled quote, or a line end of two bytes.
constexpr size_t kAhead = 12;
// Bytes looked at together.
constexpr size_t kChunk = 64;
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

// Where a chunk holds either line-end byte and the quote byte, as bits (bit i for the byte at
// p + i).
struct ChunkBits {
    uint64_t lineEnds = 0, quotes = 0;
};
ChunkBits chunkBits(const unsigned char* p, unsigned char lineEnd, unsigned char otherLineEnd,
                    unsigned char quote) {
    ChunkBits bits;
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi8(static_cast<char>(lineEnd));
    const __m128i b = _mm_set1_epi8(static_cast<char>(otherLineEnd));
    const __m128i q = _mm_set1_epi8(static_cast<char>(quote));
    auto bitsOf = [](__m128i bytes) {
        return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(bytes)));
    };
    for (size_t i = 0; i < kChunk; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        __m128i ends = _mm_cmpeq_epi8(bytes, a);
        if (otherLineEnd != lineEnd) ends = _mm_or_si128(ends, _mm_cmpeq_epi8(bytes, b));
        bits.lineEnds |= bitsOf(ends) << i;
        bits.quotes |= bitsOf(_mm_cmpeq_epi8(bytes, q)) << i;
    }
#else
    for (size_t i = 0; i < kChunk; ++i) {
        bits.lineEnds |= static_cast<uint64_t>(p[i] == lineEnd || p[i] == otherLineEnd) << i;
        bits.quotes |= static_cast<uint64_t>(p[i] == quote) << i;
    }
#endif
    return bits;
}

// Bit i set where an odd number of the bits 0 to i are.
uint64_t prefixParity(uint64_t bits) {
    for (int shift = 1; shift < 64; shift *= 2) bits ^= bits << shift;
    return bits;
}

// The reader's states reduced to what decides where records end: inside a quoted value or not,
// and at the start of a record, where a quote opens one. The bytes that can change them (line
// ends and the quote's first byte) are found a chunk at a time.
class Scanner {
  public:
    Scanner(std::string separator, std::string quote, LineEnds lineEnds, bool utf8)
        : separator_(std::move(separator)),
          quote_(std::move(quote)),
          lineEnds_(lineEnds),
          utf8_(utf8),
          lineEnd_(lineEnds == LineEnds::CarriageReturnLineFeed ? '\r' : '\n'),
          otherLineEnd_(lineEnds == LineEnds::Any ? '\r' : lineEnd_),
          wholeChunks_(quote_.size() <= 1 && separator_.size() <= 1 && lineEnds != LineEnds::Any) {}

    int64_t count(int fileDescriptor) {
        // Room after the bytes read for a whole chunk.
        buffer_.resize(kBehind + kBlockSize + kAhead + kChunk);
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
    // Whether the bytes from the position on read as enough to decide.
    bool enough(size_t at) const { return atEnd_ || at + kAhead <= filled_; }

    // Whether the bytes at the position are those of the text (not empty).
    bool bytesAt(size_t at, const std::string& text) const {
        return filled_ - at >= text.size() && buffer_[at] == static_cast<unsigned char>(text[0]) &&
               (text.size() == 1 ||
                std::memcmp(buffer_.data() + at + 1, text.data() + 1, text.size() - 1) == 0);
    }

    // A quote at the position; marks after it are text of their own to the reader.
    bool quoteAt(size_t at) const { return !quote_.empty() && bytesAt(at, quote_); }

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

    // At the start of a record a quote opens a quoted value; false when the bytes read do not
    // tell yet.
    bool startRecord() {
        if (!enough(next_)) return false;
        atRecordStart_ = false;
        if (quoteAt(next_)) {
            quoted_ = true;
            next_ += quote_.size();
        }
        return true;
    }

    // Scans on from next_ until the bytes read no longer tell what comes next.
    void scan() {
        if (atRecordStart_ && !startRecord()) return;
        while (next_ < filled_) {
            const size_t chunk = next_;
            const ChunkBits bits = chunkBits(buffer_.data() + chunk, lineEnd_, otherLineEnd_,
                                             quote_.empty() ? lineEnd_ : quote_[0]);
            if (takeChunk(chunk, bits)) {
                if (atRecordStart_ && !startRecord()) return;
                continue;
            }
            const uint64_t read =
                filled_ - chunk >= kChunk ? ~uint64_t{0} : (uint64_t{1} << (filled_ - chunk)) - 1;
            uint64_t lineEnds = bits.lineEnds & read;
            uint64_t quotes = quote_.empty() ? 0 : bits.quotes & read;
            // The chunk's bytes that matter, in order.
            for (;;) {
                const uint64_t stops = quoted_ ? quotes : quotes | lineEnds;
                if (stops == 0) {
                    next_ = std::min(chunk + kChunk, filled_);
                    break;
                }
                const size_t at = chunk + static_cast<size_t>(__builtin_ctzll(stops));
                if (!enough(at)) {
                    next_ = at;
                    return;
                }
                step(at);
                if (atRecordStart_ && !startRecord()) return;
                if (next_ >= chunk + kChunk) break;
                const uint64_t passed = ~uint64_t{0} << (next_ - chunk);
                quotes &= passed;
                lineEnds &= passed;
            }
        }
    }

    // Takes a whole chunk at once where every quote flips being inside a quoted value (a doubled
    // quote flips twice): where each quote that would open a value stands right after a
    // separator, a record end or a closing quote. False, with nothing taken, otherwise.
    bool takeChunk(size_t chunk, const ChunkBits& bits) {
        if (!wholeChunks_ || filled_ - chunk <= kChunk) return false;
        const uint64_t quotes = quote_.empty() ? 0 : bits.quotes;
        // A quote last may be the first of a doubled one: only step() tells.
        if (quotes >> 63) return false;
        const uint64_t insideAfter = prefixParity(quotes) ^ (quoted_ ? ~uint64_t{0} : 0);
        const uint64_t insideBefore = (insideAfter << 1) | (quoted_ ? 1 : 0);
        // A quote before the chunk may have been text; a doubled quote across chunks is step()'s.
        for (uint64_t openers = quotes & ~insideBefore & ~(quotes << 1); openers != 0;
             openers &= openers - 1) {
            if (!startsField(chunk + static_cast<size_t>(__builtin_ctzll(openers)))) return false;
        }
        quoted_ = insideAfter >> 63;
        next_ = chunk + kChunk;
        for (uint64_t ends = bits.lineEnds & ~insideAfter; ends != 0; ends &= ends - 1) {
            const size_t at = chunk + static_cast<size_t>(__builtin_ctzll(ends));
            const size_t length = lineEndAt(at);
            if (length == 0) continue;
            ++records_;
            recordStart_ = bufferStart_ + at + length;
            next_ = std::max(next_, at + length);
        }
        atRecordStart_ = recordStart_ == bufferStart_ + next_;
        return true;
    }

    // Whether a field begins at the position outside quoted values: after a separator or a line
    // end.
    bool startsField(size_t at) const {
        if (at == 0) return false;
        const unsigned char before = buffer_[at - 1];
        if (separator_.size() == 1 && before == static_cast<unsigned char>(separator_[0])) {
            return true;
        }
        return before == '\n' &&
               (lineEnds_ == LineEnds::LineFeed || (at >= 2 && buffer_[at - 2] == '\r'));
    }

    // Moves on past a line end or quote byte found at the position.
    void step(size_t at) {
        if (quoted_) {
            next_ = at + 1;
            if (!quoteAt(at)) return;
            next_ = at + quote_.size();
            if (quoteAt(next_)) {
                next_ += quote_.size();  // a doubled quote
            } else {
                quoted_ = false;
            }
            return;
        }
        const unsigned char byte = buffer_[at];
        if (byte == '\n' || byte == '\r') {
            const size_t length = lineEndAt(at);
            next_ = at + (length > 0 ? length : 1);
            if (length > 0) {
                ++records_;
                recordStart_ = bufferStart_ + next_;
                atRecordStart_ = true;
            }
            return;
        }
        // A quote opens a quoted value right after a separator (kept in the buffer). Those
        // bytes belong to this stretch outside quoted values: a separator is one character,
        // neither the quote nor a line end.
        const size_t s = separator_.size();
        quoted_ = s > 0 && at >= s && bytesAt(at - s, separator_) && quoteAt(at);
        next_ = at + (quoted_ ? quote_.size() : 1);
    }

    const std::string separator_, quote_;
    const LineEnds lineEnds_;
    const bool utf8_;
    // The bytes that may end a line: one of them, or both the same.
    const unsigned char lineEnd_, otherLineEnd_;
    // Whether takeChunk can read the quote, separator and line ends.
    const bool wholeChunks_;
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
