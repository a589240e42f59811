#include "Common/KeyRanges.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "Common/DBConnection.h"
#include "Common/Statement.h"

namespace DBInterface {

namespace {

// A run of equal values of a key no longer than this is sorted with its next keys in passing;
// a longer one is read on its own.
constexpr int64_t kShortRun = 256;
// Rows of a key's value are counted up to this many in its index to choose the index a range is
// read through.
constexpr int64_t kCountedRows = 20000;

bool isNull(sqlite3_value* value) {
    return sqlite3_value_type(value) == SQLITE_NULL;
}

// One range of a key: a condition on it, with the value it compares to ("" for every row).
struct Range {
    std::string condition;  // "? " stands for the key
    sqlite3_value* value = nullptr;
};

class KeyOrderReader {
  public:
    KeyOrderReader(const GridQuery& query, sqlite3* db, int64_t skip, int64_t limit,
                   std::vector<DBRow>* page)
        : query_(query),
          db_(db),
          keys_(query.orderKeys.size() - 1),
          skip_(skip),
          limit_(limit),
          page_(page) {
        composite_ = keys_ >= 2 && indexOfAllKeys();
    }

    int readAfter(const RowKey& key, bool fromKey) {
        std::vector<sqlite3_value*> prefix;
        for (size_t i = 0; i < keys_; ++i) prefix.push_back(key[i].get());
        int rc = readEqualRun(prefix, key[keys_].get(), fromKey);
        for (size_t level = keys_; rc == SQLITE_OK && level-- > 0 && !full();) {
            prefix.resize(level);
            rc = readLevel(level, prefix, key[level].get());
        }
        return rc;
    }

    int readFromStart() {
        std::vector<sqlite3_value*> prefix;
        return readFromStartOf(0, prefix);
    }

    // The ranges readAfter reads, counted; with seekedOnly -1 when one of them is not counted in
    // an index seeked to its start (counting it would pass over the rows before it).
    int countAfter(const RowKey& key, int64_t* rows, SQLValue* lastValue, bool seekedOnly) {
        lastValue_ = lastValue;
        seekedOnly_ = seekedOnly;
        std::vector<sqlite3_value*> prefix;
        for (size_t i = 0; i < keys_; ++i) prefix.push_back(key[i].get());
        *rows = 0;
        int rc = countRange(prefix, keys_, {rowidRange(false), key[keys_].get()},
                            composite_ ? keys_ : 0, rows);
        for (size_t level = keys_; rc == SQLITE_OK && *rows >= 0 && level-- > 0;) {
            prefix.resize(level);
            for (const Range& range : rangesAfter(level, key[level].get())) {
                rc = countRange(prefix, level, range, level, rows);
                if (rc != SQLITE_OK || *rows < 0) break;
            }
        }
        return rc;
    }

  private:
    bool full() const { return static_cast<int64_t>(page_->size()) >= limit_; }

    const std::string& expression(size_t key) const { return query_.orderKeys[key].expression; }
    bool descending(size_t key) const { return query_.orderKeys[key].descending; }

    // The rows equal on the keys before level to the prefix, in order.
    int readFromStartOf(size_t level, std::vector<sqlite3_value*>& prefix) {
        return level == keys_ ? readEqualRun(prefix, nullptr)
                              : readLevel(level, prefix, nullptr, true);
    }

    // The rows equal on every key to the prefix, after the ROWID (from it with fromRowid, or all
    // of them), by ROWID.
    int readEqualRun(std::vector<sqlite3_value*>& prefix, sqlite3_value* rowid,
                     bool fromRowid = false) {
        Range range;
        if (rowid) range = {rowidRange(fromRowid), rowid};
        return readRange(prefix, keys_, range, indexFor(prefix, keys_, wanted()));
    }

    const char* rowidRange(bool fromRowid) const {
        if (descending(keys_)) return fromRowid ? "? <= ?" : "? < ?";
        return fromRowid ? "? >= ?" : "? > ?";
    }

