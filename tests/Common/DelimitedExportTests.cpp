// The delimited-text export: settings, quoting, header rows, failures checked before the file is
// touched, and export then read back then split giving the rows back.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Common/FieldsAndLinesParser.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

namespace {

// Reads a file back record by record and splits each record into its fields.
std::vector<Strings> readBack(const std::string& path, std::string_view separator,
                              std::string_view quote, std::string* errors) {
    std::vector<Strings> rows;
    const int fd = open(path.c_str(), O_RDONLY);
    FieldsAndLinesParser parser(fd, kUTF8StringEncoding, separator, quote, LineEnds::LineFeed);
    FieldTexts fields;
    FieldsAndLinesParser::Record record;
    while (parser.readRecord(&fields, &record, errors) == FieldsAndLinesParser::kLineRead) {
        rows.push_back(fields.strings(0, fields.size()));
        fields.clear();
    }
    close(fd);
    return rows;
}

void setDefault(const nlohmann::json& value, const std::string& key) {
    UserDefaults::standard().setObject(value, key);
}

// Whether the export fails in a child process whose files may not grow past limitBytes, as on a
// full disk.
bool exportFailsWithFileSizeLimit(const std::string& table, const std::string& field,
                                  const std::string& out, bool append, const std::string& db,
                                  rlim_t limitBytes) {
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of killing
        const rlimit limit{limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        const int rc = dumpFromTable(table, {field}, out, append, db, nullptr);
        _exit(rc == kExportFileError ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

class ExportTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        out = pathInHome("out.txt");
        run("create table t (a, b); insert into t values ('x,y', 'say \"hi\"'), "
            "(NULL, 'two\nlines'), ('cr\ronly', 3)");
    }

    int dump(const Strings& fields, bool append = false, const std::string& table = "t") {
        errors.clear();
        return dumpFromTable(table, fields, out, append, db, &errors);
    }

    std::string out;
    std::string errors;
};

TEST_F(ExportTest, QuotesOnlyWhenNeededByDefault) {
    setDefault(1, "ExportDelimiter");
    ASSERT_EQ(dump({"a", "b"}), 0) << errors;
    EXPECT_EQ(readFile(out), "a,b\n\"x,y\",\"say \"\"hi\"\"\"\n,\"two\nlines\"\n\"cr\ronly\",3\n");
}

TEST_F(ExportTest, SeparatorSettings) {
    setDefault(true, "CSV");
    setDefault(2, "ExportDelimiter");
    setDefault("", "CSVSeparatorString");
    setDefault(true, "DontExportFieldNames");
    ASSERT_EQ(dump({"b"}, false), 0);
    EXPECT_EQ(readFile(out), "\"say \"\"hi\"\"\"\n\"two\nlines\"\n3\n");

    setDefault(false, "CSV");
    setDefault(3, "ExportDelimiter");
    setDefault("", "ExportFieldSeparatorString");
    setDefault(2, "ExportSurroundingQuotes");
    ASSERT_EQ(dump({"a", "b"}), 0);
    EXPECT_EQ(readFile(out), "x,ysay \"hi\"\ntwo\nlines\ncr\ronly3\n");

    // Tab by default; a NULL text holding the separator is quoted like any value.
    UserDefaults::standard().removeObjectForKey("ExportDelimiter");
    setDefault(0, "ExportSurroundingQuotes");
    setDefault("<\t>", "NULLValueString");
    ASSERT_EQ(dump({"a"}), 0);
    EXPECT_EQ(readFile(out), "x,y\n\"<\t>\"\n\"cr\ronly\"\n");
}

TEST_F(ExportTest, HeaderRowsAreQuotedLikeValuesAndAppendWritesRowsOnly) {
    run("create table m (\"n,1\", n2); insert into m values (1, 2);" + createFieldsMetaTableSQL() +
        "insert into varnelo_db_fields (table_name, name, number, type) values ('m', 'n,1', 1, 3)");
    setDefault(1, "ExportDelimiter");
    setDefault(1, "ExportSurroundingQuotes");
    setDefault(true, "ExportFieldTypes");
    ASSERT_EQ(dump({"n,1", "n2"}, false, "m"), 0) << errors;
    EXPECT_EQ(readFile(out), "\"n,1\",\"n2\"\n\"Date\",\"Text\"\n\"1\",\"2\"\n");

    setDefault(true, "DontExportFieldNames");
    setDefault(0, "ExportSurroundingQuotes");
    ASSERT_EQ(dump({"n2"}, false, "m"), 0);
    EXPECT_EQ(readFile(out), "Text\n2\n");
    ASSERT_EQ(dump({"n2", "n,1"}, true, "m"), 0);
    EXPECT_EQ(readFile(out), "Text\n2\n2,1\n");
}

TEST_F(ExportTest, WindowsFormatEndsLinesAndQuotedLineFeedsInCarriageReturns) {
    run("insert into t values ('a\r\nb', '')");
    setDefault(true, "WindowsFormat");
    setDefault(2, "ExportDelimiter");
    ASSERT_EQ(dump({"a"}), 0);
    EXPECT_EQ(readFile(out), "a\r\nx,y\r\n\r\n\"cr\ronly\"\r\n\"a\r\r\nb\"\r\n");
}

TEST_F(ExportTest, BlobsAreWrittenAsHexAndInvalidTextAsStored) {
    run("create table bin (v); insert into bin values (x'00ff10'), (x''), "
        "(cast(x'c328' as text)), ('ok')");
    ASSERT_EQ(dump({"v"}, false, "bin"), 0);
    EXPECT_EQ(readFile(out), "v\n00FF10\n\n\xC3(\nok\n");
}

TEST_F(ExportTest, ReadsThroughAConnectionWithTheSystemFunctions) {
    run("create view v as select substr('abc', 0, 2) as s, date2utc('2024-05-06') as d");
    std::vector<DBTextRow> rows;
    ASSERT_EQ(execQueryString("select d from v", -1, nullptr, nullptr, &rows, nullptr, nullptr, db,
                              nullptr),
              0);
    ASSERT_EQ(dump({"s", "d"}, false, "v"), 0) << errors;
    EXPECT_EQ(readFile(out), "s\td\nab\t" + rows.at(0).at(0) + "\n");
}

TEST_F(ExportTest, FailuresLeaveTheOutputFileAlone) {
    writeFile(out, "keep me");
    EXPECT_EQ(dumpFromTable("t", {"a"}, out, false, "", &errors), -1);
    EXPECT_EQ(errors, "Could not find the database resource ");
    errors.clear();
    EXPECT_EQ(dump({"a"}, false, "nope"), SQLITE_ERROR);
    EXPECT_EQ(errors, "no such table: nope");
    EXPECT_EQ(dump({"a", "missing"}), SQLITE_ERROR);
    EXPECT_EQ(errors, "no such column: missing");

    const std::string notADatabase = pathInHome("notes.db");
    writeFile(notADatabase, "just some text, long enough to not be a database header at all");
    errors.clear();
    EXPECT_EQ(dumpFromTable("t", {"a"}, out, false, notADatabase, &errors), SQLITE_CANTOPEN);
    EXPECT_EQ(errors, "Could not open the database " + notADatabase);
    const std::string missing = pathInHome("missing.db");
    EXPECT_NE(dumpFromTable("t", {"a"}, out, false, missing, nullptr), 0);
    EXPECT_FALSE(std::ifstream(missing).good());
    EXPECT_EQ(readFile(out), "keep me");
}

TEST_F(ExportTest, FileFailuresAreReportedNeverExported) {
    errors.clear();
    EXPECT_EQ(dumpFromTable("t", {"a"}, pathInHome("no/such/folder.csv"), false, db, &errors),
              kExportFileError);
    EXPECT_EQ(errors, "Could not open file [" + pathInHome("no/such/folder.csv") + "], errno 2");
    errors.clear();
    EXPECT_EQ(dumpFromTable("t", {"a"}, "/dev/full", false, db, &errors), kExportFileError);
    EXPECT_EQ(errors, "Could not write file [/dev/full], errno " + std::to_string(ENOSPC));
}

TEST_F(ExportTest, FieldTypesRowNamesEachFieldsOwnTypeAfterAFieldWasDropped) {
    std::string error;
    ASSERT_EQ(
        createTable("typed", 0, {"a", "b", "c"}, {kFieldTypeText, kFieldTypeDate, kFieldTypeNumber},
                    nullptr, nullptr, db, &error),
        0)
        << error;
    run("alter table typed drop column b");
    setDefault(true, "ExportFieldTypes");
    ASSERT_EQ(dump({"c", "a"}, false, "typed"), 0) << errors;
    EXPECT_EQ(readFile(out), "c\ta\nNumber\tText\n");
}

TEST_F(ExportTest, RowidIsExportedAsAFieldUnlessAColumnTakesItsName) {
    run("create table k (v); insert into k (rowid, v) values (7, 'seven'), (42, NULL)");
    setDefault(true, "ExportFieldTypes");
    ASSERT_EQ(dump({"ROWID", "v"}, false, "k"), 0) << errors;
    // The rowid has no type of its own: "Text", like any field the meta tables do not type.
    EXPECT_EQ(readFile(out), "ROWID\tv\nText\tText\n7\tseven\n42\t\n");
    // A column of that name is exported as the column.
    run("create table named (ROWID text, w); insert into named (ROWID, w) values ('own', 1)");
    ASSERT_EQ(dump({"w", "ROWID"}, false, "named"), 0) << errors;
    EXPECT_EQ(readFile(out), "w\tROWID\nText\tText\n1\town\n");
}

TEST_F(ExportTest, AFailedExportLeavesTheEarlierFileAsItWas) {
    run("create table big (v); insert into big select hex(zeroblob(500)) from "
        "generate_series(1, 3000)");
    const auto filesInHome = [&] {
        return std::distance(std::filesystem::directory_iterator(home()), {});
    };
    const std::string earlierExport = std::string(5 << 20, 'e') + "\n";
    writeFile(out, earlierExport);
    const auto files = filesInHome();
    EXPECT_TRUE(exportFailsWithFileSizeLimit("big", "v", out, false, db, 1 << 20));
    EXPECT_TRUE(readFile(out) == earlierExport);
    EXPECT_EQ(filesInHome(), files);  // nothing left beside it

    // An append is cut back to where it began.
    writeFile(out, "earlier rows\n");
    EXPECT_TRUE(exportFailsWithFileSizeLimit("big", "v", out, true, db, 1 << 20));
    EXPECT_EQ(readFile(out), "earlier rows\n");
    EXPECT_EQ(filesInHome(), files);
}

// Export, read back with the record reader, split: the rows come back exactly.
class ExportRoundTripTest : public DatabaseTest,
                            public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(ExportRoundTripTest, RowsComeBackExactly) {
    const auto [delimiter, quoting] = GetParam();
    const Strings separators{"\t", ";", "|", "§"};
    const std::string separator = separators[static_cast<size_t>(delimiter)];
    setDefault(delimiter, "ExportDelimiter");
    setDefault(";", "CSVSeparatorString");
    setDefault("§", "ExportFieldSeparatorString");
    setDefault(quoting, "ExportSurroundingQuotes");
    setDefault("<null>", "NULLValueString");
    // Field names hold every separator and a quote too.
    const std::string v = "v;|§\t\"", w = "w \"q\"";
    run("create table src (id, " + quoteIdentifier(v) + ", " + quoteIdentifier(w) +
        "); insert into src values "
        "(1, 'comma, here', 'tab\there'), (2, 'a \"quote\" \"\"', 'pipe|and;semicolon'), "
        "(3, 'line\nbreak', 'crlf\r\ninside'), (4, NULL, x'CAFE00'), (5, '', 'é ü 😀 §'), "
        "(6, 2.5, '\"'), (7, 'lone\rcarriage return', 'x')");
    const std::string out = pathInHome("round.txt");
    std::string errors;
    ASSERT_EQ(dumpFromTable("src", {"id", v, w}, out, false, db, &errors), 0) << errors;

    const Strings expected[] = {{"id", v, w},
                                {"1", "comma, here", "tab\there"},
                                {"2", "a \"quote\" \"\"", "pipe|and;semicolon"},
                                // The reader drops carriage returns, as the import does.
                                {"3", "line\nbreak", "crlf\ninside"},
                                {"4", "<null>", "CAFE00"},
                                {"5", "", "é ü 😀 §"},
                                {"6", "2.5", "\""},
                                {"7", "lonecarriage return", "x"}};
    const std::vector<Strings> rows = readBack(out, separator, "\"", &errors);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(rows, std::vector<Strings>(std::begin(expected), std::end(expected)));
}

// Marks that join the character before them, after a separator or a quote: the reader must split
// where the export put the separators and quotes, and count the records it reads.
TEST_P(ExportRoundTripTest, ValuesBeginningWithMarksComeBackExactly) {
    const auto [delimiter, quoting] = GetParam();
    const Strings separators{"\t", ";", "|", "§"};
    setDefault(delimiter, "ExportDelimiter");
    setDefault(";", "CSVSeparatorString");
    setDefault("§", "ExportFieldSeparatorString");
    setDefault(quoting, "ExportSurroundingQuotes");
    setDefault(true, "DontExportFieldNames");
    const Strings marks{"\u0301", "\u200D", "\uFE0F", "\u093E", "\u0301\u200D\uFE0F"};
    // Where the mark stands: a value's start, after a quote at its start, in the middle or at the
    // end, after a separator inside it, alone.
    const Strings shapes{"#x", "\"#x", "x\"#y", "x\"#", "a;|§\t#b", "#", "\"#\"", "x\n#"};
    std::vector<Strings> expected;
    std::string sql = "create table marks (a, b, c); insert into marks values ";
    for (const std::string& mark : marks) {
        for (std::string value : shapes) {
            value.replace(value.find('#'), 1, mark);
            const std::string n = std::to_string(expected.size());
            expected.push_back({"r" + n, value, "end" + n});
            sql += (n == "0" ? "('r" : ", ('r") + n + "', " + quoteLiteral(value) + ", 'end" + n +
                   "')";
        }
    }
    run(sql);
    const std::string out = pathInHome("marks.txt");
    std::string errors;
    ASSERT_EQ(dumpFromTable("marks", {"a", "b", "c"}, out, false, db, &errors), 0) << errors;
    const std::string separator = separators[static_cast<size_t>(delimiter)];
    EXPECT_EQ(readBack(out, separator, "\"", &errors), expected);
    EXPECT_EQ(errors, "");
    const int fd = open(out.c_str(), O_RDONLY);
    EXPECT_EQ(FieldsAndLinesParser(fd, kUTF8StringEncoding, separator, "\"", LineEnds::LineFeed)
                  .countRecordsFast(),
              static_cast<int64_t>(expected.size()));
    close(fd);
}

INSTANTIATE_TEST_SUITE_P(DelimitersAndQuoting, ExportRoundTripTest,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3),
                                            ::testing::Values(0, 1)));

TEST_F(ExportTest, UnquotedExportReadsBackWhenValuesHoldNoSeparator) {
    run("create table plain (v); insert into plain values ('a, \"b\"'), ('c''s'), (NULL)");
    setDefault(2, "ExportSurroundingQuotes");
    ASSERT_EQ(dump({"v"}, false, "plain"), 0);
    EXPECT_EQ(readBack(out, "\t", "", nullptr),
              (std::vector<Strings>{{"v"}, {"a, \"b\""}, {"c's"}, {""}}));
}
