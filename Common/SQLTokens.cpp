#include "Common/SQLTokens.h"

#include <sqlite3.h>

#include <cctype>

namespace DBInterface {

namespace {

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

}  // namespace

// Comments become a blank: kept, a line comment would swallow what is joined after it.
std::optional<Tokens> tokenizeSQL(const std::string& sql) {
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

std::optional<std::string> nameOf(const Token& token, bool acceptString) {
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

size_t closingParenthesis(const Tokens& tokens, size_t open, size_t end) {
    int depth = 0;
    for (size_t i = open; i < end; ++i) {
        if (isPunct(tokens[i], '(')) ++depth;
        if (isPunct(tokens[i], ')') && --depth == 0) return i;
    }
    return std::string::npos;
}

}  // namespace DBInterface
