#include "Common/RowidText.h"

#include <charconv>

#include "Common/DBTypes.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

bool isRowidText(std::string_view text) {
    return rowidOfText(text).has_value();
}

std::optional<int64_t> rowidOfText(std::string_view text) {
    if (text.empty() || text.front() == '+') return std::nullopt;
    int64_t value = 0;
    auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || last != text.data() + text.size()) return std::nullopt;
    return value;
}

bool checkRowid(const std::string& rowid, std::string* errorString) {
    if (isRowidText(rowid)) return true;
    appendError(errorString, localizedFormat("Invalid rowid: %@", {rowid}));
    return false;
}

bool checkRowids(const std::vector<std::string>& rowids, std::string* errorString) {
    for (const std::string& rowid : rowids) {
        if (!checkRowid(rowid, errorString)) return false;
    }
    return true;
}

}  // namespace DBInterface
