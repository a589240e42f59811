#pragma once
// What a database window knows, shared by its controller and its consoles. The parts:
//   selectedObject  the tables list and the object shown
//   fieldModel      the shown object's fields (field index i is element i - 1 of each list)
//   sortAndSearch   the object's sort codes, rowid order and the search in force
//   dataPort        the counted rows and the one page of them that is loaded: the grid shows
//                   rows firstRowIndexInDataPort... and fields firstFieldIndexInDataPort...;
//                   the page (mainwindow/LoadedPage.h) holds the rows read, by row index
//   selection       the grid's focus and selection, kept by row index so they survive paging
//   display         display and storage settings read when an object is loaded
//   pickerTypes     the database's picker types and their values
// The index spaces are told apart by type (mainwindow/IndexSpaces.h).
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/LookupAndPickerTables.h"
#include "Common/Pickers.h"
#include "Common/SchemaListing.h"
#include "Common/TableIdentity.h"
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/LoadedPage.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/NumberFormatter.h"

struct TablesAndRowsState {
    // Consoles of a database window, in toolbar order.
    enum ConsoleIndex {
        RowsConsole,
        RecordConsole,
        SQLConsole,
        ImportConsole,
        ExportConsole,
        PrintConsole
    };
    static constexpr int kNumberOfConsoles = 6;
    // The console a number from outside names (a stored setting, a toolbar segment, a menu
    // item); a fraction counts by its whole part and anything outside the consoles is the rows
    // console.
    static constexpr ConsoleIndex consoleIndexFromNumber(double number) {
        return number >= 0 && number < kNumberOfConsoles
                   ? static_cast<ConsoleIndex>(static_cast<int>(number))
                   : RowsConsole;
    }
    // A limited object shows at most its first rows.
    static constexpr int64_t kLimitedRows = 1000;

    struct SelectedObject {
        DBInterface::MasterTables allTables;
        // Flags text of each object that has a varnelo_db_tables row.
        std::map<std::string, std::string> tableFlags;
        std::vector<std::string> tableNames;
        // The real tables, whatever object types the list shows.
        std::vector<std::string> onlyTableNames;
        // Hidden objects are listed while set; nothing clears it.
        bool showHiddenObjects = false;
        int32_t tableType = 0;
        uint32_t selectedObjectStatus = 0;
    };

    struct FieldModel {
        std::vector<std::string> fieldNames;
        std::vector<int> fieldTypes;
        std::vector<int64_t> fieldFormatStyles;
        std::vector<std::string> fieldLookupTables;
        std::set<std::string> hiddenFields;
        // By field position; nullopt for a Number field shown as stored.
        std::map<FieldPosition, std::optional<NumberFormatter>> fieldNumberFormatters;
        std::map<FieldPosition, DateFormatter> fieldDateFormatters;
        FieldPositionSet expandedFieldIndexes;
        // Special tables of the database.
        std::vector<std::string> specialTableNames;
        std::map<std::string, int> specialTableTypeDictionary;
        std::map<std::string, DBInterface::LookupDictionary> lookupTableDictionary;
        std::map<std::string, DBInterface::LookupDictionary> inverseLookupTableDictionary;
        std::map<std::string, std::vector<std::string>> pickerTableDictionary;
        // The file's schema version taken before the fields were read; -1 unknown. A write from
        // the window's rows checks the fields again once the schema is another.
        int64_t schemaVersion = -1;
        // The table's sqlite_master row when it was shown: the commands on the whole table
        // refuse a table dropped, renamed away or made again since. None for other objects.
        std::optional<DBInterface::TableIdentity> tableIdentity;

        // The field's type code: Number for the rowid, Text out of range.
        int fieldTypeAtFieldIndexP1(FieldIndex field) const;
        std::string fieldLookupTableAtFieldIndexP1(FieldIndex field) const;
        int64_t numberOfFields() const { return static_cast<int64_t>(fieldNames.size()); }
    };

    struct SortAndSearch {
        std::vector<int> sortCodes;
        uint64_t sortByROWIDCode = 1;
        std::optional<std::string> likeString;
        FieldPositionSet searchFieldIndexes;
    };

