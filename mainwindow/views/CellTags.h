#pragma once
// A grid cell's identity: its text field's tag is kCellTagBase + field index (-1 in the
// row-number column) and its image view's tag kCellTagBase + data row index.
#include <cstdint>

constexpr int64_t kCellTagBase = 3000;
constexpr int64_t kCellTagLast = 3999;  // the last text field tag of a grid cell
