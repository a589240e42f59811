#include "platform/foundation/TextEncoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <memory>

namespace {

SingleByteTable makeTable(const char* converterName) {
    SingleByteTable table;
    table.fill("?");
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(converterName, &status),
                                                                 &ucnv_close);
    if (U_FAILURE(status)) return table;
    // Stop instead of substituting, so that an unassigned byte is seen and becomes "?".
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        char out[8];
        status = U_ZERO_ERROR;
        ucnv_reset(converter.get());
        UChar units[4];
        int32_t unitCount = ucnv_toUChars(converter.get(), units, 4, &in, 1, &status);
        if (U_FAILURE(status) || unitCount < 1) continue;
        // ICU fills the five holes of Windows-1252 with C1 controls; they are no characters.
        if (unitCount == 1 && units[0] >= 0x80 && units[0] <= 0x9F) continue;
        UErrorCode utf8Status = U_ZERO_ERROR;
        int32_t length = 0;
        u_strToUTF8(out, sizeof out, &length, units, unitCount, &utf8Status);
        if (U_SUCCESS(utf8Status)) table[byte].assign(out, static_cast<size_t>(length));
    }
    return table;
}

}  // namespace

const SingleByteTable* singleByteTable(int encoding) {
    static const SingleByteTable windows1252 = makeTable("windows-1252");
    static const SingleByteTable macRoman = makeTable("macintosh");
    switch (encoding) {
        case kWindowsCP1252StringEncoding:
            return &windows1252;
        case kMacOSRomanStringEncoding:
            return &macRoman;
        default:
            return nullptr;
    }
}
