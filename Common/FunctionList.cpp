#include "Common/FunctionList.h"

#include "Common/DBExecution.h"
#include "platform/foundation/BundleResource.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

std::string trimmed(const std::string& text) {
    const char* space = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos;
         from = at + separator.size()) {
        parts.push_back(text.substr(from, at - from));
    }
    parts.push_back(text.substr(from));
    return parts;
}

}  // namespace

int getFunctions(std::vector<std::string>* functions, std::string* errorString) {
    ScriptResult result;
    // The function list leaves out table-valued functions; generate_series is one the
    // connection offers, listed when its module is there.
    int rc = execMultipleQueryString(
        "select name from pragma_function_list union "
        "select name from pragma_module_list where name = 'generate_series' order by name",
        ScriptOptions{50000}, &result, ":memory:", errorString);
    if (rc != 0) return rc;
    for (const DBRow& row : result.rows) {
        if (row.empty()) {
            appendError(errorString, localizedString("Expected at least one element in array."));
            rc = -1;
            continue;
        }
        functions->push_back(row.front().value_or(""));
    }
    return rc;
}

void parseFunctionDescriptions(const std::string& text,
                               std::map<std::string, std::string>* descriptions) {
    for (const std::string& rawEntry : split(text, "---")) {
        std::string entry = trimmed(rawEntry);
        std::vector<std::string> paragraphs = split(entry, "\n\n");
        if (paragraphs.size() < 2) continue;
        std::string signature =
            trimmed(paragraphs.front().substr(0, paragraphs.front().find('\n')));
        std::string key = signature.substr(0, signature.find('('));
        std::string description;
        for (size_t i = 1; i < paragraphs.size(); ++i) {
            if (i > 1) description += "\n\n";
            description += paragraphs[i];
        }
        (*descriptions)[key] = trimmed(description);
    }
}

int getFunctionDescriptions(std::map<std::string, std::string>* descriptions) {
    if (auto text = bundleTextResource("functions", "txt")) {
        parseFunctionDescriptions(*text, descriptions);
    }
    return 0;
}

}  // namespace DBInterface
