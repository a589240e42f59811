#include "exchange/BatchedRowWriter.h"

#include "exchange/ActivityLog.h"
#include "platform/foundation/Localized.h"

using DBInterface::BoundText;
using DBInterface::execOnConnection;

namespace {
std::string number(int64_t value) {
    return std::to_string(value);
}
}  // namespace

const BoundText* BatchedRowWriter::PendingRows::boundValues() {
    bound.clear();
    for (const Value& value : values) {
        if (value.null) {
            bound.emplace_back(std::nullopt);
        } else {
            bound.emplace_back(std::string_view(text).substr(value.start, value.size));
        }
    }
    return bound.data();
}

BatchedRowWriter::BatchedRowWriter(sqlite3* db, DBInterface::RowInserter& inserter,
                                   size_t fieldCount, Options options, Events& events)
    : db_(db),
      inserter_(inserter),
      fieldCount_(fieldCount),
      options_(options),
      events_(events),
      rowsPerStatement_(options.rowsOneByOne ? 1 : inserter.rowsPerStatement(fieldCount)) {}

bool BatchedRowWriter::exec(Statement& statement, const char* sql) {
    if (!statement && statement.prepare(db_, sql) != SQLITE_OK) return false;
    const int rc = sqlite3_step(statement.get());
    sqlite3_reset(statement.get());
    return rc == SQLITE_DONE;
}

bool BatchedRowWriter::begin() {
    std::string error;
    if (execOnConnection(db_, "begin immediate", &error) != SQLITE_OK) {
        events_.log(ActivityLog::Error, error);
        return false;
    }
    lastCommit_ = std::chrono::steady_clock::now();
    // What the rollback undid goes first again, before any row.
    if (!uncommittedSql_.empty() && execOnConnection(db_, uncommittedSql_, &error) != SQLITE_OK) {
        events_.log(ActivityLog::Error, error);
    }
    return true;
}

int BatchedRowWriter::runUntilCommitted(const std::string& sql, std::string* errorString) {
    const int rc = execOnConnection(db_, sql, errorString);
    if (rc == SQLITE_OK) uncommittedSql_ = sql;
    return rc;
}

void BatchedRowWriter::startRow(size_t width) {
    if (pending_.rows() > 0 && width != pending_.width) flush();
    pending_.width = width;
}

void BatchedRowWriter::addValue(std::string_view value) {
    pending_.values.push_back({pending_.text.size(), value.size(), false});
    pending_.text.append(value);
}

void BatchedRowWriter::addNull() {
    pending_.values.push_back({pending_.text.size(), 0, true});
}

bool BatchedRowWriter::endRow(int64_t line) {
    pending_.lines.push_back(line);
    // A batch ends with a statement, so that it is kept whole.
    const int64_t batchRoom = options_.batchLines ? kBatchSize - batchLines_ : kBatchSize;
    const auto rows = static_cast<int64_t>(pending_.rows());
    if (pending_.width != fieldCount_ || pending_.rows() >= rowsPerStatement_ ||
        rows >= batchRoom) {
        return flush();
    }
    return true;
}

bool BatchedRowWriter::flush() {
    const size_t rows = pending_.rows();
    if (rows == 0) return true;
    openBatch();
    bool allWritten = true;
    const BoundText* values = pending_.boundValues();
    int64_t written = 0;
    if (rows > 1 && insertUnderSavepoint(values, rows, &written, nullptr) == SQLITE_OK) {
        // Row by row, so that the count is told at every hundredth line.
        for (size_t r = 0; r < rows; ++r) {
            countWrittenRows(1);
            lineDone(true);
        }
    } else {
        // The statement left nothing of itself: its rows go again one by one, so that each
        // line that fails or is ignored is told.
        if (rows > 1 && sqlite3_get_autocommit(db_)) recoverFromRollback();
        for (size_t r = 0; r < rows; ++r) {
            allWritten &= insertAlone(values + r * pending_.width, pending_.lines[r]);
        }
    }
    pending_.clear();
    // The clock is read every few rows only: reading it costs as much as binding a row.
    rowsSinceClockRead_ += static_cast<int>(rows);
    if (!options_.batchLines && rowsSinceClockRead_ >= 16) {
        rowsSinceClockRead_ = 0;
        commitIfDue();
    }
    return allWritten;
}

int BatchedRowWriter::insertUnderSavepoint(const BoundText* values, size_t rows, int64_t* written,
                                           std::string* error) {
    if (!exec(savepoint_, "savepoint import_statement")) {
        appendError(error, sqlite3_errmsg(db_));
        return sqlite3_errcode(db_);
    }
    int rc = inserter_.insertRows(values, pending_.width, rows, error);
    *written = rc == SQLITE_OK ? sqlite3_changes64(db_) : 0;
    // Rows a conflict rule or trigger ignored: they go again one by one to tell which.
    if (rc == SQLITE_OK && rows > 1 && *written < static_cast<int64_t>(rows)) {
        rc = SQLITE_CONSTRAINT;
    }
    // A ROLLBACK rule ended the transaction, and the savepoint with it.
    if (sqlite3_get_autocommit(db_)) return rc;
    // A FAIL rule, or a strict column's type check, keeps what the statement wrote before.
    if (rc != SQLITE_OK) exec(rollbackTo_, "rollback to import_statement");
    exec(release_, "release import_statement");
    return rc;
}

bool BatchedRowWriter::insertAlone(const BoundText* values, int64_t line) {
    std::string error;
    int64_t written = 0;
    const int rc = insertUnderSavepoint(values, 1, &written, &error);
    if (rc == SQLITE_OK && written == 1) {
        countWrittenRows(1);
        lineDone(true);
        return true;
    }
    ++failed_;
    if (rc == SQLITE_OK) {
        events_.log(ActivityLog::Warning,
                    localizedFormat("Line %d was not imported: a conflict rule or trigger of "
                                    "the table ignored it",
                                    {number(line)}));
        lineDone(false);
        return true;
    }
    events_.log(ActivityLog::Error,
                localizedFormat("Line %d could not be imported: %@", {number(line), error}));
    if (sqlite3_get_autocommit(db_)) {
        recoverFromRollback();
    } else {
        lineDone(false);
    }
    return false;
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

void BatchedRowWriter::recoverFromRollback() {
    loseUncommittedRows();
    batchLines_ = 0;
    batchOpen_ = false;
    begin();
}

void BatchedRowWriter::endBatch() {
    if (!batchOpen_) return;
    execOnConnection(db_, "release import_batch", nullptr);
    events_.status(localizedFormat("Imported batch of %d row(s)", {number(batchLines_)}));
    batchOpen_ = false;
    batchLines_ = 0;
    commitIfDue();
}

bool BatchedRowWriter::commit() {
    if (sqlite3_get_autocommit(db_)) return true;
    std::string error;
    if (execOnConnection(db_, "commit", &error) != SQLITE_OK) {
        events_.log(ActivityLog::Error, error);
        execOnConnection(db_, "rollback", nullptr);
        loseUncommittedRows();
        return false;
    }
    uncommitted_ = 0;
    uncommittedSql_.clear();
    return true;
}

void BatchedRowWriter::commitIfDue() {
    if (batchOpen_ || std::chrono::steady_clock::now() - lastCommit_ < options_.commitInterval)
        return;
    commit();
    begin();
}

bool BatchedRowWriter::finish() {
    flush();
    // A stop keeps the batch too: every line read before it is written.
    endBatch();
    return commit();
}
