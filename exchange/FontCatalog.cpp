#include "exchange/FontCatalog.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <map>

#include "platform/ui/QtStrings.h"

namespace {

using FamilyAndStyle = std::optional<std::pair<QString, QString>>;

// The family and style a full name names, when installed.
FamilyAndStyle findInstalledFont(const std::string& fullName) {
    const QString name = toQString(fullName);
    std::optional<std::pair<QString, QString>> best;
    for (const QString& family : QFontDatabase::families()) {
        if (!name.startsWith(family)) continue;
        if (best && best->first.size() >= family.size()) continue;
        if (name.size() == family.size()) {
            QStringList styles = QFontDatabase::styles(family);
            best = {family, styles.isEmpty() ? QString() : styles.front()};
        } else if (name[family.size()] == ' ' &&
                   QFontDatabase::styles(family).contains(name.mid(family.size() + 1))) {
            best = {family, name.mid(family.size() + 1)};
        }
    }
    return best;
}

// Every box of every page asks for its fonts: the fonts installed do not change while it prints.
FamilyAndStyle installedFont(const std::string& fullName) {
    static std::map<std::string, FamilyAndStyle> found;
    auto known = found.find(fullName);
    if (known == found.end()) known = found.emplace(fullName, findInstalledFont(fullName)).first;
    return known->second;
}

}  // namespace

namespace FontCatalog {

std::vector<std::string> families() {
    std::vector<std::string> names;
    for (const QString& family : QFontDatabase::families()) names.push_back(toStdString(family));
    return names;
}

std::vector<Member> members(const std::string& family) {
    std::vector<Member> list;
    for (const QString& style : QFontDatabase::styles(toQString(family))) {
        list.push_back({family + " " + toStdString(style), toStdString(style)});
    }
    return list;
}

bool isInstalled(const std::string& fullName) {
    return installedFont(fullName).has_value();
}

std::string installedFamily(const std::string& fullName) {
    if (auto found = installedFont(fullName)) return toStdString(found->first);
    return toStdString(QFontInfo(QFont(toQString(fullName))).family());
}

QFont font(const std::optional<std::string>& fullName, double pointSize) {
    const std::string name = fullName.value_or("Helvetica");
    QFont result;
    if (auto found = installedFont(name)) {
        result = QFontDatabase::font(found->first, found->second, 12);
    } else {
        result = QFont(toQString(installedFamily(name)));
    }
    result.setPointSizeF(pointSize > 0 ? pointSize : 13);
    return result;
}

}  // namespace FontCatalog
