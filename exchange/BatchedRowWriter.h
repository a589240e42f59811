#pragma once
// The import's one writer: rows handed over one at a time go into the table several to a
// statement, inside a transaction committed every so often, and with batches a hundred rows under
// a savepoint of their own. Each statement runs under a savepoint too, so a failing statement
// leaves nothing of itself whatever the table's conflict rules and triggers are, and its rows go
// again one by one. What is counted as imported is what SQLite wrote.
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Common/RowInserter.h"
#include "Common/Statement.h"

class BatchedRowWriter {
  public:
    static constexpr int kBatchSize = 100;

    struct Options {
        bool batchLines = false;    // savepoints of kBatchSize rows, kept whole
        bool rowsOneByOne = false;  // every row a statement of its own
        std::chrono::milliseconds commitInterval{250};
    };
    // Where the writer tells what happened; called on the writer's thread.
    class Events {
      public:
        virtual ~Events() = default;
        virtual void log(int type, const std::string& message) = 0;
        virtual void status(const std::string& text) = 0;
    };

    BatchedRowWriter(sqlite3* db, DBInterface::RowInserter& inserter, size_t fieldCount,
                     Options options, Events& events);
    BatchedRowWriter(const BatchedRowWriter&) = delete;
    BatchedRowWriter& operator=(const BatchedRowWriter&) = delete;

    // Opens the transaction the rows go into; false (logged) when it cannot.
    bool begin();
    // Runs SQL that writes no rows in the open transaction, and again at the start of each
    // transaction that follows a rollback, until a commit has kept it; SQLite's code.
    int runUntilCommitted(const std::string& sql, std::string* errorString);

    // A row is handed over as startRow, its values, endRow. Rows of one width go in together; a
    // row narrower than the table goes in alone.
    void startRow(size_t width);
    void addValue(std::string_view value);
    void addNull();
    // False when the row or one waiting with it could not be written.
    bool endRow(int64_t line);

    // Writes the rows waiting, so that what is told of a line comes after the lines before it.
    bool flush();
    // A line read but not written (a read error, a bail).
    void countLostLine();
    // Writes the rows waiting, keeps the open batch and commits; false when the commit failed.
    bool finish();

    int64_t imported() const { return imported_; }
    int64_t failed() const { return failed_; }

  private:
    // Rows waiting to go in together in one statement, all of one width, their values kept back
    // to back in one text.
    struct PendingRows {
        struct Value {
            size_t start, size;
            bool null;
        };
        size_t width = 0;
        std::string text;
        std::vector<Value> values;  // row after row
        std::vector<int64_t> lines;
        std::vector<DBInterface::BoundText> bound;  // made as they go in

        size_t rows() const { return lines.size(); }
        // The values to bind, valid until the next change.
        const DBInterface::BoundText* boundValues();
        void clear() {
            text.clear();
            values.clear();
            lines.clear();
        }
    };

    // Runs a statement of the waiting rows' width under a savepoint of its own. A statement of
    // several rows is kept only when it wrote every row; otherwise nothing of it is left (or the
    // transaction is gone, which the caller sees). Written: the rows SQLite wrote.
    int insertUnderSavepoint(const DBInterface::BoundText* values, size_t rows, int64_t* written,
                             std::string* error);
    bool insertAlone(const DBInterface::BoundText* values, int64_t line);
    void openBatch();
    void countWrittenRows(int64_t rows);
    // After each line: the batch and the status told every hundred lines.
    void lineDone(bool written);
    // The transaction was rolled back: the rows written since the last commit count as failed.
    void loseUncommittedRows();
    // A conflict rule rolled the transaction back: its rows are lost, a new one begins.
    void recoverFromRollback();
    void endBatch();
    bool commit();
    void commitIfDue();
    bool exec(Statement& statement, const char* sql);

    sqlite3* db_;
    DBInterface::RowInserter& inserter_;
    const size_t fieldCount_;
    const Options options_;
    Events& events_;
    size_t rowsPerStatement_;
    PendingRows pending_;
    Statement savepoint_, release_, rollbackTo_;
    std::string uncommittedSql_;  // of runUntilCommitted

    int64_t imported_ = 0;
    int64_t failed_ = 0;       // lines not written
    int64_t uncommitted_ = 0;  // rows written since the last commit
    int64_t batchLines_ = 0;   // lines of the open batch
    bool batchOpen_ = false;
    int rowsSinceClockRead_ = 0;
    std::chrono::steady_clock::time_point lastCommit_;
};
