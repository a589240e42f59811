// The field splitter of FieldsAndLinesParser.
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "Common/FieldsAndLinesParser.h"

namespace {

// A code point that joins the character before it into one composed character.
bool isGraphemeExtender(UChar32 c) {
    const int kind = u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
    return kind == U_GCB_EXTEND || kind == U_GCB_ZWJ || kind == U_GCB_SPACING_MARK;
}

bool extenderAt(std::string_view text, size_t position) {
    if (position >= text.size() || static_cast<unsigned char>(text[position]) < 0x80) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t index = static_cast<int32_t>(position);
    UChar32 c;
    U8_NEXT(bytes, index, static_cast<int32_t>(text.size()), c);
    return c >= 0 && isGraphemeExtender(c);
}

// A base character with its marks is one composed character; only one can match.
bool isOneComposedCharacter(std::string_view text) {
    if (text.empty()) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t index = 0;
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    while (index < length) {
        U8_NEXT(bytes, index, length, c);
        if (c < 0 || !isGraphemeExtender(c)) return false;
    }
    return true;
}

size_t characterLength(std::string_view text, size_t position) {
    const auto lead = static_cast<unsigned char>(text[position]);
    const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, text.size() - position);
}

}  // namespace

void FieldsAndLinesParser::findFieldsInLine(std::string_view line, std::vector<std::string>* into,
                                            std::string_view separatorString,
                                            std::string_view quoteString) {
    const bool useSeparator = isOneComposedCharacter(separatorString);
    const bool useQuote = isOneComposedCharacter(quoteString);
    const char separatorLead = useSeparator ? separatorString[0] : '\0';
    const char quoteLead = useQuote ? quoteString[0] : '\0';
    auto matches = [&](size_t position, std::string_view what) {
        return line.compare(position, what.size(), what) == 0 &&
               !extenderAt(line, position + what.size());
    };

    std::string field;
    bool inQuotes = false;
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        size_t j = i;
        while (j < n && !(useSeparator && line[j] == separatorLead) &&
               !(useQuote && line[j] == quoteLead)) {
            ++j;
        }
        field.append(line, i, j - i);
        i = j;
        if (i == n) break;
        if (useQuote && matches(i, quoteString)) {
            if (inQuotes && matches(i + quoteString.size(), quoteString)) {
                field.append(quoteString);
                i += 2 * quoteString.size();
            } else {
                inQuotes = !inQuotes;
                i += quoteString.size();
            }
            continue;
        }
        if (useSeparator && !inQuotes && matches(i, separatorString)) {
            into->push_back(std::move(field));
            field.clear();
            i += separatorString.size();
            continue;
        }
        const size_t length = characterLength(line, i);
        field.append(line, i, length);
        i += length;
    }
    into->push_back(std::move(field));
}
