#include "exchange/SplitRecordReader.h"

#include <unistd.h>

#include "exchange/ImportFileSettings.h"
#include "platform/foundation/TextEncoding.h"

namespace {
constexpr size_t kRecordsPerChunk = 256;
constexpr size_t kChunksAhead = 4;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// An odd number of quote strings: the record's last quoted value was never closed.
bool hasUnclosedQuote(const std::string& text, const std::string& quote) {
    if (quote.empty()) return false;
    size_t count = 0;
    for (size_t at = text.find(quote); at != std::string::npos; at = text.find(quote, at + 1)) {
        ++count;
    }
    return count % 2 == 1;
}
}  // namespace

void removeByteOrderMark(std::string& text, int encoding) {
    if (encoding == kUTF8StringEncoding && text.starts_with(kByteOrderMark)) {
        text.erase(0, kByteOrderMark.size());
    }
}

void removeCarriageReturns(std::string& text) {
    if (text.find('\r') != std::string::npos) std::erase(text, '\r');
}

SplitRecordReader::SplitRecordReader(int fileDescriptor, const ImportFileSettings& settings)
    : thread_([this, fileDescriptor, encoding = settings.readerEncoding(),
               separator = settings.separatorString(), quote = settings.quoteString(),
               lineSeparator = settings.lineSeparatorString()] {
          read(fileDescriptor, encoding, separator, quote, lineSeparator);
      }) {}

SplitRecordReader::~SplitRecordReader() {
    stop_ = true;
    changed_.notify_all();
    thread_.join();
}

bool SplitRecordReader::push(Chunk chunk) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || ready_.size() < kChunksAhead; });
    if (stop_) return false;
    ready_.push_back(std::move(chunk));
    changed_.notify_all();
    return true;
}

SplitRecordReader::Chunk SplitRecordReader::takeSpare() {
    std::lock_guard lock(mutex_);
    if (spare_.empty()) return {};
    Chunk chunk = std::move(spare_.back());
    spare_.pop_back();
    return chunk;
}

void SplitRecordReader::read(int fileDescriptor, int encoding, std::string separator,
                             std::string quote, std::string lineSeparator) {
    FieldsAndLinesParser parser;
    std::string line;
    line.reserve(8192);
    Chunk chunk = takeSpare();
    size_t used = 0;
    bool first = true;
    for (bool more = true; more && !stop_;) {
        line.clear();
        if (used == chunk.size()) chunk.emplace_back();
        SplitRecord& record = chunk[used];
        record.readError.clear();
        record.fields.clear();
        record.result = parser.readLineFrom(fileDescriptor, encoding, quote, lineSeparator, &line,
                                            &record.readError);
        more = record.result == FieldsAndLinesParser::kLineRead;
        if (record.result == FieldsAndLinesParser::kEndOfFile && line.empty()) break;
        if (first) removeByteOrderMark(line, encoding);
        first = false;
        record.wasEmpty = line.empty();
        record.unclosedQuote =
            record.result == FieldsAndLinesParser::kEndOfFile && hasUnclosedQuote(line, quote);
        removeCarriageReturns(line);
        if (record.result != FieldsAndLinesParser::kReadError) {
            FieldsAndLinesParser::findFieldsInLine(line, &record.fields, separator, quote);
        }
        if (++used == kRecordsPerChunk) {
            bytesRead_ = ::lseek(fileDescriptor, 0, SEEK_CUR);
            if (!push(std::move(chunk))) return;
            chunk = takeSpare();
            used = 0;
        }
    }
    if (used > 0) {
        chunk.resize(used);
        if (!push(std::move(chunk))) return;
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

SplitRecord* SplitRecordReader::next() {
    if (position_ < current_.size()) return &current_[position_++];
    std::unique_lock lock(mutex_);
    if (!current_.empty()) spare_.push_back(std::move(current_));
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) return nullptr;
    current_ = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    position_ = 0;
    return &current_[position_++];
}
