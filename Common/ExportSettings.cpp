#include "Common/ExportSettings.h"

#include "platform/foundation/UserDefaults.h"

ExportSettings ExportSettings::fromUserDefaults() {
    const UserDefaults& defaults = UserDefaults::standard();
    ExportSettings settings;
    // The older CSV flag wins over the delimiter choice.
    const int64_t delimiter =
        defaults.boolForKey("CSV") ? 1 : defaults.integerForKey("ExportDelimiter");
    switch (delimiter) {
        case 1:
            settings.separator = defaults.stringForKey("CSVSeparatorString");
            if (settings.separator.empty()) settings.separator = ",";
            break;
        case 2:
            settings.separator = "|";
            break;
        case 3:
            settings.separator = defaults.stringForKey("ExportFieldSeparatorString");
            break;
        default:
            settings.separator = "\t";
    }
    settings.nullText = defaults.stringForKey("NULLValueString");
    const int64_t quoting = defaults.integerForKey("ExportSurroundingQuotes");
    settings.quoting = quoting == 0   ? ExportQuoting::WhenNeeded
                       : quoting == 1 ? ExportQuoting::Always
                                      : ExportQuoting::Never;
    settings.windowsFormat = defaults.boolForKey("WindowsFormat");
    settings.fieldNamesRow = !defaults.boolForKey("DontExportFieldNames");
    settings.fieldTypesRow = defaults.boolForKey("ExportFieldTypes");
    return settings;
}

namespace {

// A carriage return ends a line for many readers, so it needs quotes like a line feed.
bool needsQuotes(std::string_view value, std::string_view separator) {
    if (separator.size() == 1) {
        const char s = separator[0];
        for (const char c : value) {
            if (c == '"' || c == '\n' || c == '\r' || c == s) return true;
        }
        return false;
    }
    return value.find_first_of("\"\n\r") != std::string_view::npos ||
           (!separator.empty() && value.find(separator) != std::string_view::npos);
}

}  // namespace

void appendExportValue(std::string& out, std::string_view value, const ExportSettings& settings,
                       ExportQuoting quoting) {
    if (quoting == ExportQuoting::Never ||
        (quoting == ExportQuoting::WhenNeeded && !needsQuotes(value, settings.separator))) {
        out.append(value);
        return;
    }
    out.push_back('"');
    size_t start = 0;
    for (size_t i = value.find_first_of("\"\n"); i != std::string_view::npos;
         i = value.find_first_of("\"\n", i + 1)) {
        out.append(value, start, i - start);
        if (value[i] == '"') {
            out.append("\"\"");
        } else {
            out.append(settings.windowsFormat ? "\r\n" : "\n");
        }
        start = i + 1;
    }
    out.append(value, start);
    out.push_back('"');
}
