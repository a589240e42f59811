#include "mainwindow/rows/CellCommands.h"

#include <QString>

#include <algorithm>
#include <iterator>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/rows/CellWriter.h"
#include "mainwindow/rows/GridNavigator.h"
#include "mainwindow/rows/GridSelectionResolver.h"
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
        window_.showErrorAlert(DBInterface::tableGoneMessage(table), sheetWindow());
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

std::optional<GridSelectionResolver::Resolved> CellCommands::resolveSelection() {
    return GridSelectionResolver(rows_, window_)
        .resolve(GridSelectionResolver::Purpose::Write, int64_t(kBulkRowLimit));
}

void CellCommands::writeSelectedFields(const DBValue& value, const std::string& table, int filter) {
    const auto& selected = state_.selection.mySelectedFieldIndexes;
    std::vector<std::string> names =
        eligibleFieldNames(std::vector<FieldIndex>(selected.begin(), selected.end()), filter);
    if (names.empty()) return;
    std::optional<GridSelectionResolver::Resolved> resolved = resolveSelection();
    // No rowids: every row of the table, also those the search hides; only the table and its
    // fields are checked.
    if (!resolved || !writeRows({}, names, value, table, resolved->shown)) return;
    reloadGrid();
}

bool CellCommands::writeRows(const std::vector<std::string>& rowids,
                             const std::vector<std::string>& names, const DBValue& value,
                             const std::string& table, DBInterface::ShownRows shown) {
    CellWriter writer(window_);
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
    std::optional<GridSelectionResolver::Resolved> resolved = resolveSelection();
    if (!resolved || resolved->rows.empty()) return;
    const std::vector<std::string> rowids = rowidsOf(*resolved);
    if (!writeRows(rowids, names, value, table, resolved->shown)) return;
    reloadGrid();
    if (resolved->limitExceeded) {
        window_.showInfoAlert(
            localizedString("Row Limit Exceeded"),
            localizedFormat("Only %d rows were changed.", {std::to_string(rowids.size())}),
            sheetWindow());
    }
}

void CellCommands::writeSelectedCells(const DBValue& value, const std::string& table, int filter) {
    auto& selection = state_.selection;
    std::optional<GridSelectionResolver::Resolved> resolved = resolveSelection();
    if (!resolved || resolved->rows.empty()) return;
    CellWriter writer(window_);
    const CellWriter::Report report{.alertWindow = sheetWindow()};
    DBInterface::ShownRows& shown = resolved->shown;
    RowsTarget cells{*state_.databaseFilePath, table, {}, {}};
    size_t written = 0;
    for (const GridSelectionResolver::Row& row : resolved->rows) {
        std::vector<FieldIndex> fields;
        for (const auto& cell : row.values) {
            if (cell.first != row.focusedField) fields.push_back(cell.first);
        }
        std::vector<std::string> names = eligibleFieldNames(fields, filter);
        if (!names.empty()) cells.rows.push_back({row.rowid, std::move(names)});
        // The focused cell goes alone: its failure is told and the cells go on.
        std::vector<std::string> focused = row.focusedField.isNone()
                                               ? std::vector<std::string>()
                                               : eligibleFieldNames({row.focusedField}, filter);
        if (focused.empty()) continue;
        RowsTarget focus{*state_.databaseFilePath, table, {{row.rowid, focused}}, shown};
        size_t focusWritten = 0;
        writer.write(focus, value, report, &focusWritten);
        written += focusWritten;
        // The cells after it are checked against its row as written, which the page holds.
        if (focusWritten == 0) continue;
        const DBRow asWritten = writer.shownRows({row.rowid}).rows.front();
        for (DBRow& shownRow : shown.rows) {
            if (shownRow.front() == row.rowid) shownRow = asWritten;
        }
    }
    cells.shown = shown;
    size_t cellRowsWritten = 0;
    if (!cells.rows.empty()) writer.write(cells, value, report, &cellRowsWritten);
    if (written + cellRowsWritten == 0) return;
    selection.mySelectedCells.clear();
    selection.mySelectedFieldIndexes.clear();
    selection.mySelectedRowIndexes.clear();
    reloadGrid();
    writer.tellOtherWindows();
}

std::vector<std::string> CellCommands::rowidsOf(const GridSelectionResolver::Resolved& resolved) {
    std::vector<std::string> rowids;
    for (const GridSelectionResolver::Row& row : resolved.rows) rowids.push_back(row.rowid);
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
        std::optional<GridSelectionResolver::Resolved> resolved = resolveSelection();
        if (!resolved || resolved->rows.empty()) return;
        const std::vector<std::string> rowids = rowidsOf(*resolved);
        CellWriter writer(window_);
        std::string error;
        const int rc = DBInterface::deleteRowsArray(rowids, *table, *state_.databaseFilePath,
                                                    &error, &resolved->shown);
        writer.resultOf(rc, error, *table, *state_.databaseFilePath,
                        {.alertWindow = sheetWindow()});
        if (rc != 0) return;
        rows_.resetTableSelections();
        if (resolved->limitExceeded) {
            window_.showInfoAlert(
                localizedString("Delete Limit Exceeded"),
                localizedFormat("Only %d rows were deleted.", {std::to_string(rowids.size())}),
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
