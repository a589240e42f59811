#include "platform/foundation/Bookmarks.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <nlohmann/json.hpp>

#include "platform/foundation/Localized.h"
#include "platform/foundation/Utf8.h"

namespace Bookmarks {

namespace {

void setError(std::string* error, std::string message) {
    if (error) *error = std::move(message);
}

}  // namespace

std::optional<std::string> create(const std::string& path, std::string* error) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) {
        setError(error, localizedFormat("The file \"%@\" could not be opened: %@",
                                        {path, std::strerror(path.empty() ? ENOENT : errno)}));
        return std::nullopt;
    }
    // The record is JSON text, which cannot hold such a name.
    if (!isValidUtf8(path)) {
        setError(error, localizedString("The file name is not valid UTF-8."));
        return std::nullopt;
    }
    nlohmann::json record = {{"path", path},
                             {"device", static_cast<uint64_t>(info.st_dev)},
                             {"inode", static_cast<uint64_t>(info.st_ino)}};
    return record.dump();
}

std::optional<Resolution> resolve(const std::string& data, std::string* error) {
    nlohmann::json record = nlohmann::json::parse(data, nullptr, false);
    if (!record.is_object() || !record["path"].is_string() ||
        !record["device"].is_number_unsigned() || !record["inode"].is_number_unsigned()) {
        setError(error, localizedString("The bookmark data is not valid."));
        return std::nullopt;
    }
    Resolution resolution;
    resolution.path = record["path"].get<std::string>();
    struct stat info {};
    resolution.isStale = stat(resolution.path.c_str(), &info) != 0 ||
                         static_cast<uint64_t>(info.st_dev) != record["device"].get<uint64_t>() ||
                         static_cast<uint64_t>(info.st_ino) != record["inode"].get<uint64_t>();
    return resolution;
}

}  // namespace Bookmarks
