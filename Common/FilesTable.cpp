// varnelo_db_files: a read-only eponymous table of the regular files in the Documents folder,
// with their names, modification times (seconds since 1970) and sizes.
#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "Common/DBExtensions.h"
#include "platform/foundation/Paths.h"

namespace {

struct FilesCursor {
    sqlite3_vtab_cursor base{};
    DIR* directory = nullptr;
    std::string folder;
    std::string name;  // empty at the end of the table
    struct stat status {};
    sqlite3_int64 rowNumber = 0;

    void reset() {
        if (directory) closedir(directory);
        directory = nullptr;
        name.clear();
        rowNumber = 0;
    }
};

void setVtabError(sqlite3_vtab* table, const std::string& message) {
    sqlite3_free(table->zErrMsg);
    table->zErrMsg = sqlite3_mprintf("%s", message.c_str());
}

int filesConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(name,modified,size)");
    if (rc != SQLITE_OK) return rc;
    *table = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (!*table) return SQLITE_NOMEM;
    **table = sqlite3_vtab{};
    return SQLITE_OK;
}

int filesDisconnect(sqlite3_vtab* table) {
    sqlite3_free(table);
    return SQLITE_OK;
}

int filesBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    info->idxNum = 0;
    info->estimatedRows = 0x7fffffff;
    return SQLITE_OK;
}

int filesOpen(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    auto* files = new (std::nothrow) FilesCursor();
    if (!files) return SQLITE_NOMEM;
    *cursor = &files->base;
    return SQLITE_OK;
}

FilesCursor* asFiles(sqlite3_vtab_cursor* cursor) {
    return reinterpret_cast<FilesCursor*>(cursor);
}

int filesClose(sqlite3_vtab_cursor* cursor) {
    FilesCursor* files = asFiles(cursor);
    files->reset();
    delete files;
    return SQLITE_OK;
}

int filesNext(sqlite3_vtab_cursor* cursor) {
    FilesCursor* files = asFiles(cursor);
    while (dirent* entry = readdir(files->directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string fullPath = files->folder + "/" + name;
        if (lstat(fullPath.c_str(), &files->status) != 0) {
            setVtabError(cursor->pVtab, "cannot stat file: " + fullPath);
            return SQLITE_ERROR;
        }
        if (name != ".DS_Store" && S_ISREG(files->status.st_mode)) {
            files->name = name;
            files->rowNumber += 1;
            return SQLITE_OK;
        }
    }
    files->name.clear();
    return SQLITE_OK;
}

int filesFilter(sqlite3_vtab_cursor* cursor, int, const char*, int, sqlite3_value**) {
    FilesCursor* files = asFiles(cursor);
    files->reset();
    files->folder = Paths::documentsFolder();
    files->directory = opendir(files->folder.c_str());
    if (!files->directory) {
        setVtabError(cursor->pVtab, "cannot read directory: " + files->folder);
        return SQLITE_ERROR;
    }
    return filesNext(cursor);
}

int filesEof(sqlite3_vtab_cursor* cursor) {
    return asFiles(cursor)->name.empty() ? 1 : 0;
}

int filesColumn(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int column) {
    FilesCursor* files = asFiles(cursor);
    switch (column) {
        case 0:
            sqlite3_result_text(context, files->name.c_str(), -1, SQLITE_TRANSIENT);
            break;
        case 1:
            sqlite3_result_int64(context, files->status.st_mtim.tv_sec);
            break;
        case 2:
            sqlite3_result_int64(context, files->status.st_size);
            break;
        default:
            break;
    }
    return SQLITE_OK;
}

int filesRowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* rowid) {
    *rowid = asFiles(cursor)->rowNumber;
    return SQLITE_OK;
}

// No xCreate or xDestroy: the table is eponymous and cannot be made with CREATE VIRTUAL TABLE.
const sqlite3_module kFilesModule = {
    .iVersion = 0,
    .xCreate = nullptr,
    .xConnect = filesConnect,
    .xBestIndex = filesBestIndex,
    .xDisconnect = filesDisconnect,
    .xDestroy = nullptr,
    .xOpen = filesOpen,
    .xClose = filesClose,
    .xFilter = filesFilter,
    .xNext = filesNext,
    .xEof = filesEof,
    .xColumn = filesColumn,
    .xRowid = filesRowid,
    .xUpdate = nullptr,
    .xBegin = nullptr,
    .xSync = nullptr,
    .xCommit = nullptr,
    .xRollback = nullptr,
    .xFindFunction = nullptr,
    .xRename = nullptr,
    .xSavepoint = nullptr,
    .xRelease = nullptr,
    .xRollbackTo = nullptr,
    .xShadowName = nullptr,
};

}  // namespace

int registerFilesTable(sqlite3* db) {
    return sqlite3_create_module(db, "varnelo_db_files", &kFilesModule, nullptr);
}
