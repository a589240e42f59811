#pragma once
// Favourite SQL queries of the console (varnelo_db_favorite_queries) and web bookmarks
// (varnelo_db_bookmarks). Each table is created by the script that adds its first row; readers
// answer 0 with nothing when it is missing. Rowids must be integers.
#include <cstdint>
#include <string>
#include <vector>

namespace DBInterface {

int addFavoriteQuery(const std::string& title, const std::string& queryString, int64_t* lastRowID,
                     const std::string& databaseFilePath, std::string* errorString);
// Rowid, title and query triples by title.
int getFavoriteQueries(std::vector<std::string>* rows, const std::string& databaseFilePath,
                       std::string* errorString);
int updateFavoriteQuery(const std::string& rowid, const std::string& title,
                        const std::string& databaseFilePath, std::string* errorString);
// No list, or an empty one, deletes every favourite.
int deleteFavoriteQueries(const std::vector<std::string>* rowids,
                          const std::string& databaseFilePath, std::string* errorString);
int deleteFavoriteQueryWithID(const std::string& rowid, const std::string& databaseFilePath,
                              std::string* errorString);

int addBookmark(const std::string& title, const std::string& url,
                const std::string& databaseFilePath, std::string* errorString);
// Rowid, title and address triples by title.
int getBookmarks(std::vector<std::string>* rows, const std::string& databaseFilePath,
                 std::string* errorString);
int updateBookmark(const std::string& rowid, const std::string& title, const std::string& url,
                   const std::string& databaseFilePath, std::string* errorString);
// An empty list deletes nothing.
int deleteBookmarks(const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                    std::string* errorString);

}  // namespace DBInterface
