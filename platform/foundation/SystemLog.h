#pragma once
// The system log: diagnostic lines that no window shows (failed journal-mode switches, file
// handling, regular expressions). Written to standard error; a test can take the lines instead.
#include <functional>
#include <string>

void systemLog(const std::string& line);

using SystemLogSink = std::function<void(const std::string& line)>;
// Replaces the destination of systemLog; an empty sink restores standard error.
void setSystemLogSink(SystemLogSink sink);
