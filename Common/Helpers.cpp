#include "Common/Helpers.h"

#include <cstdlib>
#include <cstring>

int64_t integerValueOrDefault(const DBValue* value, int64_t fallback) {
    if (!value || !value->has_value()) return fallback;
    const char* text = (*value)->c_str();
    char* end = nullptr;
    long long number = std::strtoll(text, &end, 10);
    return end == text ? fallback : number;
}

bool boolValueOrNo(const DBValue* value) {
    if (!value || !value->has_value()) return false;
    const std::string& text = **value;
    if (text == "YES" || text == "yes" || text == "true" || text == "TRUE") return true;
    return std::strtoll(text.c_str(), nullptr, 10) != 0;
}

size_t trimLineEnd(char* text) {
    size_t n = std::strlen(text);
    // Only line-end bytes go: a byte of text after a CR or LF stays.
    text[n - trailingLineEndLength(std::string_view(text, n))] = '\0';
    return n;
}

void trimTrailingSpace(char* text) {
    size_t n = std::strlen(text);
    auto isSpace = [](unsigned char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (n > 0 && isSpace(static_cast<unsigned char>(text[n - 1]))) text[--n] = '\0';
}
