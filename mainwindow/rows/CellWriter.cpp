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
                      {row, field}};
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

std::optional<std::string> CellWriter::loadedRowid(RowIndex row) const {
    const DBValue* rowid = window_.state().dataPort.page.rowid(row);
    if (!rowid || !*rowid || (*rowid)->empty()) return std::nullopt;
    return **rowid;
}

CellWriter::Result CellWriter::write(CellTarget& target, const DBValue& value,
                                     const Report& report) {
    Result result;
    std::string rowidAfter = target.rowid;
    int rc;
    {
        WaitCursor waiting;
        rc = DBInterface::updateField(DBInterface::FieldValue(value), target.table,
                                      target.fieldName, target.rowid, &result.stored, &rowidAfter,
                                      target.databaseFilePath, &result.message);
    }
    finish(rc, target.table, target.databaseFilePath, report, result);
    if (!result.written()) return result;
    const CellTarget before = target;
    target.loaded = result.stored;
    target.rowid = rowidAfter;
    if (patchPage(before, target) && report.readPageBack) readPageBack();
    if (report.tellOtherWindows) tellOtherWindows();
    return result;
}

CellWriter::Result CellWriter::write(const RowsTarget& target, const DBValue& value,
                                     const Report& report, size_t* rowsWritten) {
    Result result;
    size_t written = 0;
    int rc;
    {
        WaitCursor waiting;
        rc =
            DBInterface::updateRowsFields(target.rows, DBInterface::FieldValue(value), target.table,
                                          &written, target.databaseFilePath, &result.message);
    }
    finish(rc, target.table, target.databaseFilePath, report, result);
    if (report.tellOtherWindows && written > 0) tellOtherWindows();
    if (rowsWritten) *rowsWritten = written;
    return result;
}

void CellWriter::finish(int rc, const std::string& table, const std::string& databaseFilePath,
                        const Report& report, Result& result) const {
    if (rc == SQLITE_OK) {
        result.outcome = Outcome::Written;
        return;
    }
    if (rc == DBInterface::kRowGone) {
        result.outcome = Outcome::RowGone;
    } else if ((rc & 0xff) == SQLITE_READONLY) {
        result.outcome = Outcome::ReadOnly;
    } else if (!RowsDataPort::isBusy(rc) && DBInterface::isObjectGone(table, databaseFilePath)) {
        // SQLite's "no such table" names neither what happened nor which table.
        result.outcome = Outcome::TableGone;
        result.message = tableGoneMessage(table);
    }
    if (report.alert) reportFailure(result, report.alertWindow);
}

void CellWriter::reportFailure(const Result& result, QWidget* alertWindow,
                               const std::string& details) const {
    const std::string text = details.empty() ? result.message : result.message + "\n\n" + details;
    if (result.outcome == Outcome::RowGone) {
        window_.rowNoLongerExists(text, alertWindow);
    } else {
        window_.showErrorAlert(text, alertWindow);
    }
}

std::string CellWriter::tableGoneMessage(const std::string& table) {
    return localizedFormat("The table \"%@\" no longer exists.", {table});
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
