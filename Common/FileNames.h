#pragma once
// File-size texts, file-name tests and the cleaning of names and lines.
#include <cstdint>
#include <optional>
#include <string>

namespace DBInterface {

// Decimal units: "999 bytes", "1 KB", "1.5 MB", "1.23 GB"; "" for no number.
std::string fileSizeStringFromNumber(const std::optional<int64_t>& bytes);
// The number part alone; *unitsCode is set to 1 bytes, 2 KB, 3 MB, 4 GB.
std::string fileSizeStringFromNumber(const std::optional<int64_t>& bytes, int* unitsCode);
std::string fileSizeUnitsStringFromCode(int unitsCode, int64_t size);

bool isSupportedSQLFile(const std::string& name);
bool isSupportedImageFile(const std::string& name);
bool isSupportedCompressedFile(const std::string& name);

// Every backquote, "[", "]" and double quote made "_", nothing trimmed: a name chosen for a new
// table or field.
std::string withoutQuotingCharacters(std::string name);
// Trimmed, with every backquote, "[", "]" and double quote made "_".
std::string nameWithoutQuotingCharacters(const std::string& name);
// The text without a line end of at most two bytes.
std::string trimTrailingNewlineFromString(const std::string& text);
// Whether SQLite takes the word as one of its keywords (any letter case).
bool checkReservedWord(const std::string* word);
// The path of the name in the Documents folder, or of the first free "name N.ext" (N from 2 to
// 999); nullopt when all are taken.
std::optional<std::string> nonExistingDocumentFilePathFor(const std::string& name);
inline std::string stringOrEmpty(const std::string* text) {
    return text ? *text : std::string();
}

}  // namespace DBInterface
