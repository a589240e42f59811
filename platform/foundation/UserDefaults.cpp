#include "platform/foundation/UserDefaults.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

#include "platform/foundation/Paths.h"
#include "platform/foundation/SystemLog.h"

using nlohmann::json;

UserDefaults& UserDefaults::standard() {
    // One store per application home; tests switch homes between cases.
    static std::mutex storesMutex;
    static std::map<std::string, std::unique_ptr<UserDefaults>> stores;
    std::string path = Paths::applicationHome() + "/defaults.json";
    std::lock_guard lock(storesMutex);
    auto& store = stores[path];
    if (!store) store.reset(new UserDefaults(path));
    return *store;
}

UserDefaults::UserDefaults(std::string path) : path_(std::move(path)) {
    load();
}

std::string UserDefaults::filePath() const {
    return path_;
}

void UserDefaults::load() {
    values_ = json::object();
    std::ifstream file(path_, std::ios::binary);
    if (!file) return;
    std::ostringstream text;
    text << file.rdbuf();
    json parsed = json::parse(text.str(), nullptr, false);
    if (parsed.is_object()) {
        values_ = std::move(parsed);
    } else {
        systemLog("Ignoring unreadable user defaults file " + path_);
    }
}

bool UserDefaults::save() const {
    std::string tmp = path_ + ".tmp" + std::to_string(getpid());
    std::string text = values_.dump(1, '\t', false, json::error_handler_t::replace);
    FILE* file = std::fopen(tmp.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (ok) ok = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    if (file && std::fclose(file) != 0) ok = false;
    if (ok) ok = std::rename(tmp.c_str(), path_.c_str()) == 0;
    if (!ok) {
        systemLog("Could not write user defaults " + path_ + ": " + std::strerror(errno));
        std::remove(tmp.c_str());
    }
    return ok;
}

json UserDefaults::objectForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    return it == values_.end() ? json() : *it;
}

std::string UserDefaults::stringForKey(const std::string& key) const {
    json value = objectForKey(key);
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number_integer()) return std::to_string(value.get<int64_t>());
    if (value.is_number()) return value.dump();
    return {};
}

int64_t UserDefaults::integerForKey(const std::string& key) const {
    json value = objectForKey(key);
    if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
    if (value.is_number_integer()) return value.get<int64_t>();
    if (value.is_number()) {
        // A number beyond the range (a hand-edited file) reads as its nearer end.
        double number = value.get<double>();
        if (number >= 0x1p63) return std::numeric_limits<int64_t>::max();
        if (number < -0x1p63) return std::numeric_limits<int64_t>::min();
        return static_cast<int64_t>(number);
    }
    if (value.is_string()) return std::strtoll(value.get<std::string>().c_str(), nullptr, 10);
    return 0;
}

double UserDefaults::doubleForKey(const std::string& key) const {
    json value = objectForKey(key);
    if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
    if (value.is_number()) return value.get<double>();
    if (value.is_string()) return std::strtod(value.get<std::string>().c_str(), nullptr);
    return 0;
}

bool UserDefaults::boolForKey(const std::string& key) const {
    json value = objectForKey(key);
    if (value.is_boolean()) return value.get<bool>();
    if (value.is_number()) return value.get<double>() != 0;
    if (value.is_string()) {
        std::string text = value.get<std::string>();
        if (text == "YES" || text == "yes" || text == "true" || text == "TRUE") return true;
        return std::strtoll(text.c_str(), nullptr, 10) != 0;
    }
    return false;
}

json UserDefaults::arrayForKey(const std::string& key) const {
    json value = objectForKey(key);
    return value.is_array() ? value : json();
}

json UserDefaults::dictionaryForKey(const std::string& key) const {
    json value = objectForKey(key);
    return value.is_object() ? value : json();
}

void UserDefaults::setObject(const json& value, const std::string& key) {
    std::lock_guard lock(mutex_);
    if (value.is_null()) {
        values_.erase(key);
    } else {
        values_[key] = value;
    }
    save();
}

void UserDefaults::removeObjectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (values_.erase(key) > 0) save();
}
