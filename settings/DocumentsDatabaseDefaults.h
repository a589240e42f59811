#pragma once
// The settings kept by file name for the databases of the Documents folder (last table shown,
// column widths, tables-list width): they follow a rename and are pruned for vanished files.
#include <set>
#include <string>

// The entries of oldName move to newName.
void renameDocumentsDatabaseDefaults(const std::string& oldName, const std::string& newName);
// Removes the column widths of every database not named; writes only when one was removed.
void pruneRowsTableColumnWidths(const std::set<std::string>& listedNames);
