#pragma once
// The app-container test: databases of the Documents folder are remembered by file name and need
// no bookmark; every other database is remembered by its full path.
#include <string>

bool isDatabaseInAppContainer(const std::string& path);
