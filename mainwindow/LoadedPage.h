#pragma once
// The one page of rows a database window has loaded, read by the grid, the record editor, the
// panels and printing: rows of the selected object under its search from the page's first row
// on, each its rowid and then its fields. It is read and patched by row index and field index;
// where a value lies in it is its own business. Only the rows data port fills or empties it.
#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"

class RowsDataPort;

class LoadedPage {
  public:
    // The row the page starts at, and the rowid and fields of each row.
    RowIndex firstRow() const { return firstRow_; }
    int64_t fieldsPerRow() const { return fieldsPerRow_; }
    int64_t numberOfRows() const {
        return fieldsPerRow_ < 1 ? 0 : static_cast<int64_t>(values_.size()) / fieldsPerRow_;
    }
    bool empty() const { return values_.empty(); }
    // Changes whenever the values held change, to a number no page had before (a window's page
    // is replaced by a new one at every reload): what was read beside them is to be read again.
    uint64_t generation() const { return generation_; }
    bool holds(RowIndex row) const {
        return !row.isNone() && row >= firstRow_ && row - firstRow_ < numberOfRows();
    }
    // The file's version taken before the rows were read (FileChangeWatch.h); -1 unknown.
    int64_t fileVersion() const { return fileVersion_; }
    // The schema's version the rows were read at; -1 unknown.
    int64_t schemaVersion() const { return schemaVersion_; }

    // nullptr when the page does not hold the row or the field.
    const DBValue* cell(RowIndex row, FieldIndex field) const {
        if (!holds(row) || field.isNone() || field.value >= fieldsPerRow_) return nullptr;
        return &values_[static_cast<size_t>((row - firstRow_) * fieldsPerRow_ + field.value)];
    }
    const DBValue* rowid(RowIndex row) const { return cell(row, kRowidFieldIndex); }
    // The row's rowid as text; none when the page does not hold the row or the row has none (a
    // view's row).
    std::optional<std::string> rowidText(RowIndex row) const {
        const DBValue* value = rowid(row);
        if (!value || !*value || (*value)->empty()) return std::nullopt;
        return **value;
    }
    // The row's rowid and fields; empty when the page does not hold it.
    std::vector<DBValue> values(RowIndex row) const {
        if (!holds(row)) return {};
        auto first = values_.begin() + (row - firstRow_) * fieldsPerRow_;
        return {first, first + fieldsPerRow_};
    }

    // A value written into a field of the row that had the rowid `before`, and the row's rowid
    // now (a new INTEGER PRIMARY KEY moves the row). Only while the page holds that row there:
    // false when it holds another by now.
    bool patch(RowIndex row, FieldIndex field, const std::string& before, const DBValue& value,
               const std::string& after) {
        const DBValue* at = cell(row, field);
        if (!at || *rowid(row) != before) return false;
        values_[static_cast<size_t>(at - values_.data())] = value;
        values_[static_cast<size_t>((row - firstRow_) * fieldsPerRow_)] = after;
        changed();
        return true;
    }
    // Rows written (each its rowid, then its fields), as the file holds them: each replaces the
    // row of its rowid the page holds.
    void patchRows(const std::vector<DBRow>& rows) {
        for (int64_t at = 0; at < numberOfRows(); ++at) {
            const auto first = values_.begin() + at * fieldsPerRow_;
            for (const DBRow& row : rows) {
                if (std::ssize(row) == fieldsPerRow_ && !row.empty() && row.front() == *first) {
                    std::copy(row.begin(), row.end(), first);
                    changed();
                    break;
                }
            }
        }
    }

  private:
    friend class RowsDataPort;
    void assign(RowIndex firstRow, int64_t fieldsPerRow, std::vector<DBValue> values,
                int64_t fileVersion, int64_t schemaVersion) {
        assert(values.empty() ||
               (fieldsPerRow >= 1 && values.size() % static_cast<size_t>(fieldsPerRow) == 0));
        firstRow_ = firstRow;
        fieldsPerRow_ = fieldsPerRow;
        values_ = std::move(values);
        fileVersion_ = fileVersion;
        schemaVersion_ = schemaVersion;
        changed();
    }
    void clear() {
        values_.clear();
        fileVersion_ = schemaVersion_ = -1;
        changed();
    }
    void changed() { generation_ = ++lastGeneration_; }

    std::vector<DBValue> values_;
    RowIndex firstRow_{0};
    int64_t fieldsPerRow_ = 0;
    uint64_t generation_ = 0;
    int64_t fileVersion_ = -1;
    int64_t schemaVersion_ = -1;
    static inline std::atomic<uint64_t> lastGeneration_{0};
};
