#include "platform/foundation/NumberFormatter.h"

#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace {
UNumberFormatStyle icuStyle(NumberFormatter::Style style) {
    switch (style) {
        case NumberFormatter::Style::None:
        case NumberFormatter::Style::Decimal:
            return UNUM_DECIMAL;
        case NumberFormatter::Style::Percent:
            return UNUM_PERCENT;
        case NumberFormatter::Style::Scientific:
            return UNUM_SCIENTIFIC;
        case NumberFormatter::Style::Currency:
            return UNUM_CURRENCY;
        case NumberFormatter::Style::AccountingCurrency:
            return UNUM_CURRENCY_ACCOUNTING;
    }
    return UNUM_DECIMAL;
}
}  // namespace

NumberFormatter::NumberFormatter() = default;
NumberFormatter::~NumberFormatter() = default;

NumberFormatter::NumberFormatter(const NumberFormatter& other)
    : style_(other.style_),
      minimumFractionDigits_(other.minimumFractionDigits_),
      maximumFractionDigits_(other.maximumFractionDigits_),
      locale_(other.locale_) {}

NumberFormatter& NumberFormatter::operator=(const NumberFormatter& other) {
    if (this != &other) {
        style_ = other.style_;
        minimumFractionDigits_ = other.minimumFractionDigits_;
        maximumFractionDigits_ = other.maximumFractionDigits_;
        locale_ = other.locale_;
        format_.reset();
    }
    return *this;
}

void NumberFormatter::setNumberStyle(Style style) {
    style_ = style;
    format_.reset();
}

void NumberFormatter::setMinimumFractionDigits(int digits) {
    minimumFractionDigits_ = digits;
    format_.reset();
}

void NumberFormatter::setMaximumFractionDigits(int digits) {
    maximumFractionDigits_ = digits;
    format_.reset();
}

void NumberFormatter::setLocale(const std::string& identifier) {
    locale_ = identifier;
    format_.reset();
}

icu::NumberFormat& NumberFormatter::format() const {
    if (format_) return *format_;
    icu::Locale locale = locale_.empty() ? icu::Locale::getDefault() : icu::Locale(locale_.c_str());
    UErrorCode status = U_ZERO_ERROR;
    format_.reset(icu::NumberFormat::createInstance(locale, icuStyle(style_), status));
    if (U_FAILURE(status) || !format_) {
        status = U_ZERO_ERROR;
        format_.reset(icu::NumberFormat::createInstance(icu::Locale::getRoot(), status));
    }
    if (style_ == Style::None) {
        format_->setGroupingUsed(false);
        format_->setMaximumFractionDigits(0);
    }
    if (maximumFractionDigits_ >= 0) format_->setMaximumFractionDigits(maximumFractionDigits_);
    if (minimumFractionDigits_ >= 0) {
        format_->setMinimumFractionDigits(minimumFractionDigits_);
        if (maximumFractionDigits_ >= 0) {
            format_->setMaximumFractionDigits(
                std::max(minimumFractionDigits_, maximumFractionDigits_));
        }
    }
    format_->setLenient(false);
    return *format_;
}

std::string NumberFormatter::stringFromNumber(double number) const {
    icu::UnicodeString text;
    format().format(number, text);
    std::string out;
    return text.toUTF8String(out);
}

std::optional<double> NumberFormatter::numberFromString(const std::string& text) const {
    if (text.empty()) return std::nullopt;
    icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
    icu::Formattable result;
    icu::ParsePosition position(0);
    format().parse(input, result, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    double value = result.getDouble(status);
    if (U_FAILURE(status)) return std::nullopt;
    return value;
}
