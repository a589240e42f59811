#include "exchange/BatchedRowWriter.h"

#include <cassert>

#include "Common/DBConnection.h"
#include "Common/WriteTransaction.h"
#include "exchange/ActivityLog.h"
#include "platform/foundation/Localized.h"

using DBInterface::BoundText;
using DBInterface::execOnConnection;
using DBInterface::kBeginWriteTransaction;

namespace {
std::string number(int64_t value) {
    return std::to_string(value);
}

// Whether the SQL of some schema object holds the word; a schema that cannot be read may.
bool schemaMayHold(sqlite3* db, const std::string& word) {
    bool held = true;
    forEachRow(db, "select exists (select 1 from sqlite_master where sql like '%" + word + "%')",
               [&held](sqlite3_stmt* statement) {
                   held = sqlite3_column_int(statement, 0) != 0;
                   return false;
               });
    return held;
}
}  // namespace

bool isErrorOfTheFile(int resultCode) {
    switch (resultCode & 0xFF) {
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return true;
        default:
            return false;
    }
}

const BoundText* BatchedRowWriter::KeptRows::boundValues(size_t first, size_t count,
                                                         std::vector<BoundText>* bound) const {
    bound->clear();
    const size_t end = first + count < rows.size() ? rows[first + count].firstValue : sizes.size();
    for (size_t i = rows[first].firstValue, start = rows[first].textStart; i < end; ++i) {
        if (sizes[i] == kNull) {
            bound->emplace_back(std::nullopt);
        } else {
            bound->emplace_back(std::string_view(text).substr(start, sizes[i]));
            start += sizes[i];
        }
    }
    return bound->data();
}

void BatchedRowWriter::KeptRows::clear() {
    assert(waitingRows() == 0);
    text.clear();
    sizes.clear();
    rows.clear();
    waiting = 0;
}

BatchedRowWriter::BatchedRowWriter(DBConnection& connection, DBInterface::RowInserter& inserter,
                                   size_t fieldCount, Options options, Events& events)
    : connection_(connection),
      db_(connection.handle()),
      inserter_(inserter),
      fieldCount_(fieldCount),
      options_(options),
      events_(events),
      rowsPerStatement_(options.rowsOneByOne ? 1 : inserter.rowsPerStatement(fieldCount)) {
    int enforced = 0;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_FKEY, -1, &enforced);
    foreignKeys_ = enforced != 0;
    // Within a statement of several rows a row may name a parent that a later row of the same
    // statement brings: an immediate reference is checked at the statement's end, and the count
    // of deferred violations comes back down by then, so a reference is checked at its own line
    // only in a statement of its own.
    if (foreignKeys_ && schemaMayHold(db_, "references")) rowsPerStatement_ = 1;
}

bool BatchedRowWriter::exec(Statement& statement, const char* sql) {
    if (!statement && statement.prepare(db_, sql) != SQLITE_OK) return false;
    const int rc = sqlite3_step(statement.get());
    sqlite3_reset(statement.get());
    return rc == SQLITE_DONE;
}

int BatchedRowWriter::runWaitingOutLocks(const char* sql, std::string* error) {
    const int autocommitBefore = sqlite3_get_autocommit(db_);
    for (;;) {
        // The connection lives through many transactions: each try waits once more.
        connection_.armLockWait();
        error->clear();
        const int rc = execOnConnection(db_, sql, error);
        // A BEGIN or COMMIT that met a lock left the transaction as it was: it may try again.
        if ((rc & 0xFF) != SQLITE_BUSY || sqlite3_get_autocommit(db_) != autocommitBefore ||
            (options_.stop && *options_.stop)) {
            return rc;
        }
    }
}

int BatchedRowWriter::deferredViolations() const {
    int outstanding = 0, highest = 0;
    sqlite3_db_status(db_, SQLITE_DBSTATUS_DEFERRED_FKS, &outstanding, &highest, 0);
    return outstanding;
}

bool BatchedRowWriter::noteEndingError(int resultCode, const std::string& error) {
    // Only the run's owner interrupts its SQL (a window closed, a quit): the transaction the
    // interrupt rolled back is not written again, nor any line after it.
    const bool interrupted = (resultCode & 0xFF) == SQLITE_INTERRUPT;
    if (!interrupted && !isErrorOfTheFile(resultCode)) return false;
    if (!ended_) {
        ended_ = true;
        events_.log(ActivityLog::Error,
                    interrupted
                        ? localizedString("The import was interrupted, so it ends")
                        : localizedFormat("The database cannot be written, so the import ends: %@",
                                          {error}));
    }
    return true;
}

