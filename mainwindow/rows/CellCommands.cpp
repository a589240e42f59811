#include "mainwindow/rows/CellCommands.h"

#include <QString>

#include <algorithm>
#include <iterator>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/rows/CellWriter.h"
#include "mainwindow/rows/GridNavigator.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/PromptSheet.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr char kCannotBeUndone[] = "\n\nThis cannot be undone!";

// A whole number typed into a sheet; text that is not one reads as 0.
int64_t typedInteger(const std::string& text) {
    bool ok = false;
    qlonglong value = toQString(text).trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

}  // namespace

CellCommands::CellCommands(GridSurface& rows, DatabaseWindow& window)
    : rows_(rows), window_(window), state_(window.state()) {}

bool CellCommands::isSelectedTableInsertCapable() const {
    return window_.selectedTableNameIfOnlyOne() &&
           state_.selectedObject.tableType == DBInterface::kSchemaTable;
}

bool CellCommands::isSelectedTableUpdateCapable() const {
    return rows_.isSelectedTableUpdateCapable();
}

bool CellCommands::canChangeRows() const {
    return state_.selectedConsoleIndex == TablesAndRowsState::RowsConsole &&
           window_.selectedTableNameIfOnlyOne() && state_.dataPort.totalRows >= 1 &&
           isSelectedTableUpdateCapable();
}

QWidget* CellCommands::sheetWindow() const {
    return window_.window();
}

bool CellCommands::checkTableEditStatus(const std::string& table, const std::string& title) {
    std::string error;
    const std::string& path = *state_.databaseFilePath;
    if (DBInterface::tableEditStatus(table, path, &error) == DBInterface::kTableEditable) {
        return true;
    }
    // Renamed or dropped elsewhere: said as every write of a cell says it.
    if (DBInterface::isObjectGone(table, path)) {
        window_.showErrorAlert(CellWriter::tableGoneMessage(table), sheetWindow());
        return false;
    }
    window_.showAlert(title, error, sheetWindow());
    return false;
}

std::vector<std::string> CellCommands::eligibleFieldNames(const std::vector<FieldIndex>& fields,
                                                          int onlyIfFieldType) const {
    bool filtered = onlyIfFieldType == DBInterface::kFieldTypeDate ||
                    onlyIfFieldType == DBInterface::kFieldTypeTime;
    const auto& model = state_.fieldModel;
    std::vector<std::string> names;
    for (FieldIndex field : fields) {
        if (field < kFirstFieldIndex || field.value > model.numberOfFields()) continue;
        if (filtered && model.fieldTypeAtFieldIndexP1(field) != onlyIfFieldType) continue;
        names.push_back(model.fieldNames[static_cast<size_t>(positionOfField(field).value)]);
    }
    return names;
}

void CellCommands::replaceSelectedFieldsWith(const DBValue& value, const std::string& table,
                                             int onlyIfFieldType) {
    if (!state_.databaseFilePath) return;
    if (!checkTableEditStatus(table, localizedString("Table is not editable"))) return;
    const auto& selection = state_.selection;
    if (!selection.mySelectedFieldIndexes.empty()) {
        writeSelectedFields(value, table, onlyIfFieldType);
    } else if (!selection.mySelectedRowIndexes.empty()) {
        writeSelectedRows(value, table, onlyIfFieldType);
    } else {
        writeSelectedCells(value, table, onlyIfFieldType);
    }
}

void CellCommands::writeSelectedFields(const DBValue& value, const std::string& table, int filter) {
    const auto& selected = state_.selection.mySelectedFieldIndexes;
    std::vector<std::string> names =
        eligibleFieldNames(std::vector<FieldIndex>(selected.begin(), selected.end()), filter);
    if (names.empty()) return;
    // No rowids: every row of the table, also those the search hides; only the fields are
    // checked.
    if (!writeRows({}, names, value, table)) return;
    reloadGrid();
}

bool CellCommands::writeRows(const std::vector<std::string>& rowids,
                             const std::vector<std::string>& names, const DBValue& value,
                             const std::string& table) {
    CellWriter writer(window_);
    DBInterface::ShownRows shown = writer.shownRows(rowids);
    std::string error;
    const int rc = DBInterface::updateRowsArray(rowids, names, DBInterface::FieldValue(value),
                                                table, *state_.databaseFilePath, &error, &shown);
    writer.resultOf(rc, error, table, *state_.databaseFilePath, {.alertWindow = sheetWindow()});
    return rc == 0;
}

