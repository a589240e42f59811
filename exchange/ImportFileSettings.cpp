#include "exchange/ImportFileSettings.h"

#include <filesystem>

#include "platform/foundation/Localized.h"
#include "platform/foundation/TextEncoding.h"

ImportFileSettings ImportFileSettings::forFile(const std::string& path,
                                               const std::optional<std::string>& table) {
    ImportFileSettings settings;
    const std::filesystem::path file(path);
    settings.filePath = path;
    settings.name = table ? *table : file.stem().string();
    const bool csv = file.extension() == ".csv";
    settings.fieldSeparator = csv ? Comma : Tab;
    settings.removeSurroundingQuotes = csv ? 1 : 0;
    return settings;
}

std::string ImportFileSettings::cleanedTableName() const {
    std::string cleaned = name;
    for (char& c : cleaned) {
        if (c == '`' || c == '[' || c == ']' || c == '"') c = '_';
    }
    return cleaned;
}

std::string ImportFileSettings::separatorString() const {
    switch (fieldSeparator) {
        case Other:
            if (fieldSeparatorString && !fieldSeparatorString->empty())
                return *fieldSeparatorString;
            return localizedString(",");
        case Pipe:
            return "|";
        case Comma:
            return localizedString(",");
        default:
            return "\t";
    }
}

LineEnds ImportFileSettings::lineEnds() const {
    return lineSeparator == 1 ? LineEnds::CarriageReturnLineFeed : LineEnds::LineFeed;
}

std::string ImportFileSettings::lineSeparatorString() const {
    return lineSeparator == 1 ? "\r\n" : "\n";
}

std::string ImportFileSettings::quoteString() const {
    return removeSurroundingQuotes == 1 ? "\"" : "";
}

int ImportFileSettings::readerEncoding() const {
    if (textEncoding == 1) return kWindowsCP1252StringEncoding;
    if (textEncoding == 2) return kMacOSRomanStringEncoding;
    return kUTF8StringEncoding;
}

namespace {
const char* lineRoleText(int role, bool first) {
    if (role == ImportFileSettings::Discard) return first ? "1. Discard" : "2. Discard";
    if (role == ImportFileSettings::FieldFormats) {
        return first ? "1. Field formats" : "2. Field formats";
    }
    return first ? "1. Field names" : "2. Field names";
}
}  // namespace

std::string ImportFileSettings::optionsText() const {
    std::string text = localizedString(fieldSeparator == Other   ? "Other"
                                       : fieldSeparator == Pipe  ? "Pipe"
                                       : fieldSeparator == Comma ? "CSV"
                                                                 : "Tab");
    const std::string comma = localizedString(", ");
    if (textEncoding != 0) {
        text += comma + localizedString(textEncoding == 2 ? "Mac Roman" : "Windows CP1252");
    }
    if (line1 >= 2) text += comma + localizedString(lineRoleText(line1, true));
    if (line2 >= 2) text += comma + localizedString(lineRoleText(line2, false));
    return text;
}
