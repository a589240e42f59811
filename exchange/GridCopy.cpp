#include "exchange/GridCopy.h"

#include <QMimeData>

#include <algorithm>
#include <memory>
#include <set>

#include <nlohmann/json.hpp>

#include "Common/DBInterface.h"
#include "exchange/PasteboardText.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/MenuValidation.h"
#include "mainwindow/rows/CellWriter.h"
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

void GridCopy::copyCommand(bool forExport) {
    // With the tables list focused the user means the list, not the grid; a refused copy leaves
    // the clipboard as it was.
    if (window_.state().selectedConsoleIndex != TablesAndRowsState::RowsConsole ||
        menuResponder(window_) == MenuResponder::TablesList) {
        return;
    }
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
    const auto& fieldNames = state.fieldModel.fieldNames;

    std::vector<std::string> lines, internalLines;
    nlohmann::json recordRows = nlohmann::json::array();
    Copied copied;
    std::set<FieldIndex> fieldUnion;
    // Appends the row's values of the fields given; nothing when it yields none.
    auto addRow = [&](const GridSelectionResolver::Row& taken) {
        RowTexts row;
        CopiedRow cells{taken.rowid, {}};
        for (const auto& [field, value] : taken.values) {
            if (field < kFirstFieldIndex || field.value > state.fieldModel.numberOfFields()) {
                continue;
            }
            fieldUnion.insert(field);
            cells.fieldNames.push_back(
                fieldNames[static_cast<size_t>(positionOfField(field).value)]);
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

    std::optional<GridSelectionResolver::Resolved> selected = grid_.readSelection(kCopyRowLimit);
    if (!selected) return std::nullopt;
    for (const GridSelectionResolver::Row& row : selected->rows) addRow(row);
    copied.shown = std::move(selected->shown);
    const char* type = kAddCellsFromDatabaseDataType;
    if (selected->taken != GridSelectionResolver::Taken::Cells) {
        type = selected->taken == GridSelectionResolver::Taken::Fields
                   ? kAddFieldsFromDatabaseDataType
                   : kAddRowsFromDatabaseDataType;
        fieldUnion = {selected->fields.begin(), selected->fields.end()};
    }

    nlohmann::json names = nlohmann::json::array(), types = nlohmann::json::array();
    for (FieldIndex field : fieldUnion) {
        if (field < kFirstFieldIndex || field.value > state.fieldModel.numberOfFields()) continue;
        names.push_back(fieldNames[static_cast<size_t>(positionOfField(field).value)]);
        types.push_back(state.fieldModel.fieldTypeAtFieldIndexP1(field));
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
    if (!grid_.isGridShown() || !table || state.dataPort.totalRows < 1 || !grid_.isEditable()) {
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
        std::unique_ptr<QMimeData> before = Pasteboard::contents();
        std::optional<Copied> copied = self.copyRowsToPasteboard(false);
        // Nothing is cleared unless the pasteboard holds what is cleared, and what the clear
        // refused is not left on it.
        if (copied && copied->written && !self.clearCopiedCells(*copied, *table)) {
            Pasteboard::restore(std::move(before));
        }
    });
}

bool GridCopy::clearCopiedCells(const Copied& copied, const std::string& table) {
    RowsTarget target{*window_.state().databaseFilePath, table, {}, copied.shown};
    for (const CopiedRow& row : copied.rows) {
        if (!row.rowid.empty()) target.rows.push_back({row.rowid, row.fieldNames});
    }
    if (target.rows.empty()) return false;
    CellWriter writer(window_);
    size_t written = 0;
    writer.write(target, std::string(), {.alertWindow = window_.window()}, &written);
    if (written == 0) return false;
    grid_.reloadRows();
    writer.tellOtherWindows();
    return true;
}
