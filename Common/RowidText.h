#pragma once
// Rowids stand bare in SQL, so each rowid text is checked to be an integer before it goes in.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace DBInterface {

// An optional sign and decimal digits that fit a 64-bit integer.
bool isRowidText(std::string_view text);
// The rowid the text stands for; nullopt when it is not a rowid text.
std::optional<int64_t> rowidOfText(std::string_view text);
// Appends "Invalid rowid: ..." for a text that is not a rowid; true when all are rowids.
bool checkRowids(const std::vector<std::string>& rowids, std::string* errorString);
bool checkRowid(const std::string& rowid, std::string* errorString);

}  // namespace DBInterface
