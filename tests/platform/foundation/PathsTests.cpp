#include "platform/foundation/Paths.h"

#include <filesystem>

#include "tests/support/TempHome.h"

class PathsTest : public TempHomeTest {};

TEST_F(PathsTest, HomeAndDocumentsFollowTheEnvironmentAndAreCreated) {
    EXPECT_EQ(Paths::applicationHome(), home());
    EXPECT_EQ(Paths::documentsFolder(), home() + "/Documents");
    EXPECT_TRUE(std::filesystem::is_directory(home() + "/Documents"));
}

TEST(PathsInside, ComparesWholeComponents) {
    EXPECT_TRUE(Paths::isPathInsideFolder("/a/Documents/x.db", "/a/Documents"));
    EXPECT_TRUE(Paths::isPathInsideFolder("/a/Documents/x.db", "/a/Documents/"));
    EXPECT_TRUE(Paths::isPathInsideFolder("/a/Documents/sub/x.db", "/a/Documents"));
    EXPECT_FALSE(Paths::isPathInsideFolder("/a/Documents2/x.db", "/a/Documents"));
    EXPECT_FALSE(Paths::isPathInsideFolder("/a/documents/x.db", "/a/Documents"));
    EXPECT_FALSE(Paths::isPathInsideFolder("/a/Documents/../x.db", "/a/Documents"));
    EXPECT_FALSE(Paths::isPathInsideFolder("", "/a"));
}

TEST(PathsLastComponent, NamesTheFile) {
    EXPECT_EQ(Paths::lastPathComponent("/a/b/x.db"), "x.db");
    EXPECT_EQ(Paths::lastPathComponent("x.db"), "x.db");
    EXPECT_EQ(Paths::lastPathComponent("/a/b/"), "b");
}