void CellCommands::writeSelectedRows(const DBValue& value, const std::string& table, int filter) {
    std::vector<FieldIndex> allFields;
    for (FieldIndex field = kFirstFieldIndex; field.value < state_.dataPort.numberOfFieldsPerRow;
         ++field) {
        allFields.push_back(field);
    }
    std::vector<std::string> names = eligibleFieldNames(allFields, filter);
    if (names.empty()) return;
    bool limitExceeded = false;
    std::optional<std::vector<std::string>> rowids = rowidsOfSelectedRows(&limitExceeded);
    if (!rowids || rowids->empty() || !writeRows(*rowids, names, value, table)) return;
    reloadGrid();
    if (limitExceeded) {
        window_.showInfoAlert(
            localizedString("Row Limit Exceeded"),
            localizedFormat("Only %d rows were changed.", {std::to_string(rowids->size())}),
            sheetWindow());
    }
}

void CellCommands::writeSelectedCells(const DBValue& value, const std::string& table, int filter) {
    auto& selection = state_.selection;
    bool focused = !selection.focusedRowIndex.isNone() && !selection.focusedFieldIndex.isNone();
    if (!focused && selection.mySelectedCells.empty()) return;
    CellWriter writer(window_);
    // A row the page holds, by the rowid it was loaded with: the very row the user sees.
    auto rowTarget = [&](RowIndex row, const std::vector<FieldIndex>& fields) {
        RowsTarget target{*state_.databaseFilePath, table, {}, {}};
        std::optional<std::string> rowid = writer.loadedRowid(row);
        std::vector<std::string> names = eligibleFieldNames(fields, filter);
        if (rowid && !names.empty()) target.rows.push_back({*rowid, std::move(names)});
        return target;
    };
    // The rows as the page shows them, the writes before this one patched into it.
    auto shownOf = [&writer](RowsTarget& target) {
        std::vector<std::string> rowids;
        for (const auto& row : target.rows) rowids.push_back(row.rowid);
        target.shown = writer.shownRows(rowids);
    };
    const CellWriter::Report report{.alertWindow = sheetWindow()};
    size_t written = 0;
    // The focused cell goes alone: its failure is told and the cells go on.
    if (focused) {
        RowsTarget target = rowTarget(selection.focusedRowIndex, {selection.focusedFieldIndex});
        shownOf(target);
        if (!target.rows.empty()) writer.write(target, value, report, &written);
    }
    // The selected cells one row at a time, up to the first row that fails.
    RowsTarget cells{*state_.databaseFilePath, table, {}, {}};
    for (const auto& [row, rowCells] : selection.mySelectedCells) {
        std::vector<FieldIndex> fields;
        for (const auto& cell : rowCells) {
            // The focused cell was written above.
            if (!(focused && row == selection.focusedRowIndex &&
                  cell.first == selection.focusedFieldIndex)) {
                fields.push_back(cell.first);
            }
        }
        RowsTarget target = rowTarget(row, fields);
        std::move(target.rows.begin(), target.rows.end(), std::back_inserter(cells.rows));
    }
    size_t cellRowsWritten = 0;
    shownOf(cells);
    if (!cells.rows.empty()) writer.write(cells, value, report, &cellRowsWritten);
    if (written + cellRowsWritten == 0) return;
    selection.mySelectedCells.clear();
    selection.mySelectedFieldIndexes.clear();
    selection.mySelectedRowIndexes.clear();
    reloadGrid();
    writer.tellOtherWindows();
}

