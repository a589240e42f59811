// The CREATE TABLE text is split on tokens: strings, quoted names and comments may hold commas
// and parentheses that do not separate anything.
#include "Common/CreateTableText.h"

#include <sqlite3.h>

#include "Common/SQLQuote.h"
#include "Common/SQLTokens.h"

namespace DBInterface {

namespace {

struct Item {
    size_t begin;
    size_t end;
};

// The old columns and the names they go by in the new table.
class Renaming {
  public:
    Renaming(const std::vector<std::string>& oldColumns,
             const std::vector<const std::string*>& sources,
             const std::vector<std::string>& newFieldNames)
        : oldColumns_(oldColumns), newNames_(oldColumns.size()) {
        for (size_t i = 0; i < sources.size() && i < newFieldNames.size(); ++i) {
            auto k = sources[i] ? columnIndex(*sources[i]) : std::nullopt;
            if (k && !newNames_[*k]) newNames_[*k] = newFieldNames[i];
        }
    }

    std::optional<size_t> columnIndex(const std::string& name) const {
        for (size_t k = 0; k < oldColumns_.size(); ++k) {
            if (sqlite3_stricmp(oldColumns_[k].c_str(), name.c_str()) == 0) return k;
        }
        return std::nullopt;
    }

    // The tokens with every column they name under its new name; *gone is set when one of them
    // names a column that does not survive. The word after COLLATE or AS is a collation or a
    // type, a name before "(" a function and before "." a table.
    std::string renamed(const Tokens& tokens, size_t begin, size_t end, bool* gone) const {
        std::string text;
        const Token* previous = nullptr;
        for (size_t i = begin; i < end; ++i) {
            const Token& token = tokens[i];
            if (token.kind == TokenKind::Space) {
                text += token.text;
                continue;
            }
            size_t next = nextSignificant(tokens, i + 1, end);
            bool reference =
                !(previous && isWord(*previous, {"COLLATE", "AS"})) &&
                !(next < end && (isPunct(tokens[next], '(') || isPunct(tokens[next], '.')));
            auto name = reference ? nameOf(token) : std::nullopt;
            auto k = name ? columnIndex(*name) : std::nullopt;
            if (k && newNames_[*k]) {
                text += quoteIdentifier(*newNames_[*k]);
            } else {
                if (k) *gone = true;
                text += token.text;
            }
            previous = &token;
        }
        return text;
    }

