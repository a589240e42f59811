#include "mainwindow/rows/GridSelectionResolver.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "Common/DBInterface.h"
#include "Common/ValuePrefix.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/CellWriter.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/RowsDataPort.h"

namespace {

bool alwaysChecked = false;

// A row as the checks compare it: long values held by their prefix.
DBRow heldRow(DBRow row) {
    for (DBValue& value : row) holdPrefixOfValue(&value);
    return row;
}

// The runs of adjacent places, as (first, length).
std::vector<std::pair<RowIndex, int64_t>> runsOf(const std::vector<RowIndex>& places) {
    std::vector<std::pair<RowIndex, int64_t>> runs;
    for (RowIndex place : places) {
        if (!runs.empty() && runs.back().first + runs.back().second == place) {
            ++runs.back().second;
        } else {
            runs.emplace_back(place, 1);
        }
    }
    return runs;
}

}  // namespace

GridSelectionResolver::GridSelectionResolver(GridSurface& rows, DatabaseWindow& window)
    : rows_(rows), window_(window), state_(window.state()) {}

void GridSelectionResolver::setAlwaysCheckedForTesting(bool checked) {
    alwaysChecked = checked;
}

std::optional<GridSelectionResolver::Resolved> GridSelectionResolver::resolve(Purpose purpose,
                                                                              int64_t rowLimit) {
    if (!window_.selectedTableNameIfOnlyOne() || !state_.databaseFilePath ||
        state_.dataPort.numberOfFieldsPerRow < 1) {
        return std::nullopt;
    }
    const auto& selection = state_.selection;
    if (!selection.mySelectedFieldIndexes.empty()) return resolveFields(purpose, rowLimit);
    if (!selection.mySelectedRowIndexes.empty()) return resolveRows(purpose, rowLimit);
    return resolveCells(purpose);
}

bool GridSelectionResolver::placesStand() const {
    if (alwaysChecked) return false;
    // A limited object's rows come from what the window read at its reload, at their places.
    if (state_.selectedObject.selectedObjectStatus == DBInterface::kObjectLimited) return true;
    const int64_t version = state_.selection.selectedAtVersion;
    return version >= 0 && window_.fileVersion(*state_.databaseFilePath) == version;
}

DBInterface::ShownRows GridSelectionResolver::shownFields() const {
    return CellWriter(window_).shownRows({});
}

void GridSelectionResolver::refuse(Purpose purpose, int rc, const std::string& message) {
    QWidget* alertWindow = window_.window();
    // A failed read, or a table that is not the one shown, whose rows are not read again.
    if (!DBInterface::isRefusal(rc)) {
        window_.showErrorAlert(message, alertWindow);
        return;
    }
    if (rc == DBInterface::kFieldsChanged) {
        window_.writeRefused(rc, message, alertWindow);
        return;
    }
    // Rows changed or gone: nothing of the selection is taken.
    window_.writeRefused(DBInterface::kRowsChanged,
                         purpose == Purpose::Copy ? DBInterface::rowsChangedCopyMessage()
                                                  : DBInterface::rowsChangedMessage(),
                         alertWindow);
}

int GridSelectionResolver::readAtPlaces(const std::vector<RowIndex>& places,
                                        std::vector<DBRow>* rows, std::string* error) {
    const auto fieldsPerRow = static_cast<size_t>(state_.dataPort.numberOfFieldsPerRow);
    for (const auto& [first, length] : runsOf(places)) {
        std::vector<DBValue> values;
        if (int rc = rows_.dataPort().loadFieldValues(&values, first, length, false, error);
            rc != 0) {
            return rc;
        }
        for (size_t at = 0; at + fieldsPerRow <= values.size(); at += fieldsPerRow) {
            rows->emplace_back(std::make_move_iterator(values.begin() + long(at)),
                               std::make_move_iterator(values.begin() + long(at + fieldsPerRow)));
        }
    }
    return 0;
}

int GridSelectionResolver::rowidsAtPlaces(const std::vector<RowIndex>& places,
                                          std::vector<std::string>* rowids, std::string* error) {
    const auto& search = state_.sortAndSearch;
    for (const auto& [first, length] : runsOf(places)) {
        if (int rc = DBInterface::getRows(rowids, *window_.selectedTableNameIfOnlyOne(),
                                          search.likeString.value_or(std::string()),
                                          search.searchFieldIndexes.indexes(), search.sortCodes,
                                          search.sortByROWIDCode, length, first.value, true,
                                          *state_.databaseFilePath, error);
            rc != 0) {
            return rc;
        }
    }
    return 0;
}