std::optional<std::vector<std::string>> CellCommands::rowidsOfSelectedRows(bool* limitExceeded) {
    const auto& selected = state_.selection.mySelectedRowIndexes;
    *limitExceeded = selected.size() > kBulkRowLimit;
    const size_t wanted = std::min<size_t>(selected.size(), kBulkRowLimit);
    const std::vector<RowIndex> rows(selected.begin(), std::next(selected.begin(), wanted));
    CellWriter writer(window_);
    std::vector<std::optional<std::string>> shownRowids;
    for (RowIndex row : rows) shownRowids.push_back(writer.loadedRowid(row));
    const std::string& path = *state_.databaseFilePath;
    // The file as it was when the page was read: the rows it shows are at their places.
    if (std::all_of(shownRowids.begin(), shownRowids.end(), [](const auto& id) { return id; }) &&
        window_.fileVersion(path) == state_.dataPort.page.fileVersion()) {
        std::vector<std::string> rowids;
        for (const auto& rowid : shownRowids) rowids.push_back(*rowid);
        return rowids;
    }
    std::vector<std::string> rowids;
    std::string error;
    const auto& search = state_.sortAndSearch;
    // One read per run of adjacent selected rows.
    for (size_t at = 0; at < rows.size();) {
        size_t length = 1;
        while (at + length < rows.size() && rows[at + length] == rows[at] + int64_t(length)) {
            ++length;
        }
        if (DBInterface::getRows(&rowids, *window_.selectedTableNameIfOnlyOne(),
                                 search.likeString.value_or(std::string()),
                                 search.searchFieldIndexes.indexes(), search.sortCodes,
                                 search.sortByROWIDCode, int64_t(length), rows[at].value, true,
                                 path, &error) != 0) {
            window_.showErrorAlert(error, sheetWindow());
            return std::nullopt;
        }
        at += length;
    }
    // Positions are only worth what the grid showed: rows inserted, deleted or reordered since
    // put other rows at the selected places. Rows past the page were not read: the write
    // refuses them once the file changed.
    bool moved = rowids.size() != rows.size();
    for (size_t i = 0; i < rowids.size() && !moved; ++i) {
        moved = shownRowids[i] && *shownRowids[i] != rowids[i];
    }
    if (moved) {
        window_.showAlert(localizedString("Rows Changed"), DBInterface::rowsChangedMessage(),
                          sheetWindow());
        rows_.rowsDidChange();
        return std::nullopt;
    }
    return rowids;
}

std::string CellCommands::wholeFieldsNote() const {
    if (state_.selection.mySelectedFieldIndexes.empty()) return std::string();
    const auto& like = state_.sortAndSearch.likeString;
    return like && !like->empty()
               ? localizedString(
                     "Whole fields are written in every row of the table, also in the "
                     "rows the search hides.")
               : localizedString("Whole fields are written in every row of the table.");
}

void CellCommands::confirmAndReplace(const std::string& message, const std::string& text,
                                     const std::string& button, const DBValue& value) {
    if (!canChangeRows()) return;
    Alert alert;
    alert.messageText = toQString(message);
    std::string note = wholeFieldsNote();
    alert.informativeText =
        toQString(text + (note.empty() ? "" : "\n\n" + note) + localizedString(kCannotBeUndone));
    alert.buttons = {toQString(button), toQString(localizedString("Cancel"))};
    alert.beginSheetModalForWindow(sheetWindow(), [this, value](int pressed) {
        std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
        if (pressed == 0 && table) replaceSelectedFieldsWith(value, *table, 0);
    });
}

void CellCommands::clearMenuItemClicked() {
    confirmAndReplace(localizedString("Clear the selected fields?"),
                      localizedString("This will set the selected fields to the empty string."),
                      localizedString("Clear"), std::string());
}

void CellCommands::setToNULLMenuItemClicked() {
    confirmAndReplace(localizedString("Set the selected fields to NULL?"),
                      localizedString("This will set the selected fields to NULL."),
                      localizedString("Set to NULL"), std::nullopt);
}

QDialog* CellCommands::replaceMenuItemClicked() {
    if (!canChangeRows()) return nullptr;
    std::string note = wholeFieldsNote();
    PromptTexts texts{localizedString("Enter a new value for the selected fields."),
                      (note.empty() ? "" : note + " ") + localizedString("This cannot be undone!"),
                      localizedString("Replace"), std::string()};
    return showPromptSheet(sheetWindow(), texts,
                           [this](const std::string& text) { return replaceButtonPressed(text); });
}

std::optional<std::string> CellCommands::replaceButtonPressed(const std::string& text) {
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || state_.dataPort.totalRows < 1 || !isSelectedTableUpdateCapable()) {
        return localizedString("Table cannot be updated.");
    }
    // Written as typed: no conversion by field type.
    replaceSelectedFieldsWith(text, *table, 0);
    return std::nullopt;
}

