#include "mainwindow/HeldValues.h"

#include <cassert>
#include <charconv>
#include <vector>

#include "Common/DBExecution.h"
#include "Common/RowWriting.h"
#include "Common/SQLQuote.h"

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
