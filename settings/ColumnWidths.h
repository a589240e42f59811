#pragma once
// The grid's column widths kept per database and table (one width per field index, the rowid's
// first), and the width of the tables list beside the grid, kept per database.
#include <optional>
#include <string>
#include <vector>

std::optional<std::vector<double>> storedFieldWidths(const std::string& databaseFilePath,
                                                     const std::string& tableName);
// nullopt forgets the table's widths.
void setStoredFieldWidths(const std::string& databaseFilePath, const std::string& tableName,
                          const std::optional<std::vector<double>>& widths);
// The widths kept under oldName move to newName.
void renameStoredFieldWidths(const std::string& databaseFilePath, const std::string& oldName,
                             const std::string& newName);

// The width of the row-number column, the same for every table; 60 when none was kept.
double rowNumberWidth();
void setRowNumberWidth(double width);

// nullopt when no width above zero was kept.
std::optional<double> storedTablesListWidth(const std::string& databaseFilePath);
void setStoredTablesListWidth(const std::string& databaseFilePath, double width);
