#pragma once
// The SQL console's list of SQL functions and their descriptions.
#include <map>
#include <string>
#include <vector>

namespace DBInterface {

// Appends the names of all SQL functions a statement connection offers, sorted, each once.
int getFunctions(std::vector<std::string>* functions, std::string* errorString);

// Fills name -> description from the "functions" text resource; always 0.
int getFunctionDescriptions(std::map<std::string, std::string>* descriptions);

// The descriptions of a resource text: entries separated by "---", each a signature line, a
// blank line and paragraphs of description.
void parseFunctionDescriptions(const std::string& text,
                               std::map<std::string, std::string>* descriptions);

}  // namespace DBInterface