  private:
    const std::vector<std::string>& oldColumns_;
    std::vector<std::optional<std::string>> newNames_;
};

struct Rewritten {
    std::string text;
    bool generated = false;
    bool primaryKey = false;
};

// A column definition after its name, or a whole table constraint. A CHECK, a generated
// column's expression or a key whose columns are gone is left out with its CONSTRAINT name; a
// reference to the table itself follows the renames where it can.
Rewritten rewriteClauses(const Tokens& tokens, size_t begin, size_t end, const std::string& table,
                         const Renaming& renaming) {
    enum class Group { None, Strict, Lenient };
    Rewritten result;
    size_t clauseStart = 0;
    size_t primaryAt = std::string::npos;
    bool namedClause = false;  // CONSTRAINT name or GENERATED ALWAYS came first
    bool generation = false;
    Group expected = Group::None;
    for (size_t i = begin; i < end; ++i) {
        const Token& token = tokens[i];
        if (isWord(token, {"CONSTRAINT", "PRIMARY", "NOT", "NULL", "UNIQUE", "CHECK", "DEFAULT",
                           "COLLATE", "REFERENCES", "GENERATED", "AS", "FOREIGN"})) {
            if (!namedClause) clauseStart = result.text.size();
            namedClause = isWord(token, {"CONSTRAINT", "GENERATED"});
            generation = isWord(token, {"AS"});
            if (isWord(token, {"PRIMARY"})) primaryAt = result.text.size();
            expected = isWord(token, {"CHECK", "AS", "PRIMARY", "UNIQUE", "FOREIGN"})
                           ? Group::Strict
                           : Group::None;
            if (isWord(token, {"REFERENCES"})) {
                size_t target = nextSignificant(tokens, i + 1, end);
                auto name = target < end ? nameOf(tokens[target]) : std::nullopt;
                if (name && sqlite3_stricmp(name->c_str(), table.c_str()) == 0) {
                    result.text += token.text;
                    for (++i; i <= target; ++i) result.text += tokens[i].text;
                    --i;
                    expected = Group::Lenient;
                    continue;
                }
            }
        } else if (isPunct(token, '(')) {
            size_t close = closingParenthesis(tokens, i, end);
            bool gone = false;
            std::string group = "(";
            if (expected == Group::None) {
                for (size_t j = i + 1; j < close; ++j) group += tokens[j].text;
            } else {
                group += renaming.renamed(tokens, i + 1, close, &gone);
            }
            group += ")";
            i = close;
            if (gone && expected == Group::Strict) {
                result.text.resize(clauseStart);
                if (primaryAt >= clauseStart) primaryAt = std::string::npos;
                size_t after = nextSignificant(tokens, i + 1, end);
                if (generation && after < end && isWord(tokens[after], {"VIRTUAL", "STORED"})) {
                    i = after;
                }
            } else {
                result.text += group;
                result.generated |= generation;
            }
            expected = Group::None;
            namedClause = false;
            generation = false;
            continue;
        } else if (token.kind != TokenKind::Space && !isWord(token, {"KEY", "ALWAYS"}) &&
                   !namedClause) {
            expected = Group::None;
        }
        result.text += token.text;
    }
    result.primaryKey = primaryAt != std::string::npos;
    return result;
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The items between the outer parentheses at top-level commas, and the options after them.
bool splitDefinition(const Tokens& tokens, std::vector<Item>* items, size_t* close) {
    size_t open = 0;
    while (open < tokens.size() && !isPunct(tokens[open], '(')) ++open;
    if (open == tokens.size()) return false;
    *close = closingParenthesis(tokens, open, tokens.size());
    if (*close == std::string::npos) return false;
    size_t start = open + 1;
    int depth = 0;
    for (size_t i = start; i <= *close; ++i) {
        if (isPunct(tokens[i], '(')) ++depth;
        if (isPunct(tokens[i], ')')) --depth;
        if (i == *close || (depth == 0 && isPunct(tokens[i], ','))) {
            size_t begin = nextSignificant(tokens, start, i);
            if (begin == i) return false;
            items->push_back({begin, i});
            start = i + 1;
        }
    }
    return true;
}

}  // namespace

std::optional<CarriedOverDefinition> carryOverCreateTable(
    const std::string& createSQL, const std::string& tableName,
    const std::vector<std::string>& oldColumns, const std::vector<const std::string*>& sources,
    const std::vector<std::string>& newFieldNames) {
    auto tokens = tokenizeSQL(createSQL);
    std::vector<Item> items;
    size_t close = 0;
    if (!tokens || !splitDefinition(*tokens, &items, &close)) return std::nullopt;

    bool withoutRowid = false;
    bool strict = false;
    for (size_t i = close + 1; i < tokens->size(); ++i) {
        const Token& token = (*tokens)[i];
        if (isWord(token, {"WITHOUT"})) {
            size_t next = nextSignificant(*tokens, i + 1, tokens->size());
            if (next == tokens->size() || !isWord((*tokens)[next], {"ROWID"})) return std::nullopt;
            withoutRowid = true;
            i = next;
        } else if (isWord(token, {"STRICT"})) {
            strict = true;
        } else if (token.kind != TokenKind::Space && !isPunct(token, ',') && !isPunct(token, ';')) {
            return std::nullopt;
        }
    }

    // Column definitions come first, as many as the table has columns, in their order.
    Renaming renaming(oldColumns, sources, newFieldNames);
    std::vector<Rewritten> columns;
    std::vector<std::string> constraints;
    bool primaryKey = false;
    for (const Item& item : items) {
        const Token& first = (*tokens)[item.begin];
        if (isWord(first, {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})) {
            Rewritten constraint =
                rewriteClauses(*tokens, item.begin, item.end, tableName, renaming);
            std::string text = trimmed(constraint.text);
            if (!text.empty()) constraints.push_back(text);
            primaryKey |= constraint.primaryKey && !text.empty();
            continue;
        }
        auto name = nameOf(first, true);
        if (!constraints.empty() || columns.size() >= oldColumns.size() || !name ||
            *name != oldColumns[columns.size()]) {
            return std::nullopt;
        }
        columns.push_back(rewriteClauses(*tokens, item.begin + 1, item.end, tableName, renaming));
    }
    if (columns.size() != oldColumns.size()) return std::nullopt;

    CarriedOverDefinition definition;
    std::vector<std::string> parts;
    for (size_t i = 0; i < newFieldNames.size(); ++i) {
        auto k =
            i < sources.size() && sources[i] ? renaming.columnIndex(*sources[i]) : std::nullopt;
        std::string part = quoteIdentifier(newFieldNames[i]);
        // A strict table wants a type for every column.
        if (!k && strict) part += " ANY";
        if (k) {
            std::string rest = trimmed(columns[*k].text);
            if (!rest.empty()) part += " " + rest;
            primaryKey |= columns[*k].primaryKey;
        }
        definition.generated.push_back(k && columns[*k].generated);
        parts.push_back(part);
    }
    parts.insert(parts.end(), constraints.begin(), constraints.end());
    for (const std::string& part : parts) {
        definition.body += (definition.body.empty() ? "" : ", ") + part;
    }
    // Without its key a table cannot do without the rowid.
    if (withoutRowid && primaryKey) definition.options = " WITHOUT ROWID";
    if (strict) definition.options += definition.options.empty() ? " STRICT" : ", STRICT";
    return definition;
}

}  // namespace DBInterface
