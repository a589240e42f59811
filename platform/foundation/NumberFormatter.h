#pragma once
// A number formatter in the platform's shape: a style, fraction digits and a locale (the user's
// unless set). Parsing is strict and must consume the whole text.
#include <memory>
#include <optional>
#include <string>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class NumberFormat;
U_NAMESPACE_END

class NumberFormatter {
  public:
    // None is the plain style: no fraction digits, no grouping.
    enum class Style { None, Decimal, Percent, Scientific, Currency, AccountingCurrency };

    NumberFormatter();
    NumberFormatter(const NumberFormatter& other);
    NumberFormatter& operator=(const NumberFormatter& other);
    ~NumberFormatter();

    void setNumberStyle(Style style);
    // Negative: the style's own default.
    void setMinimumFractionDigits(int digits);
    void setMaximumFractionDigits(int digits);
    void setLocale(const std::string& identifier);

    Style numberStyle() const { return style_; }

    std::string stringFromNumber(double number) const;
    std::optional<double> numberFromString(const std::string& text) const;

  private:
    icu::NumberFormat& format() const;

    Style style_ = Style::None;
    int minimumFractionDigits_ = -1;
    int maximumFractionDigits_ = -1;
    std::string locale_;
    mutable std::unique_ptr<icu::NumberFormat> format_;  // built on first use
};
