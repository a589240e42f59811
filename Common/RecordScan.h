#pragma once
// Counts the records of a delimited text file as the record reader reads them, without decoding
// the text or building values. Only line ends and quotes matter to the count: the bytes are
// searched for them, and a quote opens a quoted value only where the reader's rule opens one (at
// the start of a record, right after a separator, or doubled inside a quoted value).
#include <cstdint>
#include <optional>
#include <string_view>

#include "Common/FieldSplitter.h"

// The number of records from the descriptor's position to the end of the file, as a new
// FieldsAndLinesParser with these settings counts them; a read error ends the count. Nothing, and
// nothing read, where the scan cannot follow the reader's rule exactly: a separator or quote of a
// base character with marks, a mark itself, one that several bytes of a one-byte encoding stand
// for, a line end, the replacement character, or both the same.
std::optional<int64_t> scanRecordCount(int fileDescriptor, int encoding, std::string_view separator,
                                       std::string_view quote, LineEnds lineEnds);
