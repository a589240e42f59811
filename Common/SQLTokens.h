#pragma once
// SQL text cut into tokens, so that strings, quoted names and comments, which may hold any
// character, are never taken for names, commas or parentheses.
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace DBInterface {

enum class TokenKind { Space, Word, Quoted, String, Punct };

struct Token {
    TokenKind kind;
    std::string text;
};

using Tokens = std::vector<Token>;

// The tokens of the text, each comment and run of white space one blank; nothing when a string,
// a quoted name or a comment is not closed.
std::optional<Tokens> tokenizeSQL(const std::string& sql);

bool isPunct(const Token& token, char c);
// Whether the token is one of the key words, in any case.
bool isWord(const Token& token, std::initializer_list<const char*> words);
// The name a word or a quoted identifier stands for; a string counts only where asked, as
// SQLite takes one for a name in a column definition.
std::optional<std::string> nameOf(const Token& token, bool acceptString = false);
// The first token from i on that is not a blank, or end.
size_t nextSignificant(const Tokens& tokens, size_t i, size_t end);
// The index of the parenthesis that closes the one at open; npos when there is none.
size_t closingParenthesis(const Tokens& tokens, size_t open, size_t end);

}  // namespace DBInterface
