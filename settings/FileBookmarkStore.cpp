#include "settings/FileBookmarkStore.h"

#include "platform/foundation/Bookmarks.h"
#include "settings/DefaultsDictionary.h"

namespace FileBookmarkStore {

namespace {

constexpr const char* kFileBookmarks = "FileBookmarks";

}  // namespace

std::optional<std::string> bookmarkForPath(const std::string& path) {
    return textInDefaultsDictionary(kFileBookmarks, path);
}

void setBookmark(const std::string& data, const std::string& path) {
    setTextInDefaultsDictionary(data, path, kFileBookmarks);
}

void removeBookmark(const std::string& path) {
    removeEntryFromDefaultsDictionary(path, kFileBookmarks);
}

Refresh refresh(const std::string& path, const std::string& data, std::string* error) {
    auto resolved = Bookmarks::resolve(data, error);
    if (!resolved) return Refresh::Unresolvable;
    if (!resolved->isStale) return Refresh::Current;
    auto renewed = Bookmarks::create(resolved->path, error);
    if (!renewed) return Refresh::NotRecreated;
    setBookmark(*renewed, path);
    return Bookmarks::resolve(*renewed, error) ? Refresh::Renewed : Refresh::NewUnresolvable;
}

}  // namespace FileBookmarkStore
