#pragma once
// A print layout: a US Letter page of rows by columns of boxes, one database row a box, each box
// showing the same ordered box objects (fields, fixed texts, line breaks). Lengths are in inches,
// the font size in points. Its stored form is the record {"page_layouts", "box_objects"}.
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// Box object types; any type up to kLastFieldObjectType is a field.
inline constexpr int64_t kFieldObjectType = 1;
inline constexpr int64_t kLastFieldObjectType = 99999;
inline constexpr int64_t kTextObjectType = 100001;
inline constexpr int64_t kNewlineObjectType = 100002;

bool isFieldObject(const nlohmann::json& object);

struct PrintLayout {
    static constexpr double kPageWidth = 8.5;
    static constexpr double kPageHeight = 11;
    static constexpr double kPointsPerInch = 72;
    static constexpr int kPageLayoutValueCount = 18;

    int64_t rowsInPrintView = 0;
    int64_t columnsInPrintView = 0;
    double pageOffsetFromLeft = 0, pageOffsetFromTop = 0, pageOffsetFromRight = 0,
           pageOffsetFromBottom = 0;
    double boxHorizontalSpacing = 0, boxVerticalSpacing = 0;
    double boxOffsetFromLeft = 0, boxOffsetFromTop = 0, boxOffsetFromRight = 0,
           boxOffsetFromBottom = 0;
    double objectHorizontalSpacing = 0, objectVerticalSpacing = 0;
    double fontSize = 0;
    std::optional<std::string> fullFontName, fontFamily, fontDescriptor;
    nlohmann::json boxObjects = nlohmann::json::array();

    // The 18 page values in stored order.
    nlohmann::json pageLayoutValues() const;
    // The stored form; field objects lose the "text" filled in for drawing.
    nlohmann::json record() const;
    // Takes a stored record: nothing without both keys; the page values only when all 18 are
    // there, lengths read at single precision as they were typed.
    void restore(const nlohmann::json& record);

    // Inches of one box; zero or less when the margins and spacings leave no room.
    double boxWidth() const;
    double boxHeight() const;
    // Whether a page has boxes to draw: at least one row and column, each box of some size.
    bool hasBoxes() const;
    static double pageAspectRatio() { return kPageWidth / kPageHeight; }
    // Width over height of a box; 1 when the page has no boxes.
    double boxAspectRatio() const;
    int64_t boxesPerPage() const { return hasBoxes() ? rowsInPrintView * columnsInPrintView : 0; }
    // Pages for the rows from firstRow up to numberOfRows; 0 without boxes.
    int64_t numberOfPages(int64_t numberOfRows, int64_t firstRow) const;

    // Box (row i from the top, column j from the left) of a page, in points from the page's
    // top-left corner.
    struct Rect {
        double x = 0, y = 0, width = 0, height = 0;
    };
    Rect boxRect(int64_t i, int64_t j) const;
    // The box's content inside its margins, at least half a point each way.
    Rect contentRect(const Rect& box) const;
};
