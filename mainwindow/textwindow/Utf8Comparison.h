#pragma once
#include <QString>
#include <QStringView>

#include <string_view>

#include "mainwindow/textwindow/LoadedAndTypedText.h"

// Compares a text given in parts, UTF-16 or ASCII, with an UTF-8 text, without a copy of either
// whole. A surrogate pair split between parts is compared whole.
class Utf8Comparison {
  public:
    explicit Utf8Comparison(std::string_view utf8) : utf8_(utf8) {}
    // False once the parts given differ from the start of the UTF-8 text.
    bool add(QStringView part);
    bool add(const LoadedAndTypedText& pieces);
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
