#include "platform/foundation/SystemLog.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex logMutex;
SystemLogSink& sink() {
    static SystemLogSink instance;
    return instance;
}
}  // namespace

void systemLog(const std::string& line) {
    std::lock_guard lock(logMutex);
    if (sink()) {
        sink()(line);
    } else {
        std::fprintf(stderr, "varnelo: %s\n", line.c_str());
    }
}

void setSystemLogSink(SystemLogSink newSink) {
    std::lock_guard lock(logMutex);
    sink() = std::move(newSink);
}
