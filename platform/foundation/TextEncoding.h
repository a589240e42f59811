#pragma once
// Text encodings of imported files, by the platform's encoding numbers (as stored in settings).
// UTF-8 is read as it is; the one-byte encodings are decoded through ICU converters.
#include <array>
#include <string>

inline constexpr int kUTF8StringEncoding = 4;
inline constexpr int kWindowsCP1252StringEncoding = 12;
inline constexpr int kMacOSRomanStringEncoding = 30;

// The UTF-8 text of every byte of a one-byte encoding; a byte without a character reads as "?".
using SingleByteTable = std::array<std::string, 256>;

// The table of a one-byte encoding, or null when the encoding is not one of those above.
const SingleByteTable* singleByteTable(int encoding);