std::optional<GridSelectionResolver::Resolved> GridSelectionResolver::resolveFields(
    Purpose purpose, int64_t rowLimit) {
    const auto& selected = state_.selection.mySelectedFieldIndexes;
    const std::string& path = *state_.databaseFilePath;
    Resolved resolved;
    resolved.taken = Taken::Fields;
    resolved.fields.assign(selected.begin(), selected.end());
    resolved.shown = shownFields();
    resolved.shown.table = state_.fieldModel.tableIdentity;
    // Every row of the table is written: its identity and fields are checked in the write.
    if (purpose == Purpose::Write) return resolved;
    // The table and its fields as shown, or nothing is copied.
    std::string error;
    std::vector<DBRow> none;
    if (const int rc = DBInterface::readRowsAsShown(
            &none, resolved.shown, *window_.selectedTableNameIfOnlyOne(), {}, path, &error);
        rc != 0) {
        refuse(purpose, rc, error);
        return std::nullopt;
    }
    // The first rows of the table as it is now.
    const int64_t before = window_.fileVersion(path);
    std::vector<RowIndex> places;
    for (RowIndex row(0); row.value < std::min(state_.dataPort.totalRows, rowLimit); ++row) {
        places.push_back(row);
    }
    std::vector<DBRow> rows;
    if (readAtPlaces(places, &rows, &error) != 0) window_.showErrorAlert(error, window_.window());
    // A cut clears exactly these values: checked in its write unless the file stands as read.
    resolved.shown.version = window_.fileVersion(path) == before ? before : -1;
    for (DBRow& row : rows) {
        Row taken{row.front().value_or(""), {}, FieldIndex()};
        for (FieldIndex field : resolved.fields) {
            if (field.value < std::ssize(row)) {
                taken.values.emplace_back(field, row[static_cast<size_t>(field.value)]);
            }
        }
        resolved.rows.push_back(std::move(taken));
        resolved.shown.rows.push_back(heldRow(std::move(row)));
    }
    return resolved;
}

