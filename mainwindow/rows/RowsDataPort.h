#pragma once
// The data port: the rows of the selected object under its search are counted, and only the rows
// that fit in the grid are read, one page at a time: a table's pages are found by key once its
// marks are sampled, other pages by offset (a limited object's first rows are read once per
// reload and paged from memory). It converts between the index spaces of the port and reads
// loaded values; it knows nothing of views.
#include <optional>
#include <string>
#include <vector>

#include "Common/GridQuery.h"
#include "Common/KeysetPager.h"
#include "mainwindow/TablesAndRowsState.h"

class DatabaseWindow;

class RowsDataPort {
  public:
    explicit RowsDataPort(DatabaseWindow& window);

    // The rows of the selected object under its search; -1 with the error on failure.
    int64_t countRows(std::string* error);
    // A failure of a read that met a lock held elsewhere: what was read before still stands.
    static bool isBusy(int rc);

    // Appends up to limit rows from firstRowIndex. 0 when read from the database without error;
    // a limited object's rows come from its cache, read again when reloadCachedValues is set.
    // A failure appends its message and returns non-zero, leaving destination as it was; the
    // cache is kept only through a lock.
    int loadFieldValues(std::vector<DBValue>* destination, RowIndex firstRowIndex, int64_t limit,
                        bool reloadCachedValues, std::string* error,
                        int64_t* fileVersion = nullptr);
    // The same for the grid's page: each long value is held as its prefix (HeldValues.h).
    // fileVersion receives the file's version taken before the rows were read, -1 for rows from
    // the cache.
    int loadPageValues(std::vector<DBValue>* destination, RowIndex firstRowIndex, int64_t limit,
                       bool reloadCachedValues, std::string* error, int64_t* fileVersion = nullptr);
    // The place of the row of the rowid among the rows of the selected object under its search
    // and sort, into rowIndex; none when it is not among them, or where rows are not edited by
    // rowid. 0 when read without error; a failure appends its message and returns non-zero.
    int rowIndexOfRowid(const std::string& rowid, RowIndex* rowIndex, std::string* error);
    // The version of the window's database file now, by the watch its pages are read by; -1 for
    // another file.
    int64_t fileVersion(const std::string& databaseFilePath);
    // The whole value of the field of the row at rowIndex: by its rowid where the object is
    // edited by rowid, else read at its place, only while the file is at the version the row was
    // shown at (kRowsChanged with the copy's refusal otherwise).
    int readWholeValue(RowIndex rowIndex, const std::string& rowid, FieldIndex field,
                       int64_t shownAtVersion, DBValue* value, std::string* error);
    RowIndex rowIndexFromTableViewRow(GridRow row) const;
    GridRow tableViewRowFromRowIndex(RowIndex rowIndex) const;
    FieldIndex fieldIndexFromDataColumn(int64_t dataColumn) const;
    GridColumn tableViewColumnFromFieldIndex(FieldIndex field) const;
    // The loaded value of the grid row's field; nullptr outside the page or while a moved port's
    // page is not loaded yet (the values held are another page's).
    const DBValue* fieldValueObjectForTableViewRowIndex(GridRow row, FieldIndex field) const;
    // The same as text, NULL and no value as "".
    std::string fieldValueForTableViewRowIndex(GridRow row, FieldIndex field) const;
    std::string fieldValueForDatabaseRowIndex(RowIndex rowIndex, FieldIndex field) const;
    std::string fieldHeaderNameAtFieldIndex(FieldIndex field) const;
    // The object was read again, its fields perhaps changed: the grid query is built anew.
    void forgetQuery() { queryInputs_.reset(); }
    // The rows read from the port's first row on, as far as the counted rows reach, become the
    // window's page, with the file's version taken before they were read; the page of an object
    // that cannot be read any longer goes.
    void takePage(std::vector<DBValue> values, int64_t fileVersion = -1);
    void clearPage() { state_.dataPort.page.clear(); }
    // Whether pages are found by key now rather than by offset.
    bool pagesFoundByKey() const { return pager_.marksReady(); }

  private:
    int loadValues(std::vector<DBValue>* destination, RowIndex firstRowIndex, int64_t limit,
                   bool reloadCachedValues, DBInterface::LongValues longValues, std::string* error,
                   int64_t* fileVersion = nullptr);
    std::string countStatementForLimitedObject(const std::string& name) const;
    // The schema's version while the file is at the version, read once a version; -1 when the
    // file moved on before it was read.
    int64_t schemaVersionAt(int64_t fileVersion);
    // What the grid query is built from; it is built again only when one of them changed.
    struct QueryInputs {
        std::string databaseFilePath, name;
        std::optional<std::string> likeString;
        std::vector<int> sortCodes;
        uint64_t sortByROWIDCode = 0;
        DBInterface::IndexSet searchFieldIndexes;
        bool noROWID = false;
        bool operator==(const QueryInputs&) const = default;
    };
    // The grid query of the selected object under its search and sort, built on its first use
    // and again only when what it is built from changed; nullptr with the error on failure.
    const DBInterface::GridQuery* query(const std::string& name, std::string* error);

    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    std::optional<QueryInputs> queryInputs_;
    DBInterface::GridQuery query_;
    KeysetPager pager_;
    int64_t schemaFileVersion_ = -1;
    int64_t schemaVersion_ = -1;
};
