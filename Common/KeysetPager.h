#pragma once
// How the pages of the grid's query are read: by key once the marks of the query are sampled
// (in the background, after its rows are counted), and before the first mark by key from the
// start of the order, or from the first row under a search where its count found that row (and
// pages of its later half from its last row, found by the same count); else by offset, from the
// nearer end of the order when the count of its rows is known to hold, and never past its last
// row then. Any change of the file drops the marks and samples them again, so no page is ever
// found by the marks of older rows. Queries that are not keyed are read by offset, as they are.
// A search's count takes the ROWIDs of its rows (MatchedRows.h) where one walk of the order's
// index gives the order: its marks are then sampled, and its pages before them read, in such a
// walk that reads no table row to test the search. On a large table the count and the walk are
// read in parts side by side (ParallelMatchedRows.h), the walk of the whole order beside the
// count, its rows then taken for the marks. That walk of the order, the same for every search,
// is kept (4 bytes a row) for the searches after it on the same order and version of the file;
// the order's own sampling on a large table walks it so too. The sampling gives way to the writes
// of others and starts again once it has.
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Common/BackgroundTask.h"
#include "Common/FileChangeWatch.h"
#include "Common/KeysetPages.h"
#include "Common/MatchedRows.h"
#include "Common/ParallelMatchedRows.h"
#include "Common/ParallelReads.h"

class KeysetPager {
  public:
    static constexpr int64_t kMarkSpacing = 1000;
    // Below this many rows an offset costs no more than a key.
    static constexpr int64_t kRowsWorthMarks = 10 * kMarkSpacing;

    // poster runs the sampling's report on the main thread, where the pager is used.
    explicit KeysetPager(BackgroundTask::Poster poster, int64_t markSpacing = kMarkSpacing,
                         int64_t rowsWorthMarks = kRowsWorthMarks,
                         DBInterface::ParallelReads parallel = {});
    ~KeysetPager();
    KeysetPager(const KeysetPager&) = delete;
    KeysetPager& operator=(const KeysetPager&) = delete;

    // The rows of the query (those of its count statement); -1 with the error.
    int64_t countRows(const DBInterface::GridQuery& query, const std::string& databaseFilePath,
                      std::string* errorString);
    // Appends up to limit rows from firstRowIndex, the rows readGridPage gives: with every value
    // whole, or long blobs held by prefix where the query holds them. A failure appends its
    // message and returns non-zero, leaving rows as they were. versionRead (when given) receives
    // the file's version taken before the rows were read.
    int readPage(std::vector<DBValue>* rows, const DBInterface::GridQuery& query,
                 int64_t firstRowIndex, int64_t limit, const std::string& databaseFilePath,
                 std::string* errorString,
                 DBInterface::LongValues longValues = DBInterface::LongValues::Whole,
                 int64_t* versionRead = nullptr);
    // The place of the row of the ROWID in the query's order under its search (KeysetPages.h);
    // -1 when no row under the search has it. While the file is as counted, the rows the count
    // took stand for the search, so that the rows before it are counted in the order's index.
    int rowIndexOfRowid(int64_t* rowIndex, const DBInterface::GridQuery& query, int64_t rowid,
                        const std::string& databaseFilePath, std::string* errorString);
    // The file's version now (FileChangeWatch.h), by the watch the pages are read by; the pager
    // follows the file from here on.
    int64_t fileVersion(const std::string& databaseFilePath);
    // The rows of the search the count took, once counted (nullptr when there are none to use).
    using CountedRows = std::shared_future<std::shared_ptr<const DBInterface::MatchedRows>>;

    // Whether the marks of the query last read are ready (they may still turn out stale).
    bool marksReady() const { return marks_ != nullptr; }
    // Whether a walk of the whole order is kept for the searches on it.
    bool orderWalkKept() const { return walk_ != nullptr; }

  private:
    // Forgets all that was known when the query or the file is another.
    void follow(const DBInterface::GridQuery& query, const std::string& databaseFilePath);
    FileChangeWatch& watch();
    // Samples the marks of the file's version; with counted, from a walk of the whole order read
    // while the search is counted.
    void sampleMarks(int64_t version, CountedRows counted = {});
    // The walk kept of the order read, while the file is at version; nullptr once either changed.
    std::shared_ptr<const DBInterface::OrderWalk> keptWalk(int64_t version);
    void keepWalk(std::shared_ptr<const DBInterface::OrderWalk> walk, const std::string& order,
                  int64_t version);
    static std::string orderOf(const DBInterface::GridQuery& query);
    void marksSampled(int64_t generation, int64_t version,
                      std::shared_ptr<const DBInterface::PageMarks> marks, bool yielded);
    // Room for the rows of the query's search, taken by its count, when one walk of the order's
    // index gives its order; nullptr otherwise. searchInIndex says whether the index of the
    // order's first key holds all the search reads.
    std::shared_ptr<DBInterface::MatchedRows> roomForMatchedRows(
        const DBInterface::GridQuery& query, bool* searchInIndex);
    int readMatchedPage(std::vector<DBValue>* page, const DBInterface::GridQuery& query,
                        int64_t firstRowIndex, int64_t limit, std::string* errorString);
    int readKnownPage(std::vector<DBValue>* page, const DBInterface::GridQuery& query,
                      int64_t firstRowIndex, int64_t limit, int64_t version,
                      std::string* errorString);

    BackgroundTask::Poster poster_;
    int64_t spacing_;
    int64_t rowsWorthMarks_;
    DBInterface::ParallelReads parallel_;
    DBInterface::GridQuery query_;
    DBInterface::GridQuery wholeQuery_;  // query_ reading every value whole
    std::string path_;
    std::optional<FileChangeWatch> watch_;
    int64_t countedRows_ = -1;
    int64_t countVersion_ = -1;     // the file's version before it was counted
    DBInterface::RowKey firstRow_;  // the keys of the first row counted, when it was found by key
    DBInterface::RowKey lastRow_;   // and of the last, found by the same count
    // The ROWIDs of the rows the same count found, when the order is walked in an index.
    std::shared_ptr<const DBInterface::MatchedRows> matched_;
    std::shared_ptr<const DBInterface::PageMarks> marks_;
    int64_t marksVersion_ = -1;  // the file's version before the marks were sampled
    // The ROWIDs of the whole order walkedOrder_, walked at the file's version walkVersion_.
    std::shared_ptr<const DBInterface::OrderWalk> walk_;
    std::string walkedOrder_;
    int64_t walkVersion_ = -1;
    std::unique_ptr<BackgroundTask> sampling_;
    bool samplingFailed_ = false;
    int64_t generation_ = 0;  // of the sampling whose report is awaited
    // Reports posted by a sampling are dropped once the pager is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
