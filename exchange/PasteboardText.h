#pragma once
// Reading the pasteboard's rows back: the file type tags of pasted text and their separators,
// the text split into rows of fields, and the rows of the program's own grid records.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Common/DBTypes.h"

using TextGrid = std::vector<std::vector<std::string>>;

// What a copy writes for NULL: NULLValueString when set (also empty), else "NULL".
std::string copiedNullText();
std::string joinStrings(const std::vector<std::string>& strings, const std::string& separator);

// Tag 2 (CSV): CSVSeparatorString when set and not empty, else ","; 3: "|"; any other: a tab.
std::string fieldSeparatorForFileTypeTag(int64_t tag);
// 3 gives "|", 2 gives "," (whatever CSVSeparatorString holds), any other a tab.
std::string exportDelimiterStringFromFileTypeTag(int64_t tag);
// Export delimiter 1 (comma) gives tag 2, 2 ("|") gives 3, any other 1 (tab).
int64_t fileTypeTagFromExportDelimiter(int64_t delimiter);

// A value written into delimited text: quoted with its quotes doubled when it holds the
// separator, a quote or a line end, or always with quoteAlways.
std::string csvFieldText(const std::string& value, const std::string& separator, bool quoteAlways);
// Appends one row per line of each text, lines ending at "\r\n", "\n\r", "\r" or "\n" outside a
// value in double quotes (a copy quotes values so whatever its separator). Empty lines are rows,
// but a final line end only ends the last line: copied text ends so, and the nothing after it is
// no row. Lowers minimum and raises maximum to the shortest and longest row.
void makeNewArray(TextGrid* rows, size_t* minimum, size_t* maximum,
                  const std::vector<std::string>& texts, const std::string& separator);

// How the pasteboard's plain text is to be read.
struct PasteboardTextFormat {
    int64_t fileTypeTag = 1;
    int64_t encoding = 0;
    std::string separator;
    // One of the own types is on the pasteboard.
    bool ownType = false;
};
// From LastImportFileTypeTag and LastImportEncodingTag, unless an own record readable beside
// the text says how it wrote the text: then its delimiter, read back exactly as written.
PasteboardTextFormat pasteboardTextFormat();

// The rows of an own grid record: its "rows" (NULL kept as the null object) or else its
// "internal_lines"; nullopt when it has neither.
std::optional<std::vector<DBRow>> recordRows(const nlohmann::json& record);
// The rows the pasteboard offers for a paste: those of the first own grid record present, else
// its plain text read by pasteboardTextFormat.
struct PastedRows {
    std::vector<DBRow> rows;
    bool fromRecord = false;
    PasteboardTextFormat format;
};
PastedRows pasteboardRows();
