#pragma once
// The installed fonts, as the layouts name them: families, the styles (members) of a family and
// full names ("<family> <style>"). A name that is not installed is set in the installed family
// the system substitutes for it, so a layout made elsewhere still prints its objects.
#include <QFont>

#include <optional>
#include <string>
#include <vector>

namespace FontCatalog {

struct Member {
    std::string fullName;
    std::string styleName;
};

std::vector<std::string> families();
std::vector<Member> members(const std::string& family);
// Whether the full name (or a family name alone) is an installed font.
bool isInstalled(const std::string& fullName);
// The installed family a name resolves to: its own family when installed, else the substitute.
std::string installedFamily(const std::string& fullName);
// The font of the full name at the size in points (none: Helvetica's substitute).
QFont font(const std::optional<std::string>& fullName, double pointSize);

}  // namespace FontCatalog
