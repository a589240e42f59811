#pragma once
// Reads a file's records straight into fields, and converts their values, on a thread of its own,
// chunks of records ahead of the import that inserts them, so reading and inserting overlap. Memory
// stays bounded: at most a few chunks wait at any time, and their records' fields share one text
// per chunk.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "Common/FieldsAndLinesParser.h"

struct ImportFileSettings;

// A chunk's fields, and which of them the conversion made NULL (none when empty).
struct ChunkFields {
    FieldTexts texts;
    std::vector<bool> nulls;
};

struct SplitRecord {
    int result = FieldsAndLinesParser::kLineRead;  // kReadError ends the file
    bool wasEmpty = false;                         // the record held no text at all
    bool unclosedQuote = false;                    // its last quoted value never closed
    std::string readError;                         // the reader's messages (invalid UTF-8)
    const ChunkFields* fields = nullptr;           // of its chunk, shared by the chunk's records
    size_t firstField = 0;
    size_t fieldCount = 0;

    std::string_view field(size_t i) const { return fields->texts[firstField + i]; }
    bool isNull(size_t i) const {
        return firstField + i < fields->nulls.size() && fields->nulls[firstField + i];
    }
};

// What the reading thread makes of each record's values before handing it on, so that the thread
// inserting them does not wait for it: `convert` appends what each field marked in `fields`
// becomes, or returns false for NULL.
struct ValueConversion {
    std::vector<bool> fields;
    std::function<bool(size_t field, std::string_view value, std::string* into)> convert;
};

class SplitRecordReader {
  public:
    // Starts reading the open file (which the caller keeps open until this object goes).
    SplitRecordReader(int fileDescriptor, const ImportFileSettings& settings,
                      ValueConversion conversion = {});
    // Stops the reading thread and waits for it.
    ~SplitRecordReader();
    SplitRecordReader(const SplitRecordReader&) = delete;
    SplitRecordReader& operator=(const SplitRecordReader&) = delete;

    // The next record, valid until the next call; nullptr after the last (or a read error).
    const SplitRecord* next();

  private:
    struct Chunk {
        ChunkFields fields;
        std::vector<SplitRecord> records;  // the first `used` are this chunk's
        size_t used = 0;
    };
    using ChunkPointer = std::unique_ptr<Chunk>;
    void read(int fileDescriptor, const ImportFileSettings& settings,
              const ValueConversion& conversion);
    // Hands a chunk over, waiting while enough are ahead; false when asked to stop.
    bool push(ChunkPointer chunk);
    // An emptied chunk to fill (its buffers keep their room).
    ChunkPointer takeSpare();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<ChunkPointer> ready_;
    std::vector<ChunkPointer> spare_;
    bool finished_ = false;  // guarded: no more chunks will come
    std::atomic<bool> stop_{false};
    ChunkPointer current_;
    size_t position_ = 0;
    std::thread thread_;  // last, so that it starts after the members above
};
