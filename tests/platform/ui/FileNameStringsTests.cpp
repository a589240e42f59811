// File names pass between Qt and the access layer byte for byte, UTF-8 or not.
#include <QUrl>

#include <gtest/gtest.h>

#include "platform/ui/FileNameStrings.h"

TEST(FileNameStrings, EveryNameComesBackByteForByte) {
    const std::string names[] = {"/tmp/plain.db",
                                 "/tmp/caf\xE9.db",
                                 "/tmp/\xC3\xBC.db",  // Latin-1, UTF-8
                                 "\xFF\xFE\x80",
                                 "a\xED\xA0\x80z",  // stray bytes, an encoded surrogate
                                 "\xF0\x9F\x98\x80.db",
                                 "\xF0\x9F\x98",  // a whole and a truncated 4-byte form
                                 "\xC0\xAF",
                                 "x\xE2\x82",  // overlong, truncated at the end
                                 "\xED\xB2\x80",
                                 std::string("a\0b", 3),
                                 ""};
    for (const std::string& name : names) {
        const QString shown = toQFileName(name);
        EXPECT_EQ(toStdFileName(shown), name) << name;
    }
    // UTF-8 names are ordinary text; only stray bytes become escapes.
    EXPECT_EQ(toQFileName("/tmp/\xC3\xBC.db"), QString::fromUtf8("/tmp/\xC3\xBC.db"));
    EXPECT_EQ(toQFileName("caf\xE9").size(), 4);
    EXPECT_EQ(toQFileName("caf\xE9").at(3).unicode(), 0xDCE9);
    // A supplementary character's low surrogate is no escape.
    EXPECT_EQ(toStdFileName(QString::fromUtf8("\xF0\x9F\xB2\x80")), "\xF0\x9F\xB2\x80");
}

TEST(FileNameStrings, FileUrlsGiveTheBytesTheirEncodingHolds) {
    EXPECT_EQ(toStdFileName(localFilePath(QUrl("file:///tmp/caf%E9.db"))), "/tmp/caf\xE9.db");
    EXPECT_EQ(
        toStdFileName(localFilePath(QUrl::fromLocalFile(QString::fromUtf8("/a b/\xC3\xBC#1.db")))),
        "/a b/\xC3\xBC#1.db");
}
