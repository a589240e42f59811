#pragma once
// File bookmarks: an opaque byte string that remembers a file by its path and its identity
// (device and inode). Resolving gives the path back and tells whether the bookmark is stale,
// that is whether the file at that path is gone or is no longer the file that was recorded.
#include <optional>
#include <string>

namespace Bookmarks {

// The bookmark of an existing file; nullopt with a description in error otherwise.
std::optional<std::string> create(const std::string& path, std::string* error);

struct Resolution {
    std::string path;
    bool isStale = false;
};

// The path a bookmark names; nullopt with a description in error when the data is malformed.
std::optional<Resolution> resolve(const std::string& data, std::string* error);

}  // namespace Bookmarks
