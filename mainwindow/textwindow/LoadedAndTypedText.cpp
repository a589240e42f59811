#include "mainwindow/textwindow/LoadedAndTypedText.h"

#include <algorithm>

#include "mainwindow/textwindow/TextBoundaries.h"

namespace {

// Room an own text may keep unused beyond its size.
constexpr qsizetype kSlack = 4096;

bool sharesRange(const LoadedAndTypedText::Piece& first, const LoadedAndTypedText::Piece& second) {
    return first.shared && first.shared == second.shared && first.from + first.size == second.from;
}

}  // namespace

LoadedAndTypedText::LoadedAndTypedText(QString own) {
    pushBack({nullptr, 0, own.size(), std::move(own)});
}

LoadedAndTypedText::LoadedAndTypedText(Shared ascii, qsizetype from, qsizetype to) {
    pushBack({std::move(ascii), from, to - from, QString()});
}

template <typename Part>
void LoadedAndTypedText::forEachPart(qsizetype from, qsizetype to, Part part) const {
    qsizetype start = 0;
    for (const Piece& piece : pieces_) {
        const qsizetype low = std::max(from, start);
        const qsizetype high = std::min(to, start + piece.size);
        if (low < high && !part(piece, low - start, high - low, start)) return;
        start += piece.size;
        if (start >= to) break;
    }
}

void LoadedAndTypedText::appendTo(QString& out, qsizetype from, qsizetype to) const {
    forEachPart(from, to, [&](const Piece& piece, qsizetype offset, qsizetype size, qsizetype) {
        if (piece.shared) {
            out += QLatin1StringView(piece.ascii().substr(size_t(offset)).data(), size);
        } else {
            out += QStringView(piece.own).mid(offset, size);
        }
        return true;
    });
}

QString LoadedAndTypedText::toString() const {
    QString text;
    text.reserve(size_);
    appendTo(text, 0, size_);
    return text;
}

LoadedAndTypedText LoadedAndTypedText::mid(qsizetype from, qsizetype to) const {
    LoadedAndTypedText part;
    forEachPart(from, to, [&](const Piece& piece, qsizetype offset, qsizetype size, qsizetype) {
        if (piece.shared) {
            part.pushBack({piece.shared, piece.from + offset, size, QString()});
        } else if (size == piece.size) {
            part.pushBack(piece);
        } else {
            part.pushBack({nullptr, 0, size, piece.own.mid(offset, size)});
        }
        return true;
    });
    return part;
}

void LoadedAndTypedText::append(LoadedAndTypedText other) {
    for (Piece& piece : other.pieces_) pushBack(std::move(piece));
}

void LoadedAndTypedText::prepend(LoadedAndTypedText other) {
    for (auto piece = other.pieces_.rbegin(); piece != other.pieces_.rend(); ++piece) {
        pushFront(std::move(*piece));
    }
}

void LoadedAndTypedText::truncate(qsizetype size) {
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

void LoadedAndTypedText::removeFront(qsizetype count) {
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

void LoadedAndTypedText::clear() {
    pieces_.clear();
    size_ = 0;
}

void LoadedAndTypedText::pushBack(Piece piece) {
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

void LoadedAndTypedText::pushFront(Piece piece) {
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

void LoadedAndTypedText::fit(QString& own) {
    if (own.capacity() > 2 * (own.size() + kSlack)) own.squeeze();
}

qsizetype LoadedAndTypedText::count(char16_t c, qsizetype from, qsizetype to) const {
    qsizetype found = 0;
    forEachPart(from, to, [&](const Piece& piece, qsizetype offset, qsizetype size, qsizetype) {
        if (piece.shared) {
            const std::string_view part = piece.ascii().substr(size_t(offset), size_t(size));
            found += std::count(part.begin(), part.end(), char(c));
        } else {
            found += QStringView(piece.own).mid(offset, size).count(QChar(c));
        }
        return true;
    });
    return found;
}

qsizetype LoadedAndTypedText::indexOf(char16_t c, qsizetype from) const {
    qsizetype found = -1;
    forEachPart(std::max<qsizetype>(0, from), size_,
                [&](const Piece& piece, qsizetype offset, qsizetype size, qsizetype start) {
                    qsizetype at;
                    if (piece.shared) {
                        const size_t in = piece.ascii().find(char(c), size_t(offset));
                        at = in == std::string_view::npos ? -1 : qsizetype(in);
                    } else {
                        at = QStringView(piece.own).first(offset + size).indexOf(QChar(c), offset);
                    }
                    if (at >= 0) found = start + at;
                    return found < 0;
                });
    return found;
}

qsizetype LoadedAndTypedText::lastIndexOf(char16_t c, qsizetype before) const {
    before = std::min(before, size_);
    qsizetype end = size_;
    for (auto piece = pieces_.rbegin(); piece != pieces_.rend(); ++piece) {
        const qsizetype start = end - piece->size;
        if (start < before) {
            const qsizetype size = before - start < piece->size ? before - start : piece->size;
            qsizetype at;
            if (piece->shared) {
                const size_t in = piece->ascii().substr(0, size_t(size)).rfind(char(c));
                at = in == std::string_view::npos ? -1 : qsizetype(in);
            } else {
                at = QStringView(piece->own).first(size).lastIndexOf(QChar(c));
            }
            if (at >= 0) return start + at;
        }
        end = start;
    }
    return -1;
}

std::optional<Qt::LayoutDirection> LoadedAndTypedText::firstStrongDirection(qsizetype from,
                                                                            qsizetype to) const {
    std::optional<Qt::LayoutDirection> direction;
    forEachPart(from, to, [&](const Piece& piece, qsizetype offset, qsizetype size, qsizetype) {
        if (piece.shared) {
            // The only ASCII characters with a direction of their own are its letters.
            const std::string_view ascii = piece.ascii().substr(size_t(offset), size_t(size));
            if (std::any_of(ascii.begin(), ascii.end(),
                            [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; })) {
                direction = Qt::LeftToRight;
            }
        } else {
            direction = ::firstStrongDirection(QStringView(piece.own).mid(offset, size));
        }
        return !direction;
    });
    return direction;
}
