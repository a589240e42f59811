// The cell editor's line edit holding only a window of a long text does what it does holding the
// text whole: the same keys over texts of mixed scripts, surrogate pairs and combining marks
// leave the same text, cursor and selection in both.
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "mainwindow/textwindow/CellTextField.h"
#include "tests/support/KeyPresses.h"
#include "tests/support/QtApplication.h"

namespace {

// Runs of up to two tokens between spaces, so that a word never outgrows the window's margin.
QString hostileText(std::mt19937& random, int tokens) {
    const QString pieces[] = {"a",
                              "bc",
                              QString::fromUtf8("\xc3\xa9"),
                              QString::fromUtf8("e\xcc\x81"),
                              QString::fromUtf8("\xf0\x9f\x98\x80"),
                              QString::fromUtf8("\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9"),
                              QString::fromUtf8("\xd7\xa9\xd7\x9c"),
                              QString::fromUtf8("\xe4\xb8\xad"),
                              "'",
                              "\"",
                              "."};
    QString text;
    for (int i = 0; i < tokens; ++i) {
        text += pieces[random() % std::size(pieces)];
        if (i % 2 == 1) text += ' ';
    }
    return text;
}

// Words of base64 (its '+', '/' and '=' part words), hex and letters, a few far longer than the
// editor's window, between spaces and stops; long words at both ends.
QString longWordsText(std::mt19937& random, qsizetype atLeast) {
    static const QString base64 =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
    const QString alphabets[] = {base64, "0123456789abcdef", "x"};
    const QString gaps[] = {" ", "  ", ". ", "-", " \"", "\t"};
    auto word = [&](qsizetype size) {
        const QString& alphabet = alphabets[random() % std::size(alphabets)];
        QString text(size, Qt::Uninitialized);
        for (QChar& c : text) c = alphabet[random() % alphabet.size()];
        return text;
    };
    auto longSize = [&] { return qsizetype(3000 + random() % 12000); };
    QString text = word(longSize());
    while (text.size() < atLeast) {
        text += gaps[random() % std::size(gaps)];
        text += word(random() % 4 == 0 ? longSize() : qsizetype(1 + random() % 12));
    }
    return text + " " + word(longSize());
}

testing::AssertionResult same(const CellTextField& windowed, const CellTextField& whole) {
    const QString text = windowed.wholeText(), expected = whole.wholeText();
    if (text != expected) {
        if (expected.size() > 1000) {
            return testing::AssertionFailure()
                   << "text of " << text.size() << " characters instead of " << expected.size();
        }
        return testing::AssertionFailure()
               << "text " << text.toStdString() << " instead of " << expected.toStdString();
    }
    if (windowed.wholeCursorPosition() != whole.wholeCursorPosition() ||
        windowed.wholeAnchorPosition() != whole.wholeAnchorPosition()) {
        return testing::AssertionFailure()
               << "cursor " << windowed.wholeCursorPosition() << " anchor "
               << windowed.wholeAnchorPosition() << " instead of " << whole.wholeCursorPosition()
               << " " << whole.wholeAnchorPosition();
    }
    return testing::AssertionSuccess();
}

// Moves, selections, word steps and deletes, ends of the text, typing, cut and paste.
const std::vector<Key>& randomKeys() {
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, control = Qt::ControlModifier;
    static const std::vector<Key> keys = {{Qt::Key_Left, {}, {}},
                                          {Qt::Key_Right, {}, {}},
                                          {Qt::Key_Left, shift, {}},
                                          {Qt::Key_Right, shift, {}},
                                          {Qt::Key_Left, control, {}},
                                          {Qt::Key_Right, control, {}},
                                          {Qt::Key_Right, control | shift, {}},
                                          {Qt::Key_Left, control | shift, {}},
                                          {Qt::Key_Backspace, control, {}},
                                          {Qt::Key_Delete, control, {}},
                                          {Qt::Key_Home, {}, {}},
                                          {Qt::Key_End, {}, {}},
                                          {Qt::Key_Home, shift, {}},
                                          {Qt::Key_End, shift, {}},
                                          {Qt::Key_Home, control, {}},
                                          {Qt::Key_End, control, {}},
                                          {Qt::Key_Home, control | shift, {}},
                                          {Qt::Key_End, control | shift, {}},
                                          {Qt::Key_Up, shift, {}},
                                          {Qt::Key_Down, control, {}},
                                          {Qt::Key_A, control, {}},
                                          {Qt::Key_Backspace, {}, {}},
                                          {Qt::Key_Delete, {}, {}},
                                          {Qt::Key_X, {}, "x"},
                                          {Qt::Key_E, {}, QString::fromUtf8("\xc3\xa9")},
                                          {Qt::Key_Space, {}, " "},
                                          {Qt::Key_X, control, {}},
                                          {Qt::Key_V, control, {}}};
    return keys;
}

}  // namespace

