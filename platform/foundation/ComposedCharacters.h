#pragma once
// Composed characters of UTF-8 text: a base character with the marks and joiners that join it.
#include <cstddef>
#include <string_view>

// The byte length of the composed character that begins at the position (before the end); a byte
// that begins no well-formed character stands alone.
size_t composedCharacterLength(std::string_view text, size_t position);
