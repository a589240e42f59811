#include "mainwindow/TablesAndRowsState.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "Common/FieldTypes.h"

int TablesAndRowsState::FieldModel::fieldTypeAtFieldIndexP1(FieldIndex field) const {
    // The rowid is a number; past the fields (or none) reads as text.
    if (field == kRowidFieldIndex) return DBInterface::kFieldTypeNumber;
    if (field.value < 1 || field.value > static_cast<int64_t>(fieldTypes.size())) {
        return DBInterface::kFieldTypeText;
    }
    return fieldTypes[static_cast<size_t>(positionOfField(field).value)];
}

std::string TablesAndRowsState::FieldModel::fieldLookupTableAtFieldIndexP1(FieldIndex field) const {
    if (field.value < 1 || field.value > static_cast<int64_t>(fieldLookupTables.size())) return {};
    return fieldLookupTables[static_cast<size_t>(positionOfField(field).value)];
}

namespace {
template <typename IndexType>
bool setWithin(const IndexSetOf<IndexType>& set, int64_t low, int64_t end) {
    return set.empty() || (set.first().value >= low && set.last().value < end);
}

FieldIndex lowestField(const FieldIndexSet& fields) {
    return fields.first();
}
FieldIndex highestField(const FieldIndexSet& fields) {
    return fields.last();
}
FieldIndex lowestField(const std::map<FieldIndex, DBValue>& fields) {
    return fields.begin()->first;
}
FieldIndex highestField(const std::map<FieldIndex, DBValue>& fields) {
    return fields.rbegin()->first;
}

// Every row of the cells lies in low...end-1, every field in 1...fieldsEnd-1.
template <typename Cells>
bool cellsWithin(const Cells& cells, int64_t low, int64_t end, int64_t fieldsEnd) {
    if (cells.empty()) return true;
    if (cells.begin()->first.value < low || cells.rbegin()->first.value >= end) return false;
    for (const auto& [row, fields] : cells) {
        if (!fields.empty() &&
            (lowestField(fields) < kFirstFieldIndex || highestField(fields).value >= fieldsEnd)) {
            return false;
        }
    }
    return true;
}
}  // namespace

const char* TablesAndRowsState::consistencyFault() const {
    const int64_t fieldsPerRow = dataPort.numberOfFieldsPerRow;
    const int64_t total = dataPort.totalRows;
    if (fieldsPerRow < 0 || total < 0) return "negative fields per row or total rows";
    const LoadedPage& page = dataPort.page;
    if (!page.empty() && page.fieldsPerRow() != fieldsPerRow) {
        return "the page's rows are not the fields per row";
    }
    if (dataPort.firstRowIndexInDataPort.isNone()) return "the page starts at no row";
    const RowIndex first = page.firstRow();
    const int64_t loaded = page.numberOfRows();
    if (!dataPort.dataPortLoadPending && loaded > 0 && first.value + loaded > total) {
        return "the page reaches past the counted rows";
    }
    if (!selection.focusedRowIndex.isNone() && selection.focusedRowIndex.value >= total) {
        return "the focus is past the counted rows";
    }
    if (!selection.focusedFieldIndex.isNone() && fieldsPerRow > 0 &&
        selection.focusedFieldIndex.value >= fieldsPerRow) {
        return "the focus is past the fields";
    }
    if (!setWithin(selection.mySelectedRowIndexes, 0, total)) {
        return "a selected row is outside the table";
    }
    if (!setWithin(selection.mySelectedFieldIndexes, kFirstFieldIndex.value, fieldsPerRow)) {
        return "a selected field is outside the table";
    }
    if (!cellsWithin(selection.mySelectedCells, 0, total, fieldsPerRow)) {
        return "a selected cell is outside the table";
    }
    if (!cellsWithin(selection.pasteDestinationCells, first.value, first.value + loaded,
                     fieldsPerRow)) {
        return "a paste mark is outside the page";
    }
    return nullptr;
}

namespace {
std::atomic<bool> abortOnInconsistency{true};
}  // namespace

void TablesAndRowsState::setAbortOnInconsistency(bool abort) {
    abortOnInconsistency = abort;
}

void TablesAndRowsState::assertConsistent() const {
    const char* fault = consistencyFault();
    if (!fault) return;
    std::fprintf(stderr, "Inconsistent window state: %s\n", fault);
    if (abortOnInconsistency || !inconsistencyFound) std::abort();
    inconsistencyFound(fault);
}
