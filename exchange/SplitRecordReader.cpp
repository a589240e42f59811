#include "exchange/SplitRecordReader.h"

#include <algorithm>

#include "exchange/ImportFileSettings.h"

namespace {
// Few hand-overs between the threads, and a chunk of long records still stays small.
constexpr size_t kRecordsPerChunk = 2048;
constexpr size_t kChunkTextBytes = size_t{1} << 20;
constexpr size_t kChunksAhead = 4;

// Rewrites the record's values, the last ones of the chunk's fields, as the conversion makes
// them; the original text from the first converted field on is copied aside first.
void convertRecord(const ValueConversion& conversion, const SplitRecord& record,
                   ChunkFields* chunkFields, FieldTexts* original) {
    const size_t converted = std::min(record.fieldCount, conversion.fields.size());
    size_t first = 0;
    while (first < converted && !conversion.fields[first]) ++first;
    if (first == converted) return;
    FieldTexts& fields = chunkFields->texts;
    const size_t from = record.firstField + first;
    const size_t start = from == 0 ? 0 : fields.ends[from - 1];
    original->text.assign(fields.text, start);
    original->ends.clear();
    for (size_t i = from; i < fields.size(); ++i) original->ends.push_back(fields.ends[i] - start);
    fields.text.resize(start);
    fields.ends.resize(from);
    for (size_t i = first; i < record.fieldCount; ++i) {
        const std::string_view value = (*original)[i - first];
        if (i >= converted || !conversion.fields[i]) {
            fields.text.append(value);
        } else if (!conversion.convert(i, value, &fields.text)) {
            chunkFields->nulls.resize(record.firstField + record.fieldCount);
            chunkFields->nulls[record.firstField + i] = true;
        }
        fields.ends.push_back(fields.text.size());
    }
}
}  // namespace

SplitRecordReader::SplitRecordReader(int fileDescriptor, const ImportFileSettings& settings,
                                     ValueConversion conversion)
    : thread_([this, fileDescriptor, settings, conversion = std::move(conversion)] {
          read(fileDescriptor, settings, conversion);
      }) {}

SplitRecordReader::~SplitRecordReader() {
    stop_ = true;
    changed_.notify_all();
    thread_.join();
}

bool SplitRecordReader::push(ChunkPointer chunk) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || ready_.size() < kChunksAhead; });
    if (stop_) return false;
    ready_.push_back(std::move(chunk));
    changed_.notify_all();
    return true;
}

SplitRecordReader::ChunkPointer SplitRecordReader::takeSpare() {
    ChunkPointer chunk;
    {
        std::lock_guard lock(mutex_);
        if (!spare_.empty()) {
            chunk = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    if (!chunk) chunk = std::make_unique<Chunk>();
    chunk->fields.texts.clear();
    chunk->fields.nulls.clear();
    chunk->used = 0;
    return chunk;
}

void SplitRecordReader::read(int fileDescriptor, const ImportFileSettings& settings,
                             const ValueConversion& conversion) {
    FieldsAndLinesParser parser(fileDescriptor, settings.readerEncoding(),
                                settings.separatorString(), settings.quoteString(),
                                settings.lineEnds());
    ChunkPointer chunk = takeSpare();
    FieldTexts original;  // of the record being converted
    for (bool more = true; more && !stop_;) {
        if (chunk->used == chunk->records.size()) chunk->records.emplace_back();
        SplitRecord& record = chunk->records[chunk->used];
        record.readError.clear();
        record.fields = &chunk->fields;
        record.firstField = chunk->fields.texts.size();
        FieldsAndLinesParser::Record facts;
        record.result = parser.readRecord(&chunk->fields.texts, &facts, &record.readError);
        if (record.result == FieldsAndLinesParser::kEndOfFile) break;
        more = record.result == FieldsAndLinesParser::kLineRead;
        record.wasEmpty = facts.wasEmpty;
        record.unclosedQuote = facts.unclosedQuote;
        record.fieldCount = chunk->fields.texts.size() - record.firstField;
        if (conversion.convert) convertRecord(conversion, record, &chunk->fields, &original);
        if (++chunk->used == kRecordsPerChunk ||
            chunk->fields.texts.text.size() >= kChunkTextBytes) {
            if (!push(std::move(chunk))) return;
            chunk = takeSpare();
        }
    }
    if (chunk->used > 0 && !push(std::move(chunk))) return;
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

const SplitRecord* SplitRecordReader::next() {
    if (current_ && position_ < current_->used) return &current_->records[position_++];
    std::unique_lock lock(mutex_);
    if (current_) spare_.push_back(std::move(current_));
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) return nullptr;
    current_ = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    position_ = 0;
    return &current_->records[position_++];
}
