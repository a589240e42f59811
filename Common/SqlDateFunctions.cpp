// date2utc, time2utc, utc2date and utc2time: conversions between the stored date and time texts
// with a zone offset ("yyyy-MM-dd +hhmm", "yyyy-MM-dd HH:mm:ss +hhmm") and UTC texts. Unusable
// input gives NULL, never an error.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Common/DBExtensions.h"
#include "Common/Helpers.h"

namespace {

enum class Zone { Utc, Local };

struct DateFunction {
    const char* name;
    const char* pattern;
    Zone outputZone;
    bool (*acceptsLength)(size_t);
};

bool zonedDate(size_t n) {
    return n == 16;
}
bool zonedTime(size_t n) {
    return n == 25;
}
bool utcText(size_t n) {
    return n == 10 || n == 19;
}

const DateFunction kFunctions[] = {
    {"date2utc", "%Y-%m-%d", Zone::Utc, zonedDate},
    {"time2utc", "%Y-%m-%d %H:%M:%S", Zone::Utc, zonedTime},
    {"utc2date", "%Y-%m-%d %z", Zone::Local, utcText},
    {"utc2time", "%Y-%m-%d %H:%M:%S %z", Zone::Local, utcText},
};

// The number at a fixed position, read as atoi reads it.
int fieldAt(const char* text, size_t position) {
    return std::atoi(text + position);
}

int digitAt(const char* text, size_t position) {
    char c = text[position];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

// Seconds since 1970 of a date text of length 10, 16, 19 or 25; the fields are read from fixed
// positions and out-of-range fields carry over as timegm carries them.
time_t secondsOfDateText(const char* text, size_t length) {
    tm fields{};
    fields.tm_year = fieldAt(text, 0) - 1900;
    fields.tm_mon = fieldAt(text, 5) - 1;
    fields.tm_mday = fieldAt(text, 8);
    bool hasTime = length == 19 || length == 25;
    if (hasTime) {
        fields.tm_hour = fieldAt(text, 11);
        fields.tm_min = fieldAt(text, 14);
        fields.tm_sec = fieldAt(text, 17);
    }
    time_t seconds = timegm(&fields);
    if (length == 16 || length == 25) {
        size_t sign = length == 16 ? 11 : 20;
        int hours = digitAt(text, sign + 1) * 10 + digitAt(text, sign + 2);
        int minutes = digitAt(text, sign + 3) * 10 + digitAt(text, sign + 4);
        time_t offset = hours * 3600 + minutes * 60;
        seconds += text[sign] == '-' ? offset : -offset;
    }
    return seconds;
}

void dateFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    const auto* function = static_cast<const DateFunction*>(sqlite3_user_data(context));
    int type = sqlite3_value_type(argv[0]);
    if (type != SQLITE_TEXT && type != SQLITE_BLOB) return;
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(argv[0]));
    int byteCount = sqlite3_value_bytes(argv[0]);
    if (!bytes || byteCount <= 0) return;

    char text[64] = {};
    std::memcpy(text, bytes, static_cast<size_t>(byteCount < 63 ? byteCount : 63));
    trimTrailingSpace(text);
    size_t length = std::strlen(text);
    if (!function->acceptsLength(length)) return;

    time_t seconds = secondsOfDateText(text, length);
    tm calendar{};
    bool converted = function->outputZone == Zone::Utc
                         ? gmtime_r(&seconds, &calendar) != nullptr
                         : localtime_r(&seconds, &calendar) != nullptr;
    if (!converted) return;
    char out[64];
    size_t written = std::strftime(out, 63, function->pattern, &calendar);
    if (written == 0) return;
    sqlite3_result_text(context, out, static_cast<int>(written), SQLITE_TRANSIENT);
}

}  // namespace

int registerDateFunctions(sqlite3* db) {
    for (const DateFunction& function : kFunctions) {
        int rc = sqlite3_create_function(db, function.name, 1, SQLITE_UTF8,
                                         const_cast<DateFunction*>(&function), dateFunction,
                                         nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}
