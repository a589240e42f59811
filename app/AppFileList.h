#pragma once
// The file-list service: the regular files of the Documents folder whose names pass a filter of
// prefixes and suffixes, in one of six orders. It serves the databases and the images windows.
#include <QDateTime>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct AppFileEntry {
    std::string fileName;  // as found on disk, no folder
    int64_t fileSize = 0;
    QDateTime lastModDate;  // invalid when unknown
};

enum FileListSortOrder {
    NameAscending = 0,
    NameDescending,
    DateAscending,
    DateDescending,
    SizeAscending,
    SizeDescending
};

// Lower-case name beginnings and endings. Without any include list every name is wanted; an
// exclusion wins over an inclusion.
struct FileNameFilter {
    std::vector<std::string> includePrefixes, includeSuffixes, excludePrefixes, excludeSuffixes;
};

const FileNameFilter& databaseFilesFilter();
FileNameFilter imageFilesFilter(bool includeThumbnails);

// Appends the matching regular files (no folders, no links) in the order. With both names and
// indexes given, the positions (within the appended run) of the entries of those names are added
// to indexes. An unreadable folder goes to the system log and appends nothing.
void reloadAppFilesInto(std::vector<AppFileEntry>& files, const FileNameFilter& filter,
                        int sortOrder, const std::set<std::string>* fileNamesToIndex = nullptr,
                        std::vector<int>* indexes = nullptr);

// The order after a click on a column's header: "Name" 0/1, "Size" 4/5, any other (the date)
// 2/3, each toggling only when the list is already sorted by that column ascending.
int sortOrderAfterHeaderClick(int sortOrder, const std::string& columnIdentifier);
