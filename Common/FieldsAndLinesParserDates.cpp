// The parser's date parsers: each tries its patterns and styles on the formatter in turn.
#include <initializer_list>

#include "Common/FieldsAndLinesParser.h"

namespace {

using Style = DateFormatter::Style;

std::optional<Date> firstPattern(const std::string& text, DateFormatter& formatter,
                                 std::initializer_list<const char*> patterns) {
    for (const char* pattern : patterns) {
        formatter.setDateFormat(pattern);
        if (auto date = formatter.dateFromString(text)) return date;
    }
    return std::nullopt;
}

std::optional<Date> withStyles(const std::string& text, DateFormatter& formatter, Style date,
                               Style time) {
    formatter.setDateStyle(date);
    formatter.setTimeStyle(time);
    return formatter.dateFromString(text);
}

}  // namespace

std::optional<Date> FieldsAndLinesParser::dateFromString(const std::string& text,
                                                         DateFormatter& formatter) {
    if (auto date = firstPattern(text, formatter, {"yyyy-M-d Z"})) return date;
    for (const Style style : {Style::Medium, Style::Short, Style::Long}) {
        if (auto date = withStyles(text, formatter, style, Style::None)) return date;
    }
    return firstPattern(text, formatter, {"yyyy-M-d", "M/d/yyyy", "d-MMM-yyyy"});
}

std::optional<Date> FieldsAndLinesParser::dateTimeFromStringWithStandardDate(
    const std::string& text, DateFormatter& formatter) {
    return firstPattern(
        text, formatter,
        {"yyyy-M-d h:m a", "yyyy-M-d H:m", "yyyy-M-d h:m:s a", "yyyy-M-d H:m:s", "yyyy-M-d h:m a Z",
         "yyyy-M-d H:m Z", "yyyy-M-d h:m:s a Z", "yyyy-M-d H:m:s Z"});
}

std::optional<Date> FieldsAndLinesParser::timeFromString(const std::string& text,
                                                         DateFormatter& formatter) {
    for (const Style style : {Style::Short, Style::Medium, Style::Long}) {
        if (auto date = withStyles(text, formatter, Style::None, style)) return date;
    }
    return firstPattern(
        text, formatter,
        {"h:m a", "H:m", "h:m:s a", "H:m:s", "h:m a Z", "H:m Z", "h:m:s a Z", "H:m:s Z"});
}

std::optional<Date> FieldsAndLinesParser::dateTimeFromString(const std::string& text,
                                                             DateFormatter& formatter) {
    for (const Style date : {Style::Short, Style::Medium, Style::Long}) {
        for (const Style time : {Style::Short, Style::Medium, Style::Long}) {
            if (auto parsed = withStyles(text, formatter, date, time)) return parsed;
        }
    }
    // The date part in any form the date parser reads, then a time after a standard date.
    const size_t space = text.find(' ');
    if (space == std::string::npos) return std::nullopt;
    const std::optional<Date> day = dateFromString(text.substr(0, space), formatter);
    if (!day) return std::nullopt;
    formatter.setDateFormat("yyyy-M-d");
    return dateTimeFromStringWithStandardDate(formatter.stringFromDate(*day) + text.substr(space),
                                              formatter);
}
