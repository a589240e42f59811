#include "Common/FunctionList.h"

#include <algorithm>

#include "tests/support/TempHome.h"

using namespace DBInterface;

TEST(FunctionList, NamesAreSortedDistinctAndIncludeTheSystemsOwn) {
    std::vector<std::string> names{"kept"};
    std::string error;
    ASSERT_EQ(getFunctions(&names, &error), 0) << error;
    EXPECT_EQ(names.front(), "kept");
    names.erase(names.begin());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    for (const char* name : {"date2utc", "time2utc", "utc2date", "utc2time", "decimal_add",
                             "ieee754", "regexp", "substr", "abs", "generate_series"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
}

TEST(FunctionDescriptions, ParsesEntriesAndSkipsThoseWithoutDescription) {
    std::map<std::string, std::string> descriptions;
    parseFunctionDescriptions(
        "abs(X)\n\nThe absolute value.\n\nSecond paragraph.\n---\n"
        "nodescription(X) only one paragraph\n---\n"
        "  random()  \n\nA random integer.\n---\n"
        "lower\n\nLower case.\n---\n"
        "abs(Y)\n\nReplaced.\n",
        &descriptions);
    EXPECT_EQ(descriptions.size(), 3u);
    EXPECT_EQ(descriptions["abs"], "Replaced.");
    EXPECT_EQ(descriptions["random"], "A random integer.");
    EXPECT_EQ(descriptions["lower"], "Lower case.");
    EXPECT_EQ(descriptions.count("nodescription"), 0u);

    descriptions.clear();
    parseFunctionDescriptions("abs(X)\n\nFirst.\n\n\nSecond.\n", &descriptions);
    EXPECT_EQ(descriptions["abs"], "First.\n\n\nSecond.");
}

TEST(FunctionDescriptions, TheShippedResourceDescribesEveryListedFunction) {
    std::map<std::string, std::string> descriptions;
    EXPECT_EQ(getFunctionDescriptions(&descriptions), 0);
    std::vector<std::string> names;
    ASSERT_EQ(getFunctions(&names, nullptr), 0);
    for (const std::string& name : names) {
        auto found = descriptions.find(name);
        ASSERT_NE(found, descriptions.end()) << name;
        const std::string& text = found->second;
        // A reference "[other]" must name a described function.
        if (!text.empty() && text.front() == '[') {
            std::string target = text.substr(1, text.find(']') - 1);
            EXPECT_EQ(descriptions.count(target), 1u) << name << " -> " << target;
        }
    }
}

TEST(FunctionDescriptions, MissingResourceAddsNothing) {
    setenv("VARNELO_RESOURCES", "/nonexistent-folder", 1);
    std::map<std::string, std::string> descriptions;
    EXPECT_EQ(getFunctionDescriptions(&descriptions), 0);
    EXPECT_TRUE(descriptions.empty());
    unsetenv("VARNELO_RESOURCES");
}
