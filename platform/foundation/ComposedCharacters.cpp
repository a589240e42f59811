#include "platform/foundation/ComposedCharacters.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {
bool joinsTheCharacterBefore(UChar32 c) {
    const int kind = u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
    return kind == U_GCB_EXTEND || kind == U_GCB_ZWJ || kind == U_GCB_SPACING_MARK;
}
}  // namespace

size_t composedCharacterLength(std::string_view text, size_t position) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    auto index = static_cast<int32_t>(position);
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    if (c < 0) return 1;
    for (int32_t next = index; next < length; index = next) {
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !joinsTheCharacterBefore(c)) break;
    }
    return static_cast<size_t>(index) - position;
}
