#include "exchange/GridPaste.h"

#include <memory>
#include <optional>

#include "Common/DBInterface.h"
#include "Common/DateTexts.h"
#include "exchange/PasteboardText.h"
#include "exchange/RowsInsertion.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/rows/CellWriter.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

namespace {

bool& suppressFlag() {
    static bool suppress = false;
    return suppress;
}

constexpr const char* kImportViewNote =
    "\n\nThe field separator or encoding of the rows can be changed in the Import view.";

}  // namespace

bool GridPaste::suppressPasteUpdate() {
    return suppressFlag();
}

void GridPaste::suppressPasteUpdateAlert(bool suppress) {
    suppressFlag() = suppress;
}

std::string GridPaste::leftOutText(size_t reached, size_t pasted) {
    if (reached >= pasted) return std::string();
    if (reached + 1 == pasted) {
        return localizedFormat(
            "Pasted row %ld is left out: it would go past the rows loaded in the grid.",
            {std::to_string(pasted)});
    }
    return localizedFormat(
        "Pasted rows %ld to %ld are left out: they would go past the rows loaded in the grid.",
        {std::to_string(reached + 1), std::to_string(pasted)});
}

void GridPaste::pasteFromClipboardToSelectedCell(bool now) {
    TablesAndRowsState& state = window_.state();
    PastedRows pasted = pasteboardRows();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || !grid_.isEditable() || state.dataPort.numberOfFieldsPerRow < 2 ||
        pasted.rows.empty() || state.selection.focusedRowIndex.isNone() ||
        state.selection.focusedFieldIndex.isNone()) {
        return;
    }
    grid_.markPasteDestinations(pasted.rows);
    // The rows past the loaded page are the last ones: the count asked for is the count written,
    // and the others are named.
    const size_t reached = grid_.rowsReached(pasted.rows);
    const std::string leftOut = leftOutText(reached, pasted.rows.size());
    if (now) {
        pasteArrayOver(pasted.rows, *table);
        grid_.endPaste();
        if (!leftOut.empty()) {
            window_.showInfoAlert(localizedString("Rows Left Out"), leftOut, window_.window());
        }
        return;
    }
    Alert alert;
    alert.messageText =
        toQString(localizedFormat("Number of rows to update: %ld", {std::to_string(reached)}));
    alert.informativeText = toQString(
        localizedFormat("This will update rows starting from row #%ld.\nIt will only update "
                        "rows that are currently loaded.",
                        {std::to_string(state.selection.focusedRowIndex.value + 1)}) +
        (leftOut.empty() ? "" : "\n\n" + leftOut) +
        (pasted.format.ownType ? "" : localizedString(kImportViewNote)));
    alert.buttons = {toQString(localizedString("Update")), toQString(localizedString("Cancel"))};
    alert.suppressionButton = std::make_shared<bool>(false);
    GridPaste self = *this;
    alert.beginSheetModalForWindow(window_.window(),
                                   [self, rows = std::move(pasted.rows), table = *table,
                                    suppress = alert.suppressionButton](int pressed) mutable {
                                       if (pressed == 0) self.pasteArrayOver(rows, table);
                                       self.grid_.endPaste();
                                       if (*suppress) suppressPasteUpdateAlert(true);
                                   });
}

std::string GridPaste::rowNumbersText(const std::vector<int64_t>& numbers) {
    std::string text;
    for (size_t first = 0; first < numbers.size();) {
        size_t last = first;
        while (last + 1 < numbers.size() && numbers[last + 1] == numbers[last] + 1) ++last;
        if (!text.empty()) text += ", ";
        text += last == first ? std::to_string(numbers[first])
                              : localizedFormat("%@ to %@", {std::to_string(numbers[first]),
                                                             std::to_string(numbers[last])});
        first = last + 1;
    }
    return text;
}

std::string GridPaste::writtenRowsText(RowIndex stoppedAt, bool stoppedRowPartly) const {
    // The rows are numbered as the confirmation numbers them.
    std::vector<int64_t> written, notWritten;
    for (const auto& [row, fields] : window_.state().selection.pasteDestinationCells) {
        if (row < stoppedAt) {
            written.push_back(row.value + 1);
        } else if (row > stoppedAt || !stoppedRowPartly) {
            notWritten.push_back(row.value + 1);
        }
    }
    std::string text = localizedFormat(
        "Rows written: %@.", {written.empty() ? localizedString("none") : rowNumbersText(written)});
    if (stoppedRowPartly) {
        text += "\n" +
                localizedFormat("Row partly written: %@.", {std::to_string(stoppedAt.value + 1)});
    }
    if (!notWritten.empty()) {
        text += "\n" + localizedFormat("Rows not written: %@.", {rowNumbersText(notWritten)});
    }
    return text;
}

