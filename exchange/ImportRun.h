#pragma once
// One import run: the listed files imported one after the other into tables of one database, on
// the connection the caller opened (the import console runs it on a thread of its own). Each file
// is checked (no NUL bytes, field names and formats, the destination's field count) before
// anything is written; rows go in through prepared statements, several to a statement, inside a
// transaction committed every quarter of a second, a batch of rows under a savepoint of its own,
// so a stop or a killed process keeps whole batches only. Everything is reported in the activity
// log, with line numbers.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Common/DBTypes.h"
#include "exchange/ImportFileSettings.h"

class ActivityLog;
class DBConnection;
namespace DBInterface {
class RowInserter;
}

// The run's options, read once from the user defaults when it starts.
struct ImportOptions {
    // Bits of BailFlags.
    enum Bail { BailOnError = 1, BailOnTooFewFields = 2, BailOnTooManyFields = 4 };
    // Bits of DataTypesToConvert.
    enum Convert { ConvertDates = 1, ConvertTimes = 2, ConvertNULL = 4 };

    bool batchLines = false;
    int64_t dataTypesToConvert = 0;
    int64_t bailFlags = 0;
    std::string nullText = "null";  // compared without regard to case
    bool deleteAllRowsFirst = false;
    bool useUTC = false;
    // Other windows' edits wait for the import's write lock at most about this long at a time.
    std::chrono::milliseconds commitInterval{250};

    static ImportOptions fromUserDefaults(bool deleteAllRowsFirst, bool useUTC);
};

class ImportRun {
  public:
    // What the run tells the window; called on the run's thread.
    class Reporter {
      public:
        virtual ~Reporter() = default;
        virtual void status(const std::string& text) = 0;
        virtual void resetProgress() = 0;
        virtual void advanceProgress(double amount) = 0;
        virtual void logChanged() = 0;
    };

    static constexpr int kBatchSize = 100;

    ImportRun(std::vector<ImportFileSettings> files, ImportOptions options, ActivityLog& log,
              Reporter& reporter);
    ~ImportRun();

    // Any thread: the run ends after the current record, dropping an unfinished batch.
    void requestStop() { stopImport_ = true; }
    bool stopRequested() const { return stopImport_; }

    // Runs every file on the connection (open, or not when the database could not be opened).
    void run(DBConnection& connection, const std::string& databaseFilePath);

    int64_t importedRows() const { return runImported_; }
    // Lines lost or written other than they read.
    int64_t failedRows() const { return runFailed_; }
    const std::string& finalStatus() const { return finalStatus_; }

  private:
    struct FileCounts {
        int64_t records = 0;  // read so far, skipped ones included
        int64_t imported = 0;
        int64_t failed = 0;              // lines lost or written other than they read
        int64_t lost = 0;                // lines not written
        int64_t pending = 0;             // rows of the open batch
        int64_t batchImported = 0;       // of those, the rows written
        int64_t uncommitted = 0;         // rows written since the last commit
        int64_t uncommittedChanged = 0;  // of those, the rows written other than they read
    };
    enum class Outcome { Next, EndRun };
    // Rows waiting to go in together in one statement, all of one width, their values kept
    // back to back in one text.
    struct PendingRows {
        struct Value {
            size_t start, size;
            bool null;
        };
        size_t capacity = 1;
        size_t width = 0;
        std::string text;
        std::vector<Value> values;  // row after row
        std::vector<int64_t> lines;
        std::vector<bool> changed;
        std::vector<std::optional<std::string_view>> bound;  // made as they go in

        size_t rows() const { return lines.size(); }
        void add(std::string_view value) {
            values.push_back({text.size(), value.size(), false});
            text.append(value);
        }
        void addNull() { values.push_back({text.size(), 0, true}); }
        // The values to bind (nullopt for NULL), valid until the next change.
        const std::optional<std::string_view>* boundValues();
        void clear() {
            text.clear();
            values.clear();
            lines.clear();
            changed.clear();
        }
    };

    Outcome importFile(const ImportFileSettings& settings);
    bool readNamesAndFormats(const ImportFileSettings& settings, std::vector<std::string>* names,
                             std::vector<std::string>* formats);
    Outcome fileFailure(const std::string& fileName, const std::string& table);
    Outcome importRecords(const ImportFileSettings& settings, int fd,
                          DBInterface::RowInserter& inserter, const std::vector<int>& types);
    // Inserts the rows waiting; false when one could not be inserted.
    bool flushPending(DBInterface::RowInserter& inserter);
    // Inserts one row of the waiting rows' width. Changed: the values are not what the line
    // reads (cut, padded, mended).
    bool insertAlone(DBInterface::RowInserter& inserter,
                     const std::optional<std::string_view>* values, int64_t line, bool changed);
    void openBatch();
    void countWrittenRow(bool changed);
    void countLostLine();
    // After each row: the batch, the status and the failure count told every hundred rows.
    void rowDone(bool inserted);
    // The transaction was rolled back by a failure: its rows are lost, a new one begins.
    void recoverFromRollback();
    // Ends the open batch: kept, or dropped whole when the run stops.
    void endBatch(bool keep);
    bool beginTransaction();
    bool commit();
    void commitIfDue();
    // A failed commit or a conflict rule rolled the transaction back: its rows count as failed.
    void loseUncommittedRows();

    // Moves the bar to the percentage of the file read (it never moves back).
    void showProgress(int percent);
    void log(int type, const std::string& message);
    void statusAndLog(const std::string& text);

    std::vector<ImportFileSettings> files_;
    ImportOptions options_;
    ActivityLog& log_;
    Reporter& reporter_;
    std::atomic<bool> stopImport_{false};

    DBConnection* connection_ = nullptr;
    std::string databaseFilePath_;
    std::set<std::string> handledTables_;
    int64_t runImported_ = 0, runFailed_ = 0;
    FileCounts counts_;  // of the file being imported
    PendingRows pending_;
    bool batchOpen_ = false;
    int rowsSinceClockRead_ = 0;
    int percentShown_ = 0;  // of the file being imported
    bool issues_ = false;   // also counts messages the full log no longer keeps
    std::chrono::steady_clock::time_point lastCommit_;
    std::string finalStatus_;
};
