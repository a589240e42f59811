#include "settings/DefaultsDictionary.h"

#include "platform/foundation/UserDefaults.h"

std::optional<std::string> textInDefaultsDictionary(const std::string& defaultsKey,
                                                    const std::string& entryKey) {
    nlohmann::json dictionary = UserDefaults::standard().dictionaryForKey(defaultsKey);
    if (!dictionary.is_object()) return std::nullopt;
    auto found = dictionary.find(entryKey);
    if (found == dictionary.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

void setTextInDefaultsDictionary(const std::string& text, const std::string& entryKey,
                                 const std::string& defaultsKey) {
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json dictionary = defaults.dictionaryForKey(defaultsKey);
    if (!dictionary.is_object()) dictionary = nlohmann::json::object();
    dictionary[entryKey] = text;
    defaults.setObject(dictionary, defaultsKey);
}

void removeEntryFromDefaultsDictionary(const std::string& entryKey,
                                       const std::string& defaultsKey) {
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json dictionary = defaults.dictionaryForKey(defaultsKey);
    if (!dictionary.is_object() || dictionary.erase(entryKey) == 0) return;
    defaults.setObject(dictionary, defaultsKey);
}
