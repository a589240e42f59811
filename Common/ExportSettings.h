#pragma once
// The export settings, read from the user defaults at every export, and the rule that writes
// one value of a row.
#include <string>
#include <string_view>

enum class ExportQuoting { WhenNeeded, Always, Never };

struct ExportSettings {
    std::string separator;
    std::string nullText;
    ExportQuoting quoting = ExportQuoting::WhenNeeded;
    bool windowsFormat = false;
    bool fieldNamesRow = true;
    bool fieldTypesRow = false;

    std::string_view lineEnd() const { return windowsFormat ? "\r\n" : "\n"; }

    static ExportSettings fromUserDefaults();
};

// Appends one value by the quoting rule: quoted (with every double quote doubled and, in
// Windows format, every line feed written as "\r\n") always, never, or when it holds the
// separator, a double quote, a line feed or a carriage return.
void appendExportValue(std::string& out, std::string_view value, const ExportSettings& settings,
                       ExportQuoting quoting);
