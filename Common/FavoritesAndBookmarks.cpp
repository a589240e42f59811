#include "Common/FavoritesAndBookmarks.h"

#include "Common/DBExecution.h"
#include "Common/MetaTableText.h"
#include "Common/RowidText.h"
#include "Common/SQLQuote.h"

namespace DBInterface {

namespace {
constexpr int kRefused = -1;
}

int addFavoriteQuery(const std::string& title, const std::string& queryString, int64_t* lastRowID,
                     const std::string& databaseFilePath, std::string* errorString) {
    return runInTransaction(
        "create table if not exists varnelo_db_favorite_queries (title not null default '', "
        "querystring not null default ''); insert into varnelo_db_favorite_queries (title, "
        "querystring) values (" +
            quoteLiteral(title) + ", " + quoteLiteral(queryString) + "); ",
        lastRowID, databaseFilePath, errorString);
}

int getFavoriteQueries(std::vector<std::string>* rows, const std::string& databaseFilePath,
                       std::string* errorString) {
    return getRowsIfTableExists(
        rows, "varnelo_db_favorite_queries",
        "select rowid, title, querystring from varnelo_db_favorite_queries order by title asc",
        databaseFilePath, errorString);
}

int updateFavoriteQuery(const std::string& rowid, const std::string& title,
                        const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(rowid, errorString)) return kRefused;
    return execCommandString("update varnelo_db_favorite_queries set title = " +
                                 quoteLiteral(title) + " where rowid = " + rowid,
                             databaseFilePath, errorString);
}

int deleteFavoriteQueries(const std::vector<std::string>* rowids,
                          const std::string& databaseFilePath, std::string* errorString) {
    std::string sql = "delete from varnelo_db_favorite_queries";
    if (rowids && !rowids->empty()) {
        auto list = checkedRowidList(*rowids, errorString);
        if (!list) return kRefused;
        sql += " where rowid in (" + *list + ")";
    }
    return execCommandString(sql, databaseFilePath, errorString);
}

int deleteFavoriteQueryWithID(const std::string& rowid, const std::string& databaseFilePath,
                              std::string* errorString) {
    if (!checkRowid(rowid, errorString)) return kRefused;
    return execCommandString("delete from varnelo_db_favorite_queries where rowid=" + rowid,
                             databaseFilePath, errorString);
}

int addBookmark(const std::string& title, const std::string& url,
                const std::string& databaseFilePath, std::string* errorString) {
    return runInTransaction(
        "create table if not exists varnelo_db_bookmarks (title not null default '', url not "
        "null default '', flags int not null default 0); insert into varnelo_db_bookmarks "
        "(title, url) values (" +
            quoteLiteral(title) + ", " + quoteLiteral(url) + "); ",
        nullptr, databaseFilePath, errorString);
}

int getBookmarks(std::vector<std::string>* rows, const std::string& databaseFilePath,
                 std::string* errorString) {
    return getRowsIfTableExists(rows, "varnelo_db_bookmarks",
                                "select rowid, title, url from varnelo_db_bookmarks order by "
                                "title asc",
                                databaseFilePath, errorString);
}

int updateBookmark(const std::string& rowid, const std::string& title, const std::string& url,
                   const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(rowid, errorString)) return kRefused;
    return execCommandString("update varnelo_db_bookmarks set title=" + quoteLiteral(title) +
                                 ", url=" + quoteLiteral(url) + " where rowid=" + rowid,
                             databaseFilePath, errorString);
}

int deleteBookmarks(const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                    std::string* errorString) {
    return deleteRowsWithRowids("varnelo_db_bookmarks", rowids, databaseFilePath, errorString);
}

}  // namespace DBInterface
