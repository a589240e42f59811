#pragma once
// The databases shown from outside the Documents folder, each path once, the most recent last,
// at most 30; a path's per-database settings are dropped when it leaves the list.
#include <string>

void rememberExternalDatabase(const std::string& path);
