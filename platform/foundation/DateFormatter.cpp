#include "platform/foundation/DateFormatter.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace {
icu::DateFormat::EStyle icuStyle(DateFormatter::Style style) {
    switch (style) {
        case DateFormatter::Style::None:
            return icu::DateFormat::kNone;
        case DateFormatter::Style::Short:
            return icu::DateFormat::kShort;
        case DateFormatter::Style::Medium:
            return icu::DateFormat::kMedium;
        case DateFormatter::Style::Long:
            return icu::DateFormat::kLong;
        case DateFormatter::Style::Full:
            return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kMedium;
}
}  // namespace

DateFormatter::DateFormatter() = default;
DateFormatter::~DateFormatter() = default;

DateFormatter::DateFormatter(const DateFormatter& other)
    : dateStyle_(other.dateStyle_),
      timeStyle_(other.timeStyle_),
      pattern_(other.pattern_),
      timeZone_(other.timeZone_),
      locale_(other.locale_) {}

DateFormatter& DateFormatter::operator=(const DateFormatter& other) {
    if (this != &other) {
        dateStyle_ = other.dateStyle_;
        timeStyle_ = other.timeStyle_;
        pattern_ = other.pattern_;
        timeZone_ = other.timeZone_;
        locale_ = other.locale_;
        format_.reset();
    }
    return *this;
}

void DateFormatter::setDateStyle(Style style) {
    dateStyle_ = style;
    pattern_.clear();
    format_.reset();
}

void DateFormatter::setTimeStyle(Style style) {
    timeStyle_ = style;
    pattern_.clear();
    format_.reset();
}

void DateFormatter::setDateFormat(const std::string& pattern) {
    pattern_ = pattern;
    format_.reset();
}

void DateFormatter::setTimeZone(const std::string& identifier) {
    timeZone_ = identifier;
    format_.reset();
}

void DateFormatter::setLocale(const std::string& identifier) {
    locale_ = identifier;
    format_.reset();
}

icu::DateFormat& DateFormatter::format() const {
    if (format_) return *format_;
    icu::Locale locale = locale_.empty() ? icu::Locale::getDefault() : icu::Locale(locale_.c_str());
    if (!pattern_.empty()) {
        UErrorCode status = U_ZERO_ERROR;
        auto simple = std::make_unique<icu::SimpleDateFormat>(
            icu::UnicodeString::fromUTF8(pattern_), locale, status);
        if (U_SUCCESS(status)) format_ = std::move(simple);
    }
    if (!format_) {
        format_.reset(icu::DateFormat::createDateTimeInstance(icuStyle(dateStyle_),
                                                              icuStyle(timeStyle_), locale));
    }
    // No date and no time part: the platform falls back to its medium style.
    if (!format_)
        format_.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kMedium, locale));
    // The styles' patterns hold no-break spaces where people type blanks: use blanks, so that
    // typed text parses and shown text copies as it reads.
    if (pattern_.empty()) {
        if (auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format_.get())) {
            icu::UnicodeString stylePattern;
            simple->toPattern(stylePattern);
            simple->applyPattern(
                stylePattern.findAndReplace(u"\u202F", u" ").findAndReplace(u"\u00A0", u" "));
        }
    }
    // The zone is read now, so a formatter follows the user's zone as it was when first used.
    format_->adoptTimeZone(
        timeZone_.empty() ? icu::TimeZone::createDefault()
                          : icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZone_)));
    format_->setLenient(false);
    return *format_;
}

std::string DateFormatter::stringFromDate(Date date) const {
    icu::UnicodeString text;
    format().format(static_cast<UDate>(date.time_since_epoch().count()), text);
    std::string out;
    return text.toUTF8String(out);
}

std::optional<Date> DateFormatter::dateFromString(const std::string& text) const {
    if (text.empty()) return std::nullopt;
    icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
    icu::ParsePosition position(0);
    UDate parsed = format().parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) {
        return std::nullopt;
    }
    return Date(std::chrono::milliseconds(static_cast<int64_t>(parsed)));
}
