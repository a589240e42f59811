#pragma once
// A search area: a centre and a radius in metres, typed as "latitude longitude; radius".
#include <string>

namespace DBInterface {

struct CircularArea {
    double latitude = 100;  // 100, 200, 0: no area
    double longitude = 200;
    double radius = 0;
};

CircularArea circularAreaFromString(const std::string& text);
// Latitude within -90...90, longitude within -180...180 and radius below 1,000,000.
bool circularAreaIsValid(const CircularArea& area);
// A digit, "+", "-" or ".".
bool characterIsValidCoordinate(char c);

}  // namespace DBInterface
