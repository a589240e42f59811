#include "Common/FieldTypes.h"

#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {
constexpr const char* kTypeNames[] = {"Text",     "Number", "Date",    "Time", "Duration",
                                      "Location", "Photo",  "Barcode", "Raw"};
constexpr int64_t kTypeCount = sizeof(kTypeNames) / sizeof(kTypeNames[0]);

bool isKnownType(int64_t typeCode) {
    return typeCode >= kFieldTypeText && typeCode <= kTypeCount;
}
}  // namespace

std::string getColumnTypeStringForceText(int64_t typeCode) {
    return localizedString(isKnownType(typeCode) ? kTypeNames[typeCode - 1] : "Text");
}

std::string getColumnTypeString(int64_t typeCode) {
    return localizedString(isKnownType(typeCode) ? kTypeNames[typeCode - 1] : "(Unknown)");
}

std::string getColumnTypeStringClass(int64_t typeCode) {
    return getColumnTypeString(typeCode);
}

int64_t getColumnTypeFromString(const std::string& name) {
    for (int64_t code = 1; code <= kTypeCount; ++code) {
        const char* english = kTypeNames[code - 1];
        if (name == english || name == localizedString(english)) return code;
    }
    return 0;
}

}  // namespace DBInterface
