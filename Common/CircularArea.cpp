#include "Common/CircularArea.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "Common/DecimalText.h"

namespace DBInterface {

namespace {
std::vector<std::string> blankSeparatedPieces(std::string text) {
    std::replace(text.begin(), text.end(), ',', ' ');
    std::vector<std::string> pieces;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i > start) pieces.push_back(text.substr(start, i - start));
    }
    return pieces;
}
}  // namespace

bool characterIsValidCoordinate(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

CircularArea circularAreaFromString(const std::string& text) {
    size_t semicolon = text.find(';');
    std::vector<std::string> pieces = blankSeparatedPieces(text.substr(0, semicolon));
    CircularArea area;
    if (pieces.empty() || !characterIsValidCoordinate(pieces[0].front())) return area;
    area.latitude = scanDecimal(pieces[0]);
    if (pieces.size() < 2 || !characterIsValidCoordinate(pieces[1].front())) return area;
    area.longitude = scanDecimal(pieces[1]);
    if (semicolon != std::string::npos) {
        size_t next = text.find(';', semicolon + 1);
        area.radius = scanDecimal(std::string_view(text).substr(
            semicolon + 1, next == std::string::npos ? std::string::npos : next - semicolon - 1));
    }
    return area;
}

bool circularAreaIsValid(const CircularArea& area) {
    // Written so that NaN fails every test.
    return area.longitude >= -180 && area.longitude <= 180 && area.latitude >= -90 &&
           area.latitude <= 90 && area.radius < 1000000;
}

}  // namespace DBInterface
