// substr(X, Y[, Z]) as SQLite computes it, except that a start of 0 counts as 1, so that
// substr(X, 0, N) gives the first N characters as the system's SQL has always expected.
#include <cstdint>
#include <limits>

#include "Common/DBExtensions.h"

namespace {

// Byte offset of the character that starts after skipping count characters of UTF-8 text.
int64_t utf8Advance(const unsigned char* text, int64_t length, int64_t from, int64_t count) {
    int64_t i = from;
    while (count > 0 && i < length) {
        ++i;
        while (i < length && (text[i] & 0xC0) == 0x80) ++i;
        --count;
    }
    return i;
}

int64_t utf8Length(const unsigned char* text, int64_t length) {
    int64_t chars = 0;
    for (int64_t i = 0; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) ++chars;
    }
    return chars;
}

void substrFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL ||
        (argc == 3 && sqlite3_value_type(argv[2]) == SQLITE_NULL)) {
        return;  // NULL result
    }
    bool isBlob = sqlite3_value_type(argv[0]) == SQLITE_BLOB;
    const unsigned char* bytes =
        isBlob ? static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]))
               : sqlite3_value_text(argv[0]);
    int64_t byteLength = sqlite3_value_bytes(argv[0]);
    if (!bytes) {
        if (byteLength == 0 && !isBlob) sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        if (byteLength == 0 && isBlob) sqlite3_result_zeroblob(context, 0);
        return;
    }
    int64_t length = isBlob ? byteLength : utf8Length(bytes, byteLength);

    int64_t start = sqlite3_value_int64(argv[1]);
    if (start == 0) start = 1;
    int64_t count = std::numeric_limits<int32_t>::max();
    bool negativeCount = false;
    if (argc == 3) {
        count = sqlite3_value_int64(argv[2]);
        if (count < 0) {
            // The smallest count has no positive counterpart; it reaches past any text anyway.
            count = count == std::numeric_limits<int64_t>::min()
                        ? std::numeric_limits<int64_t>::max()
                        : -count;
            negativeCount = true;
        }
    }
    // Zero-based start, then the count clipped to the text.
    if (start < 0) {
        start += length;
        if (start < 0) {
            count += start;
            if (count < 0) count = 0;
            start = 0;
        }
    } else {
        start -= 1;
    }
    if (negativeCount) {
        start -= count;
        if (start < 0) {
            count += start;
            start = 0;
        }
    }
    if (start > length) start = length;
    if (count > length - start) count = length - start;
    if (count < 0) count = 0;

    if (isBlob) {
        sqlite3_result_blob64(context, bytes + start, static_cast<sqlite3_uint64>(count),
                              SQLITE_TRANSIENT);
        return;
    }
    int64_t from = utf8Advance(bytes, byteLength, 0, start);
    int64_t to = utf8Advance(bytes, byteLength, from, count);
    sqlite3_result_text64(context, reinterpret_cast<const char*>(bytes + from),
                          static_cast<sqlite3_uint64>(to - from), SQLITE_TRANSIENT, SQLITE_UTF8);
}

}  // namespace

int registerSubstr(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    for (const char* name : {"substr", "substring"}) {
        for (int args : {2, 3}) {
            int rc = sqlite3_create_function(db, name, args, flags, nullptr, substrFunction,
                                             nullptr, nullptr);
            if (rc != SQLITE_OK) return rc;
        }
    }
    return SQLITE_OK;
}
