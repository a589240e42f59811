// Exports of rows held in memory and of rows picked by rowid or by a query with exceptions.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;

namespace {

class SelectedRowsExportTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        out = pathInHome("out.txt");
        UserDefaults::standard().setInteger(1, "ExportDelimiter");  // ","
        UserDefaults::standard().setObject("NULL", "NULLValueString");
    }
    std::string out;
};
}  // namespace

TEST_F(SelectedRowsExportTest, RowsArrayWritesTheSelectedColumnsInFieldOrder) {
    UserDefaults::standard().setInteger(2, "ExportSurroundingQuotes");  // never: rows ignore it
    UserDefaults::standard().setBool(true, "ExportFieldTypes");
    const std::vector<std::string> fields{"a", "b", "c"};
    const std::vector<std::string> selected{"c", "a"};
    const std::vector<DBRow> rows{{"1,5", "x", std::nullopt}, {"say \"hi\"", "y", "z"}, {"short"}};
    ASSERT_EQ(dumpFromRowsArray(rows, fields, &selected, out, false, nullptr), 0);
    EXPECT_EQ(readFile(out), "a,c\nText,Text\n\"1,5\",NULL\n\"say \"\"hi\"\"\",z\nshort\n");

    // Appending keeps the text and adds no headers; no selection writes every field.
    ASSERT_EQ(dumpFromRowsArray({{"p", "q", "r"}}, fields, nullptr, out, true, nullptr), 0);
    EXPECT_EQ(readFile(out), "a,c\nText,Text\n\"1,5\",NULL\n\"say \"\"hi\"\"\",z\nshort\np,q,r\n");

    std::string error;
    EXPECT_EQ(dumpFromRowsArray(rows, fields, nullptr, pathInHome("none/out.txt"), false, &error),
              kExportFileError);
    EXPECT_NE(error.find("Could not open file"), std::string::npos);
}

TEST_F(SelectedRowsExportTest, PickedRowsFollowTheStoredSortAndQueriesTheirRowids) {
    UserDefaults::standard().setBool(true, "ExportFieldTypes");
    // 120 rows: n descending against the rowid, so the stored sort shows in the output.
    run("create table t (n, s); with recursive k(i) as (select 1 union all select i + 1 from k "
        "where i < 120) insert into t select 121 - i, 'v' || i from k; update t set s = null "
        "where rowid = 3");
    ASSERT_EQ(updateSortCodes({1}, "t", db, nullptr), 0);

    const std::vector<int> types{2};  // n is a Number, s has no type
    ASSERT_EQ(dumpFromTable("t", nullptr, {"1", "2", "3"}, false, types, out, db, nullptr), 0);
    EXPECT_EQ(readFile(out), "n,s\nNumber,Text\n118,NULL\n119,v2\n120,v1\n");

    // All rows but the exceptions.
    ASSERT_EQ(dumpFromTable("t", nullptr, {"2"}, true, types, out, db, nullptr), 0);
    const std::string all = readFile(out);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 2 + 119);
    EXPECT_EQ(all.find("119,v2\n"), std::string::npos);
    EXPECT_EQ(all.find("n,s\nNumber,Text\n1,v120\n2,v119\n"), 0u);

    // A query's rows, in batches, in rowid order, less its exceptions; the scratch list is
    // worked off.
    const std::string query = "SELECT rowid, * from t where n % 2 = 0";
    ASSERT_EQ(dumpFromTable("t", &query, {"1", "5"}, true, types, out, db, nullptr), 0);
    std::string expected = "n,s\nNumber,Text\n";
    for (int i = 3; i <= 119; i += 2) {
        if (i != 5)
            expected +=
                std::to_string(121 - i) + "," + (i == 3 ? "NULL" : "v" + std::to_string(i)) + "\n";
    }
    EXPECT_EQ(readFile(out), expected);
    EXPECT_EQ(directQuery("select count(*) from varnelo_db_special_query_rowids"),
              (std::vector<std::string>{"0"}));
}

TEST_F(SelectedRowsExportTest, FailuresAreReportedLoggedAndMakeNoDatabase) {
    std::vector<std::string> logged;
    setSystemLogSink([&logged](const std::string& line) { logged.push_back(line); });
    std::string error;
    EXPECT_EQ(dumpFromTable("t", nullptr, {}, false, {}, out, db, &error), SQLITE_CANTOPEN);
    EXPECT_FALSE(std::filesystem::exists(db));
    EXPECT_NE(error.find("Could not open the database"), std::string::npos);

    run("create table t (a)");
    const std::string bad = "select rowid, * from nowhere";
    error.clear();
    EXPECT_NE(dumpFromTable("t", &bad, {}, false, {}, out, db, &error), 0);
    EXPECT_NE(error.find("could not insert into special query rowids table"), std::string::npos);
    error.clear();
    EXPECT_EQ(dumpFromTable("t", nullptr, {"1 or 1"}, false, {}, out, db, &error), -1);
    EXPECT_EQ(dumpFromTable("t", nullptr, {}, false, {}, out, "", &error), kMissingPathResult);
    setSystemLogSink({});
    EXPECT_EQ(logged.size(), 4u);
    EXPECT_FALSE(std::filesystem::exists(out));
}
