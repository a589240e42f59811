#pragma once
// The user-defaults store: JSON values under fixed keys in defaults.json of the application
// home. Reads follow the platform's rules (an absent key reads as 0, NO, empty or null); every
// change is written back at once through a temporary file and a rename, so a crash never leaves
// a half-written file. Safe to use from several threads.
#include <cstdint>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

class UserDefaults {
  public:
    // The store of the current application home (re-read when $VARNELO_HOME changes).
    static UserDefaults& standard();

    nlohmann::json objectForKey(const std::string& key) const;  // null when absent
    std::string stringForKey(const std::string& key) const;     // numbers read as text
    int64_t integerForKey(const std::string& key) const;
    double doubleForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const;
    nlohmann::json arrayForKey(const std::string& key) const;       // null unless an array
    nlohmann::json dictionaryForKey(const std::string& key) const;  // null unless an object

    void setObject(const nlohmann::json& value, const std::string& key);
    void setInteger(int64_t value, const std::string& key) { setObject(value, key); }
    void setDouble(double value, const std::string& key) { setObject(value, key); }
    void setBool(bool value, const std::string& key) { setObject(value, key); }
    void setString(const std::string& value, const std::string& key) { setObject(value, key); }
    void removeObjectForKey(const std::string& key);

    // The file this store reads and writes.
    std::string filePath() const;

  private:
    explicit UserDefaults(std::string path);
    void load();
    bool save() const;

    mutable std::mutex mutex_;
    std::string path_;
    nlohmann::json values_;
};
