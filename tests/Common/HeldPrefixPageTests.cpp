// A page that holds long blobs by their prefix gives what the page read whole and then cut gives,
// whichever way it is read, for values at and around the cut; SQLite reads none of a long blob
// past its prefix; and what a blob handle cannot read keeps the whole read.
#include <random>

#include "Common/HeldPrefixPages.h"
#include "Common/KeysetPager.h"
#include "Common/ValuePrefix.h"
#include "platform/foundation/Utf8.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/PostedCalls.h"
#include "tests/support/SQLiteMemoryPeak.h"

using namespace DBInterface;

namespace {

// Values at and around the cut, as SQL: texts and blobs of 4095 to 4097 bytes, characters of two
// to four bytes across byte 4096, bytes that are not UTF-8 at and just after the cut, the
// stand-in a long blob is selected as, stored as it is, and values of every other kind.
const std::vector<std::string> kHostileValues = {
    "null",
    "''",
    "x''",
    "zeroblob(0)",
    "zeroblob(5000)",
    "42",
    "-2.5",
    "x'00'",
    "x'ff'",
    "char(65535)",
    "cast(char(65535) as blob)",
    "printf('%.4095c', 'a')",
    "printf('%.4096c', 'a')",
    "printf('%.4097c', 'a')",
    "cast(printf('%.4095c', 'a') as blob)",
    "cast(printf('%.4096c', 'a') as blob)",
    "cast(printf('%.4097c', 'a') as blob)",
    "cast(printf('%.2048c', 'b') as blob)",
    "cast(printf('%.2049c', 'b') as blob)",
    "cast(printf('%.4095c', 'a') || 'é' as blob)",
    "cast(printf('%.4094c', 'a') || '€z' as blob)",
    "cast(printf('%.4093c', 'a') || '😀' as blob)",
    "cast(printf('%.4095c', 'a') || '😀' || printf('%.900c', 'q') as blob)",
    "printf('%.4095c', 'a') || 'é' || printf('%.900c', 'q')",
    "printf('%.4095c', 'a') || x'c3'",
    "cast(printf('%.4095c', 'a') || x'c3' as blob)",
    "cast(printf('%.4096c', 'a') || x'80' || printf('%.50c', 'a') as blob)",
    "cast(printf('%.4000c', 'a') || zeroblob(200) as blob)",
    "cast(printf('%.4000c', 'a') || x'8080808080808080808080808080808080808080' || "
    "printf('%.200c', 'a') as blob)",
    "cast(x'ff' || zeroblob(6000) as blob)",
    "cast(printf('%.5000c', 'é') as blob)",
    "cast(printf('%.3000c', '€') as blob)",
    "zeroblob(70000)"};

// Where two pages differ, without the long values themselves.
testing::AssertionResult samePage(const std::vector<DBValue>& page,
                                  const std::vector<DBValue>& whole) {
    if (page == whole) return testing::AssertionSuccess();
    if (page.size() != whole.size()) {
        return testing::AssertionFailure() << page.size() << " values instead of " << whole.size();
    }
    size_t at = 0;
    while (page[at] == whole[at]) ++at;
    auto describe = [](const DBValue& value) {
        return value ? std::to_string(value->size()) + " bytes ending in " +
                           std::to_string(
                               static_cast<unsigned char>(value->empty() ? 0 : value->back()))
                     : std::string("NULL");
    };
    return testing::AssertionFailure()
           << "value " << at << ": " << describe(page[at]) << " instead of " << describe(whole[at]);
}

// A value as the window holds it: long texts come whole from any read and are cut after it.
DBValue heldWhole(DBValue value) {
    holdPrefixOfValue(&value);
    return value;
}

class HeldPrefixPageTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        // A table and fields named with quotes; r is a raw field, read as hex text.
        run("create table varnelo_db_fields (table_name, name, number, type, flags);"
            "insert into varnelo_db_fields values ('it''s', 'r', 4, 9, 0);"
            "create table \"it's\" (id integer primary key, \"va\"\"l\", other, r)");
        const auto count = static_cast<int64_t>(kHostileValues.size());
        std::string insert;
        for (int64_t row = 0; row < 3 * count; ++row) {
            insert += (insert.empty() ? "" : ", ") + std::string("(") +
                      kHostileValues[static_cast<size_t>(row % count)] + ", " +
                      kHostileValues[static_cast<size_t>((row * 7 + 3) % count)] + ", " +
                      kHostileValues[static_cast<size_t>((row * 5 + 1) % count)] + ")";
        }
        run("insert into \"it's\" (\"va\"\"l\", other, r) values " + insert);
    }

    GridQuery grid(const std::string& table, LongValues values, std::vector<int> sortCodes = {},
                   uint32_t rowidNameCode = 0) {
        GridQuery query;
        std::string error;
        EXPECT_EQ(buildGridQuery(&query, table, "", {}, sortCodes, 1, 0, rowidNameCode, db, &error,
                                 values),
                  0)
            << error;
        return query;
    }

    // The page of the held query against the page of its whole form, cut.
    void expectHeldPageIsWholePageCut(const GridQuery& held, int64_t first, int64_t limit) {
        std::vector<DBValue> page, whole;
        std::string error;
        ASSERT_EQ(readGridPage(&page, held, limit, first, db, &error), 0) << error;
        ASSERT_EQ(readGridPage(&whole, wholeValuesOf(held), limit, first, db, &error), 0) << error;
        std::transform(page.begin(), page.end(), page.begin(), heldWhole);
        std::transform(whole.begin(), whole.end(), whole.begin(), heldWhole);
        ASSERT_TRUE(samePage(page, whole)) << "page at " << first << " of " << held.select;
    }
};

}  // namespace

