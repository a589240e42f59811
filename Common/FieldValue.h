#pragma once
// A value on its way into SQL: text, a number, the null object (SQL NULL) or no object at all,
// and its SQL literal.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "Common/DBTypes.h"

namespace DBInterface {

class FieldValue {
  public:
    struct Null {};
    struct NoObject {};

    FieldValue() = default;  // no object
    FieldValue(const DBValue& value);
    FieldValue(std::string text) : value_(std::move(text)) {}
    FieldValue(const char* text) : value_(std::string(text)) {}
    FieldValue(int64_t number) : value_(number) {}
    FieldValue(int number) : value_(static_cast<int64_t>(number)) {}
    FieldValue(double number) : value_(number) {}
    static FieldValue null() { return FieldValue(Null{}); }

    bool isNoObject() const { return std::holds_alternative<NoObject>(value_); }
    bool isNumber() const {
        return std::holds_alternative<int64_t>(value_) || std::holds_alternative<double>(value_);
    }
    const std::variant<NoObject, Null, std::string, int64_t, double>& value() const {
        return value_;
    }

  private:
    explicit FieldValue(Null) : value_(Null{}) {}
    std::variant<NoObject, Null, std::string, int64_t, double> value_;
};

std::vector<FieldValue> fieldValuesFromRow(const DBRow& row);

// 'text' with every ' doubled; a number bare (a double in its exact shortest form, NaN and
// infinities as NULL); NULL for the null object; '' for no object.
std::string fieldValueSQLForNullableObject(const FieldValue& value);

// The literal an update must never write: the marker the readers put for invalid UTF-8.
bool isInvalidUtf8MarkerLiteral(const std::string& literal);

}  // namespace DBInterface
