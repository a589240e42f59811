#include "Common/DecimalText.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace DBInterface {

namespace {
bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
}  // namespace

double scanDecimal(std::string_view text, size_t* consumed) {
    if (consumed) *consumed = 0;
    size_t begin = 0;
    while (begin < text.size() && isSpace(text[begin])) ++begin;
    // from_chars takes a minus but no plus sign, and would take "inf" and "nan" as numbers.
    size_t start = begin < text.size() && text[begin] == '+' ? begin + 1 : begin;
    size_t digits = start < text.size() && text[start] == '-' && start == begin ? start + 1 : start;
    if (digits >= text.size() ||
        !(std::isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.')) {
        return 0;
    }
    double value = 0;
    auto [last, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (error != std::errc() && error != std::errc::result_out_of_range) return 0;
    if (consumed) *consumed = static_cast<size_t>(last - text.data());
    return value;
}

std::optional<double> numberFromDatabaseString(std::string_view stored) {
    size_t end = stored.size();
    while (end > 0 && isSpace(stored[end - 1])) --end;
    size_t consumed = 0;
    double value = scanDecimal(stored.substr(0, end), &consumed);
    if (consumed == 0 || consumed != end) return std::nullopt;
    return value;
}

std::optional<std::string> exactDecimalText(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    char buffer[64];
    auto [last, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, last);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

}  // namespace DBInterface
