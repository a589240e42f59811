#include "Common/SQLQuote.h"

namespace {
std::string quoted(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size() + 2);
    out += quote;
    for (char c : text) {
        out += c;
        if (c == quote) out += quote;
    }
    out += quote;
    return out;
}
}  // namespace

std::string quoteIdentifier(std::string_view name) {
    return quoted(name, '"');
}

std::string quoteLiteral(std::string_view text) {
    return quoted(text, '\'');
}

std::string escapeLiteral(std::string_view text) {
    std::string quotedText = quoted(text, '\'');
    return quotedText.substr(1, quotedText.size() - 2);
}

std::string quoteIdentifierList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        if (!list.empty()) list += ',';
        list += quoteIdentifier(name);
    }
    return list;
}
