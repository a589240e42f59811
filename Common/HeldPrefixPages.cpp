#include "Common/HeldPrefixPages.h"

#include <algorithm>
#include <charconv>
#include <memory>

#include "Common/DBConnection.h"
#include "Common/FieldTypes.h"
#include "Common/MetaTableText.h"
#include "Common/ReadSession.h"
#include "Common/SQLQuote.h"
#include "Common/ValuePrefix.h"

namespace DBInterface {

namespace {

// What a long blob is selected as: U+FFFF, a noncharacter no one stores. A stored value equal
// to it is told apart by its length, read through the handle.
constexpr std::string_view kLongBlobStandIn = "\xef\xbf\xbf";
// A raw field is read as hex text, two characters a byte.
constexpr size_t kHeldRawBytes = kHeldValueBytes / 2;

struct BlobClose {
    void operator()(sqlite3_blob* blob) const { sqlite3_blob_close(blob); }
};
using BlobHandle = std::unique_ptr<sqlite3_blob, BlobClose>;

std::string hexOfBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0f]);
    }
    return hex;
}

// Holds the connection's reads in one read transaction, unless one is open already.
class Snapshot {
  public:
    explicit Snapshot(sqlite3* db)
        : db_(db),
          began_(sqlite3_get_autocommit(db) &&
                 sqlite3_exec(db, "begin", nullptr, nullptr, nullptr) == SQLITE_OK) {}
    ~Snapshot() {
        if (began_) sqlite3_exec(db_, "commit", nullptr, nullptr, nullptr);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

  private:
    sqlite3* db_;
    bool began_;
};

// The held value of the field of the row with rowid, read through the field's handle.
int readHeldValue(BlobHandle& handle, const HeldPrefixes& held, size_t field, int64_t rowid,
                  sqlite3* db, std::string* value) {
    int rc;
    if (handle) {
        rc = sqlite3_blob_reopen(handle.get(), rowid);
    } else {
        sqlite3_blob* opened = nullptr;
        rc = sqlite3_blob_open(db, "main", held.table.c_str(), held.fields[field].c_str(), rowid, 0,
                               &opened);
        handle.reset(opened);
    }
    // A handle that failed to move can no longer be used.
    if (rc != SQLITE_OK) {
        handle.reset();
        return rc;
    }
    const auto total = static_cast<size_t>(sqlite3_blob_bytes(handle.get()));
    const bool raw = held.rawFields[field];
    std::string bytes(std::min(total, raw ? kHeldRawBytes : kHeldValueReadBytes), '\0');
    rc = sqlite3_blob_read(handle.get(), bytes.data(), static_cast<int>(bytes.size()), 0);
    if (rc != SQLITE_OK) return rc;
    if (raw) {
        *value = hexOfBytes(bytes);
        if (total > kHeldRawBytes) value->push_back(kCutMark);
    } else {
        *value = heldValueOfPrefix(std::move(bytes), total);
    }
    return SQLITE_OK;
}

// Reads the held value of every stand-in in the rows from firstRow on.
int readHeldValues(std::vector<DBRow>* page, size_t firstRow, const HeldPrefixes& held, sqlite3* db,
                   std::string* errorString) {
    std::vector<BlobHandle> handles(held.fields.size());
    for (size_t r = firstRow; r < page->size(); ++r) {
        DBRow& row = (*page)[r];
        // A row of another width is refused whole after the read.
        if (row.size() != held.fields.size() + 1) continue;
        for (size_t field = 0; field < held.fields.size(); ++field) {
            DBValue& cell = row[field + 1];
            if (!cell || *cell != kLongBlobStandIn) continue;
            int64_t rowid = 0;
            const std::string& text = row.front().value_or("");
            auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), rowid);
            if (failed != std::errc() || end != text.data() + text.size()) {
                appendError(errorString, sqlite3_errstr(SQLITE_MISMATCH));
                return SQLITE_MISMATCH;
            }
            int rc = readHeldValue(handles[field], held, field, rowid, db, &*cell);
            if (rc != SQLITE_OK) {
                appendError(errorString, sqlite3_errmsg(db));
                return rc;
            }
        }
    }
    return SQLITE_OK;
}

}  // namespace

int64_t schemaVersion(sqlite3* db) {
    int64_t version = -1;
    forEachRow(db, "pragma schema_version", [&](sqlite3_stmt* statement) {
        version = sqlite3_column_int64(statement, 0);
        return false;
    });
    return version;
}

std::optional<HeldPrefixes> heldPrefixesOfTable(const std::string& table,
                                                const ObjectFieldModel& model, int64_t version,
                                                const std::string& definition, sqlite3* db) {
    if (version < 0 || definition.empty() || !model.hiddenFields.empty() || model.names.empty()) {
        return std::nullopt;
    }
    // Blobs read through a handle are the stored bytes; the row readers' text of a blob is
    // converted from the file's encoding.
    std::string encoding;
    forEachRow(db, "pragma encoding", [&](sqlite3_stmt* statement) {
        const auto* text = sqlite3_column_text(statement, 0);
        if (text) encoding = reinterpret_cast<const char*>(text);
        return false;
    });
    if (encoding != "UTF-8") return std::nullopt;
    HeldPrefixes held;
    held.table = table;
    held.fields = model.names;
    for (size_t i = 0; i < model.names.size(); ++i) {
        held.rawFields.push_back(i < model.types.size() && model.types[i] == kFieldTypeRaw);
    }
    held.schemaVersion = version;
    held.tableSQL = definition;
    return held;
}

std::string heldPrefixColumns(const HeldPrefixes& held) {
    std::string columns = "ROWID";
    for (size_t i = 0; i < held.fields.size(); ++i) {
        const std::string name = quoteIdentifier(held.fields[i]);
        const bool raw = held.rawFields[i];
        // typeof and length of a blob come from the record header; the value is read only in
        // the else branch.
        columns += ", case when typeof(" + name + ") = 'blob' and length(" + name + ") > " +
                   std::to_string(raw ? kHeldRawBytes : kHeldValueBytes) + " then " +
                   quoteLiteral(std::string(kLongBlobStandIn)) + " else " +
                   (raw ? "hex(" + name + ")" : name) + " end";
    }
    return columns;
}

int readHoldingPrefixes(
    std::vector<DBRow>* page, const GridQuery& query, const std::string& databaseFilePath,
    std::string* errorString,
    const std::function<int(const GridQuery& query, std::vector<DBRow>* page)>& read) {
    if (!query.heldPrefixes) return read(query, page);
    const HeldPrefixes& held = *query.heldPrefixes;
    // The read of the rows borrows the session's connection, on which the snapshot is held.
    ReadSession session(databaseFilePath);
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    Snapshot snapshot(db);
    // Another object made or dropped leaves the table's fields as they were; a changed
    // definition may not: the whole values are then read as the plain query reads them, which
    // tells a changed width.
    if (schemaVersion(db) != held.schemaVersion &&
        tableDefinition(held.table, databaseFilePath) != held.tableSQL) {
        return read(wholeValuesOf(query), page);
    }
    const size_t before = page->size();
    rc = read(query, page);
    if (rc != SQLITE_OK) return rc;
    return readHeldValues(page, before, held, db, errorString);
}

}  // namespace DBInterface
