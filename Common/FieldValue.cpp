#include "Common/FieldValue.h"

#include "Common/DecimalText.h"
#include "Common/SQLQuote.h"

namespace DBInterface {

FieldValue::FieldValue(const DBValue& value) {
    if (value) {
        value_ = *value;
    } else {
        value_ = Null{};
    }
}

std::vector<FieldValue> fieldValuesFromRow(const DBRow& row) {
    return std::vector<FieldValue>(row.begin(), row.end());
}

std::string fieldValueSQLForNullableObject(const FieldValue& value) {
    struct Literal {
        std::string operator()(FieldValue::NoObject) const { return "''"; }
        std::string operator()(FieldValue::Null) const { return "NULL"; }
        std::string operator()(const std::string& text) const { return quoteLiteral(text); }
        std::string operator()(int64_t number) const { return std::to_string(number); }
        std::string operator()(double number) const {
            // A bare "nan" or "inf" would be read as a column name.
            return exactDecimalText(number).value_or("NULL");
        }
    };
    return std::visit(Literal{}, value.value());
}

bool isInvalidUtf8MarkerLiteral(const std::string& literal) {
    return literal == quoteLiteral(kInvalidUtf8Marker);
}

}  // namespace DBInterface
