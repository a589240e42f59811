#include "exchange/PrintLayoutStore.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "Common/FieldMoves.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"

using nlohmann::json;

namespace {

const char* const kPrintLayouts = "PrintLayouts";
const char* const kCurrentPrintLayout = "CurrentPrintLayout";
const char* const kLastPrintLayouts = "LastPrintLayouts";

void storeNames(std::vector<std::string> names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                                Qt::CaseInsensitive) < 0;
    });
    UserDefaults::standard().setObject(names, kPrintLayouts);
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Moves the field objects of a stored record; whether any was removed.
bool moveFieldObjects(json* record, const std::vector<int64_t>& newPositions, bool* changed) {
    if (!record->is_object() || !record->contains("box_objects") ||
        !(*record)["box_objects"].is_array()) {
        return false;
    }
    bool removed = false;
    json kept = json::array();
    for (json& object : (*record)["box_objects"]) {
        if (isFieldObject(object) && object.contains("field_index") &&
            object["field_index"].is_number()) {
            const auto index = static_cast<int64_t>(object["field_index"].get<double>());
            const int64_t moved = DBInterface::movedFieldPosition(index, newPositions);
            if (moved < 0) {
                removed = *changed = true;
                continue;
            }
            if (moved != index) {
                object["field_index"] = moved;
                *changed = true;
            }
        }
        kept.push_back(std::move(object));
    }
    (*record)["box_objects"] = std::move(kept);
    return removed;
}

PrintLayout presetLayout(int preset, const PrintLayout& current) {
    if (preset != PrintLayoutStore::kOneBoxPage && preset != PrintLayoutStore::kTwoByTwoPage &&
        preset != PrintLayoutStore::kLabelSheet) {
        return current;
    }
    PrintLayout layout;
    layout.objectHorizontalSpacing = 0.1;
    layout.fullFontName = "Helvetica";
    layout.fontFamily = "Helvetica";
    layout.fontSize = 13;
    layout.boxObjects = current.boxObjects;
    layout.rowsInPrintView = layout.columnsInPrintView = 1;
    if (preset == PrintLayoutStore::kTwoByTwoPage)
        layout.rowsInPrintView = layout.columnsInPrintView = 2;
    if (preset == PrintLayoutStore::kLabelSheet) {
        // Twenty 4 x 1 inch labels, two columns of ten.
        layout.rowsInPrintView = 10;
        layout.columnsInPrintView = 2;
        layout.pageOffsetFromLeft = layout.pageOffsetFromRight = 0.1875;
        layout.pageOffsetFromTop = layout.pageOffsetFromBottom = 0.5;
        layout.boxHorizontalSpacing = 0.125;
        layout.boxOffsetFromLeft = layout.boxOffsetFromRight = 0.05;
    }
    return layout;
}

}  // namespace

