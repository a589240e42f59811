#include "Common/PhotoFiles.h"

#include <chrono>
#include <filesystem>
#include <optional>

#include "platform/foundation/Paths.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/SystemLog.h"

namespace fs = std::filesystem;

namespace DBInterface {

namespace {
// Seconds from 1970 to 2001 (the platform's reference date), then the 315,360,000 seconds the
// names have always been counted less.
constexpr int64_t kReferenceDateSeconds = 978307200;
constexpr int64_t kNameEpochShiftSeconds = 315360000;

bool endsInJpg(const std::string& name) {
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".jpg") == 0;
}

// The path of a name in the folder; nothing (logged) for a name that leads out of it, since the
// names come from the cells of whatever file is open.
std::optional<std::string> pathInFolder(const std::string& folder, const std::string& name) {
    std::string path = folder + "/" + name;
    if (Paths::isPathInsideFolder(path, folder)) return path;
    systemLog(formatText("Image file name leads out of its folder: %@", {name}));
    return std::nullopt;
}

std::optional<std::string> inDocuments(const std::string& name) {
    return pathInFolder(Paths::documentsFolder(), name);
}

std::string thumbnailName(const std::string& name) {
    return "thumb" + name;
}

// Removes a plain file when there is one; false (logged) when that fails.
bool removeFileIfPresent(const std::string& path, const char* message) {
    std::error_code error;
    if (!fs::exists(path, error) || fs::is_directory(path, error)) return true;
    if (fs::remove(path, error)) return true;
    systemLog(formatText(message, {path, error.message()}));
    return false;
}

void replaceFile(const std::string& destinationName, const std::string& sourceName,
                 const char* directoryMessage, const char* removeMessage, const char* moveMessage) {
    auto destinationPath = inDocuments(destinationName);
    auto sourcePath = inDocuments(sourceName);
    if (!destinationPath || !sourcePath) return;
    const std::string& destination = *destinationPath;
    const std::string& source = *sourcePath;
    std::error_code error;
    if (fs::is_directory(destination, error)) {
        systemLog(formatText(directoryMessage, {destination}));
        return;
    }
    if (!removeFileIfPresent(destination, removeMessage)) return;
    if (!fs::exists(source, error)) return;
    fs::rename(source, destination, error);
    if (error) systemLog(formatText(moveMessage, {source, destination, error.message()}));
}

void copyPair(const std::string& sourceFolder, const std::string& source,
              const std::string& destination) {
    if (source.empty() || destination.empty()) return;
    const std::pair<std::string, const char*> pairs[] = {
        {"", "copyImageAndThumbnailFiles error on copying image file from [%@] to [%@]: %@"},
        {"thumb",
         "copyImageAndThumbnailFiles error on copying thumbnail image file from [%@] to [%@]: "
         "%@"}};
    for (const auto& [prefix, message] : pairs) {
        auto from = pathInFolder(sourceFolder, prefix + source);
        auto to = inDocuments(prefix + destination);
        if (!from || !to) continue;
        std::error_code error;
        fs::copy_file(*from, *to, fs::copy_options::overwrite_existing, error);
        if (error) systemLog(formatText(message, {*from, *to, error.message()}));
    }
}
}  // namespace

std::string stringForNewImageFileName(int suffix) {
    using namespace std::chrono;
    double seconds = duration<double>(system_clock::now().time_since_epoch()).count() -
                     static_cast<double>(kReferenceDateSeconds + kNameEpochShiftSeconds);
    return "db" + std::to_string(static_cast<int64_t>(seconds * 1000)) + std::to_string(suffix) +
           ".jpg";
}

void deleteImageAndThumbnailFiles(const std::string& imageFile) {
    if (!endsInJpg(imageFile)) return;
    for (const std::string& name : {imageFile, thumbnailName(imageFile)}) {
        if (auto path = inDocuments(name)) {
            removeFileIfPresent(*path,
                                "deleteImageAndThumbnailFiles: error on removing image file: %@");
        }
    }
}

int deleteImageFilesFromSet(const std::set<std::string>& imageFiles) {
    for (const std::string& name : imageFiles) {
        if (!endsInJpg(name)) {
            systemLog(formatText("deleteImageFilesFromSet: Invalid image file: %@", {name}));
            continue;
        }
        for (const std::string& file : {name, thumbnailName(name)}) {
            if (auto path = inDocuments(file)) {
                removeFileIfPresent(*path, "Could not remove image file %@, error: %@");
            }
        }
    }
    return 0;
}

void replaceImageAndThumbnailFiles(const std::string& destination, const std::string& source) {
    if (!endsInJpg(destination)) return;
    replaceFile(destination, source,
                "replaceImageAndThumbnailFiles destination was a directory: %@",
                "replaceImageAndThumbnailFiles error on removing image file: %@",
                "replaceImageAndThumbnailFiles error on moving image file from [%@] to [%@]: %@");
    replaceFile(thumbnailName(destination), thumbnailName(source),
                "replaceImageAndThumbnailFiles thumbnail destination was a directory: %@",
                "replaceImageAndThumbnailFiles error on removing thumbnail image file: %@",
                "replaceImageAndThumbnailFiles error on moving thumbnail image file from [%@] to "
                "[%@]: %@");
}

void copyImageAndThumbnailFiles(const std::string& source, const std::string& destination) {
    copyPair(Paths::documentsFolder(), source, destination);
}

void copyTmpImageAndThumbnailFiles(const std::string& source, const std::string& destination) {
    copyPair(Paths::temporaryFolder(), source, destination);
}

}  // namespace DBInterface
