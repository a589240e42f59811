#include "platform/foundation/UserDefaults.h"

#include <filesystem>
#include <limits>
#include <thread>

#include "platform/foundation/Paths.h"
#include "tests/support/TempHome.h"

using nlohmann::json;

class UserDefaultsTest : public TempHomeTest {};

TEST_F(UserDefaultsTest, ValuesReadByThePlatformsRulesAbsentOnesAsZeroNoEmptyOrNull) {
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.integerForKey("Missing"), 0);
    EXPECT_FALSE(defaults.boolForKey("Missing"));
    EXPECT_EQ(defaults.stringForKey("Missing"), "");
    EXPECT_EQ(defaults.doubleForKey("Missing"), 0.0);
    EXPECT_TRUE(defaults.objectForKey("Missing").is_null());
    EXPECT_TRUE(defaults.arrayForKey("Missing").is_null());
    // Present values convert as the platform reads them.
    defaults.setString("12", "Text");
    defaults.setBool(true, "Flag");
    defaults.setDouble(2.75, "Real");
    EXPECT_EQ(defaults.integerForKey("Text"), 12);
    EXPECT_TRUE(defaults.boolForKey("Text"));
    EXPECT_EQ(defaults.integerForKey("Flag"), 1);
    EXPECT_EQ(defaults.integerForKey("Real"), 2);
    EXPECT_EQ(defaults.stringForKey("Real"), "2.75");
    // Wrong kinds read as absent.
    EXPECT_TRUE(defaults.dictionaryForKey("Text").is_null());
}

TEST_F(UserDefaultsTest, EveryChangeIsOnDiskAndSurvivesAReload) {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(json::array({"a", "b"}), "List");
    defaults.setInteger(5, "Count");
    defaults.removeObjectForKey("Count");
    json stored = json::parse(readFile(defaults.filePath()));
    EXPECT_EQ(stored["List"], json::array({"a", "b"}));
    EXPECT_FALSE(stored.contains("Count"));
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home())) {
        if (entry.is_regular_file()) ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(UserDefaultsTest, CorruptFileReadsAsEmptyAndIsReplacedOnWrite) {
    std::string path = Paths::applicationHome() + "/defaults.json";
    writeFile(path, "{ not json");
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.integerForKey("Anything"), 0);
    defaults.setInteger(3, "Anything");
    EXPECT_EQ(json::parse(readFile(path))["Anything"], 3);
}

TEST_F(UserDefaultsTest, NumbersBeyondTheIntegerRangeReadAsItsEnds) {
    writeFile(Paths::applicationHome() + "/defaults.json", R"({"Big": 1e300, "Small": -1e300})");
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.integerForKey("Big"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(defaults.integerForKey("Small"), std::numeric_limits<int64_t>::min());
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNothing) {
    UserDefaults& defaults = UserDefaults::standard();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&defaults, t] {
            for (int i = 0; i < 50; ++i)
                defaults.setInteger(i, "K" + std::to_string(t) + "_" + std::to_string(i));
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(json::parse(readFile(defaults.filePath())).size(), 200u);
}
