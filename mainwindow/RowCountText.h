#pragma once
// The row count of the selected object as the consoles label it: "0 rows", "1 row", "12 rows".
#include <cstdint>
#include <string>

std::string numberOfRowsText(int64_t rows);