TEST(CellTextFieldTest, AWindowedLongTextEditsAsTheWholeTextUnderRandomKeys) {
    ensureQApplication();
    const std::vector<Key>& keys = randomKeys();
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const QString text = hostileText(random, 100 + round * 40);
        CellTextField windowed(nullptr, 96, 96, 24);
        CellTextField whole(nullptr, 1 << 30, 96, 24);
        windowed.setWholeText(text);
        whole.setWholeText(text);
        // As an editor opens: everything selected.
        windowed.selectAll();
        whole.selectAll();
        ASSERT_TRUE(same(windowed, whole));
        QApplication::clipboard()->setText(QString::fromUtf8("p\xc3\xa9"));
        for (int step = 0; step < 400; ++step) {
            const Key& key = keys[random() % keys.size()];
            press(&windowed, key);
            const QString cut = QApplication::clipboard()->text();
            press(&whole, key);
            ASSERT_EQ(QApplication::clipboard()->text(), cut) << "step " << step;
            ASSERT_TRUE(same(windowed, whole))
                << "step " << step << " key " << key.key << " " << key.modifiers;
        }
    }
}

TEST(CellTextFieldTest, ALongTextKeepsAWindowAndIsTakenWholeAfterEdits) {
    ensureQApplication();
    const QString text = QString(200000, 'z') + "tail";
    CellTextField field(nullptr, 4096, 4096, 512);
    field.setWholeText(text);
    EXPECT_LE(field.text().size(), 4096);
    EXPECT_EQ(field.wholeText(), text);
    EXPECT_EQ(field.wholeCursorPosition(), text.size());
    QTest::keyClick(&field, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(&field, "<");
    QTest::keyClick(&field, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&field, ">");
    EXPECT_LE(field.text().size(), 4097);
    EXPECT_EQ(field.wholeText(), "<" + text + ">");
    EXPECT_TRUE(field.isModified());
    // Everything selected and typed over leaves only what was typed.
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&field, "new");
    EXPECT_EQ(field.wholeText(), "new");
}

TEST(CellTextFieldTest, WordMovesAndDeletesOverWordsLongerThanTheWindowActOnTheWholeText) {
    ensureQApplication();
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, control = Qt::ControlModifier;
    const Key keys[] = {{Qt::Key_Left, control, {}},
                        {Qt::Key_Right, control, {}},
                        {Qt::Key_Left, control | shift, {}},
                        {Qt::Key_Right, control | shift, {}},
                        {Qt::Key_Backspace, control, {}},
                        {Qt::Key_Delete, control, {}},
                        {Qt::Key_Left, {}, {}},
                        {Qt::Key_Right, shift, {}},
                        {Qt::Key_Home, control, {}},
                        {Qt::Key_End, control, {}},
                        {Qt::Key_X, {}, "x"},
                        {Qt::Key_Space, {}, " "}};
    // Runs of single steps that bring the cursor to a window's margin or edge and just past.
    const int runs[] = {1023, 1024, 1025, 2047, 2048, 2049};
    std::mt19937 random(50);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const QString text = longWordsText(random, 65537 + qsizetype(random() % 20000));
        // The editor's own sizes, beside a line edit holding the whole text.
        CellTextField windowed(nullptr);
        CellTextField whole(nullptr, std::numeric_limits<qsizetype>::max());
        windowed.setWholeText(text);
        whole.setWholeText(text);
        if (round % 2 == 1) {
            QTest::keyClick(&windowed, Qt::Key_Home, control);
            QTest::keyClick(&whole, Qt::Key_Home, control);
        }
        ASSERT_TRUE(same(windowed, whole));
        for (int step = 0; step < 100; ++step) {
            if (random() % 10 == 0) {
                const Qt::Key way = random() % 2 ? Qt::Key_Left : Qt::Key_Right;
                const int run = runs[random() % std::size(runs)];
                for (int i = 0; i < run; ++i) {
                    QTest::keyClick(&windowed, way);
                    QTest::keyClick(&whole, way);
                }
                ASSERT_TRUE(same(windowed, whole)) << "step " << step << " run " << run;
                continue;
            }
            const Key& key = keys[random() % std::size(keys)];
            press(&windowed, key);
            press(&whole, key);
            ASSERT_TRUE(same(windowed, whole))
                << "step " << step << " key " << key.key << " " << key.modifiers;
        }
    }
}

