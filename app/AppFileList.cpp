#include "app/AppFileList.h"

#include <QCollator>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/SystemLog.h"
#include "platform/ui/QtStrings.h"

namespace fs = std::filesystem;

namespace {

bool beginsWithAny(const QString& name, const std::vector<std::string>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& prefix) {
        return name.startsWith(toQString(prefix));
    });
}

bool endsWithAny(const QString& name, const std::vector<std::string>& suffixes) {
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [&](const std::string& suffix) { return name.endsWith(toQString(suffix)); });
}

bool isWanted(const std::string& fileName, const FileNameFilter& filter) {
    QString name = toQString(fileName).toLower();
    bool wanted = filter.includePrefixes.empty() && filter.includeSuffixes.empty();
    if (beginsWithAny(name, filter.includePrefixes) || endsWithAny(name, filter.includeSuffixes)) {
        wanted = true;
    }
    if (beginsWithAny(name, filter.excludePrefixes) || endsWithAny(name, filter.excludeSuffixes)) {
        wanted = false;
    }
    return wanted;
}

void sortEntries(std::vector<AppFileEntry>& files, int sortOrder) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    bool descending = sortOrder % 2 == 1;
    auto less = [&](const AppFileEntry& a, const AppFileEntry& b) {
        switch (sortOrder / 2) {
            case 0:
                return collator.compare(toQString(a.fileName), toQString(b.fileName)) < 0;
            case 1:
                return a.lastModDate < b.lastModDate;
            default:
                return a.fileSize < b.fileSize;
        }
    };
    if (sortOrder < NameAscending || sortOrder > SizeDescending) return;
    std::stable_sort(files.begin(), files.end(), [&](const AppFileEntry& a, const AppFileEntry& b) {
        return descending ? less(b, a) : less(a, b);
    });
}

}  // namespace

const FileNameFilter& databaseFilesFilter() {
    static const FileNameFilter filter{{}, {".db", ".sqlite", ".db3", ".sqlite3"}, {}, {}};
    return filter;
}

FileNameFilter imageFilesFilter(bool includeThumbnails) {
    FileNameFilter filter{{}, {".jpg", ".jpeg", ".png"}, {}, {}};
    if (!includeThumbnails) filter.excludePrefixes = {"thumb"};
    return filter;
}

void reloadAppFilesInto(std::vector<AppFileEntry>& files, const FileNameFilter& filter,
                        int sortOrder, const std::set<std::string>* fileNamesToIndex,
                        std::vector<int>* indexes) {
    std::error_code ec;
    fs::directory_iterator folder(Paths::documentsFolder(), ec);
    if (ec) {
        systemLog(localizedFormat("Error in reading files: %@", {ec.message()}));
        return;
    }
    std::vector<AppFileEntry> found;
    for (const fs::directory_entry& item : folder) {
        std::string name = item.path().filename().string();
        if (!isWanted(name, filter)) continue;
        // Links are left out: a listed file is always one of the folder's own.
        fs::file_status status = fs::symlink_status(item.path(), ec);
        if (ec || status.type() != fs::file_type::regular) continue;
        AppFileEntry entry;
        entry.fileName = name;
        entry.fileSize = static_cast<int64_t>(fs::file_size(item.path(), ec));
        if (ec) continue;
        QFileInfo info(toQString(item.path().string()));
        entry.lastModDate = info.lastModified();
        found.push_back(std::move(entry));
    }
    sortEntries(found, sortOrder);
    for (size_t i = 0; i < found.size(); ++i) {
        if (fileNamesToIndex && indexes && fileNamesToIndex->count(found[i].fileName)) {
            indexes->push_back(static_cast<int>(i));
        }
    }
    files.insert(files.end(), found.begin(), found.end());
}

int sortOrderAfterHeaderClick(int sortOrder, const std::string& columnIdentifier) {
    if (columnIdentifier == "Name")
        return sortOrder == NameAscending ? NameDescending : NameAscending;
    if (columnIdentifier == "Size")
        return sortOrder == SizeAscending ? SizeDescending : SizeAscending;
    return sortOrder == DateAscending ? DateDescending : DateAscending;
}
