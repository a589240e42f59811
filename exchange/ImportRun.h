#pragma once
// One import run: the listed files imported one after the other into tables of one database, on
// the connection the caller opened (the import console runs it on a thread of its own). Each file
// is checked (delimited text, field names and formats, the destination's field count) before
// anything is written; each record read is checked and handed to the BatchedRowWriter, which owns
// the statements, savepoints, commits and counts. Everything is reported in the activity log,
// with line numbers.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Common/DBConnection.h"
#include "Common/DBTypes.h"
#include "exchange/BatchedRowWriter.h"
#include "exchange/ImportFileSettings.h"

class ActivityLog;

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

// While it runs, the run watches the waits of its thread on locks held elsewhere: the status says
// that it waits, and a stop ends the wait.
class ImportRun : public DBConnection::LockWaitWatcher, private BatchedRowWriter::Events {
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

    ImportRun(std::vector<ImportFileSettings> files, ImportOptions options, ActivityLog& log,
              Reporter& reporter);
    ~ImportRun() override;

    // Any thread: the run ends after the current record; the rows read so far are written.
    void requestStop() { stopImport_ = true; }
    bool stopRequested() const override { return stopImport_; }
    void lockWaitBegins() override;

    // Runs every file on the connection (open, or not when the database could not be opened).
    void run(DBConnection& connection, const std::string& databaseFilePath);

    int64_t importedRows() const { return runImported_; }
    // Lines read and not written.
    int64_t failedRows() const { return runFailed_; }
    const std::string& finalStatus() const { return finalStatus_; }

  private:
    enum class Outcome { Next, EndRun };

    struct Destination;
    struct FileCounts {
        int64_t imported = 0, failed = 0;
    };

    // A file's phases: its content checked, its names and formats read, the table made or
    // checked, its records counted and written, the counts logged.
    Outcome importFile(const ImportFileSettings& settings);
    bool checkContent(const std::string& path, const std::string& fileName);
    // The outcome of a failure, none when the table is ready for the rows.
    std::optional<Outcome> prepareTable(const std::string& fileName,
                                        const std::vector<std::string>& names,
                                        const std::vector<std::string>& formats,
                                        Destination* destination);
    static int64_t countRecords(const ImportFileSettings& settings, int fd);
    // Counts are given when the writer ran.
    Outcome writeRecords(const ImportFileSettings& settings, int fd, const Destination& destination,
                         int64_t lines, std::optional<FileCounts>* counts);
    void logCounts(const std::string& fileName, const FileCounts& counts);
    bool readNamesAndFormats(const ImportFileSettings& settings, std::vector<std::string>* names,
                             std::vector<std::string>* formats);
    Outcome fileFailure(const std::string& fileName, const std::string& table);
    // Reads each record, checks it and hands its row to the writer; the bar moves by a hundredth
    // of the file's lines.
    Outcome importRecords(const ImportFileSettings& settings, int fd, BatchedRowWriter& writer,
                          const std::vector<int>& types, int64_t lines);

    // Moves the bar to the percentage of the file's lines (it never moves back).
    void showProgress(int percent);
    void log(int type, const std::string& message) override;
    void status(const std::string& text) override { reporter_.status(text); }
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
    int percentShown_ = 0;  // of the file being imported
    bool issues_ = false;   // also counts messages the full log no longer keeps
    std::string finalStatus_;
};
