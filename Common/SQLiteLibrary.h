#pragma once
// How SQLite itself is set up in this process, once, before its first use.

namespace DBInterface {

// Turns off SQLite's count of the memory it holds: that count takes one lock of the whole process
// for every allocation, so connections read side by side would wait on each other for it. Has
// no effect once SQLite has started; every first use of SQLite here calls it before.
void configureSQLiteLibrary();

}  // namespace DBInterface