    // The rows equal on the keys before level to the prefix and after the value on the key of
    // level (from its start with fromStart), in order.
    int readLevel(size_t level, std::vector<sqlite3_value*>& prefix, sqlite3_value* after,
                  bool fromStart = false) {
        const size_t index = indexFor(prefix, level, wanted());
        std::vector<SQLValue> runValues;  // owns the values of runs read on their own
        for (;;) {
            std::vector<Range> ranges =
                fromStart ? std::vector<Range>{Range{}} : rangesAfter(level, after);
            // A key's index holds a value's rows by ROWID, so it gives the order whole only
            // while ROWID runs the key's way; against it each run would be sorted. The index of
            // all keys runs each later key as it runs against key 1: it gives the order whole
            // while ROWID runs key 1's way.
            const bool keysFollow =
                composite_ ? descending(keys_) != descending(0)
                           : level + 1 < keys_ || descending(level) != descending(keys_);
            if (keysFollow && index == level && !ranges.empty()) {
                SQLValue run;
                int rc = firstValue(level, prefix, ranges, &run);
                if (rc != SQLITE_OK || !run) return rc;
                if (!shortRun(level, prefix, run.get())) {
                    prefix.push_back(run.get());
                    rc = readFromStartOf(level + 1, prefix);
                    prefix.pop_back();
                    if (rc != SQLITE_OK || full()) return rc;
                    after = run.get();
                    fromStart = false;
                    runValues.push_back(std::move(run));
                    continue;
                }
            }
            for (const Range& range : ranges) {
                int rc = readRange(prefix, level, range, index);
                if (rc != SQLITE_OK || full()) return rc;
            }
            return SQLITE_OK;
        }
    }

    // Whether one index holds the keys in the order's turn, as the sort indexes of two and three
    // keys do: every range is then read through it, with the keys before the range's equal.
    bool indexOfAllKeys() {
        const std::vector<OrderKey> keys(query_.orderKeys.begin(), query_.orderKeys.end() - 1);
        const std::string madeOn = " on " + query_.table + " (" + allKeysIndexColumns(keys) + ")";
        bool found = false;
        run("select sql from sqlite_master where type = 'index' and sql is not null", {},
            [&](sqlite3_stmt* statement) {
                const std::string_view sql(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                    static_cast<size_t>(sqlite3_column_bytes(statement, 0)));
                found = found || sql.ends_with(madeOn);
            });
        return found;
    }

    // The ranges of the key of level after the value, in order. NULL comes before every value,
    // so it is first going up and last going down; the rows after NULL going up start at the
    // key's least value, which its index seeks past the NULLs to.
    std::vector<Range> rangesAfter(size_t level, sqlite3_value* after) {
        if (!isNull(after)) {
            if (!descending(level)) return {{"? > ?", after}};
            return {{"? < ?", after}, {"? is null", nullptr}};
        }
        if (descending(level)) return {};
        sqlite3_value* least = leastValue(level);
        if (!least || isNull(least)) return {};
        return {{"? >= ?", least}};
    }

    // Where, from the search, the prefix, and the range on the key of level. SQLite's planner
    // knows nothing of how many rows a value has (a file keeps no statistics unless asked to), so
    // only the term of the key whose index is to be used is left to it; the others are written
    // "+(key)", which no index serves.
    std::string where(const std::vector<sqlite3_value*>& prefix, size_t level, const Range& range,
                      size_t index, std::vector<sqlite3_value*>* parameters) const {
        std::string sql;
        auto add = [&](const std::string& term) {
            sql += (sql.empty() ? " where " : " and ") + term;
        };
        if (!query_.search.empty()) add("(" + query_.search + ")");
        auto key = [&](size_t i, bool usable) {
            return usable || composite_ ? expression(i) : "+(" + expression(i) + ")";
        };
        for (size_t i = 0; i < prefix.size(); ++i) {
            const bool usable = i == index;
            if (isNull(prefix[i])) {
                add(key(i, usable) + " is null");
            } else {
                add(key(i, usable) + " = ?");
                parameters->push_back(prefix[i]);
            }
        }
        if (!range.condition.empty()) {
            const std::string subject = level == keys_ ? "ROWID" : key(level, index == level);
            std::string term = range.condition;
            term.replace(0, 1, subject);
            add(term);
            if (range.value) parameters->push_back(range.value);
        }
        return sql;
    }

    std::string orderFrom(size_t level) const {
        std::string order;
        for (size_t i = level; i < query_.orderKeys.size(); ++i) {
            order += (order.empty() ? " order by " : ", ") + orderTerm(query_.orderKeys[i]);
        }
        return order;
    }