// The comparison without a copy agrees with comparing the whole text's UTF-8, with surrogate
// pairs and lone surrogates around its chunks' edges and bytes that are not UTF-8.
TEST(CellTextFieldTest, TheWholeTextEqualsWhatComparingItsUtf8Says) {
    ensureQApplication();
    const QString pair = QString::fromUtf8("\xf0\x9f\x98\x80");
    std::vector<QString> texts = {QString(), "a", QString(QChar(0xd83d)), QString(QChar(0xde00))};
    for (qsizetype at : {4094, 4095, 4096, 8191}) {
        texts.push_back(QString(at, 'a') + pair + "b");
        texts.push_back(QString(at, 'a') + QChar(0xd83d));
        texts.push_back(QString(at, 'a') + QChar(0xde00) + "b");
    }
    texts.push_back(QString(70000, QChar(0xe9)) + pair);
    for (const QString& text : texts) {
        CellTextField field(nullptr, 16, 8, 2);
        field.setWholeText(text);
        const std::string utf8 = field.wholeText().toStdString();
        std::vector<std::string> candidates = {utf8, utf8 + "a", utf8 + "\xff", "\xff" + utf8};
        if (!utf8.empty()) {
            candidates.push_back(utf8.substr(0, utf8.size() - 1));
            candidates.push_back(utf8.substr(1));
            std::string changed = utf8;
            changed[changed.size() / 2] ^= 1;
            candidates.push_back(changed);
        }
        for (const std::string& candidate : candidates) {
            EXPECT_EQ(field.wholeTextEquals(candidate), utf8 == candidate) << text.size();
        }
    }
}

// ASCII tokens: letters, quotes, stops, digits and spaces, so that words stay short.
std::string asciiText(std::mt19937& random, int tokens) {
    const char* pieces[] = {"a", "bc", "'", "\"", ".", "42", " ", "Zz", "\t"};
    std::string text;
    for (int i = 0; i < tokens; ++i) text += pieces[random() % std::size(pieces)];
    return text;
}

// A loaded ASCII text is held in pieces shared with the text as loaded; the same keys leave it
// as the same text held whole leaves, and it is as loaded exactly when its UTF-8 is.
TEST(CellTextFieldTest, ALoadedTextInSharedPiecesEditsAsATextHeldWholeAndKnowsWhenItIsAsLoaded) {
    ensureQApplication();
    std::vector<Key> keys = randomKeys();
    keys.push_back({Qt::Key_X, {}, QString::fromUtf8("\xf0\x9f\x98\x80")});
    keys.push_back({Qt::Key_A, {}, "a"});
    std::mt19937 random(11);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string loaded = asciiText(random, 120 + round * 40);
        CellTextField pieces(nullptr, 96, 96, 24);
        CellTextField whole(nullptr, 1 << 30, 96, 24);
        pieces.setLoadedText(loaded);
        whole.setWholeText(QString::fromStdString(loaded));
        pieces.selectAll();
        whole.selectAll();
        ASSERT_TRUE(same(pieces, whole));
        ASSERT_TRUE(pieces.isAsLoaded());
        QApplication::clipboard()->setText("p");
        for (int step = 0; step < 400; ++step) {
            const Key& key = keys[random() % keys.size()];
            press(&pieces, key);
            press(&whole, key);
            ASSERT_TRUE(same(pieces, whole)) << "step " << step << " key " << key.key;
            const std::string utf8 = whole.wholeText().toStdString();
            ASSERT_EQ(pieces.isAsLoaded(), utf8 == loaded) << "step " << step;
            ASSERT_EQ(pieces.loadedText(), loaded);
        }
    }
}

