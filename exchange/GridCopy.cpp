#include "exchange/GridCopy.h"

#include <algorithm>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "Common/DBInterface.h"
#include "exchange/PasteboardText.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/MenuValidation.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/rows/RowsConsole.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/QtStrings.h"

namespace {

// One copied row as the text line, the internal line and the record's row.
struct RowTexts {
    std::vector<std::string> text, internal;
    nlohmann::json values = nlohmann::json::array();
};

}  // namespace

bool GridCopy::gridIsShown() const {
    return window_.state().selectedConsoleIndex == TablesAndRowsState::RowsConsole &&
           rows_.isRowsTableViewFirstResponder();
}

void GridCopy::copyCommand(bool forExport) {
    // With the tables list focused the user means the list, not the grid; a refused copy leaves
    // the clipboard as it was.
    if (window_.state().selectedConsoleIndex != TablesAndRowsState::RowsConsole ||
        menuResponder(window_) == MenuResponder::TablesList) {
        return;
    }
    Pasteboard::clear();
    copyRowsToPasteboard(forExport);
}

std::optional<GridCopy::Copied> GridCopy::copyRowsToPasteboard(bool forExport) {
    TablesAndRowsState& state = window_.state();
    const int64_t delimiter = copyDelimiterCode();
    const std::string null = copiedNullText();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    const int64_t fieldsPerRow = state.dataPort.numberOfFieldsPerRow;
    if (!table || !state.databaseFilePath || fieldsPerRow < 1) return std::nullopt;
    const bool csv = forExport && delimiter == 1;
    const std::string separator =
        exportDelimiterStringFromFileTypeTag(fileTypeTagFromExportDelimiter(delimiter));
    const auto& selection = state.selection;
    const auto& fieldNames = state.fieldModel.fieldNames;

    std::vector<std::string> lines, internalLines;
    nlohmann::json recordRows = nlohmann::json::array();
    Copied copied;
    std::set<int64_t> fieldUnion;
    // Appends the row's values of the fields given; false when it yields none.
    auto addRow = [&](const std::string& rowid,
                      const std::vector<std::pair<int64_t, DBValue>>& values) {
        RowTexts row;
        CopiedRow cells{rowid, {}};
        for (const auto& [field, value] : values) {
            if (field < 1 || field > static_cast<int64_t>(fieldNames.size())) continue;
            fieldUnion.insert(field);
            cells.fieldNames.push_back(fieldNames[static_cast<size_t>(field - 1)]);
            if (!value) {
                row.text.push_back(null);
                row.internal.push_back(null);
                row.values.push_back(nullptr);
                continue;
            }
            row.text.push_back(csvFieldText(*value, separator, csv));
            row.internal.push_back(csv ? csvFieldText(*value, separator, true) : *value);
            row.values.push_back(*value);
        }
        if (row.text.empty()) return;
        lines.push_back(joinStrings(row.text, separator));
        internalLines.push_back(joinStrings(row.internal, "<F||F>"));
        recordRows.push_back(std::move(row.values));
        copied.rows.push_back(std::move(cells));
    };
    // Loads the rows by position, every contiguous run of them, the first 1000 at most.
    auto copyRowIndexes = [&](const std::vector<int64_t>& rowIndexes,
                              const std::optional<std::set<int64_t>>& fields) {
        const int64_t wanted = std::min<int64_t>(std::ssize(rowIndexes), kCopyRowLimit);
        int64_t loaded = 0;
        for (size_t i = 0; i < rowIndexes.size() && loaded < wanted;) {
            size_t end = i + 1;
            while (end < rowIndexes.size() && rowIndexes[end] == rowIndexes[end - 1] + 1) ++end;
            int64_t count = std::min<int64_t>(static_cast<int64_t>(end - i), wanted - loaded);
            std::vector<DBValue> values;
            std::string error;
            if (rows_.dataPort().loadFieldValues(&values, RowIndex(rowIndexes[i]), count, false,
                                                 &error) != 0) {
                window_.showErrorAlert(error, window_.window());
                break;
            }
            for (size_t at = 0; at + static_cast<size_t>(fieldsPerRow) <= values.size();
                 at += static_cast<size_t>(fieldsPerRow)) {
                std::vector<std::pair<int64_t, DBValue>> rowValues;
                for (int64_t f = 1; f < fieldsPerRow; ++f) {
                    if (!fields || fields->count(f)) {
                        rowValues.emplace_back(f, values[at + static_cast<size_t>(f)]);
                    }
                }
                addRow(values[at].value_or(""), rowValues);
            }
            loaded += count;
            i = end;
        }
    };

    const char* type = nullptr;
    if (!selection.mySelectedFieldIndexes.empty()) {
        type = kAddFieldsFromDatabaseDataType;
        std::vector<int64_t> rowIndexes;
        for (int64_t r = 0; r < std::min(state.dataPort.totalRows, kCopyRowLimit); ++r) {
            rowIndexes.push_back(r);
        }
        std::set<int64_t> fields;
        for (FieldIndex field : selection.mySelectedFieldIndexes) fields.insert(field.value);
        copyRowIndexes(rowIndexes, fields);
        fieldUnion = fields;
    } else if (!selection.mySelectedRowIndexes.empty()) {
        type = kAddRowsFromDatabaseDataType;
        std::vector<int64_t> rowIndexes;
        for (RowIndex row : selection.mySelectedRowIndexes) rowIndexes.push_back(row.value);
        copyRowIndexes(rowIndexes, std::nullopt);
        fieldUnion.clear();
        for (int64_t f = 1; f < fieldsPerRow; ++f) fieldUnion.insert(f);
    } else if ((!selection.focusedRowIndex.isNone() && !selection.focusedFieldIndex.isNone()) ||
               !selection.mySelectedCells.empty()) {
        type = kAddCellsFromDatabaseDataType;
        std::map<RowIndex, std::map<FieldIndex, DBValue>> cells = selection.mySelectedCells;
        if (!selection.focusedRowIndex.isNone() && !selection.focusedFieldIndex.isNone()) {
            GridRow row = rows_.dataPort().tableViewRowFromRowIndex(selection.focusedRowIndex);
            const DBValue* value =
                rows_.fieldValueObjectForTableViewRowIndex(row, selection.focusedFieldIndex);
            if (value) cells[selection.focusedRowIndex][selection.focusedFieldIndex] = *value;
        }
        for (const auto& [rowIndex, fields] : cells) {
            // The rowid, for a cut: from the loaded page, else read alone.
            GridRow row = rows_.dataPort().tableViewRowFromRowIndex(rowIndex);
            const DBValue* rowid = rows_.fieldValueObjectForTableViewRowIndex(row, FieldIndex(0));
            std::vector<DBValue> values;
            std::string error;
            if (!rowid &&
                rows_.dataPort().loadFieldValues(&values, rowIndex, 1, false, &error) == 0 &&
                !values.empty()) {
                rowid = &values[0];
            }
            std::vector<std::pair<int64_t, DBValue>> rowValues;
            for (const auto& [field, value] : fields) rowValues.emplace_back(field.value, value);
            addRow(rowid ? rowid->value_or("") : std::string(), rowValues);
        }
    } else {
        return std::nullopt;
    }

    nlohmann::json names = nlohmann::json::array(), types = nlohmann::json::array();
    for (int64_t field : fieldUnion) {
        if (field < 1 || field > static_cast<int64_t>(fieldNames.size())) continue;
        names.push_back(fieldNames[static_cast<size_t>(field - 1)]);
        types.push_back(state.fieldModel.fieldTypeAtFieldIndexP1(FieldIndex(field)));
    }
    nlohmann::json record = {
        {"database", *state.databaseFilePath},
        {"table", *table},
        {"window", window_.windowIndex()},
        {"export_delimiter", delimiter},
        {"encoding", UserDefaults::standard().integerForKey("LastImportEncodingTag")},
        {"field_names", names},
        {"field_types", types},
        {"internal_lines", joinStrings(internalLines, "<L||L>")},
        // The values themselves, NULL as null: what a paste in this program reads.
        {"rows", recordRows}};
    if (std::ssize(lines) >= kCopyRowLimit) {
        window_.showInfoAlert(
            localizedString("Maximum limit reached"),
            localizedFormat("Only %d row(s) can be copied at a time.\n\nIf you need to copy "
                            "more, please use the Export feature.",
                            {std::to_string(kCopyRowLimit)}),
            window_.window());
    }
    std::optional<std::string> text;
    if (!lines.empty()) text = joinStrings(lines, "\n");
    copied.written = Pasteboard::write(type, record, text);
    if (!copied.written && text) {
        window_.showErrorAlert(localizedString("Could not write to pasteboard"), window_.window());
    }
    return copied;
}

