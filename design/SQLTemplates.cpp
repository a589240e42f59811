#include "design/SQLTemplates.h"

#include "Common/SQLQuote.h"
#include "platform/foundation/Localized.h"

namespace {

std::string insertTemplate(const SQLTemplateTable& table) {
    std::string text = "INSERT INTO " + quoteIdentifier(table.name) + "\nVALUES (";
    for (size_t k = 1; k <= table.fieldNames.size(); ++k) {
        text += (k == 1 ? "'" : ", '") + std::to_string(k) + "'";
    }
    return text + ")";
}

std::string createViewTemplate(const SQLTemplateTable& table) {
    std::string text =
        "CREATE VIEW " + quoteIdentifier(localizedFormat("%@ View", {table.name})) + "\nAS SELECT ";
    if (table.fieldNames.empty() || table.fieldNames.size() != table.numberOfFieldTypes) {
        return text;
    }
    for (size_t i = 0; i < table.fieldNames.size(); ++i) {
        text += (i ? ", " : "") + quoteIdentifier(table.fieldNames[i]);
    }
    return text + ", ROWID FROM " + quoteIdentifier(table.name);
}

}  // namespace

std::string sqlTemplateText(SQLTemplate kind, const std::optional<SQLTemplateTable>& table) {
    if (kind == SQLTemplate::CreateTable) {
        return "CREATE TABLE \"MyTable\" (\n\"Field1\",\n\"Field2\"\n)";
    }
    if (!table) {
        switch (kind) {
            case SQLTemplate::Select:
                return "SELECT *\nFROM \"MyTable\"\nWHERE \"Field1\"='SomeValue'";
            case SQLTemplate::Insert:
                return "INSERT INTO \"MyTable\"\nVALUES ('SomeValue')";
            case SQLTemplate::Update:
                return "UPDATE \"MyTable\"\nSET \"Field1\"='DesiredValue'\nWHERE "
                       "\"Field1\"='SomeValue'";
            case SQLTemplate::Delete:
                return "DELETE FROM \"MyTable\"\nWHERE \"Field1\"='SomeValue'";
            default:
                return "CREATE VIEW \"MyView\"\nAS SELECT *, ROWID FROM \"MyTable\"";
        }
    }
    const std::string tableName = quoteIdentifier(table->name);
    const std::string field =
        quoteIdentifier(table->fieldNames.empty() ? "Field 1" : table->fieldNames[0]);
    switch (kind) {
        case SQLTemplate::Select:
            return "SELECT *\nFROM " + tableName + "\nWHERE " + field + "='SomeValue'";
        case SQLTemplate::Insert:
            return insertTemplate(*table);
        case SQLTemplate::Update:
            return "UPDATE " + tableName + "\nSET " + field + "='DesiredValue'\nWHERE " + field +
                   "='SomeValue'";
        case SQLTemplate::Delete:
            return "DELETE FROM " + tableName + "\nWHERE " + field + "='SomeValue'";
        default:
            return createViewTemplate(*table);
    }
}
