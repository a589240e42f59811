#pragma once
// The prefix a long value is held by for display: at most kHeldValueBytes bytes, cut on a
// character boundary and ended by a mark that no value read from a database holds (those are
// valid UTF-8), so that the window knows to read the value again whole where it needs it.
#include <cstddef>
#include <string>
#include <string_view>

#include "Common/DBTypes.h"

inline constexpr size_t kHeldValueBytes = 4096;
inline constexpr char kCutMark = '\xff';
// How many bytes of a long value decide how it is held: the held bytes and the rest of the
// character that reaches past them.
inline constexpr size_t kHeldValueReadBytes = kHeldValueBytes + 4;

// The length of the longest prefix of at most limit bytes that ends on a character boundary.
size_t characterBoundaryBefore(std::string_view text, size_t limit);
// Cuts a value longer than kHeldValueBytes to its first bytes, on a character boundary.
void holdPrefixOfValue(DBValue* value);
bool isCutValue(const DBValue& value);
// The held value of a value of totalBytes bytes whose first bytes (at least kHeldValueReadBytes
// of them, or all) are prefix, as the row readers give it and holdPrefixOfValue holds it: text
// that is not valid UTF-8 in its held bytes is the invalid-text marker.
std::string heldValueOfPrefix(std::string prefix, size_t totalBytes);
