#include "Common/CommaLists.h"

#include "Common/SQLQuote.h"

namespace DBInterface {

namespace {
template <typename Range, typename Text>
std::string joined(const Range& items, Text text) {
    std::string out;
    for (const auto& item : items) {
        if (!out.empty()) out += ',';
        out += text(item);
    }
    return out;
}
}  // namespace

std::string commaSeparatedStringForStringSet(const std::set<std::string>* strings) {
    if (!strings) return "";
    return joined(*strings, [](const std::string& s) { return s; });
}

std::string commaSeparatedStringForStringArray(const std::vector<std::string>* strings,
                                               bool doubleQuote) {
    if (!strings) return "";
    if (doubleQuote) return quoteIdentifierList(*strings);
    return joined(*strings, [](const std::string& s) { return s; });
}

std::string commaSeparatedStringForNumberArray(const std::vector<FieldValue>* values) {
    if (!values) return "";
    std::vector<std::string> numbers;
    for (const FieldValue& value : *values) {
        if (value.isNumber()) numbers.push_back(fieldValueSQLForNullableObject(value));
    }
    return commaSeparatedStringForStringArray(&numbers, false);
}

std::string commaSeparatedStringForIndexSet(const IndexSet* indexes) {
    if (!indexes) return "";
    return joined(*indexes, [](int64_t index) { return std::to_string(index); });
}

std::string quotedAndEscapedField(const std::string& field, bool csv,
                                  const std::string& separatorString) {
    if (!csv) return field;
    // CSV doubles and wraps quotes the way identifiers are quoted.
    if (field.find('"') != std::string::npos) return quoteIdentifier(field);
    if (!separatorString.empty() && field.find(separatorString) != std::string::npos) {
        return "\"" + field + "\"";
    }
    return field;
}

}  // namespace DBInterface