std::optional<GridSelectionResolver::Resolved> GridSelectionResolver::resolveRows(
    Purpose purpose, int64_t rowLimit) {
    const auto& selection = state_.selection;
    const auto& selected = selection.mySelectedRowIndexes;
    const auto& held = selection.shownSelectedRows;
    const std::string& path = *state_.databaseFilePath;
    Resolved resolved;
    resolved.taken = Taken::Rows;
    resolved.limitExceeded = std::ssize(selected) > rowLimit;
    for (FieldIndex field = kFirstFieldIndex; field <= state_.dataPort.lastFieldIndex(); ++field) {
        resolved.fields.push_back(field);
    }
    resolved.shown = shownFields();
    const std::vector<RowIndex> places(
        selected.begin(),
        std::next(selected.begin(), std::min<int64_t>(std::ssize(selected), rowLimit)));
    const bool allHeld = std::all_of(places.begin(), places.end(),
                                     [&held](RowIndex place) { return held.count(place) > 0; });
    const bool stand = placesStand();
    // Once the file changed, a place never shown names whatever row stands there now.
    if (!stand && !allHeld) {
        refuse(purpose, DBInterface::kRowsChanged, {});
        return std::nullopt;
    }
    std::string error;
    auto taken = [&resolved](const DBRow& row) {
        Row taken{row.front().value_or(""), {}, FieldIndex()};
        for (FieldIndex field : resolved.fields) {
            taken.values.emplace_back(field, row[static_cast<size_t>(field.value)]);
        }
        return taken;
    };
    if (purpose == Purpose::Write) {
        // Rows held by rowid go as shown; the places past the page as their rowids now, which
        // the write refuses once the file is not at the selection's version.
        std::vector<RowIndex> unheld;
        std::copy_if(places.begin(), places.end(), std::back_inserter(unheld),
                     [&held](RowIndex place) { return !held.count(place); });
        std::vector<std::string> rowids;
        if (rowidsAtPlaces(unheld, &rowids, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
            return std::nullopt;
        }
        if (rowids.size() != unheld.size()) {
            refuse(purpose, DBInterface::kRowsChanged, {});
            return std::nullopt;
        }
        resolved.shown.version = selection.selectedAtVersion;
        auto next = rowids.begin();
        for (RowIndex place : places) {
            auto shown = held.find(place);
            DBRow row = shown != held.end() ? shown->second : DBRow{*next++};
            resolved.rows.push_back({row.front().value_or(""), {}, FieldIndex()});
            resolved.shown.rows.push_back(std::move(row));
        }
        return resolved;
    }
    std::vector<DBRow> rows;
    if (stand) {
        const int64_t version = selection.selectedAtVersion;
        if (readAtPlaces(places, &rows, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
            return std::nullopt;
        }
        const bool limited =
            state_.selectedObject.selectedObjectStatus == DBInterface::kObjectLimited;
        if (limited || window_.fileVersion(path) == version) {
            resolved.shown.version = limited ? -1 : version;
            for (DBRow& row : rows) {
                resolved.rows.push_back(taken(row));
                resolved.shown.rows.push_back(heldRow(std::move(row)));
            }
            return resolved;
        }
        // Changed while it was read: the rows held by rowid are read again, checked.
        rows.clear();
        if (!allHeld) {
            refuse(purpose, DBInterface::kRowsChanged, {});
            return std::nullopt;
        }
    }
    // Only a table's rows can be found again by rowid.
    if (state_.selectedObject.selectedObjectStatus != DBInterface::kObjectEditable) {
        refuse(purpose, DBInterface::kRowsChanged, {});
        return std::nullopt;
    }
    std::vector<std::string> rowids;
    resolved.shown.version = -1;
    for (RowIndex place : places) {
        const DBRow& row = held.at(place);
        resolved.shown.rows.push_back(row);
        rowids.push_back(row.front().value_or(""));
    }
    const int rc = DBInterface::readRowsAsShown(
        &rows, resolved.shown, *window_.selectedTableNameIfOnlyOne(), rowids, path, &error);
    if (rc != 0) {
        refuse(purpose, rc, error);
        return std::nullopt;
    }
    for (const DBRow& row : rows) resolved.rows.push_back(taken(row));
    return resolved;
}

bool GridSelectionResolver::readCutValues(RowIndex place, Row* row, int64_t version) {
    for (auto& [field, value] : row->values) {
        if (!isCutValue(value)) continue;
        const DBValue shown = value;
        std::string error;
        const int rc =
            rows_.dataPort().readWholeValue(place, row->rowid, field, version, &value, &error);
        if (rc == 0) {
            // The value read whole must still be the one whose first part was shown.
            DBValue held = value;
            holdPrefixOfValue(&held);
            if (held == shown) continue;
        }
        refuse(Purpose::Copy, rc == 0 ? DBInterface::kRowsChanged : rc, error);
        return false;
    }
    return true;
}

std::optional<GridSelectionResolver::Resolved> GridSelectionResolver::resolveCells(
    Purpose purpose) {
    const auto& selection = state_.selection;
    const LoadedPage& page = state_.dataPort.page;
    const bool focused =
        !selection.focusedRowIndex.isNone() && !selection.focusedFieldIndex.isNone();
    if (!focused && selection.mySelectedCells.empty()) return std::nullopt;
    Resolved resolved;
    resolved.taken = Taken::Cells;
    resolved.shown = shownFields();
    // Where the page shows each rowid now: a write skips the cells of rows it does not show.
    std::map<std::string, RowIndex> shownAt;
    for (RowIndex at = page.firstRow(); page.holds(at); ++at) {
        if (*page.rowid(at)) shownAt.emplace(**page.rowid(at), at);
    }
    // Each row by its place, with the version its values were shown at.
    struct Taking {
        RowIndex place;
        Row row;
        int64_t version;
    };
    std::vector<Taking> taking;
    std::vector<DBRow> shownRows;
    for (const auto& [place, cells] : selection.mySelectedCells) {
        auto held = selection.shownSelectedRows.find(place);
        if (cells.empty() || held == selection.shownSelectedRows.end()) continue;
        Row row{held->second.front().value_or(""), {cells.begin(), cells.end()}, FieldIndex()};
        if (purpose == Purpose::Write && !shownAt.count(row.rowid)) continue;
        taking.push_back({place, std::move(row), selection.selectedAtVersion});
        shownRows.push_back(held->second);
    }
    // The focused cell as the page shows it, in the row it shows there.
    const DBValue* focusValue =
        focused && !state_.dataPort.dataPortLoadPending
            ? page.cell(selection.focusedRowIndex, selection.focusedFieldIndex)
            : nullptr;
    if (focusValue) {
        const DBRow pageRow = heldRow(page.values(selection.focusedRowIndex));
        const std::string rowid = pageRow.front().value_or("");
        auto same = std::find_if(taking.begin(), taking.end(), [&](const Taking& t) {
            return t.place == selection.focusedRowIndex && t.row.rowid == rowid;
        });
        if (same == taking.end()) {
            taking.push_back(
                {selection.focusedRowIndex, {rowid, {}, FieldIndex()}, page.fileVersion()});
            shownRows.push_back(pageRow);
            same = std::prev(taking.end());
        }
        auto& values = same->row.values;
        auto entry = std::find_if(values.begin(), values.end(), [&](const auto& value) {
            return value.first == selection.focusedFieldIndex;
        });
        if (entry == values.end()) {
            values.emplace_back(selection.focusedFieldIndex, *focusValue);
            std::sort(values.begin(), values.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
        } else {
            entry->second = *focusValue;
        }
        same->row.focusedField = selection.focusedFieldIndex;
    }
    std::stable_sort(taking.begin(), taking.end(),
                     [](const Taking& a, const Taking& b) { return a.place < b.place; });
    // One version for the rows a write checks: rows shown at another are all compared.
    int64_t version = taking.empty() ? -1 : taking.front().version;
    for (const Taking& t : taking) {
        if (t.version != version) version = -1;
    }
    resolved.shown.version = version;
    resolved.shown.rows = std::move(shownRows);
    for (Taking& t : taking) {
        if (purpose == Purpose::Copy && !readCutValues(t.place, &t.row, t.version)) {
            return std::nullopt;
        }
        resolved.rows.push_back(std::move(t.row));
    }
    return resolved;
}
