#include "Common/ParallelMatchedRows.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

#include "Common/DBConnection.h"
#include "Common/KeyRanges.h"

namespace DBInterface {

namespace {

// Rows picked from the table for every part of the walk, to find where the parts end.
constexpr int64_t kPicksPerPart = 64;
// The whole order is walked for tables of ROWIDs no further apart: 128 MB at most.
constexpr int64_t kMostWalkedRows = int64_t{1} << 25;

const std::string& rowidOf(const GridQuery& query) {
    return query.orderKeys.back().expression;
}

// Room for about that many rows of a part, and some over, taken at once: a part's rows growing
// step by step would move them to new memory of the process again and again, making every other
// part wait on that.
size_t roomFor(int64_t rows) {
    return static_cast<size_t>(std::max<int64_t>(rows, 0) / 8 * 9);
}

int64_t rowsOf(const std::vector<std::vector<uint32_t>>& parts) {
    int64_t rows = 0;
    for (const std::vector<uint32_t>& part : parts) rows += std::ssize(part);
    return rows;
}

// The row a part of the walk ends with, and the next part begins after.
struct PartEnd {
    SQLValue firstKey;  // its value of the order's first key
    int64_t rowid = 0;
};

// Rows picked over the table's ROWIDs, one from each of even stretches, in the order, every
// kPicksPerPart-th of them taken as the end of a part; fewer parts than asked where the table has
// fewer rows to pick.
int partEnds(std::vector<PartEnd>* ends, unsigned parts, const GridQuery& query, int64_t first,
             int64_t span, sqlite3* db) {
    const std::string& rowid = rowidOf(query);
    const int64_t picks = kPicksPerPart * parts;
    // At a place in each stretch that varies from one to the next: rows an even step apart
    // could all fall on one phase of a pattern of the rows, and the parts come out uneven.
    const int64_t step = std::max<int64_t>(span / picks, 1);
    const std::string pick = "(select " + rowid + " from " + query.table + " where " + rowid +
                             " >= " + std::to_string(first) + " + " + std::to_string(step) +
                             " * i + i * 2654435761 % " + std::to_string(step) + " order by " +
                             rowid + " limit 1)";
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

// Walks one part, putting down its rows (those of reading where given) in met as offsets from
// first; whether it began and ended at its rows, each put down.
int walkPart(bool* whole, const std::vector<WalkStatement>& statements, const MatchedRows* reading,
             int64_t first, const PartEnd* after, const PartEnd* end, std::vector<uint32_t>* met,
             sqlite3* db) {
    MatchedWalkScope scope(reading, first, after ? std::optional(after->rowid) : std::nullopt,
                           end ? std::optional(end->rowid) : std::nullopt, met);
    for (const WalkStatement& walk : statements) {
        Statement statement;
        int rc = statement.prepare(db, walk.sql);
        if (rc == SQLITE_OK && walk.bound) rc = sqlite3_bind_value(statement.get(), 1, walk.bound);
        if (rc == SQLITE_OK) rc = sqlite3_step(statement.get());
        if (rc == SQLITE_ROW) break;
        if (rc != SQLITE_DONE) return rc;
    }
    *whole = scope.started() && (scope.stopped() || !end) && !scope.overflowed();
    return SQLITE_OK;
}

// The rows of the order (of reading where given) put down in parts walked side by side, each
// as its offset from first, the table's ROWIDs spanning span from it; walked says whether the walk
// could be split and every part began and ended at its rows.
int walkInParts(std::vector<std::vector<uint32_t>>* met, bool* walked, const GridQuery& query,
                const MatchedRows* reading, int64_t first, int64_t span, sqlite3* db,
                const std::string& databaseFilePath, const ParallelReads& parallel,
                const std::function<void(sqlite3* db)>& prepare) {
    *walked = false;
    const unsigned asked = parallel.partsFor(span);
    if (asked < 2) return SQLITE_OK;
    std::vector<PartEnd> ends;
    int rc = partEnds(&ends, asked, query, first, span, db);
    if (rc != SQLITE_OK || ends.empty()) return rc;
    const size_t parts = ends.size() + 1;
    std::vector<std::vector<WalkStatement>> statements;
    for (size_t part = 0; part < parts; ++part) {
        statements.push_back(walkStatements(query, part > 0 ? &ends[part - 1] : nullptr));
        if (!walksInOrder(statements.back(), db)) return SQLITE_OK;
    }
    met->assign(parts, {});
    std::vector<char> whole(parts, false);
    const int64_t rows = reading ? std::max<int64_t>(reading->rows(), 0) : span;
    rc = readInParallel(
        static_cast<unsigned>(parts), databaseFilePath, prepare,
        [&](unsigned part, sqlite3* partDb) {
            bool partWhole = false;
            // Filled on its own and moved in once done: the parts' vectors lie side by side, and
            // each write to one would stall the threads writing to those sharing its cache line.
            std::vector<uint32_t> partMet;
            partMet.reserve(roomFor(rows / static_cast<int64_t>(parts)));
            const int done = walkPart(&partWhole, statements[part], reading, first,
                                      part > 0 ? &ends[part - 1] : nullptr,
                                      part + 1 < parts ? &ends[part] : nullptr, &partMet, partDb);
            (*met)[part] = std::move(partMet);
            whole[part] = partWhole;
            return done;
        },
        nullptr);
    *walked = rc == SQLITE_OK && std::count(whole.begin(), whole.end(), false) == 0;
    return rc;
}

// Where the parts of a walk are read: the file, and how each connection is prepared.
struct PartsRead {
    const std::string& databaseFilePath;
    const std::function<void(sqlite3* db)>& prepare;
};

// The marks, every spacing-th of the rows the parts met in turn (offsets from first), each with
// its keys read by ROWID, part by part side by side; SQLITE_NOTFOUND where a row is gone.
int marksOfParts(PageMarks* marks, const std::vector<std::vector<uint32_t>>& met,
                 const GridQuery& query, int64_t spacing, int64_t first, const PartsRead& read) {
    const std::string sql = "select " + keyColumnsOf(query) + " from " + query.table + " where " +
                            rowidOf(query) + " = ?";
    std::vector<std::vector<RowKey>> partMarks(met.size());
    std::vector<int64_t> before(met.size(), 0);  // the rows of the parts before each
    for (size_t part = 1; part < met.size(); ++part) {
        before[part] = before[part - 1] + static_cast<int64_t>(met[part - 1].size());
    }
    int rc = readInParallel(
        static_cast<unsigned>(met.size()), read.databaseFilePath, read.prepare,
        [&](unsigned part, sqlite3* db) {
            Statement statement;
            // One read for the part: each read of its own would lock the file anew.
            int done = sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
            if (done == SQLITE_OK) done = statement.prepare(db, sql);
            const std::vector<uint32_t>& rows = met[part];
            const int64_t size = static_cast<int64_t>(rows.size());
            // The first row of the part that is a mark: the one at (j + 1) * spacing - 1.
            for (int64_t at = (spacing - 1 - before[part] % spacing) % spacing;
                 at < size && done == SQLITE_OK; at += spacing) {
                sqlite3_reset(statement.get());
                sqlite3_bind_int64(statement.get(), 1, first + rows[static_cast<size_t>(at)]);
                done = sqlite3_step(statement.get());
                if (done != SQLITE_ROW) return done == SQLITE_DONE ? SQLITE_NOTFOUND : done;
                done = SQLITE_OK;
                partMarks[part].push_back(rowKeyOf(statement.get()));
            }
            sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
            return done;
        },
        nullptr);
    for (std::vector<RowKey>& part : partMarks) {
        std::move(part.begin(), part.end(), std::back_inserter(marks->marks));
    }
    marks->spacing = spacing;
    marks->rows = met.empty() ? 0 : before.back() + static_cast<int64_t>(met.back().size());
    return rc;
}

// The marks of the rows met, when they are as many as rows and each is still found by its ROWID
// (found says so); else nothing failed, but the walk was not of the rows counted.
int marksOfRows(PageMarks* marks, bool* found, const std::vector<std::vector<uint32_t>>& met,
                int64_t rows, const GridQuery& query, int64_t spacing, int64_t first,
                const PartsRead& read) {
    if (rowsOf(met) != rows) return SQLITE_OK;
    PageMarks sampled;
    int rc = marksOfParts(&sampled, met, query, spacing, first, read);
    if (rc == SQLITE_NOTFOUND) return SQLITE_OK;
    if (rc != SQLITE_OK) return rc;
    *marks = std::move(sampled);
    *found = true;
    return SQLITE_OK;
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
            // Its own until done, as each part's rows of a walk are.
            MatchedRows partTaken(firstRowid(part), firstRowid(part + 1) - 1);
            MatchedRowsScope scope(&partTaken, nullptr);
            std::string sql = "select count(*) from " + query.table + " where ";
            if (part > 0) sql += rowid + " >= " + std::to_string(firstRowid(part)) + " and ";
            if (part + 1 < parts)
                sql += rowid + " < " + std::to_string(firstRowid(part + 1)) + " and ";
            const int done = forEachRow(db, sql + "(" + search + ")", [&](sqlite3_stmt* statement) {
                counted[part] = sqlite3_column_int64(statement, 0);
                return false;
            });
            taken[part].emplace(std::move(partTaken));
            return done;
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
    std::vector<std::vector<uint32_t>> met;
    int rc = walkInParts(&met, walked, query, &matched, matched.first(), matched.words() * 64, db,
                         databaseFilePath, parallel, prepare);
    if (rc != SQLITE_OK || !*walked) return rc;
    *walked = false;
    return marksOfRows(marks, walked, met, matched.rows(), query, spacing, matched.first(),
                       {databaseFilePath, prepare});
}

int walkOrderInParts(OrderWalk* walk, bool* walked, const GridQuery& query, sqlite3* db,
                     const std::string& databaseFilePath, const ParallelReads& parallel,
                     const std::function<void(sqlite3* db)>& prepare) {
    *walked = false;
    int64_t first = 0, last = 0;
    if (!rowidBounds(db, query, &first, &last) || last - first >= kMostWalkedRows) return SQLITE_OK;
    walk->first = first;
    return walkInParts(&walk->parts, walked, query, nullptr, first, last - first + 1, db,
                       databaseFilePath, parallel, prepare);
}

int marksOfOrderWalk(PageMarks* marks, bool* found, const OrderWalk& walk,
                     const MatchedRows* matched, const GridQuery& query, int64_t spacing,
                     const std::string& databaseFilePath,
                     const std::function<void(sqlite3* db)>& prepare) {
    *found = false;
    const PartsRead read{databaseFilePath, prepare};
    if (!matched) {
        return marksOfRows(marks, found, walk.parts, rowsOf(walk.parts), query, spacing, walk.first,
                           read);
    }
    // The walk is kept for the next search, so its rows are copied rather than filtered in place.
    std::vector<std::vector<uint32_t>> kept(walk.parts.size());
    const int64_t walkedRows = rowsOf(walk.parts);
    std::vector<std::thread> filters;
    for (size_t part = 0; part < walk.parts.size(); ++part) {
        filters.emplace_back([&, part] {
            // Its own until done, as each part's rows of a walk are.
            std::vector<uint32_t> partKept;
            partKept.reserve(roomFor(std::ssize(walk.parts[part]) * matched->rows() /
                                     std::max<int64_t>(walkedRows, 1)));
            std::copy_if(walk.parts[part].begin(), walk.parts[part].end(),
                         std::back_inserter(partKept),
                         [&](uint32_t offset) { return matched->contains(walk.first + offset); });
            kept[part] = std::move(partKept);
        });
    }
    for (std::thread& filter : filters) filter.join();
    return marksOfRows(marks, found, kept, matched->rows(), query, spacing, walk.first, read);
}

}  // namespace DBInterface
