#pragma once
// The rows a copy takes from rows the window showed, once the file changed since they were shown:
// read whole by their rowids in one read transaction that first checks them against what was
// shown (ShownRows.h), so that a copy takes exactly the rows the user saw, or nothing.
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/ShownRows.h"

namespace DBInterface {

// What a copy refused since the rows changed says.
std::string rowsChangedCopyMessage();

// The rows of the rowids, in their order, each its rowid and then the fields shown read whole
// (raw fields as hex text); kRowsChanged, kRowGone or kFieldsChanged with the message when they
// are not those shown; the code of a read that failed.
int readRowsAsShown(std::vector<DBRow>* rows, const ShownRows& shown, const std::string& table,
                    const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                    std::string* errorString);

}  // namespace DBInterface
