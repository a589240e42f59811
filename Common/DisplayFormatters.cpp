#include "Common/DisplayFormatters.h"

#include "Common/DecimalText.h"
#include "platform/foundation/UserDefaults.h"

namespace DBInterface {

namespace {
int64_t styleType(int64_t code) {
    return code & 0xFF;
}
int firstParameter(int64_t code) {
    return static_cast<int>((code >> 16) & 0xFF);
}
int secondParameter(int64_t code) {
    return static_cast<int>((code >> 24) & 0xFF);
}

// Style type 0 takes the whole code from the user default, which is not resolved again.
int64_t resolvedCode(int64_t code, const char* defaultsKey) {
    return styleType(code) == 0 ? UserDefaults::standard().integerForKey(defaultsKey) : code;
}

DateFormatter::Style styleFromParameter(int parameter) {
    switch (parameter) {
        case 1:
            return DateFormatter::Style::Short;
        case 3:
            return DateFormatter::Style::Long;
        case 4:
            return DateFormatter::Style::Full;
        default:
            return DateFormatter::Style::Medium;
    }
}

DateFormatter patternFormatter(const char* pattern) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    return formatter;
}
}  // namespace

std::optional<NumberFormatter> numberFormatterForNumberFormatStyleType(int64_t formatStyleCode) {
    return numberFormatterNoDefaultForNumberFormatStyleType(
        resolvedCode(formatStyleCode, "NumberDisplayFormat"));
}

std::optional<NumberFormatter> numberFormatterNoDefaultForNumberFormatStyleType(
    int64_t formatStyleCode) {
    NumberFormatter formatter;
    switch (styleType(formatStyleCode)) {
        case 2:
            return formatter;  // plain: its parameters are not applied
        case 3:
            formatter.setNumberStyle(NumberFormatter::Style::Decimal);
            break;
        case 4:
            formatter.setNumberStyle(NumberFormatter::Style::Percent);
            break;
        case 5:
            formatter.setNumberStyle(NumberFormatter::Style::Scientific);
            break;
        case 6:
            formatter.setNumberStyle(NumberFormatter::Style::Currency);
            break;
        case 7:
            formatter.setNumberStyle(NumberFormatter::Style::AccountingCurrency);
            break;
        default:
            return std::nullopt;
    }
    // Both parameters 0 leave the style's own fraction digits; otherwise the code's prevail.
    int minimum = firstParameter(formatStyleCode);
    int maximum = secondParameter(formatStyleCode);
    if (minimum != 0 || maximum != 0) {
        formatter.setMinimumFractionDigits(minimum);
        formatter.setMaximumFractionDigits(maximum);
    }
    return formatter;
}

DateFormatter dateFormatterForDateFormatStyleType(int64_t formatStyleCode) {
    return dateFormatterNoDefaultForDateFormatStyleType(
        resolvedCode(formatStyleCode, "DateDisplayFormat"));
}

int64_t dateStyleTypeInForce(int64_t formatStyleCode) {
    const int64_t type = styleType(formatStyleCode);
    return type >= 1 && type <= 5 ? type : 2;
}

DateFormatter dateFormatterNoDefaultForDateFormatStyleType(int64_t formatStyleCode) {
    const int64_t type = dateStyleTypeInForce(formatStyleCode);
    if (type == 5) return patternFormatter("yyyy-MM-dd");
    DateFormatter formatter;
    switch (type) {
        case 1:
            formatter.setDateStyle(DateFormatter::Style::Short);
            break;
        case 3:
            formatter.setDateStyle(DateFormatter::Style::Long);
            break;
        case 4:
            formatter.setDateStyle(DateFormatter::Style::Full);
            break;
        default:
            formatter.setDateStyle(DateFormatter::Style::Medium);
            break;
    }
    formatter.setTimeStyle(DateFormatter::Style::None);
    return formatter;
}

DateFormatter dateFormatterForTimeFormatStyleType(int64_t formatStyleCode) {
    return dateFormatterNoDefaultForTimeFormatStyleType(
        resolvedCode(formatStyleCode, "TimeDisplayFormat"));
}

DateFormatter dateFormatterNoDefaultForTimeFormatStyleType(int64_t formatStyleCode) {
    switch (styleType(formatStyleCode)) {
        case 2:
            return patternFormatter("yyyy-MM-dd HH:mm");
        case 3:
            return patternFormatter("yyyy-MM-dd HH:mm:ss");
        default:
            break;
    }
    DateFormatter formatter;
    bool own = styleType(formatStyleCode) == 4;
    formatter.setDateStyle(own ? styleFromParameter(firstParameter(formatStyleCode))
                               : DateFormatter::Style::Medium);
    formatter.setTimeStyle(own ? styleFromParameter(secondParameter(formatStyleCode))
                               : DateFormatter::Style::Medium);
    return formatter;
}

std::string numberDisplayString(const std::string& stored,
                                const std::optional<NumberFormatter>& formatter) {
    if (!formatter) return stored;
    std::optional<double> number = numberFromDatabaseString(stored);
    return number ? formatter->stringFromNumber(*number) : stored;
}

}  // namespace DBInterface
