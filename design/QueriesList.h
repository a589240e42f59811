#pragma once
// What the queries panel lists: the query history followed by the window's favourite queries
// that are not in it, narrowed by a search text and a favourites-only switch.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct QueryPanelEntry {
    std::string queryString;
    // The favourite's rowid; nullopt for a query that is not a favourite.
    std::optional<std::string> queryROWID;
};

class QueriesList {
  public:
    // Reads the history and, for a window with a database, its favourites; every entry is
    // shown. A failed read of the favourites lists the history alone and reports the error.
    int reloadQueriesArray(const std::optional<std::string>& databaseFilePath,
                           std::string* errorString);
    void reloadQueriesArrayWithSearchString(const std::string& searchString, bool favoritesOnly);

    const std::vector<QueryPanelEntry>& queriesArray() const { return queriesArray_; }
    const std::vector<size_t>& queryIndexesShownArray() const { return queryIndexesShownArray_; }
    // The entry shown at the row; nullptr outside the list.
    const QueryPanelEntry* entryAtShownRow(int64_t row) const;

    // Makes the shown row's query a favourite, or stops it being one (the list is then read
    // again and searchString applied anew).
    int toggleFavoriteAtShownRow(int64_t row, const std::string& databaseFilePath,
                                 const std::string& searchString, bool favoritesOnly,
                                 std::string* errorString);
    // Deletes the favourites and history texts of the shown rows and reads the list again.
    // The history loses the texts, not positions: another window may have run queries since.
    int deleteShownRows(const std::vector<int64_t>& rows,
                        const std::optional<std::string>& databaseFilePath,
                        const std::string& searchString, bool favoritesOnly,
                        std::string* errorString);

  private:
    std::vector<QueryPanelEntry> queriesArray_;
    std::vector<size_t> queryIndexesShownArray_;
    // Entries below this index came from the history.
    size_t historyCount_ = 0;
};