void BatchedRowWriter::tellError(int resultCode, const std::string& error) {
    if (!noteEndingError(resultCode, error)) events_.log(ActivityLog::Error, error);
}

bool BatchedRowWriter::begin() {
    if (ended_) return false;
    beginResult_ = runWaitingOutLocks(kBeginWriteTransaction, &beginError_);
    if (beginResult_ != SQLITE_OK) {
        tellError(beginResult_, beginError_);
        return false;
    }
    lastCommit_ = std::chrono::steady_clock::now();
    // Only a ROLLBACK rule, a RAISE(ROLLBACK) or an INSERT OR ROLLBACK in a trigger ends the
    // transaction of a failing row: without one, the rows need not be kept once written.
    keepWrittenRows_ = schemaMayHold(db_, "rollback");
    // What the rollback undid goes first again, before any row.
    std::string error;
    if (!uncommittedSql_.empty()) {
        if (const int rc = execOnConnection(db_, uncommittedSql_, &error); rc != SQLITE_OK) {
            tellError(rc, error);
        }
    }
    return !ended_;
}

int BatchedRowWriter::runUntilCommitted(const std::string& sql, std::string* errorString) {
    std::string error;
    const int rc = execOnConnection(db_, sql, &error);
    appendError(errorString, error);
    if (rc == SQLITE_OK) uncommittedSql_ = sql;
    noteEndingError(rc, error);
    return rc;
}

void BatchedRowWriter::startRow(size_t width) {
    if (kept_.waitingRows() > 0 && width != kept_.width) flush();
    kept_.width = width;
    kept_.rows.push_back({0, kept_.sizes.size(), kept_.text.size(), KeptRows::State::Waiting});
}

void BatchedRowWriter::addValue(std::string_view value) {
    kept_.sizes.push_back(value.size());
    kept_.text.append(value);
}

void BatchedRowWriter::addNull() {
    kept_.sizes.push_back(KeptRows::kNull);
}

bool BatchedRowWriter::endRow(int64_t line) {
    kept_.rows.back().line = line;
    // A batch ends with a statement, so that it is kept whole.
    const int64_t batchRoom = options_.batchLines ? kBatchSize - batchLines_ : kBatchSize;
    const size_t rows = kept_.waitingRows();
    if (kept_.width != fieldCount_ || rows >= rowsPerStatement_ ||
        static_cast<int64_t>(rows) >= batchRoom) {
        return flush();
    }
    return true;
}

bool BatchedRowWriter::flush() {
    const size_t rows = kept_.waitingRows();
    if (rows == 0) return true;
    // A lock that outlasted the waits left no transaction: never write outside one.
    if (ended_ || (sqlite3_get_autocommit(db_) && !begin())) {
        loseWaitingRows();
        return false;
    }
    openBatch();
    bool allWritten = true;
    const size_t first = kept_.waiting;
    const BoundText* values = kept_.boundValues(first, rows, &bound_);
    int64_t written = 0;
    std::string error;
    if (rows > 1 &&
        insertUnderSavepoint(values, kept_.width, rows, &written, &error) == SQLITE_OK) {
        // Row by row, so that the count is told at every hundredth line.
        for (size_t r = first; r < first + rows; ++r) {
            kept_.rows[r].state = KeptRows::State::Written;
            countWrittenRows(1);
            lineDone(true);
        }
    } else {
        // The statement left nothing of itself: its rows go again one by one, so that each
        // line that fails or is ignored is told.
        if (rows > 1 && sqlite3_get_autocommit(db_)) recoverFromRollback();
        size_t r = 0;
        for (; r < rows && !ended_; ++r) {
            allWritten &= insertAlone(values + r * kept_.width, first + r);
        }
        kept_.waiting = first + r;
        if (ended_) {
            loseWaitingRows();
            allWritten = false;
        }
    }
    kept_.waiting = kept_.rows.size();
    if (!keepWrittenRows_) kept_.clear();
    // The clock is read every few rows only: reading it costs as much as binding a row.
    rowsSinceClockRead_ += static_cast<int>(rows);
    if (!batchOpen_ && rowsSinceClockRead_ >= 16) {
        rowsSinceClockRead_ = 0;
        commitIfDue();
    }
    return allWritten;
}

