#include "Common/TableCopy.h"

#include <sqlite3.h>
#include <unicode/regex.h>
#include <unicode/utext.h>

#include <cctype>
#include <memory>
#include <utility>

#include "Common/DBExecution.h"
#include "Common/DBTypes.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "Common/WriteTransaction.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/SystemLog.h"

namespace DBInterface {

namespace {

// Every ASCII character but letters and digits is quoted, so the name matches only itself.
std::string escapedForPattern(std::string_view name) {
    std::string escaped;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && !std::isalnum(byte)) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string quotedWith(std::string_view name, char open, char close) {
    std::string quoted(1, open);
    for (char c : name) {
        quoted += c;
        if (c == close) quoted += c;
    }
    return quoted + close;
}

std::string namePattern(const std::string& name, NameForm form) {
    if (form == NameForm::Bare) return escapedForPattern(name);
    // SQLite also takes a string literal where a name stands, and keeps it so in the schema.
    return "(?:" + escapedForPattern(quotedWith(name, '"', '"')) + "|" +
           escapedForPattern("[" + name + "]") + "|" +
           escapedForPattern(quotedWith(name, '`', '`')) + "|" +
           escapedForPattern(quotedWith(name, '\'', '\'')) + ")";
}

// Byte offsets of the first match (at the start only, when anchored) of a case-insensitive
// pattern; nullopt without one. An invalid pattern is logged under the caller's message.
std::optional<std::pair<size_t, size_t>> findPattern(const std::string& pattern,
                                                     const std::string& text, bool anchored,
                                                     const char* invalidMessage) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(
        icu::UnicodeString::fromUTF8(pattern), UREGEX_CASE_INSENSITIVE, parseError, status));
    if (U_FAILURE(status)) {
        systemLog(formatText(invalidMessage, {u_errorName(status)}));
        return std::nullopt;
    }
    // Over UTF-8 text the matcher's native indexes are byte offsets.
    UText* input = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::optional<std::pair<size_t, size_t>> found;
    {
        std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(status));
        if (U_SUCCESS(status)) {
            matcher->reset(input);
            bool matched = anchored ? matcher->lookingAt(status) : matcher->find(status);
            if (U_SUCCESS(status) && matched) {
                found = std::make_pair(static_cast<size_t>(matcher->start64(status)),
                                       static_cast<size_t>(matcher->end64(status)));
            }
        }
    }
    utext_close(input);
    return found;
}

