#include "Common/FileNames.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <string_view>

#include "Common/Helpers.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/StringFormat.h"

namespace DBInterface {

namespace {
struct SizeStep {
    int64_t divisor;
    int fractionDigits;
    int unitsCode;
};

SizeStep sizeStep(int64_t bytes) {
    if (bytes < 1000) return {1, 0, 1};
    if (bytes < 1000000) return {1000, 0, 2};
    if (bytes < 1000000000) return {1000000, 1, 3};
    return {1000000000, 2, 4};
}

bool endsWithAny(const std::string& name, std::initializer_list<std::string_view> endings) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::any_of(endings.begin(), endings.end(), [&](std::string_view ending) {
        return lower.size() >= ending.size() &&
               lower.compare(lower.size() - ending.size(), ending.size(), ending) == 0;
    });
}
}  // namespace

std::string fileSizeStringFromNumber(const std::optional<int64_t>& bytes, int* unitsCode) {
    if (!bytes) return "";
    SizeStep step = sizeStep(*bytes);
    if (unitsCode) *unitsCode = step.unitsCode;
    if (step.unitsCode == 1) return std::to_string(*bytes);
    NumberFormatter formatter;
    formatter.setMaximumFractionDigits(step.fractionDigits);
    return formatter.stringFromNumber(static_cast<double>(*bytes) /
                                      static_cast<double>(step.divisor));
}

std::string fileSizeStringFromNumber(const std::optional<int64_t>& bytes) {
    if (!bytes) return "";
    int unitsCode = 1;
    std::string number = fileSizeStringFromNumber(bytes, &unitsCode);
    return number + " " + fileSizeUnitsStringFromCode(unitsCode, *bytes);
}

std::string fileSizeUnitsStringFromCode(int unitsCode, int64_t size) {
    switch (unitsCode) {
        case 1:
            return size == 1 ? "byte" : "bytes";
        case 2:
            return "KB";
        case 3:
            return "MB";
        default:
            return "GB";
    }
}

bool isSupportedSQLFile(const std::string& name) {
    return endsWithAny(name, {".sql"});
}

bool isSupportedImageFile(const std::string& name) {
    return endsWithAny(name, {".jpg", ".jpeg", ".png"});
}

bool isSupportedCompressedFile(const std::string& name) {
    return endsWithAny(name, {".zip", ".gz", ".z"});
}

std::string withoutQuotingCharacters(std::string name) {
    for (char quoting : {'`', '[', ']', '"'}) std::replace(name.begin(), name.end(), quoting, '_');
    return name;
}

std::string nameWithoutQuotingCharacters(const std::string& name) {
    auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(name.begin(), name.end(), isSpace);
    auto end = std::find_if_not(name.rbegin(), std::make_reverse_iterator(begin), isSpace).base();
    return withoutQuotingCharacters(std::string(begin, end));
}

std::string trimTrailingNewlineFromString(const std::string& text) {
    // Works on the bytes, so a NUL inside the text does not cut it short.
    return text.substr(0, text.size() - trailingLineEndLength(text));
}

bool checkReservedWord(const std::string* word) {
    return word && sqlite3_keyword_check(word->data(), static_cast<int>(word->size())) != 0;
}

std::optional<std::string> nonExistingDocumentFilePathFor(const std::string& name) {
    std::string folder = Paths::documentsFolder() + "/";
    std::error_code error;
    if (!std::filesystem::exists(folder + name, error)) return folder + name;
    size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (int n = 2; n <= 999; ++n) {
        std::string candidate =
            folder + formatText("%@ %d.%@", {stem, std::to_string(n), extension});
        if (!std::filesystem::exists(candidate, error)) return candidate;
    }
    return std::nullopt;
}

}  // namespace DBInterface
