// The CREATE TABLE text is split by a tokenizer of its own: strings, quoted names and comments
// may hold commas and parentheses that do not separate anything.
#include "Common/CreateTableText.h"

#include <sqlite3.h>

#include <cctype>
#include <initializer_list>

#include "Common/SQLQuote.h"

namespace DBInterface {

namespace {

enum class TokenKind { Space, Word, Quoted, String, Punct };

struct Token {
    TokenKind kind;
    std::string text;
};

using Tokens = std::vector<Token>;

bool isWordByte(char c) {
    auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

// The end of the quoted text that starts at i, where a doubled closing quote stands for itself;
// npos when it is not closed.
size_t quotedEnd(const std::string& sql, size_t i, char close, bool doubles) {
    for (size_t j = i + 1; j < sql.size(); ++j) {
        if (sql[j] != close) continue;
        if (doubles && j + 1 < sql.size() && sql[j + 1] == close) {
            ++j;
            continue;
        }
        return j + 1;
    }
    return std::string::npos;
}

// Comments become a blank: kept, a line comment would swallow what is joined after it.
std::optional<Tokens> tokenize(const std::string& sql) {
    Tokens tokens;
    size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        size_t end = i + 1;
        TokenKind kind = TokenKind::Punct;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (end < sql.size() && std::isspace(static_cast<unsigned char>(sql[end]))) ++end;
            kind = TokenKind::Space;
        } else if (sql.compare(i, 2, "--") == 0) {
            end = sql.find('\n', i);
            if (end == std::string::npos) end = sql.size();
            kind = TokenKind::Space;
        } else if (sql.compare(i, 2, "/*") == 0) {
            end = sql.find("*/", i + 2);
            if (end == std::string::npos) return std::nullopt;
            end += 2;
            kind = TokenKind::Space;
        } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
            end = quotedEnd(sql, i, c == '[' ? ']' : c, c != '[');
            if (end == std::string::npos) return std::nullopt;
            kind = c == '\'' ? TokenKind::String : TokenKind::Quoted;
        } else if (isWordByte(c)) {
            while (end < sql.size() && isWordByte(sql[end])) ++end;
            kind = TokenKind::Word;
        }
        tokens.push_back(
            {kind, kind == TokenKind::Space ? std::string(" ") : sql.substr(i, end - i)});
        i = end;
    }
    return tokens;
}

bool isPunct(const Token& token, char c) {
    return token.kind == TokenKind::Punct && token.text[0] == c;
}

bool isWord(const Token& token, std::initializer_list<const char*> words) {
    if (token.kind != TokenKind::Word) return false;
    for (const char* word : words) {
        if (sqlite3_stricmp(token.text.c_str(), word) == 0) return true;
    }
    return false;
}

// The name a word or a quoted identifier stands for; a string counts only where asked, as
// SQLite takes one for a name in a column definition.
std::optional<std::string> nameOf(const Token& token, bool acceptString = false) {
    if (token.kind == TokenKind::Word) return token.text;
    if (token.kind != TokenKind::Quoted && !(acceptString && token.kind == TokenKind::String)) {
        return std::nullopt;
    }
    char close = token.text[0] == '[' ? ']' : token.text[0];
    std::string name;
    for (size_t i = 1; i + 1 < token.text.size(); ++i) {
        name += token.text[i];
        if (token.text[i] == close && close != ']') ++i;
    }
    return name;
}

size_t nextSignificant(const Tokens& tokens, size_t i, size_t end) {
    while (i < end && tokens[i].kind == TokenKind::Space) ++i;
    return i;
}

// The index of the parenthesis that closes the one at open; npos when there is none.
size_t closingParenthesis(const Tokens& tokens, size_t open, size_t end) {
    int depth = 0;
    for (size_t i = open; i < end; ++i) {
        if (isPunct(tokens[i], '(')) ++depth;
        if (isPunct(tokens[i], ')') && --depth == 0) return i;
    }
    return std::string::npos;
}

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
    auto tokens = tokenize(createSQL);
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
