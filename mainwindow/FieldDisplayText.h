#pragma once
// The display text of a stored value of a field: lookup-table entries, numbers and dates in the
// window's display formats. Shared by every console that shows values as the grid shows them.
#include <string>

#include "mainwindow/TablesAndRowsState.h"

std::string formattedFieldValueObject(const TablesAndRowsState& state, const DBValue& value,
                                      FieldIndex field, int fieldType,
                                      const std::string& fieldLookupTable);
// The same with the field's own type and lookup table.
std::string formattedFieldValueObject(const TablesAndRowsState& state, const DBValue& value,
                                      FieldIndex field);
