#include "exchange/LogTime.h"

#include <chrono>

#include "platform/foundation/DateFormatter.h"

std::string nowText() {
    DateFormatter formatter;
    formatter.setDateStyle(DateFormatter::Style::Medium);
    formatter.setTimeStyle(DateFormatter::Style::Medium);
    return formatter.stringFromDate(
        std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now()));
}
