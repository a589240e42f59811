#pragma once
// The one way SQL text quotes names and values: identifiers in double quotes with every '"'
// doubled, string literals in single quotes with every "'" doubled.
#include <string>
#include <string_view>
#include <vector>

std::string quoteIdentifier(std::string_view name);
std::string quoteLiteral(std::string_view text);
// The text with every "'" doubled, for a pattern that already supplies the quotes.
std::string escapeLiteral(std::string_view text);
// Each name quoted as an identifier, joined by ",".
std::string quoteIdentifierList(const std::vector<std::string>& names);

namespace DBInterface {
// The facade's name for the literal escaping above.
inline std::string dbStringForString(std::string_view text) {
    return escapeLiteral(text);
}
}  // namespace DBInterface
