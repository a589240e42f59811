#include "Common/RowsArrayExport.h"

#include <algorithm>

#include "Common/DelimitedExport.h"
#include "Common/ExportFile.h"
#include "Common/ExportRowText.h"
#include "Common/FieldTypes.h"

namespace DBInterface {

int dumpFromRowsArray(const std::vector<DBRow>& rows, const std::vector<std::string>& fieldNames,
                      const std::vector<std::string>* selectedFields, const std::string& filePath,
                      bool append, std::string* errorString) {
    std::vector<size_t> columns;
    for (size_t i = 0; i < fieldNames.size(); ++i) {
        if (!selectedFields || std::find(selectedFields->begin(), selectedFields->end(),
                                         fieldNames[i]) != selectedFields->end()) {
            columns.push_back(i);
        }
    }
    const ExportSettings settings = ExportSettings::fromUserDefaults();
    ExportFile file(filePath, append, errorString);
    if (!file.isOpen()) return kExportFileError;
    std::string& out = file.buffer();
    if (!append) {
        std::vector<std::string> names;
        for (size_t column : columns) names.push_back(fieldNames[column]);
        if (settings.fieldNamesRow) appendHeaderRow(out, names, settings);
        if (settings.fieldTypesRow) {
            appendHeaderRow(out, std::vector(names.size(), getColumnTypeStringForceText(0)),
                            settings);
        }
    }
    for (const DBRow& row : rows) {
        bool first = true;
        for (size_t column : columns) {
            if (column >= row.size()) continue;
            if (!first) out.append(settings.separator);
            first = false;
            const DBValue& value = row[column];
            appendExportValue(out, value ? *value : settings.nullText, settings,
                              ExportQuoting::WhenNeeded);
        }
        out.append(settings.lineEnd());
        if (!file.flushIfFull()) return kExportFileError;
    }
    return file.commit() ? 0 : kExportFileError;
}

}  // namespace DBInterface
