#include "mainwindow/rows/CellWriter.h"

#include <sqlite3.h>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/HeldValues.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/WaitCursor.h"

std::optional<CellTarget> CellWriter::targetOfLoadedCell(RowIndex row, FieldIndex field) const {
    TablesAndRowsState& state = window_.state();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    const auto& names = state.fieldModel.fieldNames;
    if (!table || !state.databaseFilePath || field < kFirstFieldIndex ||
        field.value > std::ssize(names)) {
        return std::nullopt;
    }
    const DBValue* rowid = state.dataPort.page.rowid(row);
    const DBValue* value = state.dataPort.page.cell(row, field);
    if (!rowid || !*rowid || !value) return std::nullopt;
    CellTarget target{*state.databaseFilePath,
                      *table,
                      names[static_cast<size_t>(positionOfField(field).value)],
                      **rowid,
                      *value,
                      {row, field},
                      shownRows({**rowid})};
    target.shown.editedRow = true;
    // The page holds only the first part of a long value: an edit starts from all of it, and the
    // page takes it whole for the editor to show.
    if (isCutValue(target.loaded)) {
        std::string error;
        const bool raw =
            state.fieldModel.fieldTypeAtFieldIndexP1(field) == DBInterface::kFieldTypeRaw;
        if (readWholeValue(target.databaseFilePath, target.table, target.fieldName, raw,
                           target.rowid, &target.loaded, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
            return std::nullopt;
        }
        state.dataPort.page.patch(row, field, target.rowid, target.loaded, target.rowid);
    }
    return target;
}

DBInterface::ShownRows CellWriter::shownRows(const std::vector<std::string>& rowids) const {
    const TablesAndRowsState& state = window_.state();
    const auto& model = state.fieldModel;
    const LoadedPage& page = state.dataPort.page;
    DBInterface::ShownRows shown;
    if (state.databaseFilePath) {
        shown.fileVersion = [&window = window_, path = *state.databaseFilePath] {
            return window.fileVersion(path);
        };
    }
    shown.version = page.fileVersion();
    shown.schemaVersion = model.schemaVersion;
    shown.rowsSchemaVersion = page.schemaVersion();
    shown.fieldNames = model.fieldNames;
    for (FieldIndex field = kFirstFieldIndex; field.value <= model.numberOfFields(); ++field) {
        shown.rawFields.push_back(model.fieldTypeAtFieldIndexP1(field) ==
                                  DBInterface::kFieldTypeRaw);
    }
    for (const std::string& rowid : rowids) {
        DBRow row{rowid};
        for (RowIndex at = page.firstRow(); page.holds(at); ++at) {
            if (*page.rowid(at) == rowid) {
                row = page.values(at);
                break;
            }
        }
        // A value the page holds whole is compared as far as the page reads it.
        for (DBValue& value : row) holdPrefixOfValue(&value);
        shown.rows.push_back(std::move(row));
    }
    return shown;
}

std::optional<std::string> CellWriter::loadedRowid(RowIndex row) const {
    return window_.state().dataPort.page.rowidText(row);
}

CellWriter::Result CellWriter::write(CellTarget& target, const DBValue& value,
                                     const Report& report) {
    std::string message;
    DBValue stored;
    std::string rowidAfter = target.rowid;
    // The field written is compared whole with the value the edit started from.
    DBInterface::compareWhole(&target.shown, target.rowid, target.fieldName, target.loaded);
    int rc;
    {
        WaitCursor waiting;
        rc = DBInterface::updateField(DBInterface::FieldValue(value), target.table,
                                      target.fieldName, target.rowid, &stored, &rowidAfter,
                                      target.databaseFilePath, &message, &target.shown);
    }
    Result result = resultOf(rc, std::move(message), target.table, target.databaseFilePath, report);
    if (!result.written()) return result;
    result.stored = std::move(stored);
    const CellTarget before = target;
    target.loaded = result.stored;
    target.rowid = rowidAfter;
    const bool patched = patchPage(before, target);
    patchPage(target.databaseFilePath, target.table, target.shown.rows);
    if (patched && report.readPageBack) readPageBack();
    if (report.tellOtherWindows) tellOtherWindows();
    return result;
}

CellWriter::Result CellWriter::write(const RowsTarget& target, const DBValue& value,
                                     const Report& report, size_t* rowsWritten) {
    std::string message;
    size_t written = 0;
    DBInterface::ShownRows shown = target.shown;
    int rc;
    {
        WaitCursor waiting;
        rc =
            DBInterface::updateRowsFields(target.rows, DBInterface::FieldValue(value), target.table,
                                          &written, target.databaseFilePath, &message, &shown);
    }
    Result result = resultOf(rc, std::move(message), target.table, target.databaseFilePath, report);
    if (written > 0) patchPage(target.databaseFilePath, target.table, shown.rows);
    if (report.tellOtherWindows && written > 0) tellOtherWindows();
    if (rowsWritten) *rowsWritten = written;
    return result;
}

CellWriter::Result CellWriter::resultOf(int rc, std::string message, const std::string& table,
                                        const std::string& databaseFilePath,
                                        const Report& report) const {
    Result result;
    result.message = std::move(message);
    switch (rc) {
        case SQLITE_OK:
            result.outcome = Outcome::Written;
            return result;
        case DBInterface::kRowGone:
            result.outcome = Outcome::RowGone;
            break;
        case DBInterface::kRowsChanged:
            result.outcome = Outcome::RowsChanged;
            break;
        case DBInterface::kFieldsChanged:
            result.outcome = Outcome::FieldsChanged;
            break;
        default:
            if ((rc & 0xff) == SQLITE_READONLY) {
                result.outcome = Outcome::ReadOnly;
            } else if (!RowsDataPort::isBusy(rc) &&
                       DBInterface::isObjectGone(table, databaseFilePath)) {
                // SQLite's "no such table" names neither what happened nor which table.
                result.outcome = Outcome::TableGone;
                result.message = DBInterface::tableGoneMessage(table);
            }
    }
    if (report.alert) reportFailure(result, report.alertWindow);
    return result;
}

void CellWriter::reportFailure(const Result& result, QWidget* alertWindow,
                               const std::string& details) const {
    const std::string text = details.empty() ? result.message : result.message + "\n\n" + details;
    switch (result.outcome) {
        case Outcome::RowGone:
            window_.writeRefused(DBInterface::kRowGone, text, alertWindow);
            break;
        case Outcome::RowsChanged:
            window_.writeRefused(DBInterface::kRowsChanged, text, alertWindow);
            break;
        case Outcome::FieldsChanged:
            window_.writeRefused(DBInterface::kFieldsChanged, text, alertWindow);
            break;
        default:
            window_.showErrorAlert(text, alertWindow);
    }
}

void CellWriter::readPageBack() const {
    window_.pageWasWritten();
}

void CellWriter::tellOtherWindows() const {
    if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
        window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(window_.window());
    }
}

bool CellWriter::patchPage(const CellTarget& before, const CellTarget& after) {
    TablesAndRowsState& state = window_.state();
    // Only while the page still holds the written row: the window may show another file, table
    // or page by now.
    return state.databaseFilePath == before.databaseFilePath &&
           window_.selectedTableNameIfOnlyOne() == before.table &&
           state.dataPort.page.patch(before.cell.row, before.cell.field, before.rowid, after.loaded,
                                     after.rowid);
}

void CellWriter::patchPage(const std::string& databaseFilePath, const std::string& table,
                           const std::vector<DBRow>& rows) {
    TablesAndRowsState& state = window_.state();
    // Triggers and generated fields may have changed other cells of the rows: the page shows
    // them as written, for the writes after this one that compare the rows with it.
    if (state.databaseFilePath == databaseFilePath &&
        window_.selectedTableNameIfOnlyOne() == table) {
        state.dataPort.page.patchRows(rows);
    }
}