void GridPaste::pasteArrayOver(const std::vector<DBRow>& rows, const std::string& table) {
    TablesAndRowsState& state = window_.state();
    UserDefaults& defaults = UserDefaults::standard();
    const int64_t convert = defaults.integerForKey("DataTypesToConvert");
    std::string nullText = defaults.stringForKey("ImportNULLValueString");
    if (nullText.empty()) nullText = "null";
    CellWriter writer(window_);
    // The cells are found by their places: the page is read back once all are written.
    bool written = false;
    auto showWritten = [&] {
        if (written) writer.readPageBack();
        grid_.redrawPasteDestinations();
    };
    for (size_t r = 0; r < rows.size(); ++r) {
        bool rowWritten = false;
        for (size_t i = 0; i < rows[r].size(); ++i) {
            RowIndex rowIndex;
            FieldIndex field;
            if (!grid_.destinationCell(r, i, &rowIndex, &field)) continue;
            std::optional<CellTarget> target = writer.targetOfLoadedCell(rowIndex, field);
            if (!target || target->table != table) continue;
            // A NULL of the own record stays NULL; text is converted as an import would.
            DBValue value = rows[r][i];
            if (value) {
                value = DBInterface::fieldValueObjectForConvertedFieldValue(
                    *value, state.fieldModel.fieldTypeAtFieldIndexP1(field), convert & 1,
                    convert & 2, convert & 4, nullText, state.display.useUTC);
            }
            const CellWriter::Result result =
                writer.write(*target, value, {.alert = false, .readPageBack = false});
            // A failure stops the paste; the cells written before stay written, and the alert
            // names the rows that took the paste and those that did not.
            if (!result.written()) {
                CellWriter::Result told = result;
                // The rows before the changed one may have been written.
                if (told.outcome == CellWriter::Outcome::RowsChanged) {
                    told.message = localizedString(
                        "Some rows changed since they were shown and were not written.");
                }
                writer.reportFailure(told, nullptr, writtenRowsText(rowIndex, rowWritten));
                showWritten();
                return;
            }
            rowWritten = written = true;
        }
    }
    showWritten();
}

void GridPaste::pasteByAddingRowsFromPasteboard() {
    TablesAndRowsState& state = window_.state();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || state.selectedObject.tableType != DBInterface::kSchemaTable ||
        state.dataPort.numberOfFieldsPerRow < 2 || !state.databaseFilePath) {
        return;
    }
    PastedRows pasted = pasteboardRows();
    if (pasted.rows.empty()) return;
    Alert alert;
    alert.messageText = toQString(
        localizedFormat("Number of rows to add: %ld", {std::to_string(pasted.rows.size())}));
    alert.informativeText =
        toQString(localizedString("This will add rows to the table using INSERT queries.") +
                  (pasted.format.ownType ? "" : localizedString(kImportViewNote)));
    alert.buttons = {toQString(localizedString("Add")), toQString(localizedString("Cancel"))};
    GridPaste self = *this;
    alert.beginSheetModalForWindow(
        window_.window(), [self, rows = std::move(pasted.rows), table = *table](int pressed) {
            if (pressed != 0) return;
            const TablesAndRowsState& state = self.window_.state();
            // Hidden (generated) fields take no value: their places are dropped from each row.
            std::vector<std::string> names;
            std::vector<size_t> positions;
            const auto& fieldNames = state.fieldModel.fieldNames;
            for (size_t i = 0; i < fieldNames.size(); ++i) {
                if (state.fieldModel.hiddenFields.count(fieldNames[i])) continue;
                names.push_back(fieldNames[i]);
                positions.push_back(i);
            }
            std::vector<DBRow> values;
            values.reserve(rows.size());
            for (const DBRow& row : rows) {
                DBRow taken;
                for (size_t position : positions) {
                    taken.push_back(position < row.size() ? row[position] : DBValue(""));
                }
                values.push_back(std::move(taken));
            }
            int64_t inserted = 0;
            std::string error;
            if (insertPastedRows(values, names, table, *state.databaseFilePath, &inserted,
                                 &error) != 0) {
                const DBRow& failed = rows[static_cast<size_t>(inserted)];
                self.window_.shell().showErrorAlert(
                    localizedFormat("%@\n\nFirst field: %@",
                                    {error, failed.empty() ? "" : failed[0].value_or("NULL")}));
            }
            if (inserted < 1) return;
            self.grid_.showAddedRows();
            self.window_.rowsDidChange();
            if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
                self.window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(
                    self.window_.window());
            }
        });
}
