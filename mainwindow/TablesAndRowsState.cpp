#include "mainwindow/TablesAndRowsState.h"

#include "Common/FieldTypes.h"

int TablesAndRowsState::FieldModel::fieldTypeAtFieldIndexP1(FieldIndex field) const {
    // The rowid is a number; past the fields (or none) reads as text.
    if (field == kRowidFieldIndex) return DBInterface::kFieldTypeNumber;
    if (field.value < 1 || field.value > static_cast<int64_t>(fieldTypes.size())) {
        return DBInterface::kFieldTypeText;
    }
    return fieldTypes[static_cast<size_t>(positionOfField(field).value)];
}

std::string TablesAndRowsState::FieldModel::fieldLookupTableAtFieldIndexP1(FieldIndex field) const {
    if (field.value < 1 || field.value > static_cast<int64_t>(fieldLookupTables.size())) return {};
    return fieldLookupTables[static_cast<size_t>(positionOfField(field).value)];
}
