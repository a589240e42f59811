#pragma once
// Writes rows held in memory to a delimited text file with the export settings of the user
// defaults, like the table writer.
#include <string>
#include <vector>

#include "Common/DBTypes.h"

namespace DBInterface {

// Each row holds values in the order of fieldNames. The columns written are the positions of
// fieldNames whose name is in selectedFields (every one without it), in that order; a row too
// short for a column leaves it out. Values are quoted only when needed, whatever the settings
// say; the types row says "Text" for every column. Returns 0 or kExportFileError.
int dumpFromRowsArray(const std::vector<DBRow>& rows, const std::vector<std::string>& fieldNames,
                      const std::vector<std::string>* selectedFields, const std::string& filePath,
                      bool append, std::string* errorString);

}  // namespace DBInterface