TEST_F(HeldPrefixPageTest, AHeldValueIsTheWholeValueCutForValuesAtTheCut) {
    // Read whole: the marker for text that is not UTF-8, else the value cut.
    for (const std::string& value :
         {std::string(4095, 'a'), std::string(4096, 'a'), std::string(4097, 'a'),
          std::string(4095, 'a') + "é", std::string(4094, 'a') + "€" + std::string(9, 'x'),
          std::string(4093, 'a') + "😀z", std::string(4096, 'a') + "\x80",
          std::string(4095, 'a') + "\xc3", std::string(4095, 'a') + "\xe2\x82",
          std::string(4000, 'a') + std::string(120, '\x80'), std::string(3, '\xff'),
          std::string("\xef\xbf\xbf"), std::string(8000, '\0'), std::string()}) {
        const DBValue whole =
            isValidUtf8(value) ? heldWhole(value) : DBValue(std::string(kInvalidUtf8Marker));
        EXPECT_EQ(heldValueOfPrefix(value.substr(0, kHeldValueReadBytes), value.size()), *whole)
            << value.size() << " bytes";
    }
}

TEST_F(HeldPrefixPageTest, HeldPagesAreTheWholePagesCutAtRandomRowsInEveryWayTheyAreRead) {
    std::mt19937 random(20261207);
    const auto rows = static_cast<int64_t>(3 * kHostileValues.size());
    for (const std::vector<int>& sort : {std::vector<int>{}, {2}, {3, 6}}) {
        GridQuery held = grid("it's", LongValues::HeldPrefix, sort);
        ASSERT_TRUE(held.heldPrefixes) << held.select;
        ASSERT_TRUE(held.keyed);
        for (int i = 0; i < 12; ++i) {
            const int64_t first = std::uniform_int_distribution<int64_t>(0, rows)(random);
            const int64_t limit = std::uniform_int_distribution<int64_t>(1, 9)(random);
            expectHeldPageIsWholePageCut(held, first, limit);
        }
        // Pages found by key, from the start, from a mark and from the end.
        PostedCalls posted;
        KeysetPager pager(posted.poster(), 7, 14);
        ASSERT_EQ(pager.countRows(held, db, nullptr), rows);
        posted.runAll();
        for (int i = 0; i < 16; ++i) {
            const int64_t first = std::uniform_int_distribution<int64_t>(0, rows - 1)(random);
            std::vector<DBValue> page, whole;
            std::string error;
            ASSERT_EQ(pager.readPage(&page, held, first, 6, db, &error, LongValues::HeldPrefix), 0)
                << error;
            ASSERT_EQ(pager.readPage(&whole, held, first, 6, db, &error), 0) << error;
            std::transform(page.begin(), page.end(), page.begin(), heldWhole);
            std::transform(whole.begin(), whole.end(), whole.begin(), heldWhole);
            ASSERT_TRUE(samePage(page, whole))
                << "page by key at " << first << " of " << held.select;
            posted.runAll();
        }
    }
}

TEST_F(HeldPrefixPageTest, SQLiteReadsNoneOfALongBlobPastItsPrefix) {
    run("create table big (id integer primary key, b); insert into big values (1, "
        "zeroblob(30000000)), (2, 'x')");
    GridQuery held = grid("big", LongValues::HeldPrefix);
    ASSERT_TRUE(held.heldPrefixes);
    auto peakOfRead = [&](const GridQuery& query) {
        return sqliteMemoryPeakDuring([&] {
            std::vector<DBValue> page;
            EXPECT_EQ(readGridPage(&page, query, 0, 0, db, nullptr), 0);
            EXPECT_EQ(page.size(), 6u);
        });
    };
    EXPECT_LT(peakOfRead(held), 2000000);
    EXPECT_GT(peakOfRead(wholeValuesOf(held)), 30000000);
}

