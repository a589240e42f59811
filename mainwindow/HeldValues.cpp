#include "mainwindow/HeldValues.h"

#include <cassert>
#include <charconv>
#include <vector>

#include "Common/DBExecution.h"
#include "Common/DBInterface.h"
#include "Common/RowWriting.h"
#include "Common/SQLQuote.h"
#include "mainwindow/TablesAndRowsState.h"

namespace {
constexpr std::string_view kEllipsis = "\xe2\x80\xa6";
}  // namespace

std::string_view heldTextOfValue(const std::string& value, std::string* withEllipsis) {
    const bool cut = !value.empty() && value.back() == kCutMark;
    std::string_view text(value.data(), cut ? value.size() - 1 : value.size());
    if (!cut && text.size() <= kHeldValueBytes) return text;
    withEllipsis->assign(text.substr(0, characterBoundaryBefore(text, kHeldValueBytes)));
    withEllipsis->append(kEllipsis);
    return *withEllipsis;
}

int readWholeValue(const std::string& databaseFilePath, const std::string& table,
                   const std::string& fieldName, bool rawField, const std::string& rowid,
                   DBValue* value, std::string* error) {
    std::vector<DBValue> values;
    const int rc =
        readWholeValues(databaseFilePath, table, {{fieldName, rawField}}, rowid, &values, error);
    if (rc == 0) *value = std::move(values.front());
    return rc;
}

int readWholeValues(const std::string& databaseFilePath, const std::string& table,
                    const std::vector<WholeValueField>& fields, const std::string& rowid,
                    std::vector<DBValue>* values, std::string* error) {
    assert(!fields.empty());
    int64_t key = 0;
    auto [end, failed] = std::from_chars(rowid.data(), rowid.data() + rowid.size(), key);
    if (failed != std::errc() || end != rowid.data() + rowid.size()) {
        appendError(error, DBInterface::rowNoLongerExistsMessage());
        return DBInterface::kRowGone;
    }
    std::string columns;
    for (const WholeValueField& field : fields) {
        const std::string quoted = quoteIdentifier(field.name);
        if (!columns.empty()) columns += ", ";
        columns += field.raw ? "hex(" + quoted + ")" : quoted;
    }
    std::vector<DBRow> rows;
    const int rc =
        DBInterface::getArrayOfRows(&rows,
                                    "select " + columns + " from " + quoteIdentifier(table) +
                                        " where rowid = " + std::to_string(key),
                                    true, databaseFilePath, error);
    if (rc != 0) return rc;
    if (rows.empty() || rows.front().size() != fields.size()) {
        appendError(error, DBInterface::rowNoLongerExistsMessage());
        return DBInterface::kRowGone;
    }
    *values = std::move(rows.front());
    return 0;
}

int readCutValuesOfRow(const TablesAndRowsState& state, const std::string& table,
                       const std::vector<FieldIndex>& fields, bool withRaw,
                       std::vector<DBValue>* row, std::string* error) {
    const auto& names = state.fieldModel.fieldNames;
    std::vector<WholeValueField> cut;
    std::vector<size_t> at;
    for (FieldIndex field : fields) {
        const auto i = static_cast<size_t>(field.value);
        if (field < kFirstFieldIndex || i >= row->size() || i > names.size() ||
            !isCutValue((*row)[i])) {
            continue;
        }
        const bool raw =
            state.fieldModel.fieldTypeAtFieldIndexP1(field) == DBInterface::kFieldTypeRaw;
        if (raw && !withRaw) continue;
        cut.push_back({names[i - 1], raw});
        at.push_back(i);
    }
    if (cut.empty()) return 0;
    if (!state.databaseFilePath || row->empty() || !row->front()) {
        appendError(error, DBInterface::rowNoLongerExistsMessage());
        return DBInterface::kRowGone;
    }
    std::vector<DBValue> whole;
    const int rc =
        readWholeValues(*state.databaseFilePath, table, cut, *row->front(), &whole, error);
    if (rc != 0) return rc;
    for (size_t k = 0; k < at.size(); ++k) (*row)[at[k]] = std::move(whole[k]);
    return 0;
}
