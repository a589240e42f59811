#pragma once
// The text of one printed box as runs: the box objects in order, a spacer between two objects on
// the same line, a line break for each newline object, and the placeholders the screen shows for
// an object without rows or a box without objects. Each run says how it is to be set; the print
// view turns them into a laid-out text.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct BoxTextRun {
    enum Kind { Object, Spacer, Newline, Placeholder };
    Kind kind = Object;
    std::string text;
    int alignment = 0;                    // 0 left, 1 centred, 2 right
    std::optional<std::string> fontName;  // none: the layout's default font
    double fontSize = 0;                  // 0: the layout's default size
    bool selected = false;
};

struct BoxTextInput {
    // The box objects, field objects carrying their row's display text.
    nlohmann::json objects = nlohmann::json::array();
    int64_t numberOfRows = 0;
    int64_t firstRowIndex = 0;
    int64_t numberOfFields = 0;
    // Printing or page mode: no placeholders.
    bool page = false;
    // Object positions highlighted (on screen while the layout panel is open).
    std::set<int64_t> selectedObjects;
    // Spaces between two objects of a line.
    int spacerCount = 0;
};

// Spaces that fill the spacing (inches) with spaces of spaceWidth points (1 when about 0).
int spacerCount(double objectHorizontalSpacing, double spaceWidth);
std::vector<BoxTextRun> boxTextRuns(const BoxTextInput& input);
