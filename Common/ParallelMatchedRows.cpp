#include "Common/ParallelMatchedRows.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "Common/DBConnection.h"
#include "Common/KeyRanges.h"

namespace DBInterface {

namespace {

// Rows picked from the table for every part of the walk, to find where the parts end.
constexpr int64_t kPicksPerPart = 64;

const std::string& rowidOf(const GridQuery& query) {
    return query.orderKeys.back().expression;
}

// The row a part of the walk ends with, and the next part begins after.
struct PartEnd {
    SQLValue firstKey;  // its value of the order's first key
    int64_t rowid = 0;
};

// Rows picked evenly over the table's ROWIDs, in the order, every kPicksPerPart-th of them taken
// as the end of a part; fewer parts than asked where the table has fewer rows to pick.
int partEnds(std::vector<PartEnd>* ends, unsigned parts, const GridQuery& query,
             const MatchedRows& matched, sqlite3* db) {
    const std::string& rowid = rowidOf(query);
    const int64_t picks = kPicksPerPart * parts;
    const int64_t span = matched.words() * 64;
    const std::string pick = "(select " + rowid + " from " + query.table + " where " + rowid +
                             " >= " + std::to_string(matched.first()) + " + " +
                             std::to_string(span) + " * i / " + std::to_string(picks) +
                             " order by " + rowid + " limit 1)";
    const std::string sql =
        "with recursive s(i) as (select 0 union all select i + 1 from s where "
        "i < " +
        std::to_string(picks - 1) + ") select " + query.orderKeys.front().expression + ", " +
        rowid + " from " + query.table + " where " + rowid + " in (select " + pick + " from s)" +
        orderByClause(query.orderKeys);
    std::vector<PartEnd> picked;
    int rc = forEachRow(db, sql, [&](sqlite3_stmt* statement) {
        picked.push_back({SQLValue(sqlite3_value_dup(sqlite3_column_value(statement, 0))),
                          sqlite3_column_int64(statement, 1)});
        return true;
    });
    const size_t count = picked.size();
    for (size_t part = 1; part < parts && rc == SQLITE_OK; ++part) {
        const size_t at = part * count / parts;
        if (at > 0 && (ends->empty() || ends->back().rowid != picked[at - 1].rowid)) {
            ends->push_back(std::move(picked[at - 1]));
        }
    }
    return rc;
}

// The statements that walk the order from the row a part begins after (from the start without
// one) to its end, each seeking its first rows in the index by the first key; the rows before
// the part's first that they meet are passed over by varnelo_walk. Going down, NULL comes last.
struct WalkStatement {
    std::string sql;
    bool seeks = false;              // whether its first row is sought by the first key
    sqlite3_value* bound = nullptr;  // the value it is sought by, if any
};

std::vector<WalkStatement> walkStatements(const GridQuery& query, const PartEnd* after) {
    const std::string walk = "varnelo_walk(" + rowidOf(query) + ")";
    const std::string order = orderByClause(query.orderKeys) + " limit 1";
    const std::string from = "select 1 from " + query.table + " where ";
    const OrderKey& key = query.orderKeys.front();
    const bool null = after && sqlite3_value_type(after->firstKey.get()) == SQLITE_NULL;
    // Ordered by the later keys alone: SQLite would sort the rows of a key IS NULL by it.
    const std::string nulls = from + key.expression + " is null and " + walk +
                              orderByClause({query.orderKeys.begin() + 1, query.orderKeys.end()}) +
                              " limit 1";
    if (!after || (null && !key.descending)) return {{from + walk + order}};
    if (null) return {{nulls, true}};
    const std::string bound = key.expression + (key.descending ? " <= ?" : " >= ?");
    std::vector<WalkStatement> statements = {
        {from + bound + " and " + walk + order, true, after->firstKey.get()}};
    if (key.descending) statements.push_back({nulls, true});
    return statements;
}

// Whether every statement reads the order in the index, seeking where it is bounded.
bool walksInOrder(const std::vector<WalkStatement>& statements, sqlite3* db) {
    return std::all_of(statements.begin(), statements.end(), [db](const WalkStatement& walk) {
        const std::string plan = queryPlanOf(db, walk.sql);
        return !plan.empty() && plan.find("TEMP B-TREE") == std::string::npos &&
               (!walk.seeks || plan.find("SEARCH") != std::string::npos);
    });
}

// Walks one part, putting down its rows in met; whether it began and ended at its rows.
int walkPart(bool* whole, const std::vector<WalkStatement>& statements, const MatchedRows& matched,
             const PartEnd* after, const PartEnd* end, std::vector<uint32_t>* met, sqlite3* db) {
    MatchedWalkScope scope(matched, after ? std::optional(after->rowid) : std::nullopt,
                           end ? std::optional(end->rowid) : std::nullopt, met);
    for (const WalkStatement& walk : statements) {
        Statement statement;
        int rc = statement.prepare(db, walk.sql);
        if (rc == SQLITE_OK && walk.bound) rc = sqlite3_bind_value(statement.get(), 1, walk.bound);
        if (rc == SQLITE_OK) rc = sqlite3_step(statement.get());
        if (rc == SQLITE_ROW) break;
        if (rc != SQLITE_DONE) return rc;
    }
    *whole = scope.started() && (scope.stopped() || !end);
    return SQLITE_OK;
}

// The marks, every spacing-th of the rows the parts met in turn, each with its keys read by
// ROWID on db.
int marksOfParts(PageMarks* marks, const std::vector<std::vector<uint32_t>>& met,
                 const GridQuery& query, int64_t spacing, const MatchedRows& matched, sqlite3* db) {
    std::string keys;
    for (const OrderKey& key : query.orderKeys) keys += (keys.empty() ? "" : ", ") + key.expression;
    Statement statement;
    int rc = statement.prepare(
        db, "select " + keys + " from " + query.table + " where " + rowidOf(query) + " = ?");
    int64_t before = 0;  // the rows of the parts before
    for (const std::vector<uint32_t>& part : met) {
        const int64_t size = static_cast<int64_t>(part.size());
        // The first row of the part that is a mark: the one at (j + 1) * spacing - 1.
        for (int64_t at = (spacing - 1 - before % spacing) % spacing; at < size && rc == SQLITE_OK;
             at += spacing) {
            sqlite3_reset(statement.get());
            sqlite3_bind_int64(statement.get(), 1, matched.first() + part[static_cast<size_t>(at)]);
            rc = sqlite3_step(statement.get());
            if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? SQLITE_NOTFOUND : rc;
            rc = SQLITE_OK;
            RowKey key;
            for (int i = 0; i < sqlite3_column_count(statement.get()); ++i) {
                key.emplace_back(sqlite3_value_dup(sqlite3_column_value(statement.get(), i)));
            }
            marks->marks.push_back(std::move(key));
        }
        before += size;
    }
    marks->spacing = spacing;
    marks->rows = before;
    return rc;
}

}  // namespace

int64_t countTakingRowsInParts(MatchedRows* taking, const GridQuery& query,
                               const std::string& databaseFilePath, const ParallelReads& parallel) {
    const int64_t words = taking->words();
    const unsigned parts =
        static_cast<unsigned>(std::min<int64_t>(parallel.partsFor(words * 64), words));
    if (parts < 2) return -1;
    // Part p takes the ROWIDs of its words; the first and last take any row before or after the
    // room, which spoils it as it would one count's.
    auto firstRowid = [&](unsigned part) { return taking->first() + 64 * (words * part / parts); };
    std::vector<std::optional<MatchedRows>> taken(parts);
    std::vector<int64_t> counted(parts, -1);
    const std::string rowid = rowidOf(query);
    const std::string search = takingMatchedRows(query).search;
    int rc = readInParallel(
        parts, databaseFilePath, [](sqlite3*) {},
        [&](unsigned part, sqlite3* db) {
            taken[part].emplace(firstRowid(part), firstRowid(part + 1) - 1);
            MatchedRowsScope scope(&*taken[part], nullptr);
            std::string sql = "select count(*) from " + query.table + " where ";
            if (part > 0) sql += rowid + " >= " + std::to_string(firstRowid(part)) + " and ";
            if (part + 1 < parts)
                sql += rowid + " < " + std::to_string(firstRowid(part + 1)) + " and ";
            return forEachRow(db, sql + "(" + search + ")", [&](sqlite3_stmt* statement) {
                counted[part] = sqlite3_column_int64(statement, 0);
                return false;
            });
        },
        nullptr);
    if (rc != SQLITE_OK) return -1;
    int64_t rows = 0;
    for (int64_t part : counted) rows += part;
    for (const std::optional<MatchedRows>& part : taken) taking->merge(*part);
    return rows;
}

int sampleMatchedMarksInParts(PageMarks* marks, bool* walked, const GridQuery& query,
                              int64_t spacing, const MatchedRows& matched, sqlite3* db,
                              const std::string& databaseFilePath, const ParallelReads& parallel,
                              const std::function<void(sqlite3* db)>& prepare) {
    *walked = false;
    std::vector<PartEnd> ends;
    int rc = partEnds(&ends, parallel.partsFor(matched.words() * 64), query, matched, db);
    if (rc != SQLITE_OK || ends.empty()) return rc;
    const size_t parts = ends.size() + 1;
    std::vector<std::vector<WalkStatement>> statements;
    for (size_t part = 0; part < parts; ++part) {
        statements.push_back(walkStatements(query, part > 0 ? &ends[part - 1] : nullptr));
        if (!walksInOrder(statements.back(), db)) return SQLITE_OK;
    }
    std::vector<std::vector<uint32_t>> met(parts);
    std::vector<char> whole(parts, false);
    rc = readInParallel(
        static_cast<unsigned>(parts), databaseFilePath, prepare,
        [&](unsigned part, sqlite3* partDb) {
            bool partWhole = false;
            const int done = walkPart(&partWhole, statements[part], matched,
                                      part > 0 ? &ends[part - 1] : nullptr,
                                      part + 1 < parts ? &ends[part] : nullptr, &met[part], partDb);
            whole[part] = partWhole;
            return done;
        },
        nullptr);
    if (rc != SQLITE_OK) return rc;
    int64_t rows = 0;
    for (const std::vector<uint32_t>& part : met) rows += static_cast<int64_t>(part.size());
    if (std::count(whole.begin(), whole.end(), false) > 0 || rows != matched.rows()) {
        return SQLITE_OK;
    }
    PageMarks sampled;
    rc = marksOfParts(&sampled, met, query, spacing, matched, db);
    if (rc == SQLITE_NOTFOUND) return SQLITE_OK;
    if (rc != SQLITE_OK) return rc;
    *marks = std::move(sampled);
    *walked = true;
    return SQLITE_OK;
}

}  // namespace DBInterface
