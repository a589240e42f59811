#pragma once
// A date formatter in the platform's shape: a date style and a time style, or a fixed Unicode
// pattern, in a locale and a time zone (the user's unless set). Parsing is strict and must
// consume the whole text, so a pattern never matches a mere prefix.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class DateFormat;
U_NAMESPACE_END

// A moment, in milliseconds since 1970 UTC.
using Date = std::chrono::sys_time<std::chrono::milliseconds>;

class DateFormatter {
  public:
    enum class Style { None = 0, Short = 1, Medium = 2, Long = 3, Full = 4 };

    DateFormatter();  // medium date, no time of day
    DateFormatter(const DateFormatter& other);
    DateFormatter& operator=(const DateFormatter& other);
    ~DateFormatter();

    void setDateStyle(Style style);
    void setTimeStyle(Style style);
    // A fixed pattern replaces the styles until a style is set again.
    void setDateFormat(const std::string& pattern);
    void setTimeZone(const std::string& identifier);
    void setLocale(const std::string& identifier);

    Style dateStyle() const { return dateStyle_; }
    Style timeStyle() const { return timeStyle_; }
    const std::string& dateFormat() const { return pattern_; }  // "" when styles apply
    const std::string& timeZone() const { return timeZone_; }   // "" for the user's zone
    const std::string& locale() const { return locale_; }       // "" for the user's locale

    std::string stringFromDate(Date date) const;
    std::optional<Date> dateFromString(const std::string& text) const;

  private:
    icu::DateFormat& format() const;

    Style dateStyle_ = Style::Medium;
    Style timeStyle_ = Style::None;
    std::string pattern_;
    std::string timeZone_;
    std::string locale_;
    mutable std::unique_ptr<icu::DateFormat> format_;  // built on first use
};
