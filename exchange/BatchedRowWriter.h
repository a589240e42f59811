#pragma once
// The import's one writer: rows handed over one at a time go into the table several to a
// statement, inside a transaction committed every so often, and with batches a hundred rows under
// a savepoint of their own. Each statement runs under a savepoint too, so a failing statement
// leaves nothing of itself whatever the table's conflict rules and triggers are, and its rows go
// again one by one. The rows since the last commit are kept: when a ROLLBACK rule or trigger
// takes the transaction, they are written again, so that only the failing line is lost, as if
// each line had a transaction of its own. A foreign key is checked at its own line too: where
// foreign keys are enforced and the schema may hold a reference, each row is a statement of its
// own. Another program's lock is waited out, a wait at a time, until it ends or the run is
// stopped; no row is ever written outside a transaction. An error of the file (a full disk, a
// file gone) or an interrupt of the connection's SQL ends the writing: it is told once and no row
// is written after it, so that the lines a rollback took since the last commit leave no gap before
// later ones; the lines not written are counted as failed. What is counted as imported is what
// SQLite wrote.
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Common/RowInserter.h"
#include "Common/Statement.h"

class DBConnection;

// An error of the database file rather than of a line: every line after it would fail too.
bool isErrorOfTheFile(int resultCode);

class BatchedRowWriter {
  public:
    static constexpr int kBatchSize = 100;
    // Past this, the rows kept for a rollback are committed, whatever the clock says.
    static constexpr size_t kMostBytesKept = size_t{16} << 20;

    struct Options {
        bool batchLines = false;    // savepoints of kBatchSize rows, kept whole
        bool rowsOneByOne = false;  // every row a statement of its own
        std::chrono::milliseconds commitInterval{250};
        // Once set, a lock is tried no more after a wait (which the thread's lock-wait watcher
        // cuts short): what cannot be written then is lost and told.
        const std::atomic<bool>* stop = nullptr;
    };
    // Where the writer tells what happened; called on the writer's thread.
    class Events {
      public:
        virtual ~Events() = default;
        virtual void log(int type, const std::string& message) = 0;
        virtual void status(const std::string& text) = 0;
    };

    BatchedRowWriter(DBConnection& connection, DBInterface::RowInserter& inserter,
                     size_t fieldCount, Options options, Events& events);
    BatchedRowWriter(const BatchedRowWriter&) = delete;
    BatchedRowWriter& operator=(const BatchedRowWriter&) = delete;

    // Opens the transaction the rows go into, waiting out another program's lock; false (logged)
    // when it cannot.
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
    // Writes the rows waiting, keeps the open batch and commits; false when the commit failed or
    // a rollback took what runUntilCommitted ran.
    bool finish();

    int64_t imported() const { return imported_; }
    int64_t failed() const { return failed_; }
    // An error of the file or an interrupt was met: nothing more is written.
    bool ended() const { return ended_; }

  private:
    // The rows handed over since the last commit, their values back to back in one text: those
    // written (or ignored) are written again after a rollback; the waiting ones, all of one
    // width, go in together at the next flush. Only the waiting rows are kept where nothing in
    // the schema can roll a transaction back.
    struct KeptRows {
        enum class State : uint8_t { Waiting, Written, Ignored, Failed };
        static constexpr size_t kNull = SIZE_MAX;  // the size of a NULL value
        struct Row {
            int64_t line;
            size_t firstValue, textStart;
            State state;
        };
        size_t width = 0;    // of the waiting rows
        size_t waiting = 0;  // the first waiting row
        std::string text;
        std::vector<size_t> sizes;  // of the values, row after row
        std::vector<Row> rows;

        size_t waitingRows() const { return rows.size() - waiting; }
        size_t widthOf(size_t row) const {
            return (row + 1 < rows.size() ? rows[row + 1].firstValue : sizes.size()) -
                   rows[row].firstValue;
        }
        size_t bytes() const {
            return text.size() + sizes.size() * sizeof(size_t) + rows.size() * sizeof(Row);
        }
        // The values of count rows from the first, to bind, valid until the next change of bound.
        const DBInterface::BoundText* boundValues(size_t first, size_t count,
                                                  std::vector<DBInterface::BoundText>* bound) const;
        void clear();
    };

    // Runs a statement of rows of one width under a savepoint of its own. A statement of
    // several rows is kept only when it wrote every row; otherwise nothing of it is left (or the
    // transaction is gone, which the caller sees). Written: the rows SQLite wrote; error: an
    // empty text that takes SQLite's message.
    int insertUnderSavepoint(const DBInterface::BoundText* values, size_t width, size_t rows,
                             int64_t* written, std::string* error);
    // Writes the kept row alone and tells what became of it.
    bool insertAlone(const DBInterface::BoundText* values, size_t row);
    void openBatch();
    void countWrittenRows(int64_t rows);
    // After each line: the batch and the status told every hundred lines.
    void lineDone(bool written);
    // The commit failed: the rows written since the last one count as failed.
    void loseUncommittedRows();
    // A conflict rule or trigger rolled the transaction back: a new one begins with what the
    // rollback undid.
    void recoverFromRollback();
    // Writes the rows written since the last commit again, several to a statement; false when a
    // rollback on the way left no transaction open.
    bool writeAgain();
    // No transaction could be opened: the waiting rows are lost, each told.
    void loseWaitingRows();
    // The rows written since the last commit were undone and are lost: none is written again.
    void forgetWrittenRows();
    // A row written again that fails now (a trigger that reads the clock): it is lost after all.
    void loseOnSecondWrite(size_t row, const std::string& error);
    void tellFailure(int64_t line, const std::string& error);
    // Whether the error is one of the file or an interrupt; the first ends the writing and is
    // told.
    bool noteEndingError(int resultCode, const std::string& error);
    // Logs the error of a BEGIN or COMMIT, or notes it as one that ends the writing.
    void tellError(int resultCode, const std::string& error);
    void endBatch();
    bool commit();
    void commitIfDue();
    bool exec(Statement& statement, const char* sql);
    // Runs BEGIN or COMMIT, each try with a wait of its own, while another program holds the lock
    // and the run goes on; SQLite's code, the message in error.
    int runWaitingOutLocks(const char* sql, std::string* error);
    // The deferred foreign key violations outstanding in the transaction.
    int deferredViolations() const;

    DBConnection& connection_;
    sqlite3* db_;
    DBInterface::RowInserter& inserter_;
    const size_t fieldCount_;
    const Options options_;
    Events& events_;
    size_t rowsPerStatement_;
    KeptRows kept_;
    std::vector<DBInterface::BoundText> bound_, boundAgain_;
    Statement savepoint_, release_, rollbackTo_;
    std::string uncommittedSql_;    // of runUntilCommitted
    bool keepWrittenRows_ = false;  // for the open transaction
    bool foreignKeys_ = false;      // enforced on the connection
    int beginResult_ = SQLITE_OK;   // of the last BEGIN, and its message
    std::string beginError_;
    bool ended_ = false;

    int64_t imported_ = 0;
    int64_t failed_ = 0;       // lines not written
    int64_t uncommitted_ = 0;  // rows written since the last commit
    int64_t batchLines_ = 0;   // lines of the open batch
    bool batchOpen_ = false;
    int rowsSinceClockRead_ = 0;
    std::chrono::steady_clock::time_point lastCommit_;
};