namespace PrintLayoutStore {

std::string keyForLayoutName(const std::string& name) {
    return "PrintLayoutQ_" + name;
}

void savePrintLayoutToName(const PrintLayout& layout, const std::optional<std::string>& name) {
    UserDefaults::standard().setObject(layout.record(),
                                       name ? keyForLayoutName(*name) : kLastPrintLayouts);
}

void restorePrintLayoutFromName(PrintLayout* layout, const std::optional<std::string>& name) {
    layout->restore(UserDefaults::standard().dictionaryForKey(name ? keyForLayoutName(*name)
                                                                   : kLastPrintLayouts));
}

std::optional<std::string> currentPrintLayoutName() {
    json name = UserDefaults::standard().objectForKey(kCurrentPrintLayout);
    if (!name.is_string()) return std::nullopt;
    return name.get<std::string>();
}

void setCurrentPrintLayoutName(const std::optional<std::string>& name) {
    if (name) {
        UserDefaults::standard().setString(*name, kCurrentPrintLayout);
    } else {
        UserDefaults::standard().removeObjectForKey(kCurrentPrintLayout);
    }
}

PrintLayout loadCurrentPrintLayout() {
    PrintLayout layout;
    layout.fontSize = 13;
    layout.fullFontName = "Helvetica";
    if (std::optional<std::string> name = currentPrintLayoutName()) {
        restorePrintLayoutFromName(&layout, name);
    } else if (UserDefaults::standard().dictionaryForKey(kLastPrintLayouts).is_object()) {
        restorePrintLayoutFromName(&layout, std::nullopt);
    } else {
        layout.rowsInPrintView = layout.columnsInPrintView = 1;
        layout.pageOffsetFromLeft = layout.pageOffsetFromRight = 1.25;
        layout.pageOffsetFromTop = layout.pageOffsetFromBottom = 1.0;
        layout.objectHorizontalSpacing = 0.1;
    }
    return layout;
}

std::vector<std::string> layoutNames() {
    std::vector<std::string> names;
    json stored = UserDefaults::standard().arrayForKey(kPrintLayouts);
    if (!stored.is_array()) return names;
    for (const json& name : stored) {
        if (name.is_string()) names.push_back(name.get<std::string>());
    }
    return names;
}

std::string newLayoutName(const std::vector<std::string>& names) {
    // Numbered after the names that begin with the text as the user sees it, so that a
    // translated name is numbered too.
    const std::string base = localizedString("New Layout");
    int64_t largest = -1;
    for (const std::string& name : names) {
        if (name.rfind(base, 0) != 0) continue;
        largest = std::max<int64_t>(largest, std::strtoll(name.c_str() + base.size(), nullptr, 10));
    }
    int64_t number = largest < 0 ? 0 : largest == 0 ? 2 : largest + 1;
    std::string name = number == 0 ? base : base + " " + std::to_string(number);
    // A name that cannot be numbered past (the highest number there is) is never reused.
    while (contains(names, name)) name = base + " " + std::to_string(++number);
    return name;
}

std::string addLayout(int preset, const PrintLayout& current) {
    std::vector<std::string> names = layoutNames();
    std::string name = newLayoutName(names);
    names.push_back(name);
    storeNames(names);
    savePrintLayoutToName(presetLayout(preset, current), name);
    return name;
}

bool renameLayout(const std::string& oldName, const std::string& newName) {
    std::vector<std::string> names = layoutNames();
    auto old = std::find(names.begin(), names.end(), oldName);
    if (newName.empty() || contains(names, newName) || old == names.end()) return false;
    *old = newName;
    storeNames(names);
    UserDefaults& defaults = UserDefaults::standard();
    json record = defaults.objectForKey(keyForLayoutName(oldName));
    if (!record.is_null()) {
        defaults.setObject(record, keyForLayoutName(newName));
        defaults.removeObjectForKey(keyForLayoutName(oldName));
    }
    if (currentPrintLayoutName() == oldName) setCurrentPrintLayoutName(newName);
    return true;
}

void deleteLayouts(const std::vector<std::string>& names) {
    std::vector<std::string> kept = layoutNames();
    for (const std::string& name : names) {
        UserDefaults::standard().removeObjectForKey(keyForLayoutName(name));
        kept.erase(std::remove(kept.begin(), kept.end(), name), kept.end());
    }
    UserDefaults::standard().setObject(kept, kPrintLayouts);
}

std::vector<std::string> fieldObjectsFollowFields(const std::vector<int64_t>& newPositions) {
    std::vector<std::pair<std::string, std::string>> layouts = {
        {kLastPrintLayouts, localizedString("(Default Layout)")}};
    for (const std::string& name : layoutNames())
        layouts.emplace_back(keyForLayoutName(name), name);
    std::vector<std::string> losing;
    UserDefaults& defaults = UserDefaults::standard();
    for (const auto& [key, name] : layouts) {
        json record = defaults.objectForKey(key);
        bool changed = false;
        if (moveFieldObjects(&record, newPositions, &changed)) losing.push_back(name);
        if (changed) defaults.setObject(record, key);
    }
    return losing;
}

}  // namespace PrintLayoutStore