void CellCommands::rowsTableViewDelete() {
    state_.assertConsistent();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || state_.dataPort.totalRows < 1 || !state_.databaseFilePath) return;
    std::string notEditable = localizedString("Table is not editable in this app.");
    if (!isSelectedTableDeleteCapable()) {
        window_.showAlert(notEditable, localizedString("Rows of this object cannot be deleted."),
                          sheetWindow());
        return;
    }
    if (!checkTableEditStatus(*table, notEditable)) return;
    const auto& selected = state_.selection.mySelectedRowIndexes;
    if (selected.empty()) return;
    Alert alert;
    alert.messageText =
        toQString(selected.size() == 1 ? localizedString("Delete the selected row?")
                                       : localizedFormat("Delete the %ld selected rows?",
                                                         {std::to_string(selected.size())}));
    alert.informativeText = toQString(localizedString("This will not delete any image files.") +
                                      localizedString(kCannotBeUndone));
    alert.buttons = {toQString(localizedString("Delete Rows")),
                     toQString(localizedString("Cancel"))};
    alert.beginSheetModalForWindow(sheetWindow(), [this, table](int pressed) {
        if (pressed != 0) return;
        bool limitExceeded = false;
        std::optional<std::vector<std::string>> rowids = rowidsOfSelectedRows(&limitExceeded);
        if (!rowids || rowids->empty()) return;
        CellWriter writer(window_);
        const DBInterface::ShownRows shown = writer.shownRows(*rowids);
        std::string error;
        const int rc =
            DBInterface::deleteRowsArray(*rowids, *table, *state_.databaseFilePath, &error, &shown);
        writer.resultOf(rc, error, *table, *state_.databaseFilePath,
                        {.alertWindow = sheetWindow()});
        if (rc != 0) return;
        rows_.resetTableSelections();
        if (limitExceeded) {
            window_.showInfoAlert(
                localizedString("Delete Limit Exceeded"),
                localizedFormat("Only %d rows were deleted.", {std::to_string(rowids->size())}),
                sheetWindow());
        }
        CellWriter(window_).tellOtherWindows();
    });
}

QDialog* CellCommands::addBlankRows() {
    if (state_.selectedConsoleIndex != TablesAndRowsState::RowsConsole ||
        !isSelectedTableInsertCapable()) {
        return nullptr;
    }
    int64_t last = UserDefaults::standard().integerForKey("LastNumberOfRowsAdded");
    PromptTexts texts{localizedString("Add Blank Rows"),
                      localizedString("Number of blank rows to add:"), localizedString("Add"),
                      std::to_string(last >= 1 ? last : 100)};
    return showPromptSheet(sheetWindow(), texts, [this](const std::string& text) {
        return addBlankRowsButtonPressed(text);
    });
}

std::optional<std::string> CellCommands::addBlankRowsButtonPressed(const std::string& text) {
    int64_t count = typedInteger(text);
    if (count < 1 || count > kMaximumBlankRows) {
        return localizedString("Number of rows to add must be from 1 to 10,000.");
    }
    addSomeBlankRows(count);
    UserDefaults::standard().setInteger(count, "LastNumberOfRowsAdded");
    return std::nullopt;
}

void CellCommands::addSomeBlankRows(int64_t count) {
    state_.assertConsistent();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || !isSelectedTableInsertCapable() || !state_.databaseFilePath || count < 1) return;
    std::vector<std::string> names;
    for (const std::string& name : state_.fieldModel.fieldNames) {
        if (!state_.fieldModel.hiddenFields.contains(name)) names.push_back(name);
    }
    std::string error;
    int64_t added = 0;
    if (DBInterface::addBlankRows(static_cast<uint64_t>(count), names, *table, &added,
                                  *state_.databaseFilePath, &error) != 0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    window_.reloadSelectedDatabaseObject();
    CellWriter(window_).tellOtherWindows();
}

QDialog* CellCommands::goToRowMenuItemClicked() {
    if (state_.selectedConsoleIndex != TablesAndRowsState::RowsConsole ||
        !window_.selectedTableNameIfOnlyOne() ||
        state_.selectedObject.tableType > DBInterface::kSchemaView ||
        state_.dataPort.totalRows < 1) {
        return nullptr;
    }
    PromptTexts texts{localizedString("Go to Row Number"), std::string(), localizedString("Go"),
                      std::string()};
    return showPromptSheet(sheetWindow(), texts,
                           [this](const std::string& text) { return goToRowButtonPressed(text); });
}

std::optional<std::string> CellCommands::goToRowButtonPressed(const std::string& text) {
    int64_t row = typedInteger(text);
    if (row < 1 || row > state_.dataPort.totalRows) {
        return localizedString("Row number must be between 1 and the total rows.");
    }
    if (state_.selection.focusedRowIndex != RowIndex(row - 1)) {
        rows_.navigator().selectStartRowIndex(RowIndex(row - 1),
                                              state_.dataPort.firstFieldIndexInDataPort, false);
    }
    return std::nullopt;
}

void CellCommands::reloadGrid() {
    // Written rows may have left the search: the count is taken again with the page.
    rows_.reloadRowsKeepingPort();
}
