#pragma once
// The general pasteboard over the system clipboard: plain text beside the program's own records,
// each a JSON document under its own MIME type.
#include <QString>

class QMimeData;

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

inline constexpr const char* kAddRowsFromDatabaseDataType =
    "application/x-varnelo.AddRowsFromDatabaseDataType";
inline constexpr const char* kAddCellsFromDatabaseDataType =
    "application/x-varnelo.AddCellsFromDatabaseDataType";
inline constexpr const char* kAddFieldsFromDatabaseDataType =
    "application/x-varnelo.AddFieldsFromDatabaseDataType";
inline constexpr const char* kAddRowsFromSQLViewDataType =
    "application/x-varnelo.AddRowsFromSQLViewDataType";
inline constexpr const char* kAddTablesFromDatabaseDataType =
    "application/x-varnelo.AddTablesFromDatabaseDataType";

// The delimiter code of copied text: ExportDelimiter, or 1 (comma) while the old CSV flag is set.
int64_t copyDelimiterCode();

namespace Pasteboard {

// The own types in the order they are preferred when several are present.
const std::vector<std::string>& ownTypes();
// The first own type present; nullopt for none.
std::optional<std::string> dataType();
// The record under the type when present and readable as a JSON object.
std::optional<nlohmann::json> record(const std::string& type);
// The same for the data of a drag.
std::optional<nlohmann::json> record(const QMimeData* data, const std::string& type);
// New drag data holding the record under its type.
QMimeData* mimeData(const std::string& type, const nlohmann::json& record);
// The plain text; nullopt when the pasteboard holds none.
std::optional<std::string> string();
void clear();
// A copy of what the clipboard holds now, every format of it (nullptr when it holds nothing), and
// the clipboard given that back, after a write of ours it must not keep.
std::unique_ptr<QMimeData> contents();
void restore(std::unique_ptr<QMimeData> contents);
// Replaces the contents with the record under its type and, when given, the text. False when
// the clipboard did not take what was written.
bool write(const std::string& type, const nlohmann::json& record,
           const std::optional<std::string>& text);
// Tests make writes fail, as a clipboard owned elsewhere would.
void setRefusesWritesForTesting(bool refuses);

}  // namespace Pasteboard
