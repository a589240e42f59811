#pragma once
// The one writer of a value into one field of a table row, addressed by the row's rowid: it
// writes, reports a failure, patches the loaded page while it still holds the row (a new INTEGER
// PRIMARY KEY moves the row, and the page follows it there) and tells the other windows. Its
// callers decide only what is written where.
#include <optional>
#include <string>

#include "Common/DBTypes.h"
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

    bool isSameCell(const CellTarget& other) const {
        return databaseFilePath == other.databaseFilePath && table == other.table &&
               fieldName == other.fieldName && rowid == other.rowid &&
               cell.field == other.cell.field;
    }
};

class CellWriter {
  public:
    enum class Outcome {
        Written,
        // Deleted elsewhere since it was read.
        RowGone,
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
    };
    // How a write is told: a failure's alert is a sheet on alertWindow (application-modal for
    // nullptr) unless the caller tells it itself; other windows reload after a write when the
    // user asked for it and the caller wants it.
    struct Report {
        QWidget* alertWindow = nullptr;
        bool alert = true;
        bool tellOtherWindows = false;
    };

    explicit CellWriter(DatabaseWindow& window) : window_(window) {}

    // The target of a cell of the selected table in the loaded page; nullopt when the page does
    // not hold the row, its rowid is not known or the field is not one of the table's.
    std::optional<CellTarget> targetOfLoadedCell(RowIndex row, FieldIndex field) const;
    // Writes the value; once written the target holds the stored value and the row's rowid.
    Result write(CellTarget& target, const DBValue& value, const Report& report);
    // The failure's alert, details appended; a row gone also has the rows read again.
    void reportFailure(const Result& result, QWidget* alertWindow,
                       const std::string& details = {}) const;
    // Other windows reload, when the user asked for it.
    void tellOtherWindows() const;

  private:
    void patchPage(const CellTarget& before, const CellTarget& after);

    DatabaseWindow& window_;
};
