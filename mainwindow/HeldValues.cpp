#include "mainwindow/HeldValues.h"

#include <charconv>
#include <vector>

#include "Common/DBExecution.h"
#include "Common/RowWriting.h"
#include "Common/SQLQuote.h"

namespace {
constexpr char kCutMark = '\xff';
constexpr std::string_view kEllipsis = "\xe2\x80\xa6";

// The length of the longest prefix of at most limit bytes that ends on a character boundary.
size_t characterBoundaryBefore(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text.size();
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    return end;
}
}  // namespace

void holdPrefixOfValue(DBValue* value) {
    if (!value || !*value || (*value)->size() <= kHeldValueBytes) return;
    std::string held = (*value)->substr(0, characterBoundaryBefore(**value, kHeldValueBytes));
    held.push_back(kCutMark);
    *value = std::move(held);
}

bool isCutValue(const DBValue& value) {
    return value && !value->empty() && value->back() == kCutMark;
}

std::string_view heldTextOfValue(const std::string& value, std::string* withEllipsis) {
    const bool cut = !value.empty() && value.back() == kCutMark;
    std::string_view text(value.data(), cut ? value.size() - 1 : value.size());
    if (!cut && text.size() <= kHeldValueBytes) return text;
    withEllipsis->assign(text.substr(0, characterBoundaryBefore(text, kHeldValueBytes)));
    withEllipsis->append(kEllipsis);
    return *withEllipsis;
}

int readWholeValue(const std::string& databaseFilePath, const std::string& table,
                   const std::string& fieldName, const std::string& rowid, DBValue* value,
                   std::string* error) {
    int64_t key = 0;
    auto [end, failed] = std::from_chars(rowid.data(), rowid.data() + rowid.size(), key);
    if (failed != std::errc() || end != rowid.data() + rowid.size()) {
        appendError(error, DBInterface::rowNoLongerExistsMessage());
        return DBInterface::kRowGone;
    }
    std::vector<DBRow> rows;
    const int rc = DBInterface::getArrayOfRows(&rows,
                                               "select " + quoteIdentifier(fieldName) + " from " +
                                                   quoteIdentifier(table) +
                                                   " where rowid = " + std::to_string(key),
                                               true, databaseFilePath, error);
    if (rc != 0) return rc;
    if (rows.empty() || rows.front().empty()) {
        appendError(error, DBInterface::rowNoLongerExistsMessage());
        return DBInterface::kRowGone;
    }
    *value = std::move(rows.front().front());
    return 0;
}
