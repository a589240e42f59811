#include "Common/RowidText.h"

#include <charconv>
#include <cstdint>

#include "Common/DBTypes.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

bool isRowidText(std::string_view text) {
    if (text.empty() || text.front() == '+') return false;
    int64_t value = 0;
    auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && last == text.data() + text.size();
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
