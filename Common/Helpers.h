#pragma once
// Small helpers for values that may be missing, indexes that may be out of range and bit sets.
// None of them fails: each gives its fallback instead.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DBTypes.h"

// The fallback when the value is missing or the null object.
inline std::string valueOrDefaultIfNull(const DBValue* value, const std::string& fallback) {
    return value && value->has_value() ? **value : fallback;
}

// The fallback only when there is no value at all; the null object is a value.
inline DBValue valueOrDefault(const DBValue* value, const DBValue& fallback) {
    return value ? *value : fallback;
}

inline std::string stringOrDefaultIfEmpty(const std::string* text, const std::string& fallback) {
    return text && !text->empty() ? *text : fallback;
}

// The integer the value begins with (as a stored number), else the fallback.
int64_t integerValueOrDefault(const DBValue* value, int64_t fallback);
// The value read as a boolean: a number other than 0, or "YES"/"true"; NO when missing.
bool boolValueOrNo(const DBValue* value);

template <typename T>
T firstObjectOrDefault(const std::vector<T>* list, const T& fallback) {
    return list && !list->empty() ? list->front() : fallback;
}

template <typename T>
T objectAtIndexOrDefault(const std::vector<T>* list, int64_t index, const T& fallback) {
    if (!list || index < 0 || index >= static_cast<int64_t>(list->size())) return fallback;
    return (*list)[static_cast<size_t>(index)];
}

template <typename T>
void setObjectAtIndexIfInRange(std::vector<T>& list, int64_t index, const T& object) {
    if (index >= 0 && index < static_cast<int64_t>(list.size())) {
        list[static_cast<size_t>(index)] = object;
    }
}

// True when every bit of mask is set in flags; a mask of 0 gives true.
inline bool flagsContainAll(uint64_t flags, uint64_t mask) {
    return (flags | mask) == flags;
}

inline void setFlags(uint64_t& flags, uint64_t mask, bool enable) {
    flags = enable ? (flags | mask) : (flags & ~mask);
}

// The number of line-end bytes (CR or LF, at most two) that end the text.
inline size_t trailingLineEndLength(std::string_view text) {
    auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    size_t n = text.size();
    if (n == 0 || !isLineEnd(text[n - 1])) return 0;
    return n >= 2 && isLineEnd(text[n - 2]) ? 2 : 1;
}

// Removes a line end of at most two bytes in place; returns the length it had before.
size_t trimLineEnd(char* text);
// Removes trailing C-locale white space in place (bytes of 128 and above are not white space).
void trimTrailingSpace(char* text);
