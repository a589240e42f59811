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

NumberFormatter::NumberFormatter(const NumberFormatter& other) : settings_(other.settings_) {}

NumberFormatter& NumberFormatter::operator=(const NumberFormatter& other) {
    if (this != &other) {
        settings_ = other.settings_;
        format_.reset();
    }
    return *this;
}

template <typename T>
void NumberFormatter::set(T Settings::*member, T value) {
    settings_.*member = std::move(value);
    format_.reset();
}

void NumberFormatter::setNumberStyle(Style style) {
    set(&Settings::style, style);
}

void NumberFormatter::setMinimumFractionDigits(int digits) {
    set(&Settings::minimumFractionDigits, digits);
}

void NumberFormatter::setMaximumFractionDigits(int digits) {
    set(&Settings::maximumFractionDigits, digits);
}

void NumberFormatter::setLocale(const std::string& identifier) {
    set(&Settings::locale, identifier);
}

icu::NumberFormat& NumberFormatter::format() const {
    if (format_) return *format_;
    icu::Locale locale = settings_.locale.empty() ? icu::Locale::getDefault()
                                                  : icu::Locale(settings_.locale.c_str());
    UErrorCode status = U_ZERO_ERROR;
    format_.reset(icu::NumberFormat::createInstance(locale, icuStyle(settings_.style), status));
    if (U_FAILURE(status) || !format_) {
        status = U_ZERO_ERROR;
        format_.reset(icu::NumberFormat::createInstance(icu::Locale::getRoot(), status));
    }
    if (settings_.style == Style::None) {
        format_->setGroupingUsed(false);
        format_->setMaximumFractionDigits(0);
    }
    if (settings_.maximumFractionDigits >= 0)
        format_->setMaximumFractionDigits(settings_.maximumFractionDigits);
    if (settings_.minimumFractionDigits >= 0) {
        format_->setMinimumFractionDigits(settings_.minimumFractionDigits);
        if (settings_.maximumFractionDigits >= 0) {
            format_->setMaximumFractionDigits(
                std::max(settings_.minimumFractionDigits, settings_.maximumFractionDigits));
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