void GridCopy::rowsTableViewCut() {
    TablesAndRowsState& state = window_.state();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!gridIsShown() || !table || state.dataPort.totalRows < 1 ||
        !rows_.isSelectedTableUpdateCapable()) {
        return;
    }
    Alert alert;
    alert.messageText = toQString(localizedString("Cut the selected fields?"));
    alert.informativeText = toQString(
        localizedString("This will copy the selected fields to the Clipboard and then set them "
                        "to the empty string.\n\nThis cannot be undone!"));
    alert.buttons = {toQString(localizedString("Cut")), toQString(localizedString("Cancel"))};
    GridCopy self = *this;
    alert.beginSheetModalForWindow(window_.window(), [self, table](int pressed) mutable {
        if (pressed != 0) return;
        Pasteboard::clear();
        std::optional<Copied> copied = self.copyRowsToPasteboard(false);
        // Nothing is cleared unless the pasteboard holds what is cleared.
        if (copied && copied->written) self.clearCopiedCells(*copied, *table);
    });
}

void GridCopy::clearCopiedCells(const Copied& copied, const std::string& table) {
    std::map<std::vector<std::string>, std::vector<std::string>> rowidsByFields;
    for (const CopiedRow& row : copied.rows) {
        if (!row.rowid.empty()) rowidsByFields[row.fieldNames].push_back(row.rowid);
    }
    const std::string& path = *window_.state().databaseFilePath;
    for (const auto& [fields, rowids] : rowidsByFields) {
        std::string error;
        if (DBInterface::updateRowsArray(rowids, fields, DBInterface::FieldValue(std::string()),
                                         table, path, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
            break;
        }
    }
    rows_.reloadRowsKeepingPort();
    if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
        window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(window_.window());
    }
}
