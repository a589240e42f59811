#pragma once
// The field that stands for a table's rowid where fields are chosen (export, Create View).

inline constexpr const char* kRowidFieldName = "ROWID";
