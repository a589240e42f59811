#pragma once
// The one routine that every command on the grid's selection resolves it by: Copy, Copy for
// Export, Cut, Delete Rows, Clear, Set to NULL and Replace, and the long values a copy reads.
// It gives the rows the user selected, or refuses. While the file is at the version the selection
// was made at, its places are good and are read as they stand, with no check added. Once the file
// changed, the rows the selection holds by rowid are those it acts on, checked against the values
// shown (a copy in its read, a write in its own transaction), and a place past the page that was
// never shown makes the command refuse: the page is read again and the selection emptied, the
// focus kept. Whole fields name no rows: they are checked for the table shown only.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/ShownRows.h"
#include "mainwindow/IndexSpaces.h"

class DatabaseWindow;
class GridSurface;
struct TablesAndRowsState;

class GridSelectionResolver {
  public:
    // A copy takes the values, whole; a write only names the rows and fields.
    enum class Purpose { Copy, Write };
    enum class Taken { Fields, Rows, Cells };
    struct Row {
        // "" for an object without rowids.
        std::string rowid;
        // The fields taken, with their values: whole for a copy, as shown for a write.
        std::vector<std::pair<FieldIndex, DBValue>> values;
        // The focused cell's field where the row holds it, else none.
        FieldIndex focusedField;
    };
    struct Resolved {
        Taken taken = Taken::Cells;
        std::vector<Row> rows;
        // The fields of whole fields and rows; cells name their own.
        std::vector<FieldIndex> fields;
        // More rows were selected than the limit let through.
        bool limitExceeded = false;
        // What a write into the rows checks in its transaction: each row as shown, or as the copy
        // read it, and the file's version they stand at; for whole fields, the table as shown.
        DBInterface::ShownRows shown;
    };

    GridSelectionResolver(GridSurface& rows, DatabaseWindow& window);

    // At most rowLimit rows of whole fields or rows. nullopt when nothing is selected or
    // focused, when a read failed (told) or when the command is refused (told, the page read
    // again and the selection emptied).
    std::optional<Resolved> resolve(Purpose purpose, int64_t rowLimit);
    // Tests compare the plain path with the checked one while the file stands unchanged.
    static void setAlwaysCheckedForTesting(bool checked);

  private:
    std::optional<Resolved> resolveFields(Purpose purpose, int64_t rowLimit);
    std::optional<Resolved> resolveRows(Purpose purpose, int64_t rowLimit);
    std::optional<Resolved> resolveCells(Purpose purpose);
    // Whether the selection's places still name the rows selected: the file is at the version
    // the selection was made at, or the rows come from what the window read at its reload.
    bool placesStand() const;
    // The fields shown and the checks' look at the file, without rows.
    DBInterface::ShownRows shownFields() const;
    // Rows read at their places, from the first, by runs of adjacent ones; every field taken.
    int readAtPlaces(const std::vector<RowIndex>& places, std::vector<DBRow>* rows,
                     std::string* error);
    // The rowids at the places, one read per run of adjacent ones.
    int rowidsAtPlaces(const std::vector<RowIndex>& places, std::vector<std::string>* rowids,
                       std::string* error);
    // The whole values of the row's cut values, by its rowid, each checked to be held as shown;
    // at its place for an object without rowids, while the file is at version.
    bool readCutValues(RowIndex place, Row* row, int64_t version);
    // Tells why the command does nothing: rc is a refusal (the page then read again and the
    // selection emptied), a table not the one shown or a failed read, told with its message.
    void refuse(Purpose purpose, int rc, const std::string& message);

    GridSurface& rows_;
    DatabaseWindow& window_;
    TablesAndRowsState& state_;
};
