#include "mainwindow/rows/views/TextPieces.h"

#include <algorithm>

namespace {

// Room an own text may keep unused beyond its size.
constexpr qsizetype kSlack = 4096;
// Converted to UTF-8 this many units at a time.
constexpr qsizetype kChunk = 4096;

bool sharesRange(const TextPieces::Piece& first, const TextPieces::Piece& second) {
    return first.shared && first.shared == second.shared && first.from + first.size == second.from;
}

}  // namespace

TextPieces::TextPieces(QString own) {
    pushBack({nullptr, 0, own.size(), std::move(own)});
}

TextPieces::TextPieces(Shared ascii, qsizetype from, qsizetype to) {
    pushBack({std::move(ascii), from, to - from, QString()});
}

template <typename Part>
void TextPieces::forEachPart(qsizetype from, qsizetype to, Part part) const {
    qsizetype start = 0;
    for (const Piece& piece : pieces_) {
        const qsizetype low = std::max(from, start);
        const qsizetype high = std::min(to, start + piece.size);
        if (low < high) part(piece, low - start, high - low);
        start += piece.size;
        if (start >= to) break;
    }
}

void TextPieces::appendTo(QString& out, qsizetype from, qsizetype to) const {
    forEachPart(from, to, [&](const Piece& piece, qsizetype offset, qsizetype size) {
        if (piece.shared) {
            out += QLatin1StringView(piece.ascii().substr(size_t(offset)).data(), size);
        } else {
            out += QStringView(piece.own).mid(offset, size);
        }
    });
}

QString TextPieces::toString() const {
    QString text;
    text.reserve(size_);
    appendTo(text, 0, size_);
    return text;
}

TextPieces TextPieces::mid(qsizetype from, qsizetype to) const {
    TextPieces part;
    forEachPart(from, to, [&](const Piece& piece, qsizetype offset, qsizetype size) {
        if (piece.shared) {
            part.pushBack({piece.shared, piece.from + offset, size, QString()});
        } else if (size == piece.size) {
            part.pushBack(piece);
        } else {
            part.pushBack({nullptr, 0, size, piece.own.mid(offset, size)});
        }
    });
    return part;
}

void TextPieces::append(TextPieces other) {
    for (Piece& piece : other.pieces_) pushBack(std::move(piece));
}

void TextPieces::prepend(TextPieces other) {
    for (auto piece = other.pieces_.rbegin(); piece != other.pieces_.rend(); ++piece) {
        pushFront(std::move(*piece));
    }
}

void TextPieces::truncate(qsizetype size) {
    while (size_ > size && !pieces_.empty()) {
        Piece& last = pieces_.back();
        const qsizetype excess = size_ - size;
        if (excess >= last.size) {
            size_ -= last.size;
            pieces_.pop_back();
            continue;
        }
        last.size -= excess;
        size_ -= excess;
        if (!last.shared) {
            last.own.truncate(last.size);
            fit(last.own);
        }
    }
}

void TextPieces::removeFront(qsizetype count) {
    auto piece = pieces_.begin();
    for (; count > 0 && piece != pieces_.end() && piece->size <= count; ++piece) {
        count -= piece->size;
        size_ -= piece->size;
    }
    pieces_.erase(pieces_.begin(), piece);
    if (count <= 0 || pieces_.empty()) return;
    Piece& first = pieces_.front();
    first.size -= count;
    size_ -= count;
    if (first.shared) {
        first.from += count;
    } else {
        first.own.remove(0, count);
        fit(first.own);
    }
}

void TextPieces::clear() {
    pieces_.clear();
    size_ = 0;
}

void TextPieces::pushBack(Piece piece) {
    if (piece.size == 0) return;
    size_ += piece.size;
    if (!pieces_.empty()) {
        Piece& last = pieces_.back();
        if (sharesRange(last, piece)) {
            last.size += piece.size;
            return;
        }
        if (!last.shared && !piece.shared) {
            last.own += piece.own;
            last.size = last.own.size();
            return;
        }
    }
    pieces_.push_back(std::move(piece));
}

void TextPieces::pushFront(Piece piece) {
    if (piece.size == 0) return;
    size_ += piece.size;
    if (!pieces_.empty()) {
        Piece& first = pieces_.front();
        if (sharesRange(piece, first)) {
            first.from = piece.from;
            first.size += piece.size;
            return;
        }
        if (!first.shared && !piece.shared) {
            first.own.prepend(piece.own);
            first.size = first.own.size();
            return;
        }
    }
    pieces_.insert(pieces_.begin(), std::move(piece));
}

void TextPieces::fit(QString& own) {
    if (own.capacity() > 2 * (own.size() + kSlack)) own.squeeze();
}

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

bool Utf8Comparison::add(const TextPieces& pieces) {
    for (const TextPieces::Piece& piece : pieces.pieces()) {
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
