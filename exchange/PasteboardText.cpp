#include "exchange/PasteboardText.h"

#include <algorithm>
#include <cstdint>

#include "Common/FieldSplitter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Pasteboard.h"

namespace {

constexpr const char* kFieldMark = "<F||F>";
constexpr const char* kLineMark = "<L||L>";
// A copy quotes the values that need it whatever its separator.
constexpr const char* kPastedTextQuote = "\"";

std::vector<std::string> splitAt(const std::string& text, const std::string& mark) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t found; (found = text.find(mark, start)) != std::string::npos;
         start = found + mark.size()) {
        pieces.push_back(text.substr(start, found - start));
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace

std::string copiedNullText() {
    nlohmann::json text = UserDefaults::standard().objectForKey("NULLValueString");
    return text.is_string() ? text.get<std::string>() : "NULL";
}

std::string joinStrings(const std::vector<std::string>& strings, const std::string& separator) {
    std::string joined;
    for (size_t i = 0; i < strings.size(); ++i) {
        if (i) joined += separator;
        joined += strings[i];
    }
    return joined;
}

std::string fieldSeparatorForFileTypeTag(int64_t tag) {
    if (tag == 2) {
        std::string separator = UserDefaults::standard().stringForKey("CSVSeparatorString");
        return separator.empty() ? "," : separator;
    }
    return tag == 3 ? "|" : "\t";
}

std::string exportDelimiterStringFromFileTypeTag(int64_t tag) {
    return tag == 3 ? "|" : tag == 2 ? "," : "\t";
}

int64_t fileTypeTagFromExportDelimiter(int64_t delimiter) {
    return delimiter == 1 ? 2 : delimiter == 2 ? 3 : 1;
}

std::string csvFieldText(const std::string& value, const std::string& separator, bool quoteAlways) {
    if (!quoteAlways && value.find(separator) == std::string::npos &&
        value.find_first_of("\"\r\n") == std::string::npos) {
        return value;
    }
    std::string quoted = "\"";
    for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

void makeNewArray(TextGrid* rows, size_t* minimum, size_t* maximum,
                  const std::vector<std::string>& texts, const std::string& separator) {
    for (const std::string& text : texts) {
        for (std::vector<std::string>& fields : splitText(text, separator, kPastedTextQuote)) {
            *minimum = std::min(*minimum, fields.size());
            *maximum = std::max(*maximum, fields.size());
            rows->push_back(std::move(fields));
        }
    }
}

PasteboardTextFormat pasteboardTextFormat() {
    UserDefaults& defaults = UserDefaults::standard();
    PasteboardTextFormat format;
    format.fileTypeTag = defaults.integerForKey("LastImportFileTypeTag");
    format.encoding = defaults.integerForKey("LastImportEncodingTag");
    format.separator = fieldSeparatorForFileTypeTag(format.fileTypeTag);
    std::optional<std::string> type = Pasteboard::dataType();
    format.ownType = type.has_value();
    if (!type) return format;
    std::optional<nlohmann::json> record = Pasteboard::record(*type);
    if (!record || !Pasteboard::string()) return format;
    if (auto delimiter = record->find("export_delimiter");
        delimiter != record->end() && delimiter->is_number_integer()) {
        format.fileTypeTag = fileTypeTagFromExportDelimiter(delimiter->get<int64_t>());
        // The text was written with this separator.
        format.separator = exportDelimiterStringFromFileTypeTag(format.fileTypeTag);
    }
    if (auto encoding = record->find("encoding");
        encoding != record->end() && encoding->is_number_integer()) {
        format.encoding = encoding->get<int64_t>();
    }
    return format;
}

std::optional<std::vector<DBRow>> recordRows(const nlohmann::json& record) {
    std::vector<DBRow> rows;
    if (auto found = record.find("rows"); found != record.end() && found->is_array()) {
        for (const nlohmann::json& line : *found) {
            if (!line.is_array()) continue;
            DBRow row;
            for (const nlohmann::json& value : line) {
                row.push_back(value.is_string() ? DBValue(value.get<std::string>()) : DBValue());
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }
    auto lines = record.find("internal_lines");
    if (lines == record.end() || !lines->is_string()) return std::nullopt;
    for (const std::string& line : splitAt(lines->get<std::string>(), kLineMark)) {
        DBRow row;
        for (std::string& value : splitAt(line, kFieldMark)) row.push_back(std::move(value));
        rows.push_back(std::move(row));
    }
    return rows;
}

PastedRows pasteboardRows() {
    PastedRows pasted;
    for (const char* type : {kAddRowsFromDatabaseDataType, kAddCellsFromDatabaseDataType,
                             kAddFieldsFromDatabaseDataType}) {
        std::optional<nlohmann::json> record = Pasteboard::record(type);
        if (!record) continue;
        pasted.fromRecord = true;
        pasted.format.ownType = true;
        pasted.rows = recordRows(*record).value_or(std::vector<DBRow>());
        return pasted;
    }
    pasted.format = pasteboardTextFormat();
    std::optional<std::string> text = Pasteboard::string();
    if (!text) return pasted;
    TextGrid grid;
    size_t minimum = SIZE_MAX, maximum = 0;
    makeNewArray(&grid, &minimum, &maximum, {*text}, pasted.format.separator);
    for (auto& fields : grid) pasted.rows.emplace_back(fields.begin(), fields.end());
    return pasted;
}
