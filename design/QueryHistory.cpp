#include "design/QueryHistory.h"

#include <algorithm>

#include "platform/foundation/UserDefaults.h"

namespace {

constexpr const char* kQueryHistoryKey = "QueryHistory";

void storeQueryHistory(const std::vector<std::string>& history) {
    UserDefaults::standard().setObject(nlohmann::json(history), kQueryHistoryKey);
}

}  // namespace

std::vector<std::string> queryHistory() {
    std::vector<std::string> history;
    for (const auto& element : UserDefaults::standard().arrayForKey(kQueryHistoryKey)) {
        if (element.is_string()) history.push_back(element.get<std::string>());
    }
    return history;
}

void addQueryToHistory(const std::string& queryString) {
    if (queryString.empty() || queryString[0] == ' ' || queryString[0] == '\t' ||
        queryString[0] == '\n') {
        return;
    }
    std::vector<std::string> history = queryHistory();
    auto equal = std::remove(history.begin(), history.end(), queryString);
    if (equal != history.end()) {
        history.erase(equal, history.end());
    } else if (history.size() >= kQueryHistoryLimit) {
        history.resize(kQueryHistoryLimit - 1);
    }
    history.insert(history.begin(), queryString);
    storeQueryHistory(history);
}

void removeQueriesFromHistory(const std::set<std::string>& queryStrings) {
    std::vector<std::string> history = queryHistory();
    std::erase_if(history, [&](const std::string& text) { return queryStrings.contains(text); });
    storeQueryHistory(history);
}
