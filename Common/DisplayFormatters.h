#pragma once
// Display formatters made from a field's format style code (column "flags" of
// varnelo_db_fields): bits 0-7 the style type, bits 16-23 and 24-31 two parameters. Style type 0
// stands for the user's default, the whole code kept in NumberDisplayFormat, DateDisplayFormat
// or TimeDisplayFormat. Every call builds a fresh formatter in the user's locale and zone.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/NumberFormatter.h"

namespace DBInterface {

// No formatter means the value is shown as stored.
std::optional<NumberFormatter> numberFormatterForNumberFormatStyleType(int64_t formatStyleCode);
std::optional<NumberFormatter> numberFormatterNoDefaultForNumberFormatStyleType(
    int64_t formatStyleCode);
DateFormatter dateFormatterForDateFormatStyleType(int64_t formatStyleCode);
DateFormatter dateFormatterNoDefaultForDateFormatStyleType(int64_t formatStyleCode);
// The date style type a code's formatter uses: 1 Short, 2 Medium, 3 Long, 4 Full, 5 yyyy-MM-dd;
// Medium for any other.
int64_t dateStyleTypeInForce(int64_t formatStyleCode);
DateFormatter dateFormatterForTimeFormatStyleType(int64_t formatStyleCode);
DateFormatter dateFormatterNoDefaultForTimeFormatStyleType(int64_t formatStyleCode);

// The styles the edit controls start with.
inline DateFormatter::Style dateStyleForDateFieldDisplay() {
    return DateFormatter::Style::Medium;
}
inline DateFormatter::Style dateStyleForTimeFieldDisplay() {
    return DateFormatter::Style::Medium;
}
inline DateFormatter::Style timeStyleForTimeFieldDisplay() {
    return DateFormatter::Style::Medium;
}

// The display text of a stored number: formatted when there is a formatter and the text is a
// number, else the stored text itself.
std::string numberDisplayString(const std::string& stored,
                                const std::optional<NumberFormatter>& formatter);

}  // namespace DBInterface
