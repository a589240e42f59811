// The bulk cell commands' statements beside the sqlite3 shell running the same SQL: Set to NULL
// on a whole field of 1,000,000 rows (one UPDATE), 10,000 blank rows (one transaction) and the
// delete of 1000 selected rows (their rowids read by position, then one DELETE).
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "ShellComparison.h"

namespace {

void orDie(int rc, const std::string& what, const std::string& error) {
    if (rc != 0) {
        std::fprintf(stderr, "%s failed: %s\n", what.c_str(), error.c_str());
        std::exit(1);
    }
}

void printTimes(const char* job, double ours, double shell) {
    std::printf("%-36s ours %7.3f s   sqlite3 shell %7.3f s   ours/shell time %.2f\n", job, ours,
                shell, ours / shell);
}

}  // namespace

int main() {
    bench::ScratchFolder scratch;
    const std::string db = scratch.file("cells.db");
    std::string error;
    orDie(DBInterface::execMultipleQueryString(
              "begin transaction; create table t (name text, amount number); insert into t "
              "select 'name ' || value, value * 1.5 from generate_series(1, 1000000); commit "
              "transaction",
              nullptr, nullptr, db, &error, DBInterface::MissingFile::Create),
          "setup", error);

    double ours = bench::bestSeconds(3, [&] {
        orDie(DBInterface::updateRowsArray({}, {"amount"}, DBInterface::FieldValue::null(), "t", db,
                                           &error),
              "set to NULL", error);
    });
    double shell = bench::bestSeconds(
        3, [&] { bench::runOrDie("sqlite3 " + db + " 'update \"t\" set \"amount\"=NULL'"); });
    printTimes("set to NULL, field of 1,000,000 rows", ours, shell);

    ours = bench::bestSeconds(3, [&] {
        int64_t added = 0;
        orDie(DBInterface::addBlankRows(10000, {"name", "amount"}, "t", &added, db, &error),
              "blank rows", error);
    });
    std::string script = scratch.file("blank.sql");
    bench::runOrDie(
        "(echo 'begin transaction;'; for i in $(seq 10000); do echo \"insert into "
        "t (name, amount) values ('', '');\"; done; echo 'commit transaction;') > " +
        script);
    shell = bench::bestSeconds(3, [&] { bench::runOrDie("sqlite3 " + db + " < " + script); });
    printTimes("10,000 blank rows", ours, shell);

    int64_t offset = 0;
    ours = bench::bestSeconds(3, [&] {
        std::vector<std::string> rowids;
        orDie(DBInterface::getRows(&rowids, "t", "", {}, {}, 1, 1000, offset += 100000, true, db,
                                   &error),
              "rowids", error);
        orDie(DBInterface::deleteRowsArray(rowids, "t", db, &error), "delete", error);
    });
    shell = bench::bestSeconds(3, [&] {
        bench::runOrDie("sqlite3 " + db +
                        " 'delete from t where rowid in (select rowid from t order by rowid "
                        "limit 1000 offset " +
                        std::to_string(offset += 100000) + ")'");
    });
    printTimes("delete 1000 selected rows", ours, shell);
    return 0;
}
