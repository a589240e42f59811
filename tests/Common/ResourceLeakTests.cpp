// Every call closes its connection on every path: successes, failed opens and failed SQL.
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;

class ResourceLeakTest : public DatabaseTest {};

TEST_F(ResourceLeakTest, NoFileDescriptorOutlivesACall) {
    run("create table t (a); insert into t values (1)");
    std::string unopenable = pathInHome("missing/folder/x.db");
    std::string notADatabase = pathInHome("text.db");
    writeFile(notADatabase, std::string(4096, 'z'));
    const int before = openFileDescriptorCount();
    for (int i = 0; i < 10000; ++i) {
        std::string error;
        std::vector<std::string> values;
        std::vector<DBRow> rows;
        switch (i % 8) {
            case 0:
                execCommandString("update t set a = a + 1", db, &error);
                break;
            case 1:
                execCommandString("select * from nosuch", db, &error);
                break;
            case 2: {
                ScriptResult result;
                execMultipleQueryString("select 1; select x from nosuch", ScriptOptions{5}, &result,
                                        db, &error);
                break;
            }
            case 3:
                getRows(&values, "select * from t", unopenable, &error);
                break;
            case 4:
                getArrayOfRows(&rows, "select * from t", false, pathInHome("absent.db"), &error);
                break;
            case 5:
                execCommandString("select 1", notADatabase, &error);
                break;
            case 6:
                countRowsWithQuery("select * from t", db);
                break;
            case 7:
                getColumnNames(&values, nullptr, 1, "select bad syntax", db, &error);
                break;
        }
    }
    EXPECT_EQ(openFileDescriptorCount(), before);
    EXPECT_EQ(query("select a from t"), std::vector<std::string>{"1251"});
}
