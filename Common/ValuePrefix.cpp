#include "Common/ValuePrefix.h"

#include <algorithm>

#include "platform/foundation/Utf8.h"

size_t characterBoundaryBefore(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text.size();
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    return end;
}

void holdPrefixOfValue(DBValue* value) {
    if (!value || !*value || (*value)->size() <= kHeldValueBytes) return;
    std::string held = (*value)->substr(0, characterBoundaryBefore(**value, kHeldValueBytes));
    held.push_back(kCutMark);
    *value = std::move(held);
}

bool isCutValue(const DBValue& value) {
    return value && !value->empty() && value->back() == kCutMark;
}

std::string heldValueOfPrefix(std::string prefix, size_t totalBytes) {
    // A value read in part is checked to the end of the character at the cut, so that it is
    // held as the value read whole would be unless a fault lies past that character.
    const bool whole = totalBytes <= prefix.size();
    size_t checked = whole ? prefix.size() : std::min(prefix.size(), kHeldValueBytes + 1);
    while (checked < prefix.size() &&
           (static_cast<unsigned char>(prefix[checked]) & 0xc0) == 0x80) {
        ++checked;
    }
    if (!isValidUtf8(prefix.data(), checked)) return std::string(kInvalidUtf8Marker);
    DBValue held(std::move(prefix));
    if (!whole) {
        held->resize(characterBoundaryBefore(*held, kHeldValueBytes));
        held->push_back(kCutMark);
    } else {
        holdPrefixOfValue(&held);
    }
    return std::move(*held);
}