    // Reads the rows of one range in order, passing over what is left to skip. Read in an
    // index's order, SQLite passes over an offset's rows without reading them from the table;
    // sorted, every row is read anyway, so the rows to skip are counted as they come instead of
    // by a second read when the range holds no more.
    int readRange(const std::vector<sqlite3_value*>& prefix, size_t level, const Range& range,
                  size_t index) {
        std::vector<sqlite3_value*> parameters;
        const std::string condition = where(prefix, level, range, index, &parameters);
        const bool sorted = level < keys_ && index != level;
        const int64_t wanted = limit_ - static_cast<int64_t>(page_->size());
        const size_t before = page_->size();
        int rc = run("select " + query_.columns + " from " + query_.table + condition +
                         orderFrom(level) + " limit " +
                         (sorted ? std::to_string(wanted + skip_)
                                 : std::to_string(wanted) + " offset " + std::to_string(skip_)),
                     parameters, [&](sqlite3_stmt* statement) {
                         if (sorted && skip_ > 0) {
                             --skip_;
                             return;
                         }
                         page_->push_back(rowValues(statement));
                     });
        if (rc != SQLITE_OK || sorted || skip_ == 0) return rc;
        if (page_->size() > before) {
            skip_ = 0;
            return SQLITE_OK;
        }
        // No row came, so the range held no more rows than were to be skipped: how many.
        return run("select count(*) from (select 1 from " + query_.table + condition + " limit " +
                       std::to_string(skip_) + ")",
                   parameters,
                   [&](sqlite3_stmt* statement) { skip_ -= sqlite3_column_int64(statement, 0); });
    }

    // Adds the rows of one range to rows; where only seeked ranges are counted, makes it -1 when
    // SQLite would not seek them in an index that holds all it looks at (walking the table from a
    // ROWID could cost more than a count of the whole search in a narrow index).
    int countRange(const std::vector<sqlite3_value*>& prefix, size_t level, const Range& range,
                   size_t index, int64_t* rows) {
        std::vector<sqlite3_value*> parameters;
        const std::string sql = "select count(*)" +
                                (lastValue_ ? ", " + lastValueOfFirstKey(query_) : "") + " from " +
                                query_.table + where(prefix, level, range, index, &parameters);
        if (seekedOnly_) {
            const std::string plan = queryPlanOf(db_, sql);
            if (plan.find("SEARCH") == std::string::npos ||
                plan.find("COVERING INDEX") == std::string::npos) {
                *rows = -1;
                return SQLITE_OK;
            }
        }
        // The ranges come in order: the last with rows holds the last row.
        return run(sql, parameters, [&](sqlite3_stmt* statement) {
            const int64_t counted = sqlite3_column_int64(statement, 0);
            *rows += counted;
            if (counted > 0 && lastValue_)
                lastValue_->reset(sqlite3_value_dup(sqlite3_column_value(statement, 1)));
        });
    }

    // The value of the key of level of the first row in the ranges, into value (none when they
    // hold no row).
    int firstValue(size_t level, const std::vector<sqlite3_value*>& prefix,
                   const std::vector<Range>& ranges, SQLValue* value) {
        for (const Range& range : ranges) {
            std::vector<sqlite3_value*> parameters;
            const std::string condition = where(prefix, level, range, level, &parameters);
            int rc = run("select " + expression(level) + " from " + query_.table + condition +
                             " order by " + orderTerm(query_.orderKeys[level]) + " limit 1",
                         parameters, [&](sqlite3_stmt* statement) {
                             value->reset(sqlite3_value_dup(sqlite3_column_value(statement, 0)));
                         });
            if (rc != SQLITE_OK || *value) return rc;
        }
        return SQLITE_OK;
    }

    // Whether the rows of the value on the key of level are few enough to sort in passing.
    bool shortRun(size_t level, const std::vector<sqlite3_value*>& prefix, sqlite3_value* value) {
        if (!composite_) return !indexed(level) || rowsOfValue(level, value, kShortRun) < kShortRun;
        // The index of all keys counts the run itself, under the keys before it.
        std::vector<sqlite3_value*> equal = prefix;
        equal.push_back(value);
        std::vector<sqlite3_value*> parameters;
        const std::string condition = where(equal, level + 1, Range{}, level + 1, &parameters);
        int64_t rows = kShortRun;
        run("select count(*) from (select 1 from " + query_.table + condition + " limit " +
                std::to_string(kShortRun) + ")",
            parameters,
            [&](sqlite3_stmt* statement) { rows = sqlite3_column_int64(statement, 0); });
        return rows < kShortRun;
    }

