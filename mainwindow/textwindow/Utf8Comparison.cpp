#include "mainwindow/textwindow/Utf8Comparison.h"

#include <algorithm>

namespace {

// Converted to UTF-8 this many units at a time.
constexpr qsizetype kChunk = 4096;

}  // namespace

bool Utf8Comparison::add(QStringView part) {
    if (!equal_ || part.isEmpty()) return equal_;
    if (!pending_.isEmpty()) {
        const QString pair = pending_ + part.front();
        pending_.clear();
        if (!flush(pair)) return false;
        part = part.mid(1);
    }
    if (!part.isEmpty() && part.back().isHighSurrogate()) {
        pending_ = part.back();
        part.chop(1);
    }
    while (!part.isEmpty()) {
        qsizetype size = std::min(part.size(), kChunk);
        // A surrogate pair is converted whole.
        if (size < part.size() && size > 1 && part.at(size - 1).isHighSurrogate()) --size;
        if (!flush(part.first(size))) return false;
        part = part.mid(size);
    }
    return true;
}

bool Utf8Comparison::add(const LoadedAndTypedText& pieces) {
    for (const LoadedAndTypedText::Piece& piece : pieces.pieces()) {
        if (!(piece.shared ? addAscii(piece.ascii()) : add(QStringView(piece.own)))) return false;
    }
    return equal_;
}

bool Utf8Comparison::finish() {
    if (!pending_.isEmpty()) {
        flush(pending_);
        pending_.clear();
    }
    return equal_ && compared_ == utf8_.size();
}

bool Utf8Comparison::addAscii(std::string_view ascii) {
    if (!equal_) return false;
    if (!pending_.isEmpty()) {
        const QString lone = std::move(pending_);
        pending_.clear();
        if (!flush(lone)) return false;
    }
    const std::string_view rest = utf8_.substr(compared_);
    // The same bytes, as where both hold the text as loaded, are equal without a look.
    equal_ = rest.size() >= ascii.size() &&
             (rest.data() == ascii.data() || rest.substr(0, ascii.size()) == ascii);
    compared_ += ascii.size();
    return equal_;
}

bool Utf8Comparison::flush(QStringView units) {
    const QByteArray chunk = units.toUtf8();
    const std::string_view rest = utf8_.substr(std::min(compared_, utf8_.size()));
    equal_ = rest.substr(0, size_t(chunk.size())) == std::string_view(chunk);
    compared_ += size_t(chunk.size());
    return equal_;
}
