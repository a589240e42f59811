#include "platform/foundation/StringFormat.h"

#include <cstring>

std::string formatText(std::string_view pattern, std::initializer_list<std::string> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Skip length modifiers, then take the conversion letter.
        size_t j = i + 1;
        while (j < pattern.size() && std::strchr("lhqz", pattern[j]) != nullptr) ++j;
        if (j < pattern.size() && std::strchr("@sdiuxX", pattern[j]) != nullptr) {
            if (next != args.end()) out += *next++;
            i = j;
        } else {
            out += c;
        }
    }
    return out;
}