// A change anywhere, of one character or of a surrogate pair for another of the same length, is
// a change; typed back, the text is as loaded again. A text set over one as loaded keeps it.
TEST(CellTextFieldTest, ALoadedTextTellsAChangeOfOneCharacterAnywhere) {
    ensureQApplication();
    const std::string pairs = "\xf0\x9f\x98\x80\xc3\xa9";  // a surrogate pair and é
    struct Case {
        const char* name;
        std::string loaded;
        qsizetype at;  // where the keys start, in UTF-16 units from the start
        std::vector<Key> keys;
        bool asLoaded;
    };
    const std::string ascii = std::string(300, 'z');
    std::string nonAscii;
    for (int i = 0; i < 60; ++i) nonAscii += pairs;
    const QString grin = QString::fromUtf8("\xf0\x9f\x98\x81"),
                  smile = QString::fromUtf8("\xf0\x9f\x98\x80");
    const std::vector<Case> cases = {
        {"untouched", ascii, 150, {}, true},
        {"one character replaced",
         ascii,
         150,
         {{Qt::Key_Delete, {}, {}}, {Qt::Key_Y, {}, "y"}},
         false},
        {"one character typed back",
         ascii,
         150,
         {{Qt::Key_Delete, {}, {}}, {Qt::Key_Z, {}, "z"}},
         true},
        {"first character replaced",
         ascii,
         0,
         {{Qt::Key_Delete, {}, {}}, {Qt::Key_Y, {}, "y"}},
         false},
        {"last character replaced",
         ascii,
         299,
         {{Qt::Key_Delete, {}, {}}, {Qt::Key_Y, {}, "y"}},
         false},
        {"a pair typed and taken back",
         ascii,
         150,
         {{Qt::Key_X, {}, smile}, {Qt::Key_Backspace, {}, {}}},
         true},
        {"a pair for a pair of the same length",
         nonAscii,
         90,
         {{Qt::Key_Delete, {}, {}}, {Qt::Key_X, {}, grin}},
         false},
        {"a pair typed back",
         nonAscii,
         90,
         {{Qt::Key_Delete, {}, {}}, {Qt::Key_X, {}, smile}},
         true},
        {"empty, typed and taken back",
         "",
         0,
         {{Qt::Key_A, {}, "a"}, {Qt::Key_Backspace, {}, {}}},
         true},
        {"empty, typed", "", 0, {{Qt::Key_A, {}, "a"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CellTextField field(nullptr, 16, 8, 2);
        field.setLoadedText(c.loaded);
        EXPECT_TRUE(field.isAsLoaded());
        // Walked there and back across the window's moves.
        QTest::keyClick(&field, Qt::Key_Home, Qt::ControlModifier);
        while (field.wholeCursorPosition() < c.at) QTest::keyClick(&field, Qt::Key_Right);
        for (const Key& key : c.keys) press(&field, key);
        QTest::keyClick(&field, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&field, Qt::Key_Home, Qt::ControlModifier);
        EXPECT_EQ(field.isAsLoaded(), c.asLoaded);
        EXPECT_EQ(field.wholeTextEquals(c.loaded), c.asLoaded);
        EXPECT_EQ(field.wholeText().toStdString() == c.loaded, c.asLoaded);
    }
    // Another text shown over it is compared with the text as loaded, not with itself.
    CellTextField field(nullptr, 16, 8, 2);
    field.setLoadedText(ascii);
    field.setWholeText("offered");
    EXPECT_FALSE(field.isAsLoaded());
    field.setWholeText(QString::fromStdString(ascii));
    EXPECT_TRUE(field.isAsLoaded());
    EXPECT_EQ(field.loadedText(), ascii);
}
