// The parts of an import that cross threads: the log appended by the worker while the window
// reads it, and records handed from the reading thread, which converts their values, to the
// inserting one. Built once more under ThreadSanitizer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "exchange/ActivityLog.h"
#include "exchange/ImportFileSettings.h"
#include "exchange/SplitRecordReader.h"

TEST(ImportThreads, AWorkerAppendsToTheLogWhileTheWindowReads) {
    ActivityLog log;
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i) log.add(i % 3, "line " + std::to_string(i));
    });
    size_t seen = 0;
    while (seen < 1000) {
        seen = log.count();
        for (size_t i = 0; i < seen; ++i) EXPECT_TRUE(log.entry(i).has_value());
        EXPECT_LE(log.text().size(), 1000u * 10);
    }
    worker.join();
    EXPECT_EQ(log.count(), 1000u);
    EXPECT_TRUE(log.atLeastOneError());
}

TEST(ImportThreads, RecordsArriveInOrderAndAnEarlyEndStopsTheReader) {
    char path[] = "/tmp/varnelo-records-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    std::string text = "\xEF\xBB\xBF";
    for (int i = 1; i <= 5000; ++i)
        text += std::to_string(i) + ",\"v\r\n" + std::to_string(i) + "\"\r\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ImportFileSettings settings;
    settings.fieldSeparator = ImportFileSettings::Comma;
    settings.removeSurroundingQuotes = 1;
    for (const bool early : {false, true}) {
        lseek(fd, 0, SEEK_SET);
        SplitRecordReader reader(fd, settings);
        int expected = 1;
        while (const SplitRecord* record = reader.next()) {
            ASSERT_EQ(record->fieldCount, 2u);
            EXPECT_EQ(record->field(0), std::to_string(expected));
            EXPECT_EQ(record->field(1), "v\n" + std::to_string(expected));
            if (early && expected == 300) break;  // the reader goes with the loop
            ++expected;
        }
        EXPECT_EQ(expected, early ? 300 : 5001);
    }
    close(fd);
    unlink(path);
}

TEST(ImportThreads, TheReaderConvertsTheMarkedFieldsOfEachRecord) {
    char path[] = "/tmp/varnelo-converted-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    // Fields 1 and 3 are converted; some records are short, longer or empty.
    std::string text;
    for (int i = 1; i <= 5000; ++i) {
        const std::string number = std::to_string(i);
        text += i % 11 == 0  ? "\n"
                : i % 5 == 0 ? number + "," + number + "\n"
                             : number + "," + (i % 7 == 0 ? "n" : number) + ",x," + number +
                                   (i % 3 == 0 ? ",extra\n" : "\n");
    }
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    lseek(fd, 0, SEEK_SET);
    ImportFileSettings settings;
    settings.fieldSeparator = ImportFileSettings::Comma;
    ValueConversion conversion;
    conversion.fields = {false, true, false, true};
    conversion.convert = [](size_t field, std::string_view value, std::string* into) {
        if (value == "n") return false;
        *into += std::to_string(field) + "<" + std::string(value) + ">";
        return true;
    };
    SplitRecordReader reader(fd, settings, std::move(conversion));
    int i = 0;
    while (const SplitRecord* record = reader.next()) {
        const std::string number = std::to_string(++i);
        SCOPED_TRACE(i);
        if (i % 11 == 0) {
            ASSERT_EQ(record->fieldCount, 1u);
            EXPECT_EQ(record->field(0), "");
            continue;
        }
        EXPECT_EQ(record->field(0), number);
        EXPECT_FALSE(record->isNull(0));
        EXPECT_EQ(record->isNull(1), i % 7 == 0 && i % 5 != 0);
        if (!record->isNull(1)) {
            EXPECT_EQ(record->field(1), "1<" + number + ">");
        }
        if (i % 5 == 0) {
            EXPECT_EQ(record->fieldCount, 2u);
            continue;
        }
        ASSERT_EQ(record->fieldCount, i % 3 == 0 ? 5u : 4u);
        EXPECT_EQ(record->field(2), "x");
        EXPECT_EQ(record->field(3), "3<" + number + ">");
        if (i % 3 == 0) {
            EXPECT_EQ(record->field(4), "extra");
        }
    }
    EXPECT_EQ(i, 5000);
    close(fd);
    unlink(path);
}
