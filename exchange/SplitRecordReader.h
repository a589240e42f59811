#pragma once
// Reads a file's records and splits them into fields on a thread of its own, a few hundred
// records ahead of the import that inserts them, so reading and inserting overlap. Memory stays
// bounded: at most a few chunks of records wait at any time.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Common/FieldsAndLinesParser.h"

struct ImportFileSettings;

struct SplitRecord {
    int result = FieldsAndLinesParser::kLineRead;  // kReadError ends the file
    bool wasEmpty = false;                         // the record held no text at all
    bool unclosedQuote = false;                    // its last quoted value never closed
    std::string readError;                         // the reader's message (invalid UTF-8)
    std::vector<std::string> fields;
};

// What every record read for an import loses: a leading UTF-8 byte-order mark (of the file's
// first record) and every carriage return.
void removeByteOrderMark(std::string& text, int encoding);
void removeCarriageReturns(std::string& text);

class SplitRecordReader {
  public:
    // Starts reading the open file (which the caller keeps open until this object goes).
    SplitRecordReader(int fileDescriptor, const ImportFileSettings& settings);
    // Stops the reading thread and waits for it.
    ~SplitRecordReader();
    SplitRecordReader(const SplitRecordReader&) = delete;
    SplitRecordReader& operator=(const SplitRecordReader&) = delete;

    // The next record, valid until the next call; nullptr after the last (or a read error).
    SplitRecord* next();
    // How far into the file the reading thread has come, in bytes.
    int64_t bytesRead() const { return bytesRead_; }

  private:
    using Chunk = std::vector<SplitRecord>;
    void read(int fileDescriptor, int encoding, std::string separator, std::string quote,
              std::string lineSeparator);
    // Hands a chunk over, waiting while enough are ahead; false when asked to stop.
    bool push(Chunk chunk);
    // A chunk the caller is done with, to be filled again (its strings keep their room).
    Chunk takeSpare();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk> ready_;
    std::vector<Chunk> spare_;
    bool finished_ = false;  // guarded: no more chunks will come
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> bytesRead_{0};
    Chunk current_;
    size_t position_ = 0;
    std::thread thread_;  // last, so that it starts after the members above
};
