#pragma once
// The desktop's list of recently used files (the freedesktop recently-used.xbel that desktop
// programs share), so that opened databases appear among the desktop's recent files.
#include <string>

namespace RecentDocuments {

// $XDG_DATA_HOME/recently-used.xbel, else ~/.local/share/recently-used.xbel.
std::string recentlyUsedFilePath();

// Adds the file to the list under this application, or renews its entry (other programs'
// entries and their data are kept). The list is replaced whole, never left half-written; a list
// that cannot be read is left as it is. Answers whether the list was written.
bool noteNewRecentDocument(const std::string& path);

}  // namespace RecentDocuments
