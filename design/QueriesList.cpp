#include "design/QueriesList.h"

#include <QString>

#include <map>
#include <set>

#include "Common/FavoritesAndBookmarks.h"
#include "design/QueryHistory.h"
#include "platform/ui/QtStrings.h"

int QueriesList::reloadQueriesArray(const std::optional<std::string>& databaseFilePath,
                                    std::string* errorString) {
    queriesArray_.clear();
    int rc = 0;
    std::map<std::string, std::string> favorites;  // query text -> rowid
    if (databaseFilePath) {
        std::vector<std::string> rows;
        rc = DBInterface::getFavoriteQueries(&rows, *databaseFilePath, errorString);
        for (size_t i = 0; rc == 0 && i + 2 < rows.size(); i += 3) favorites[rows[i + 2]] = rows[i];
    }
    const std::vector<std::string> history = queryHistory();
    for (const std::string& text : history) {
        auto favorite = favorites.find(text);
        if (favorite == favorites.end()) {
            queriesArray_.push_back({text, std::nullopt});
        } else {
            queriesArray_.push_back({text, favorite->second});
            favorites.erase(favorite);
        }
    }
    historyCount_ = history.size();
    for (const auto& [text, rowid] : favorites) queriesArray_.push_back({text, rowid});
    queryIndexesShownArray_.clear();
    for (size_t i = 0; i < queriesArray_.size(); ++i) queryIndexesShownArray_.push_back(i);
    return rc;
}

void QueriesList::reloadQueriesArrayWithSearchString(const std::string& searchString,
                                                     bool favoritesOnly) {
    queryIndexesShownArray_.clear();
    const QString search = toQString(searchString);
    for (size_t i = 0; i < queriesArray_.size(); ++i) {
        const QueryPanelEntry& entry = queriesArray_[i];
        if (favoritesOnly && !entry.queryROWID) continue;
        if (!search.isEmpty() &&
            !toQString(entry.queryString).contains(search, Qt::CaseInsensitive)) {
            continue;
        }
        queryIndexesShownArray_.push_back(i);
    }
}

const QueryPanelEntry* QueriesList::entryAtShownRow(int64_t row) const {
    if (row < 0 || row >= static_cast<int64_t>(queryIndexesShownArray_.size())) return nullptr;
    size_t index = queryIndexesShownArray_[static_cast<size_t>(row)];
    return index < queriesArray_.size() ? &queriesArray_[index] : nullptr;
}

int QueriesList::toggleFavoriteAtShownRow(int64_t row, const std::string& databaseFilePath,
                                          const std::string& searchString, bool favoritesOnly,
                                          std::string* errorString) {
    const QueryPanelEntry* found = entryAtShownRow(row);
    if (!found) return 0;
    auto& entry = queriesArray_[static_cast<size_t>(found - queriesArray_.data())];
    if (entry.queryROWID) {
        int rc = DBInterface::deleteFavoriteQueryWithID(*entry.queryROWID, databaseFilePath,
                                                        errorString);
        if (rc != 0) return rc;
        rc = reloadQueriesArray(databaseFilePath, errorString);
        reloadQueriesArrayWithSearchString(searchString, favoritesOnly);
        return rc;
    }
    int64_t rowid = 0;
    int rc =
        DBInterface::addFavoriteQuery("", entry.queryString, &rowid, databaseFilePath, errorString);
    if (rc == 0) entry.queryROWID = std::to_string(rowid);
    return rc;
}

int QueriesList::deleteShownRows(const std::vector<int64_t>& rows,
                                 const std::optional<std::string>& databaseFilePath,
                                 const std::string& searchString, bool favoritesOnly,
                                 std::string* errorString) {
    std::set<size_t> entries;
    std::set<std::string> historyTexts;
    for (int64_t row : rows) {
        if (!entryAtShownRow(row)) continue;
        size_t index = queryIndexesShownArray_[static_cast<size_t>(row)];
        entries.insert(index);
        if (index < historyCount_) historyTexts.insert(queriesArray_[index].queryString);
    }
    if (entries.empty()) return 0;
    int rc = 0;
    bool changed = false;
    for (size_t index : entries) {
        const auto& rowid = queriesArray_[index].queryROWID;
        if (!rowid || !databaseFilePath) continue;
        rc = DBInterface::deleteFavoriteQueryWithID(*rowid, *databaseFilePath, errorString);
        if (rc != 0) break;
        changed = true;
    }
    if (!historyTexts.empty()) {
        removeQueriesFromHistory(historyTexts);
        changed = true;
    }
    if (changed) {
        int reloaded = reloadQueriesArray(databaseFilePath, errorString);
        if (rc == 0) rc = reloaded;
        reloadQueriesArrayWithSearchString(searchString, favoritesOnly);
    }
    return rc;
}
