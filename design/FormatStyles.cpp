#include "design/FormatStyles.h"

#include <algorithm>
#include <chrono>

#include "Common/DisplayFormatters.h"

namespace FormatStyles {

namespace {
constexpr const char* kNumberExample = "1234.56";

Date now() {
    return std::chrono::time_point_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now());
}

DateFormatter styledFormatter(DateFormatter::Style date, DateFormatter::Style time) {
    DateFormatter formatter;
    formatter.setDateStyle(date);
    formatter.setTimeStyle(time);
    return formatter;
}

// Rows 0-3 of the part lists are the short to full styles.
DateFormatter::Style partStyle(size_t row) {
    return static_cast<DateFormatter::Style>(row + 1);
}

int64_t lowByte(int64_t value) {
    return value & 0xFF;
}
}  // namespace

const std::vector<const char*>& titles(List list) {
    static const std::vector<const char*> number = {"Default",  "None",      "Rounded Integer",
                                                    "Decimal",  "Percent",   "Scientific",
                                                    "Currency", "Accounting"};
    static const std::vector<const char*> date = {"Default", "Short", "Medium",
                                                  "Long",    "Full",  "ISO"};
    static const std::vector<const char*> time = {"Default", "Medium", "ISO", "ISO with Seconds",
                                                  "Date and Time of Day"};
    static const std::vector<const char*> part = {"Short", "Medium", "Long", "Full"};
    switch (list) {
        case List::Number:
            return number;
        case List::Date:
            return date;
        case List::Time:
            return time;
        default:
            return part;
    }
}

size_t rowCount(List list) {
    return titles(list).size();
}

std::string example(List list, size_t row) {
    auto code = static_cast<int64_t>(row);
    switch (list) {
        case List::Number:
            // None and a default without a style show the number as stored.
            return DBInterface::numberDisplayString(
                kNumberExample, DBInterface::numberFormatterForNumberFormatStyleType(code));
        case List::Date:
            return DBInterface::dateFormatterForDateFormatStyleType(code).stringFromDate(now());
        case List::Time:
            // The last row shows the user's default: its parts are chosen beside it.
            return DBInterface::dateFormatterForTimeFormatStyleType(code == 4 ? 0 : code)
                .stringFromDate(now());
        case List::TimeDatePart:
            return styledFormatter(partStyle(row), DateFormatter::Style::None)
                .stringFromDate(now());
        case List::TimeOfDay:
            return styledFormatter(DateFormatter::Style::None, partStyle(row))
                .stringFromDate(now());
    }
    return {};
}

int64_t styleType(int64_t code) {
    return code & 0xFF;
}

int64_t numberFormatStyleCode(int row, int64_t minimumDigits, int64_t maximumDigits) {
    return row | (lowByte(minimumDigits) << 16) |
           (lowByte(std::max(minimumDigits, maximumDigits)) << 24);
}

int64_t minimumFractionDigits(int64_t code) {
    return (code >> 16) & 0xFF;
}

int64_t maximumFractionDigits(int64_t code) {
    int64_t maximum = (code >> 24) & 0xFF;
    return maximum == 0 && styleType(code) <= 1 ? 2 : maximum;
}

int64_t timeFormatStyleCode(int row, int datePartRow, int timeOfDayRow) {
    return row | (lowByte(datePartRow + 1) << 16) | (lowByte(timeOfDayRow + 1) << 24);
}

}  // namespace FormatStyles
