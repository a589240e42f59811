#include "exchange/PrintLayout.h"

#include <algorithm>
#include <cmath>

using nlohmann::json;

namespace {

// Stored lengths are read at single precision, as the panel stores what was typed.
double singlePrecision(const json& value) {
    return value.is_number() ? static_cast<double>(value.get<float>()) : 0;
}

int64_t integerValue(const json& value) {
    return value.is_number() ? static_cast<int64_t>(value.get<double>()) : 0;
}

std::optional<std::string> fontString(const json& value) {
    if (!value.is_string() || value.get<std::string>().empty()) return std::nullopt;
    return value.get<std::string>();
}

}  // namespace

bool isFieldObject(const json& object) {
    const json& type = object.contains("type") ? object["type"] : json();
    return type.is_number() && type.get<int64_t>() <= kLastFieldObjectType;
}

json PrintLayout::pageLayoutValues() const {
    return json::array({rowsInPrintView, columnsInPrintView, pageOffsetFromLeft, pageOffsetFromTop,
                        pageOffsetFromRight, pageOffsetFromBottom, boxHorizontalSpacing,
                        boxVerticalSpacing, boxOffsetFromLeft, boxOffsetFromTop, boxOffsetFromRight,
                        boxOffsetFromBottom, objectHorizontalSpacing, objectVerticalSpacing,
                        fullFontName.value_or(""), fontSize, fontFamily.value_or(""),
                        fontDescriptor.value_or("")});
}

json PrintLayout::record() const {
    json objects = json::array();
    for (const json& object : boxObjects) {
        json copy = object;
        if (isFieldObject(copy)) copy.erase("text");
        objects.push_back(std::move(copy));
    }
    return json{{"page_layouts", pageLayoutValues()}, {"box_objects", std::move(objects)}};
}

void PrintLayout::restore(const json& record) {
    if (!record.is_object() || !record.contains("page_layouts") ||
        !record.contains("box_objects")) {
        return;
    }
    const json& values = record["page_layouts"];
    if (values.is_array() && values.size() >= kPageLayoutValueCount) {
        rowsInPrintView = integerValue(values[0]);
        columnsInPrintView = integerValue(values[1]);
        double* lengths[] = {
            &pageOffsetFromLeft,   &pageOffsetFromTop,       &pageOffsetFromRight,
            &pageOffsetFromBottom, &boxHorizontalSpacing,    &boxVerticalSpacing,
            &boxOffsetFromLeft,    &boxOffsetFromTop,        &boxOffsetFromRight,
            &boxOffsetFromBottom,  &objectHorizontalSpacing, &objectVerticalSpacing};
        for (size_t i = 0; i < std::size(lengths); ++i)
            *lengths[i] = singlePrecision(values[i + 2]);
        fullFontName = fontString(values[14]);
        fontSize = singlePrecision(values[15]);
        fontFamily = fontString(values[16]);
        fontDescriptor = fontString(values[17]);
    }
    const json& objects = record["box_objects"];
    boxObjects = objects.is_array() ? objects : json::array();
}

double PrintLayout::boxWidth() const {
    if (columnsInPrintView < 1) return 0;
    return (kPageWidth - boxHorizontalSpacing * static_cast<double>(columnsInPrintView - 1) -
            pageOffsetFromLeft - pageOffsetFromRight) /
           static_cast<double>(columnsInPrintView);
}

double PrintLayout::boxHeight() const {
    if (rowsInPrintView < 1) return 0;
    return (kPageHeight - boxVerticalSpacing * static_cast<double>(rowsInPrintView - 1) -
            pageOffsetFromBottom - pageOffsetFromTop) /
           static_cast<double>(rowsInPrintView);
}

bool PrintLayout::hasBoxes() const {
    // Margins or spacings beyond the page leave boxes of no size: a ratio or a drawing of them
    // means nothing.
    double width = boxWidth(), height = boxHeight();
    return rowsInPrintView >= 1 && columnsInPrintView >= 1 && std::isfinite(width) &&
           std::isfinite(height) && width > 0 && height > 0;
}

double PrintLayout::boxAspectRatio() const {
    return hasBoxes() ? boxWidth() / boxHeight() : 1.0;
}

int64_t PrintLayout::numberOfPages(int64_t numberOfRows, int64_t firstRow) const {
    int64_t rows = numberOfRows - firstRow;
    int64_t perPage = boxesPerPage();
    if (perPage < 1 || rows < 1) return 0;
    return (rows + perPage - 1) / perPage;
}

PrintLayout::Rect PrintLayout::boxRect(int64_t i, int64_t j) const {
    double width = boxWidth() * kPointsPerInch, height = boxHeight() * kPointsPerInch;
    return {(pageOffsetFromLeft + static_cast<double>(j) * boxHorizontalSpacing) * kPointsPerInch +
                static_cast<double>(j) * width,
            (pageOffsetFromTop + static_cast<double>(i) * boxVerticalSpacing) * kPointsPerInch +
                static_cast<double>(i) * height,
            width, height};
}

PrintLayout::Rect PrintLayout::contentRect(const Rect& box) const {
    double left = boxOffsetFromLeft * kPointsPerInch, top = boxOffsetFromTop * kPointsPerInch;
    return {box.x + left, box.y + top,
            std::max(box.width - left - boxOffsetFromRight * kPointsPerInch, 0.5),
            std::max(box.height - top - boxOffsetFromBottom * kPointsPerInch, 0.5)};
}
