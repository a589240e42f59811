#pragma once
// The print layouts of the application in the user defaults: the default layout under
// LastPrintLayouts, each named layout under a key of its own, their names (sorted without regard
// to case) under PrintLayouts and the layout in use under CurrentPrintLayout (absent while the
// default layout is in use). Every change is written at once.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exchange/PrintLayout.h"

namespace PrintLayoutStore {

// The starting values of a new layout.
enum Preset { kOneBoxPage = 1, kTwoByTwoPage = 2, kLabelSheet = 3 };

// "PrintLayoutQ_<name>".
std::string keyForLayoutName(const std::string& name);
// Stores the record of the layout under the name's key, or under LastPrintLayouts for none.
void savePrintLayoutToName(const PrintLayout& layout, const std::optional<std::string>& name);
// Makes the stored record of the name (LastPrintLayouts for none) the layout's values; a missing
// record changes nothing.
void restorePrintLayoutFromName(PrintLayout* layout, const std::optional<std::string>& name);
// The layout in use, as a window loads it when it shows its print console.
PrintLayout loadCurrentPrintLayout();
std::optional<std::string> currentPrintLayoutName();
// Sets CurrentPrintLayout, or removes it for none.
void setCurrentPrintLayoutName(const std::optional<std::string>& name);
// The names of the named layouts, in stored order.
std::vector<std::string> layoutNames();
// "New Layout", else the next free number after the highest present: "New Layout 2", ...
std::string newLayoutName(const std::vector<std::string>& names);
// Adds a named layout with the preset's values (any other preset: the current layout's values)
// and the current layout's box objects, and returns its name.
std::string addLayout(int preset, const PrintLayout& current);
// Renames a named layout, moving its record and CurrentPrintLayout along; false, changing
// nothing, for an empty name, one already present or an unknown old name.
bool renameLayout(const std::string& oldName, const std::string& newName);
// Deletes the named layouts and their records.
void deleteLayouts(const std::vector<std::string>& names);
// The field objects of every stored layout follow a change of a table's field list: newPositions
// gives each old field's new position, -1 for a deleted field, whose objects are removed. Answers
// the names of the layouts that lost objects, "(Default Layout)" for the default one.
std::vector<std::string> fieldObjectsFollowFields(const std::vector<int64_t>& newPositions);

}  // namespace PrintLayoutStore
