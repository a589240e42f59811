#pragma once
// Field type codes (column "type" of varnelo_db_fields) and their display names.
#include <cstdint>
#include <string>

namespace DBInterface {

enum FieldTypeCode : int64_t {
    kFieldTypeText = 1,
    kFieldTypeNumber = 2,
    kFieldTypeDate = 3,
    kFieldTypeTime = 4,
    kFieldTypeDuration = 5,
    kFieldTypeLocation = 6,
    kFieldTypePhoto = 7,
    kFieldTypeBarcode = 8,
    kFieldTypeRaw = 9,
};
// A picker field's code is this plus its picker type's rowid.
inline constexpr int64_t kPickerFieldTypeBase = 10000;

// The localized name of codes 2-9, "Text" for every other code (the export's type row).
std::string getColumnTypeStringForceText(int64_t typeCode);
// The localized name of codes 1-9, "(Unknown)" for every other code.
std::string getColumnTypeString(int64_t typeCode);
std::string getColumnTypeStringClass(int64_t typeCode);
// The code whose English or localized name equals the text exactly; 0 for none.
int64_t getColumnTypeFromString(const std::string& name);

}  // namespace DBInterface
