#include "design/SqlResultsCopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <nlohmann/json.hpp>

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/QtStrings.h"

std::string resultRowsText(const std::vector<DBRow>& rows, const std::vector<int64_t>& rowIndexes,
                           int64_t delimiter) {
    const std::string separator = delimiter == 1 ? "," : delimiter == 2 ? "|" : "\t";
    std::string text;
    bool first = true;
    for (int64_t index : rowIndexes) {
        if (index < 0 || index >= static_cast<int64_t>(rows.size())) continue;
        if (!first) text += '\n';
        first = false;
        const DBRow& row = rows[static_cast<size_t>(index)];
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) text += separator;
            const std::string value = row[i].value_or("");
            if (delimiter != 1) {
                text += value;
                continue;
            }
            text += '"';
            for (char c : value) text += c == '"' ? std::string("\"\"") : std::string(1, c);
            text += '"';
        }
    }
    return text;
}

bool copyResultRowsToPasteboard(const std::vector<DBRow>& rows,
                                const std::vector<int64_t>& rowIndexes,
                                const std::optional<std::string>& databaseFilePath,
                                int windowIndex) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const int64_t delimiter = copyDelimiterCode();
    bool anyRow = false;
    for (int64_t index : rowIndexes) anyRow |= index >= 0 && index < std::ssize(rows);
    if (!anyRow) return true;
    nlohmann::json record = {
        {"source_view", 2},
        {"window", windowIndex},
        {"export_delimiter", delimiter},
        {"encoding", UserDefaults::standard().integerForKey("LastImportEncodingTag")}};
    if (databaseFilePath) record["database"] = *databaseFilePath;
    auto* data = new QMimeData;
    data->setData(kAddRowsFromSQLViewDataType, QByteArray::fromStdString(record.dump()));
    data->setText(toQString(resultRowsText(rows, rowIndexes, delimiter)));
    clipboard->setMimeData(data);
    return clipboard->mimeData() && clipboard->mimeData()->hasText();
}
