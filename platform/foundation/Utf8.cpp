#include "platform/foundation/Utf8.h"

#include <cstdint>
#include <cstring>

size_t asciiPrefixLength(const char* bytes, size_t length) {
    size_t i = 0;
    // Eight bytes at a time: the common case for table data.
    for (uint64_t chunk; i + 8 <= length; i += 8) {
        std::memcpy(&chunk, bytes + i, 8);
        if (chunk & 0x8080808080808080ULL) break;
    }
    while (i < length && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
    return i;
}

bool isValidUtf8(const char* bytes, size_t length) {
    size_t i = 0;
    while (i < length) {
        i += asciiPrefixLength(bytes + i, length - i);
        if (i == length) break;
        size_t sequence = utf8SequenceLength(bytes + i, length - i);
        if (sequence == 0) return false;
        i += sequence;
    }
    return true;
}

size_t utf8SequenceLength(const char* bytes, size_t length) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    if (length == 0) return 0;
    unsigned char c = s[0];
    if (c < 0x80) return 1;
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (need >= length) return 0;  // truncated sequence
    if (s[1] < lo || s[1] > hi) return 0;
    for (size_t k = 2; k <= need; ++k) {
        if (s[k] < 0x80 || s[k] > 0xBF) return 0;
    }
    return need + 1;
}
