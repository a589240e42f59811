#pragma once
// The comma-joined lists the access layer builds for field lists and rowid lists.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Common/FieldValue.h"
#include "Common/IndexSet.h"

namespace DBInterface {

std::string commaSeparatedStringForStringSet(const std::set<std::string>* strings);
// With doubleQuote each item is a quoted identifier.
std::string commaSeparatedStringForStringArray(const std::vector<std::string>* strings,
                                               bool doubleQuote);
// The numbers among the values; other values are skipped.
std::string commaSeparatedStringForNumberArray(const std::vector<FieldValue>* values);
std::string commaSeparatedStringForIndexSet(const IndexSet* indexes);

// A field of a CSV line: with csv, a field holding a double quote has each doubled and is
// quoted, one holding the separator is quoted; otherwise the field as it is.
std::string quotedAndEscapedField(const std::string& field, bool csv,
                                  const std::string& separatorString);

}  // namespace DBInterface
