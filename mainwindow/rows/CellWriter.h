#pragma once
// The one writer of the grid's table cells, addressed by the rows' rowids: one value into one
// field of a row, or one value into fields of many rows. It writes only while the rows and fields
// stand as the page showed them (ShownRows.h), reports a failure or a refusal, has the loaded
// page show what the file holds afterwards (a new INTEGER PRIMARY KEY moves the row, and the page
// follows it there) and tells the other windows. Its callers decide only what is written where.
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/RowWriting.h"
#include "mainwindow/IndexSpaces.h"

class DatabaseWindow;
class QWidget;

// What a write goes to, taken when the user starts it: whatever the window reloads, pages or
// selects meanwhile, the value goes to this row and field or nowhere.
struct CellTarget {
    std::string databaseFilePath;
    std::string table;
    std::string fieldName;
    std::string rowid;
    // The value the cell held when the target was taken.
    DBValue loaded;
    CellIdentity cell;
    // The row and the fields as the page showed them then.
    DBInterface::ShownRows shown;

    bool isSameCell(const CellTarget& other) const {
        return databaseFilePath == other.databaseFilePath && table == other.table &&
               fieldName == other.fieldName && rowid == other.rowid &&
               cell.field == other.cell.field;
    }
};

// Cells of many rows of one table that take one value (Clear, Set to NULL, Replace, Cut), taken
// when the user starts the write.
struct RowsTarget {
    std::string databaseFilePath;
    std::string table;
    std::vector<DBInterface::RowFields> rows;
    DBInterface::ShownRows shown;
};

class CellWriter {
  public:
    enum class Outcome {
        Written,
        // Deleted elsewhere since it was read.
        RowGone,
        // Refused: the rows or the table's fields changed elsewhere since they were read.
        RowsChanged,
        FieldsChanged,
        // Renamed or dropped elsewhere.
        TableGone,
        // The file cannot be written at all: the same write would fail again.
        ReadOnly,
        Failed
    };
    struct Result {
        Outcome outcome = Outcome::Failed;
        // What the field holds afterwards, which SQLite may store as another text.
        DBValue stored;
        std::string message;
        bool written() const { return outcome == Outcome::Written; }
        // Nothing was written since the row or the fields are not those read.
        bool refused() const {
            return outcome == Outcome::RowGone || outcome == Outcome::RowsChanged ||
                   outcome == Outcome::FieldsChanged;
        }
    };
    // How a write is told: a failure's alert is a sheet on alertWindow (application-modal for
    // nullptr) unless the caller tells it itself; other windows reload after a write when the
    // user asked for it and the caller wants it.
    struct Report {
        QWidget* alertWindow = nullptr;
        bool alert = true;
        bool tellOtherWindows = false;
        // Whether the page is read back after the write. A caller that writes cell after cell
        // by their places reads it back once when done (readPageBack), so that the rows keep
        // their places meanwhile.
        bool readPageBack = true;
    };

    explicit CellWriter(DatabaseWindow& window) : window_(window) {}

    // The target of a cell of the selected table in the loaded page; nullopt when the page does
    // not hold the row, its rowid is not known or the field is not one of the table's.
    std::optional<CellTarget> targetOfLoadedCell(RowIndex row, FieldIndex field) const;
    // What a write into the rows of the rowids is checked against: the fields shown and each row
    // as the loaded page holds it (its rowid alone where the page does not hold it).
    DBInterface::ShownRows shownRows(const std::vector<std::string>& rowids) const;
    // The rowid of a row the loaded page holds; nullopt when it does not hold it or the rowid is
    // not known.
    std::optional<std::string> loadedRowid(RowIndex row) const;
    // Writes the value; once written the target holds the stored value and the row's rowid, and
    // the page is read back: triggers and generated columns may have changed other cells.
    Result write(CellTarget& target, const DBValue& value, const Report& report);
    // Writes the value into the fields of each row, one UPDATE a row; the first row that fails
    // stops the write and is reported, the rows before it stay written. Other windows are told
    // only when a row was written. The caller reloads the rows.
    Result write(const RowsTarget& target, const DBValue& value, const Report& report,
                 size_t* rowsWritten);
    // The result of a write of the table that returned rc with the message, reported as asked.
    Result resultOf(int rc, std::string message, const std::string& table,
                    const std::string& databaseFilePath, const Report& report) const;
    // The failure's alert, details appended; a refused write also has the rows read again.
    void reportFailure(const Result& result, QWidget* alertWindow,
                       const std::string& details = {}) const;
    // The page is read back from the file and redrawn.
    void readPageBack() const;
    // Other windows reload, when the user asked for it.
    void tellOtherWindows() const;

  private:
    // Whether the page still held the written row and took the value; the rows written, as the
    // file holds them, replace those the page holds.
    bool patchPage(const CellTarget& before, const CellTarget& after);
    void patchPage(const std::string& databaseFilePath, const std::string& table,
                   const std::vector<DBRow>& rows);

    DatabaseWindow& window_;
};
