#pragma once
// UTF-8 validity: the access layer hands text over only when it is well-formed UTF-8
// (no overlong forms, no surrogates, nothing above U+10FFFF); and runs of ASCII, which text of
// tables mostly is.
#include <cstddef>
#include <string_view>

bool isValidUtf8(const char* bytes, size_t length);
// The length of the well-formed sequence that begins the bytes (1 to 4); 0 when they begin with
// none (a stray, overlong, surrogate or truncated sequence) or are empty.
size_t utf8SequenceLength(const char* bytes, size_t length);
inline bool isValidUtf8(std::string_view text) {
    return isValidUtf8(text.data(), text.size());
}
// How many of the bytes from the first are ASCII.
size_t asciiPrefixLength(const char* bytes, size_t length);
inline bool isAscii(std::string_view text) {
    return asciiPrefixLength(text.data(), text.size()) == text.size();
}
