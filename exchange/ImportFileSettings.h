#pragma once
// The settings of one file listed for import, made once when the file is listed, and how the
// import reads them.
#include <cstdint>
#include <optional>
#include <string>

#include "Common/FieldSplitter.h"

struct ImportFileSettings {
    // Field separator codes.
    enum Separator { Tab = 1, Comma = 2, Pipe = 3, Other = 5 };
    // Roles of the first two records.
    enum LineType { Data = 1, FieldNames = 2, FieldFormats = 4, Discard = 8 };

    std::string name;  // destination table as typed
    std::string filePath;
    int fieldSeparator = Tab;
    std::optional<std::string> fieldSeparatorString;
    int lineSeparator = 0;  // 0 "\n", 1 "\r\n"
    int textEncoding = 0;   // 0 UTF-8, 1 Windows CP1252, 2 Mac Roman
    int line1 = Data;
    int line2 = Data;
    int removeSurroundingQuotes = 0;

    // A ".csv" file (the suffix test is case-sensitive) is comma-separated with quotes; the
    // destination is the table given, else the file name without its extension.
    static ImportFileSettings forFile(const std::string& path,
                                      const std::optional<std::string>& table);

    // What the import reads: the table name with ` [ ] " made "_", the separator ("," for an
    // empty Other), the line end, the quote string, the reader's encoding number.
    std::string cleanedTableName() const;
    std::string separatorString() const;
    LineEnds lineEnds() const;
    std::string lineSeparatorString() const;
    std::string quoteString() const;
    int readerEncoding() const;

    // The options column of the files list, e.g. "CSV, 1. Field names".
    std::string optionsText() const;
};