    int64_t wanted() const { return limit_ + skip_ - static_cast<int64_t>(page_->size()); }

    // The key whose index reads the rows equal to the prefix, in the order from level on, at the
    // least cost: an equal key's index gives its value's rows (all read and sorted), the index of
    // the key of level gives the rows in order (read until enough are equal to the prefix, whose
    // share of the rows is taken as the product of its keys' shares). When every equal key has
    // more rows than were counted, sorting them could take millions: the rows are read in order.
    // At the ROWID level the equal key with the fewest rows (of those counted alike the later
    // key, which parts the earlier keys' runs), whose index holds them by ROWID.
    size_t indexFor(const std::vector<sqlite3_value*>& prefix, size_t level, int64_t rows) {
        if (prefix.empty() || composite_) return level;
        size_t fewest = 0;
        double share = 1;
        std::vector<int64_t> counts;
        for (size_t i = 0; i < prefix.size(); ++i) {
            counts.push_back(rowsOf(i, prefix[i]));
            if (counts[i] <= counts[fewest]) fewest = i;
            share *= static_cast<double>(std::max<int64_t>(counts[i], 1)) / tableRows();
        }
        if (level == keys_ || !indexed(level)) return fewest;
        if (counts[fewest] >= kCountedRows) return level;
        return static_cast<double>(rows) / share < static_cast<double>(counts[fewest]) ? level
                                                                                       : fewest;
    }

    // The rows of the key's value, counted up to kCountedRows; cached, a value being met again
    // and again. Without an index of the key, counting could read the whole table: taken as many.
    int64_t rowsOf(size_t key, sqlite3_value* value) {
        for (const auto& [counted, rows] : counts_[key]) {
            if (sameValue(counted.get(), value)) return rows;
        }
        const int64_t rows = indexed(key) ? rowsOfValue(key, value, kCountedRows) : kCountedRows;
        counts_[key].emplace_back(SQLValue(sqlite3_value_dup(value)), rows);
        return rows;
    }

    // The rows of the table, from its largest ROWID, which is no fewer.
    double tableRows() {
        if (tableRows_ < 0) {
            tableRows_ = 1;
            run("select max(ROWID) from " + query_.table, {}, [&](sqlite3_stmt* statement) {
                tableRows_ = std::max<double>(1, sqlite3_column_double(statement, 0));
            });
        }
        return tableRows_;
    }

    static bool sameValue(sqlite3_value* a, sqlite3_value* b) {
        const int type = sqlite3_value_type(a);
        if (type != sqlite3_value_type(b)) return false;
        switch (type) {
            case SQLITE_NULL:
                return true;
            case SQLITE_INTEGER:
                return sqlite3_value_int64(a) == sqlite3_value_int64(b);
            case SQLITE_FLOAT:
                return sqlite3_value_double(a) == sqlite3_value_double(b);
            default:
                return sqlite3_value_bytes(a) == sqlite3_value_bytes(b) &&
                       std::string_view(static_cast<const char*>(sqlite3_value_blob(a)),
                                        static_cast<size_t>(sqlite3_value_bytes(a))) ==
                           std::string_view(static_cast<const char*>(sqlite3_value_blob(b)),
                                            static_cast<size_t>(sqlite3_value_bytes(b)));
        }
    }

    // The rows whose key of level equals the value, counted up to cap in the key's index.
    int64_t rowsOfValue(size_t level, sqlite3_value* value, int64_t cap) {
        const bool null = isNull(value);
        int64_t rows = cap;
        run("select count(*) from (select 1 from " + query_.table + " where " + expression(level) +
                (null ? " is null" : " = ?") + " limit " + std::to_string(cap) + ")",
            null ? std::vector<sqlite3_value*>{} : std::vector<sqlite3_value*>{value},
            [&](sqlite3_stmt* statement) { rows = sqlite3_column_int64(statement, 0); });
        return rows;
    }

