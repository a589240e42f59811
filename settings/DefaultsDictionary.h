#pragma once
// Text entries of a dictionary kept under one user-defaults key (bookmarks by path, last tables
// by database).
#include <optional>
#include <string>

// The entry's text; nullopt when the dictionary, the entry or its text is missing.
std::optional<std::string> textInDefaultsDictionary(const std::string& defaultsKey,
                                                    const std::string& entryKey);
// Stores the text under the entry, making the dictionary when there is none.
void setTextInDefaultsDictionary(const std::string& text, const std::string& entryKey,
                                 const std::string& defaultsKey);
// Removes the entry; nothing is written when there is none.
void removeEntryFromDefaultsDictionary(const std::string& entryKey, const std::string& defaultsKey);
