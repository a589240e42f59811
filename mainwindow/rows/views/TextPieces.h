#pragma once
// A long text held as pieces: ranges of an ASCII text shared with its other holders (a value as
// loaded, held once however the text is cut up around an edit) and texts of its own (what was
// typed, or a text that is not ASCII); and the comparison of such a text with an UTF-8 one.
// Positions count UTF-16 code units, as a QString's do; in an ASCII text they are its bytes.
#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TextPieces {
  public:
    using Shared = std::shared_ptr<const std::string>;

    struct Piece {
        // The range [from, from + size) of shared, or own when shared is null.
        Shared shared;
        qsizetype from = 0;
        qsizetype size = 0;
        QString own;

        std::string_view ascii() const {
            return std::string_view(*shared).substr(size_t(from), size_t(size));
        }
    };

    TextPieces() = default;
    explicit TextPieces(QString own);
    // The range [from, to) of an ASCII text.
    TextPieces(Shared ascii, qsizetype from, qsizetype to);

    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    const std::vector<Piece>& pieces() const { return pieces_; }

    // Appends the characters [from, to) to out.
    void appendTo(QString& out, qsizetype from, qsizetype to) const;
    QString toString() const;
    // The characters [from, to) as pieces: shared ranges stay shared.
    TextPieces mid(qsizetype from, qsizetype to) const;
    void append(TextPieces other);
    void prepend(TextPieces other);
    void truncate(qsizetype size);
    void removeFront(qsizetype count);
    void clear();

  private:
    // Calls part(piece, offset, size) for each piece's part in [from, to).
    template <typename Part>
    void forEachPart(qsizetype from, qsizetype to, Part part) const;
    // Joins piece to the last (first) piece where they continue each other.
    void pushBack(Piece piece);
    void pushFront(Piece piece);
    // An own text cut to much less than its room gives the room back.
    static void fit(QString& own);

    std::vector<Piece> pieces_;
    qsizetype size_ = 0;
};

// Compares a text given in parts, UTF-16 or ASCII, with an UTF-8 text, without a copy of either
// whole. A surrogate pair split between parts is compared whole.
class Utf8Comparison {
  public:
    explicit Utf8Comparison(std::string_view utf8) : utf8_(utf8) {}
    // False once the parts given differ from the start of the UTF-8 text.
    bool add(QStringView part);
    bool add(const TextPieces& pieces);
    // Whether the parts given are the whole UTF-8 text.
    bool finish();

  private:
    bool addAscii(std::string_view ascii);
    bool flush(QStringView units);

    std::string_view utf8_;
    size_t compared_ = 0;
    // A high surrogate at the end of a part, waiting for its other half.
    QString pending_;
    bool equal_ = true;
};
