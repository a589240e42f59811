#pragma once
// The bookmarks of database files outside the Documents folder, kept in the user default
// FileBookmarks (full path -> bookmark data).
#include <optional>
#include <string>

namespace FileBookmarkStore {

std::optional<std::string> bookmarkForPath(const std::string& path);
void setBookmark(const std::string& data, const std::string& path);
void removeBookmark(const std::string& path);

// How bringing a stored bookmark up to date went.
enum class Refresh {
    Current,          // resolves and is not stale
    Renewed,          // was stale; a new bookmark is stored and resolves
    Unresolvable,     // the stored data names no file
    NotRecreated,     // stale, and no new bookmark could be made (the file is gone)
    NewUnresolvable,  // the new bookmark does not resolve
};
// Resolves the stored data and renews it when stale; error receives the failure's description.
Refresh refresh(const std::string& path, const std::string& data, std::string* error);

}  // namespace FileBookmarkStore