int BatchedRowWriter::insertUnderSavepoint(const BoundText* values, size_t width, size_t rows,
                                           int64_t* written, std::string* error) {
    *written = 0;
    // Outside a transaction the savepoint would commit the statement on its own.
    if (sqlite3_get_autocommit(db_)) {
        appendError(error, beginError_);
        return beginResult_ != SQLITE_OK ? beginResult_ : SQLITE_ERROR;
    }
    if (!exec(savepoint_, "savepoint import_statement")) {
        appendError(error, sqlite3_errmsg(db_));
        const int rc = sqlite3_extended_errcode(db_);
        noteEndingError(rc, *error);
        return rc;
    }
    const int violationsBefore = foreignKeys_ ? deferredViolations() : 0;
    int rc = inserter_.insertRows(values, width, rows, error);
    if (rc == SQLITE_OK && foreignKeys_ && deferredViolations() > violationsBefore) {
        // A deferred reference is refused at its own line, as an immediate one is, rather than
        // failing the commit of every line since the last.
        rc = SQLITE_CONSTRAINT_FOREIGNKEY;
        appendError(error, "FOREIGN KEY constraint failed");
    }
    if (rc != SQLITE_OK) noteEndingError(rc, *error);
    *written = rc == SQLITE_OK ? sqlite3_changes64(db_) : 0;
    // Rows a conflict rule or trigger ignored: they go again one by one to tell which.
    if (rc == SQLITE_OK && rows > 1 && *written < static_cast<int64_t>(rows)) {
        rc = SQLITE_CONSTRAINT;
    }
    // A ROLLBACK rule ended the transaction, and the savepoint with it.
    if (sqlite3_get_autocommit(db_)) return rc;
    // A FAIL rule, or a strict column's type check, keeps what the statement wrote before.
    if (rc != SQLITE_OK && !exec(rollbackTo_, "rollback to import_statement")) {
        // What the statement kept cannot be undone alone (an interrupt came): the transaction
        // goes, as a ROLLBACK rule would take it.
        noteEndingError(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
        execOnConnection(db_, "rollback", nullptr);
        return rc;
    }
    exec(release_, "release import_statement");
    return rc;
}

bool BatchedRowWriter::insertAlone(const BoundText* values, size_t row) {
    KeptRows::Row& kept = kept_.rows[row];
    std::string error;
    int64_t written = 0;
    const bool inTransaction = !sqlite3_get_autocommit(db_);
    const int rc = insertUnderSavepoint(values, kept_.widthOf(row), 1, &written, &error);
    if (rc == SQLITE_OK && written == 1) {
        kept.state = KeptRows::State::Written;
        countWrittenRows(1);
        lineDone(true);
        return true;
    }
    ++failed_;
    if (rc == SQLITE_OK) {
        kept.state = KeptRows::State::Ignored;
        events_.log(ActivityLog::Warning,
                    localizedFormat("Line %d was not imported: a conflict rule or trigger of "
                                    "the table ignored it",
                                    {number(kept.line)}));
        lineDone(false);
        return true;
    }
    kept.state = KeptRows::State::Failed;
    if (!ended_) tellFailure(kept.line, error);
    if (inTransaction && sqlite3_get_autocommit(db_)) recoverFromRollback();
    lineDone(false);
    return false;
}

void BatchedRowWriter::loseWaitingRows() {
    for (size_t row = kept_.waiting; row < kept_.rows.size(); ++row) {
        kept_.rows[row].state = KeptRows::State::Failed;
        ++failed_;
        if (!ended_) tellFailure(kept_.rows[row].line, beginError_);
        lineDone(false);
    }
    kept_.waiting = kept_.rows.size();
    if (!keepWrittenRows_) kept_.clear();
}

void BatchedRowWriter::forgetWrittenRows() {
    for (KeptRows::Row& row : kept_.rows) {
        if (row.state == KeptRows::State::Written || row.state == KeptRows::State::Ignored) {
            row.state = KeptRows::State::Failed;
        }
    }
}

void BatchedRowWriter::recoverFromRollback() {
    batchLines_ = 0;
    batchOpen_ = false;
    if (!keepWrittenRows_) {
        // Nothing in the schema rolls back (a full disk did): the rows were not kept.
        loseUncommittedRows();
        begin();
        return;
    }
    if (!begin() || !writeAgain()) {
        // What was written again is not kept either: it is counted as failed.
        if (!sqlite3_get_autocommit(db_)) execOnConnection(db_, "rollback", nullptr);
        loseUncommittedRows();
        forgetWrittenRows();
    }
    // Committed soon, so that a further rollback has less to write again.
    lastCommit_ = {};
}

bool BatchedRowWriter::writeAgain() {
    using State = KeptRows::State;
    const std::vector<KeptRows::Row>& rows = kept_.rows;
    size_t aloneUntil = 0;  // the rows before it go alone: their statement failed this time
    for (size_t row = 0; row < rows.size();) {
        if (rows[row].state != State::Written && rows[row].state != State::Ignored) {
            ++row;
            continue;
        }
        // Rows written go in together again; an ignored row goes alone, as it did.
        const size_t width = kept_.widthOf(row);
        size_t end = row + 1;
        while (row >= aloneUntil && rows[row].state == State::Written && end < rows.size() &&
               end - row < rowsPerStatement_ && rows[end].state == State::Written &&
               kept_.widthOf(end) == width) {
            ++end;
        }
        const BoundText* values = kept_.boundValues(row, end - row, &boundAgain_);
        std::string error;
        int64_t written = 0;
        if (insertUnderSavepoint(values, width, end - row, &written, &error) == SQLITE_OK) {
            row = end;
            continue;
        }
        if (ended_) return false;
        // Only what reads the clock or chance can fail now.
        if (end - row > 1) {
            aloneUntil = end;
        } else {
            loseOnSecondWrite(row, error);
            ++row;
        }
        if (sqlite3_get_autocommit(db_)) {
            if (!begin()) return false;
            row = 0;
        }
    }
    return true;
}

void BatchedRowWriter::loseOnSecondWrite(size_t row, const std::string& error) {
    KeptRows::Row& kept = kept_.rows[row];
    if (kept.state == KeptRows::State::Written) {
        --imported_;
        --uncommitted_;
        ++failed_;
    }
    kept.state = KeptRows::State::Failed;
    tellFailure(kept.line, error);
}

void BatchedRowWriter::tellFailure(int64_t line, const std::string& error) {
    events_.log(ActivityLog::Error,
                localizedFormat("Line %d could not be imported: %@", {number(line), error}));
}

void BatchedRowWriter::countLostLine() {
    ++failed_;
}

void BatchedRowWriter::openBatch() {
    if (options_.batchLines && !batchOpen_) {
        batchOpen_ = execOnConnection(db_, "savepoint import_batch", nullptr) == SQLITE_OK;
    }
}

void BatchedRowWriter::countWrittenRows(int64_t rows) {
    imported_ += rows;
    uncommitted_ += rows;
}

void BatchedRowWriter::lineDone(bool written) {
    if (options_.batchLines) {
        if (++batchLines_ >= kBatchSize) endBatch();
        return;
    }
    if ((imported_ + failed_) % 100 != 0) return;
    if (written) {
        events_.status(localizedFormat("Imported %d row(s)", {number(imported_)}));
    } else {
        events_.log(ActivityLog::Error,
                    localizedFormat("Could not import %d row(s)", {number(failed_)}));
    }
}

void BatchedRowWriter::loseUncommittedRows() {
    if (uncommitted_ == 0) return;
    events_.log(ActivityLog::Error,
                localizedFormat("%d row(s) imported since the last commit were rolled back",
                                {number(uncommitted_)}));
    imported_ -= uncommitted_;
    failed_ += uncommitted_;
    uncommitted_ = 0;
}

void BatchedRowWriter::endBatch() {
    if (!batchOpen_) return;
    execOnConnection(db_, "release import_batch", nullptr);
    events_.status(localizedFormat("Imported batch of %d row(s)", {number(batchLines_)}));
    batchOpen_ = false;
    batchLines_ = 0;
}

bool BatchedRowWriter::commit() {
    if (sqlite3_get_autocommit(db_)) {
        // A rollback took the transaction, and what runUntilCommitted ran in it: that is run
        // again by the next one.
        loseUncommittedRows();
        kept_.clear();
        return uncommittedSql_.empty();
    }
    std::string error;
    const int rc = runWaitingOutLocks("commit", &error);
    if (rc != SQLITE_OK) {
        tellError(rc, error);
        execOnConnection(db_, "rollback", nullptr);
        loseUncommittedRows();
        kept_.clear();
        return false;
    }
    uncommitted_ = 0;
    uncommittedSql_.clear();
    kept_.clear();
    return true;
}

void BatchedRowWriter::commitIfDue() {
    // The rows kept for a rollback are bounded as the wait of other writers is.
    if (batchOpen_ || (kept_.bytes() < kMostBytesKept &&
                       std::chrono::steady_clock::now() - lastCommit_ < options_.commitInterval)) {
        return;
    }
    commit();
    begin();
}

bool BatchedRowWriter::finish() {
    flush();
    // A stop keeps the batch too: every line read before it is written.
    endBatch();
    return commit();
}
