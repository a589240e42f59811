#pragma once
// The SQL console's six templates, written for the selected table (or for a made-up one when
// none is selected).
#include <optional>
#include <string>
#include <vector>

struct SQLTemplateTable {
    std::string name;
    std::vector<std::string> fieldNames;
    // The create-view template lists the fields only when there is a type for each.
    size_t numberOfFieldTypes = 0;
};

enum class SQLTemplate { Select, Insert, Update, Delete, CreateView, CreateTable };

std::string sqlTemplateText(SQLTemplate kind, const std::optional<SQLTemplateTable>& table);
