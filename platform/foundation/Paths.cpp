#include "platform/foundation/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace Paths {

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string ensureFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return path;
}

// Lexically normal form without a trailing separator, so prefixes compare by components.
std::string normalised(const std::string& path) {
    std::string text = fs::path(path).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

std::string homeFolder() {
    std::string home = envOrEmpty("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

std::string userDataFolder() {
    std::string folder = envOrEmpty("XDG_DATA_HOME");
    return folder.empty() ? homeFolder() + "/.local/share" : normalised(folder);
}

std::string applicationHome() {
    std::string home = envOrEmpty("VARNELO_HOME");
    if (home.empty()) home = homeFolder() + "/.local/share/varnelo";
    return ensureFolder(normalised(home));
}

std::string documentsFolder() {
    return ensureFolder(applicationHome() + "/Documents");
}

std::string applicationHomeProblem() {
    for (const std::string& folder : {applicationHome(), documentsFolder()}) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder, ec)) {
            return "Cannot create the folder " + folder + ": " +
                   (ec ? ec.message() : std::generic_category().message(ENOTDIR));
        }
        if (::access(folder.c_str(), W_OK | X_OK) != 0) {
            return "Cannot write to the folder " + folder + ": " + std::strerror(errno);
        }
    }
    return {};
}

std::string temporaryFolder() {
    std::string tmp = envOrEmpty("TMPDIR");
    return tmp.empty() ? std::string("/tmp") : normalised(tmp);
}

bool isPathInsideFolder(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty()) return false;
    std::string p = normalised(path);
    std::string f = normalised(folder);
    if (p == f) return true;
    if (f == "/") return p.front() == '/';
    return p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/';
}

std::string lastPathComponent(const std::string& path) {
    std::string text = path;
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    size_t slash = text.rfind('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

}  // namespace Paths
