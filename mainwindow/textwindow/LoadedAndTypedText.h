#pragma once
// A long text held as pieces: ranges of an ASCII text shared with its other holders (a value as
// loaded, held once however the text is cut up around an edit) and texts of its own (what was
// typed, or a text that is not ASCII). Positions count UTF-16 code units, as a QString's do; in
// an ASCII text they are its bytes.
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LoadedAndTypedText {
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

    LoadedAndTypedText() = default;
    explicit LoadedAndTypedText(QString own);
    // The range [from, to) of an ASCII text.
    LoadedAndTypedText(Shared ascii, qsizetype from, qsizetype to);

    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    const std::vector<Piece>& pieces() const { return pieces_; }

    // Appends the characters [from, to) to out.
    void appendTo(QString& out, qsizetype from, qsizetype to) const;
    QString toString() const;
    // The characters [from, to) as pieces: shared ranges stay shared.
    LoadedAndTypedText mid(qsizetype from, qsizetype to) const;
    void append(LoadedAndTypedText other);
    void prepend(LoadedAndTypedText other);
    void truncate(qsizetype size);
    void removeFront(qsizetype count);
    void clear();

    // The searches a text of paragraphs needs, for an ASCII character c.
    qsizetype count(char16_t c, qsizetype from, qsizetype to) const;
    // The first c at or after from, the last before `before`; -1 where there is none.
    qsizetype indexOf(char16_t c, qsizetype from) const;
    qsizetype lastIndexOf(char16_t c, qsizetype before) const;
    // The direction of the first character in [from, to) that has one of its own.
    std::optional<Qt::LayoutDirection> firstStrongDirection(qsizetype from, qsizetype to) const;

  private:
    // Calls part(piece, offset, size, start) for each piece's part in [from, to), start being
    // where the piece starts in the text; a part returning false ends the walk.
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