    // Whether the key has an index of its own: without one, counting its rows could read the
    // whole table.
    bool indexed(size_t level) {
        auto found = indexed_.find(level);
        if (found != indexed_.end()) return found->second;
        const std::string plan = queryPlanOf(
            db_, "select 1 from " + query_.table + " where " + expression(level) + " = 0");
        return indexed_[level] = plan.find(" INDEX ") != std::string::npos;
    }

    // The least value of the key of level, found by its index past the NULLs; cached.
    sqlite3_value* leastValue(size_t level) {
        auto found = leastValues_.find(level);
        if (found != leastValues_.end()) return found->second.get();
        SQLValue least;
        run("select min(" + expression(level) + ") from " + query_.table, {},
            [&](sqlite3_stmt* statement) {
                least.reset(sqlite3_value_dup(sqlite3_column_value(statement, 0)));
            });
        return (leastValues_[level] = std::move(least)).get();
    }

    // Runs a statement, prepared once per text, with the parameters bound in order.
    template <typename OnRow>
    int run(const std::string& sql, const std::vector<sqlite3_value*>& parameters, OnRow&& onRow) {
        std::unique_ptr<Statement>& statement = statements_[sql];
        int rc = SQLITE_OK;
        if (!statement) {
            statement = std::make_unique<Statement>();
            rc = statement->prepare(db_, sql);
        } else {
            sqlite3_reset(statement->get());
        }
        for (size_t i = 0; rc == SQLITE_OK && i < parameters.size(); ++i) {
            rc = sqlite3_bind_value(statement->get(), static_cast<int>(i + 1), parameters[i]);
        }
        while (rc == SQLITE_OK && (rc = sqlite3_step(statement->get())) == SQLITE_ROW) {
            onRow(statement->get());
            rc = SQLITE_OK;
        }
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }

    const GridQuery& query_;
    sqlite3* db_;
    const size_t keys_;  // the order's keys before ROWID
    int64_t skip_;
    const int64_t limit_;
    std::vector<DBRow>* page_;
    std::map<std::string, std::unique_ptr<Statement>> statements_;
    std::map<size_t, bool> indexed_;
    std::map<size_t, SQLValue> leastValues_;
    std::map<size_t, std::vector<std::pair<SQLValue, int64_t>>> counts_;
    double tableRows_ = -1;
    bool composite_ = false;         // one index holds every key in turn
    SQLValue* lastValue_ = nullptr;  // of the ranges counted
    bool seekedOnly_ = true;
};

}  // namespace

std::string queryPlanOf(sqlite3* db, const std::string& sql) {
    std::string plan;
    forEachRow(db, "explain query plan " + sql, [&](sqlite3_stmt* statement) {
        if (const auto* detail = sqlite3_column_text(statement, 3)) {
            plan += (plan.empty() ? "" : "; ") + std::string(reinterpret_cast<const char*>(detail));
        }
        return true;
    });
    return plan;
}

int readRowsInKeyOrder(std::vector<DBRow>* page, const GridQuery& query, const RowKey* key,
                       int64_t skip, int64_t limit, sqlite3* db, bool fromKey) {
    KeyOrderReader reader(query, db, skip, limit, page);
    return key ? reader.readAfter(*key, fromKey) : reader.readFromStart();
}

int countRowsAfterKey(int64_t* rows, const GridQuery& query, const RowKey& key, sqlite3* db,
                      SQLValue* lastValue) {
    std::vector<DBRow> none;
    KeyOrderReader reader(query, db, 0, 0, &none);
    lastValue->reset();
    return reader.countAfter(key, rows, lastValue, true);
}

int countEveryRowAfterKey(int64_t* rows, const GridQuery& query, const RowKey& key, sqlite3* db) {
    std::vector<DBRow> none;
    KeyOrderReader reader(query, db, 0, 0, &none);
    return reader.countAfter(key, rows, nullptr, false);
}

std::string lastValueOfFirstKey(const GridQuery& query) {
    const std::string& key = query.orderKeys.front().expression;
    if (!query.orderKeys.front().descending) return "max(" + key + ")";
    return "case when count(" + key + ") = count(*) then min(" + key + ") end";
}

}  // namespace DBInterface
