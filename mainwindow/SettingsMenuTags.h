#pragma once
// The tags of the import and export consoles' settings menus: what each item carries, and what
// the menu rules mark.

namespace ImportSettingsTag {
enum : int {
    BatchLines = 1411,
    TruncateExcessFields = 1412,
    AddMissingFields = 1413,
    DeleteAllRowsFirst = 1414,
    ConvertDates = 1421,
    ConvertTimes = 1422,
    ConvertNULL = 1423,
    NULLText = 1424,
    StopAtErrors = 1431,
    StopAtMissingFields = 1432,
    StopAtExcessFields = 1433,
};
}  // namespace ImportSettingsTag

namespace ExportSettingsTag {
enum : int {
    Comma = 1511,
    Tab = 1512,
    VerticalBar = 1513,
    OtherFieldSeparator = 1514,
    LineFeed = 1521,
    CarriageReturnLineFeed = 1522,
    OtherLineSeparator = 1523,
    NULLValue = 1531,
    FieldNames = 1541,
    FieldTypes = 1551,
    QuoteWhenNeeded = 1561,
    QuoteEveryValue = 1562,
    NeverQuote = 1563,
};
}  // namespace ExportSettingsTag
