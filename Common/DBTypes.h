#pragma once
// Value and row types of the access layer. A value is text, or no value for SQL NULL where the
// caller asked for the null object.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using DBValue = std::optional<std::string>;  // std::nullopt is the null object
using DBRow = std::vector<DBValue>;
using DBTextRow = std::vector<std::string>;

// What a text that is not valid UTF-8 reads as.
inline constexpr std::string_view kInvalidUtf8Marker = "*** INVALID UTF-8 STRING ***";

// Result of an operation whose database path is missing.
inline constexpr int kMissingPathResult = -1;

// Appends a message to the caller's optional error string, as it is, with no separator.
inline void appendError(std::string* errorString, std::string_view message) {
    if (errorString) errorString->append(message);
}
