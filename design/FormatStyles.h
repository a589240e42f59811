#pragma once
// The display-format choices of a field (its format style code: bits 0-7 the style type, bits
// 16-23 and 24-31 two parameters, bit 0x100 "show expanded") and the lists the style sheets
// offer, each row with its title and an example formatted as the field would show it.
#include <cstdint>
#include <string>
#include <vector>

namespace FormatStyles {

inline constexpr int64_t kShowExpandedBit = 0x100;

enum class List { Number, Date, Time, TimeDatePart, TimeOfDay };

// The untranslated titles of a list, by row.
const std::vector<const char*>& titles(List list);
size_t rowCount(List list);
// The example of a row: 1234.56 for numbers, now for dates and times.
std::string example(List list, size_t row);

int64_t styleType(int64_t code);
// A Number code: the minimum digits in bits 16-23, the larger of the two in bits 24-31, each
// cut to its low 8 bits.
int64_t numberFormatStyleCode(int row, int64_t minimumDigits, int64_t maximumDigits);
// What the number sheet shows for a code: its minimum and its maximum (2 while a Default or None
// code carries none).
int64_t minimumFractionDigits(int64_t code);
int64_t maximumFractionDigits(int64_t code);
// A Time code; a part row of -1 (nothing chosen) stores 0.
int64_t timeFormatStyleCode(int row, int datePartRow, int timeOfDayRow);

}  // namespace FormatStyles