    struct DataPort {
        LoadedPage page;
        std::vector<DBValue> limitedFieldValuesLoaded;
        int64_t totalRows = 0;
        RowIndex firstRowIndexInDataPort{0};
        FieldIndex firstFieldIndexInDataPort = kFirstFieldIndex;
        // The rowid and the fields: 0 while no object with fields is shown.
        int64_t numberOfFieldsPerRow = 0;
        // Set while a move waits for its page: the values held are another page's.
        bool dataPortLoadPending = false;
        // Loaded rows, as many as the page holds.
        int64_t numberOfLoadedRows() const { return page.numberOfRows(); }
        FieldIndex lastFieldIndex() const { return FieldIndex(numberOfFieldsPerRow - 1); }
        // The row is one of the counted rows; the field is the rowid or one of the fields.
        bool holdsRow(RowIndex row) const { return !row.isNone() && row.value < totalRows; }
        bool holdsField(FieldIndex field) const {
            return !field.isNone() && field.value < numberOfFieldsPerRow;
        }
    };

    static constexpr int64_t kSelectionVersionChanged = -2;

    struct GridSelection {
        RowIndex focusedRowIndex;
        FieldIndex focusedFieldIndex;
        RowIndexSet mySelectedRowIndexes;
        FieldIndexSet mySelectedFieldIndexes;
        std::map<RowIndex, std::map<FieldIndex, DBValue>> mySelectedCells;
        // What the selection was made of: each selected row, and each row of selected cells,
        // that the page showed then, by the row index it was selected at: its rowid and fields
        // as shown (long values held by their prefix). A selected row not among them was past
        // the page and is held by its place alone, good only while the file is at the version
        // of the page the selection was started on (kSelectionVersionChanged once the file
        // changed while it was extended; -1 while nothing is selected).
        std::map<RowIndex, DBRow> shownSelectedRows;
        int64_t selectedAtVersion = -1;
        std::map<RowIndex, FieldIndexSet> pasteDestinationCells;
        FieldIndexSet fieldIndexesOfDirtyData;
        // The field the record editor starts on; none stands for the first field shown.
        FieldIndex fieldIndexToEdit;
    };

    struct DisplaySettings {
        std::string displayStringForNULLValue;
        DateFormatter displayDateFormatter, displayTimeFormatter;
        std::optional<NumberFormatter> displayNumberFormatter;
        DateFormatter defaultDBDateFormatter, defaultDBTimeFormatter;
        DateFormatter alternateDBDateFormatter, alternateDBTimeFormatter;
        bool showNULLInRowsView = false;
        bool formatDataInRowsConsole = true;
        bool useUTC = false;
        uint32_t dateStorageFormat = 0;
        uint32_t timeStorageFormat = 0;
    };

    struct PickerTypes {
        // Rowid text and name of each named type, by name ignoring case.
        std::vector<std::pair<std::string, std::string>> pickerTypeArrays;
        std::map<std::string, DBInterface::PickerTypeDictionary> pickerTypeDictionaries;
        // By type rowid: value rowid and name pairs, flat, in the values' order.
        std::map<std::string, std::vector<std::string>> pickerValues;
    };

    std::optional<std::string> databaseFilePath;
    ConsoleIndex selectedConsoleIndex = RowsConsole;
    SelectedObject selectedObject;
    FieldModel fieldModel;
    SortAndSearch sortAndSearch;
    DataPort dataPort;
    GridSelection selection;
    DisplaySettings display;
    PickerTypes pickerTypes;
    bool printPreviewMode = false;
    bool designMode = false;
    // An import writes to the database: the tables list, the grid and the record editor's Add
    // are off meanwhile, so that no write of the window waits on the import's lock.
    bool importing = false;

    // What is wrong with the page and the selection, or nullptr when they hold together: the
    // page's rows have the fields per row and end within the counted rows (not checked while a
    // move waits for its page); the focus, the selected rows, fields and cells lie inside the
    // table; the paste marks lie inside the page.
    const char* consistencyFault() const;
    // Only our own code can break these; called where the page or the selection is changed. A
    // fault aborts the process where faults abort (the tests); elsewhere it goes to
    // inconsistencyFound, which the window sets to log it and reload its object.
    void assertConsistent() const;
    std::function<void(const char* fault)> inconsistencyFound;
    // On unless the program turns it off: a test run ends at the first fault, where the program
    // users run keeps the window and what it holds.
    static void setAbortOnInconsistency(bool abort);
};
