#pragma once
// Decimal numbers as the database stores them: read and written the same way in every locale.
#include <optional>
#include <string>
#include <string_view>

namespace DBInterface {

// Reads the number at the start of text after leading white space, as far as it can continue;
// no number reads as 0. *consumed (when given) is the count of bytes used, 0 for no number.
double scanDecimal(std::string_view text, size_t* consumed = nullptr);
// The number when the whole text (white space around it aside) is one; nullopt otherwise.
std::optional<double> numberFromDatabaseString(std::string_view stored);
// The shortest text that reads back as exactly the same double; always has a fraction or an
// exponent so that SQLite keeps it a real. NaN and infinities have none (nullopt).
std::optional<std::string> exactDecimalText(double value);

}  // namespace DBInterface
