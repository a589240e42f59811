#pragma once
// The SQL console's query history: one list in the defaults store (QueryHistory) for every
// window, most recent first, each text once, at most kQueryHistoryLimit texts.
#include <set>
#include <string>
#include <vector>

inline constexpr size_t kQueryHistoryLimit = 50;

std::vector<std::string> queryHistory();
// A text beginning with a blank, a tab or a line end is never kept.
void addQueryToHistory(const std::string& queryString);
// Removes the texts wherever they now stand: another window may have added queries since the
// caller read the list, so positions it saw may name other texts.
void removeQueriesFromHistory(const std::set<std::string>& queryStrings);