std::string asciiLowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string unquotedName(std::string name) {
    if (name.size() < 2) return name;
    char open = name.front();
    char close = open == '[' ? ']' : open;
    if ((open != '"' && open != '`' && open != '\'' && open != '[') || name.back() != close) {
        return name;
    }
    std::string inner;
    for (size_t i = 1; i + 1 < name.size(); ++i) {
        inner += name[i];
        if (name[i] == close && close != ']' && i + 2 < name.size() && name[i + 1] == close) ++i;
    }
    return inner;
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<std::pair<size_t, size_t>> findIndexTarget(const std::string& statement,
                                                         const std::string& tableName) {
    for (NameForm form : {NameForm::Bare, NameForm::Quoted}) {
        if (auto found = findPattern(indexTargetPattern(tableName, form), statement, false,
                                     "could not create regex: %@")) {
            return found;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> nextAvailableName(const std::string& base,
                                             const std::function<bool(const std::string&)>& taken) {
    for (int number = 2; number <= 99; ++number) {
        std::string name = base + "_" + std::to_string(number);
        if (!taken(name)) return name;
    }
    return std::nullopt;
}

std::optional<std::string> nextAvailableTableName(const std::string& base,
                                                  const std::set<std::string>& names) {
    return nextAvailableName(base, [&](const std::string& name) { return names.count(name) > 0; });
}

std::string createHeadPattern(bool isTable, const std::string& oldName, NameForm form) {
    return std::string("\\s*create\\s+") + (isTable ? "table" : "view") + "\\s+" +
           namePattern(oldName, form);
}

std::string indexTargetPattern(const std::string& oldName, NameForm form) {
    return "\\s+on\\s+" + namePattern(oldName, form) + "\\s*\\(";
}

bool createTableSQLString(std::string* sql, const std::string& newTableName,
                          const std::string& fromQueryString, const std::string& pattern,
                          bool isTable) {
    auto head = findPattern(pattern, fromQueryString, true, "could not create regex: %@");
    if (!head) return false;
    *sql += (isTable ? "CREATE TABLE " : "CREATE VIEW ") + quoteIdentifier(newTableName) +
            fromQueryString.substr(head->second);
    return true;
}

bool createIndexSQLString(std::string* sql, const std::string& newTableName,
                          const std::string& indexName, const std::string& fromQueryString,
                          const std::string& pattern) {
    bool unique = findPattern("\\s*CREATE\\s+UNIQUE\\s+INDEX", fromQueryString, true,
                              "could not create unique regex: %@")
                      .has_value();
    auto target = findPattern(pattern, fromQueryString, false, "could not create regex: %@");
    if (!target) return false;
    *sql += (unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quoteIdentifier(indexName) +
            " ON " + quoteIdentifier(newTableName) + (unique ? " (" : "  (") +
            fromQueryString.substr(target->second);
    return true;
}

std::optional<std::string> rewriteCreateStatement(const std::string& statement,
                                                  const std::string& oldName,
                                                  const std::string& newName, bool isTable) {
    std::string sql;
    for (NameForm form : {NameForm::Quoted, NameForm::Bare}) {
        if (createTableSQLString(&sql, newName, statement,
                                 createHeadPattern(isTable, oldName, form), isTable)) {
            return sql;
        }
    }
    return std::nullopt;
}

std::optional<std::string> rewriteCreateIndexStatement(const std::string& statement,
                                                       const std::string& oldTableName,
                                                       const std::string& newTableName,
                                                       const std::string& indexName) {
    std::string sql;
    for (NameForm form : {NameForm::Bare, NameForm::Quoted}) {
        if (createIndexSQLString(&sql, newTableName, indexName, statement,
                                 indexTargetPattern(oldTableName, form))) {
            return sql;
        }
    }
    return std::nullopt;
}

std::string indexNameInStatement(const std::string& statement, const std::string& tableName) {
    auto head = findPattern("\\s*create\\s+(?:unique\\s+)?index\\s+(?:if\\s+not\\s+exists\\s+)?",
                            statement, true, "could not create regex: %@");
    auto target = findIndexTarget(statement, tableName);
    if (!head || !target || target->first < head->second) return "";
    return unquotedName(trimmed(statement.substr(head->second, target->first - head->second)));
}

int copyTable(const TableDictionary& description, const std::string& createStatement,
              const std::string& newName, bool includeIndexes, bool copyRows,
              const std::string& databaseFilePath, std::string* errorString) {
    return copyTableFromDatabase(description, createStatement, newName, includeIndexes, copyRows,
                                 databaseFilePath, databaseFilePath, errorString);
}

int copyTableFromDatabase(const TableDictionary& description, const std::string& createStatement,
                          const std::string& newName, bool includeIndexes, bool copyRows,
                          const std::string& sourceDatabaseFilePath,
                          const std::string& databaseFilePath, std::string* errorString) {
    bool isTable = description.type == "table";
    const bool attach = sourceDatabaseFilePath != databaseFilePath;
    // Another file's rows are read through it attached; ATTACH cannot run inside a transaction.
    const std::string attachment = attach
                                       ? "attach database " + quoteLiteral(sourceDatabaseFilePath) +
                                             " as varnelo_paste_source;\n"
                                       : std::string();
    // Line ends keep a trailing comment of a stored text from swallowing what follows.
    std::string sql = createStatement + "\n;\n";
    // The name is new to the schema: rows still kept under it are those of a table dropped with
    // SQL, and would be read in place of the copy's own.
    sql += deleteMetaRowsSQL(newName, databaseFilePath);
    const auto& fieldRows = description.varnelo_db_fields;
    if (fieldRows && !fieldRows->empty() && fieldRows->size() % 4 == 0) {
        sql += systemFieldsSQL(*fieldRows, newName);
    }
    const auto& flags = description.table_flags;
    if (flags && flags->size() == 5) sql += systemTableFlagsSQL(*flags, newName);
    const auto& fields = description.fields;
    if (isTable && copyRows && fields && !fields->empty()) {
        // Rows before indexes: building an index once is cheaper than keeping it up to date.
        sql += "insert into " + quoteIdentifier(newName) + " (" + quoteIdentifierList(*fields) +
               ") select " + quoteIdentifierList(*fields) + " from " +
               (attach ? "varnelo_paste_source." : "") + quoteIdentifier(description.name) + ";\n";
    }
    if (isTable && includeIndexes && description.indexes) {
        // Index names are unique in the whole database, whatever the letter case.
        std::vector<std::string> schemaNames;
        int rc =
            getRows(&schemaNames, "select name from sqlite_master", databaseFilePath, errorString);
        if (rc != 0) return rc;
        std::set<std::string> taken;
        for (const std::string& name : schemaNames) taken.insert(asciiLowercase(name));
        for (const std::string& statement : *description.indexes) {
            std::string base = indexNameInStatement(statement, description.name);
            if (base.empty()) continue;  // an automatic index comes with the CREATE text
            auto indexName = nextAvailableName(base, [&](const std::string& name) {
                return taken.count(asciiLowercase(name)) > 0;
            });
            if (!indexName) {
                appendError(errorString,
                            localizedFormat("No free name for a copy of the index %@", {base}));
                return SQLITE_ERROR;
            }
            auto rewritten =
                rewriteCreateIndexStatement(statement, description.name, newName, *indexName);
            if (!rewritten) continue;
            taken.insert(asciiLowercase(*indexName));
            sql += *rewritten + "\n;\n";
        }
    }
    sql = attachment + writeTransactionScript(sql);
    if (attach) sql += "\ndetach database varnelo_paste_source";
    return execMultipleQueryString(sql, nullptr, nullptr, databaseFilePath, errorString);
}

}  // namespace DBInterface