TEST_F(HeldPrefixPageTest, WhatABlobHandleCannotReadAsTheRowsDoIsReadWhole) {
    run("create view v as select * from \"it's\";"
        "create table nokey (k primary key, b) without rowid;"
        "insert into nokey select id, \"va\"\"l\" from \"it's\";"
        "create table generated (a, b generated always as (a) virtual);"
        "insert into generated (a) select other from \"it's\";"
        "create table hidden (rowid text, b); insert into hidden select id, r from \"it's\"");
    for (const char* table : {"v", "nokey", "generated", "hidden"}) {
        const bool noRowid = std::string(table) == "nokey" || std::string(table) == "hidden";
        GridQuery held = grid(table, LongValues::HeldPrefix, {}, noRowid ? kNoRowidName : 0);
        EXPECT_FALSE(held.heldPrefixes) << table;
        EXPECT_EQ(held.select,
                  grid(table, LongValues::Whole, {}, noRowid ? kNoRowidName : 0).select);
    }
    // A blob handle reads the stored bytes; the rows give a UTF-16 file's text converted.
    db = pathInHome("utf16.db");
    run("pragma encoding = 'UTF-16le'; create table t (b); insert into t values (zeroblob(9000))");
    EXPECT_FALSE(grid("t", LongValues::HeldPrefix).heldPrefixes);
}

TEST_F(HeldPrefixPageTest, ATableChangedBetweenPagesIsReadAsItIsNow) {
    GridQuery held = grid("it's", LongValues::HeldPrefix);
    expectHeldPageIsWholePageCut(held, 0, 8);
    // Long blobs made short and short ones long, rows gone, others added.
    run("update \"it's\" set \"va\"\"l\" = other, other = \"va\"\"l\" where id % 3 = 0;"
        "delete from \"it's\" where id % 4 = 1;"
        "insert into \"it's\" (\"va\"\"l\") values (zeroblob(9999)), (x'00')");
    expectHeldPageIsWholePageCut(held, 0, 8);
    expectHeldPageIsWholePageCut(held, 60, 50);
    // A field added: the page is refused as the whole read refuses it.
    run("create table plain (a, b); insert into plain select \"va\"\"l\", other from \"it's\"");
    held = grid("plain", LongValues::HeldPrefix);
    ASSERT_TRUE(held.heldPrefixes);
    expectHeldPageIsWholePageCut(held, 0, 50);
    run("alter table plain add column extra");
    std::vector<DBValue> page;
    std::string error;
    EXPECT_EQ(readGridPage(&page, held, 5, 0, db, &error), -1);
    EXPECT_EQ(error, "The fields of the table have changed. Reload the table to see its rows.");
    EXPECT_TRUE(page.empty());
}

TEST_F(HeldPrefixPageTest, AFaultPastTheHeldCharactersIsNotSeen) {
    // Read whole, the value is not UTF-8 and reads as the marker; held, its start is all there is.
    run("create table late (b); insert into late values (cast(printf('%.6000c', 'a') || x'ff' "
        "as blob))");
    std::vector<DBValue> page;
    ASSERT_EQ(readGridPage(&page, grid("late", LongValues::HeldPrefix), 0, 0, db, nullptr), 0);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[1], std::string(kHeldValueBytes, 'a') + kCutMark);
}

TEST_F(HeldPrefixPageTest, AChangeOfTheSchemaThatLeavesTheTableAsItWasKeepsItsBlobsUnread) {
    run("create table big (id integer primary key, b); insert into big values (1, "
        "zeroblob(30000000)), (2, 'x')");
    GridQuery held = grid("big", LongValues::HeldPrefix);
    ASSERT_TRUE(held.heldPrefixes);
    auto peakOfRead = [&](std::vector<DBValue>* page) {
        return sqliteMemoryPeakDuring([&] {
            std::string error;
            EXPECT_EQ(readGridPage(page, held, 0, 0, db, &error), 0) << error;
        });
    };
    // Another table, an index, a view: the fields of this one are as they were.
    for (const char* change : {"create table other (x)", "create index bigb on big (length(b))",
                               "create view v as select id from big", "drop table other"}) {
        run(change);
        std::vector<DBValue> page;
        EXPECT_LT(peakOfRead(&page), 2000000) << change;
        ASSERT_EQ(page.size(), 6u);
        EXPECT_EQ(page[2], std::string(kHeldValueBytes, '\0') + kCutMark);
    }
    // The table made again as it was, its rows changed: the rows as they are now.
    run("drop table big; create table big (id integer primary key, b); insert into big values "
        "(7, zeroblob(9000))");
    expectHeldPageIsWholePageCut(held, 0, 5);
    // A field renamed: what the plain read gives.
    run("alter table big rename column b to c");
    expectHeldPageIsWholePageCut(held, 0, 5);
}
