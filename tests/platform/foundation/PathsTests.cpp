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

TEST_F(PathsTest, AHomeThatCannotBeMadeOrWrittenIsExplained) {
    EXPECT_EQ(Paths::applicationHomeProblem(), "");
    writeFile(home() + "/file", "x");
    setenv("VARNELO_HOME", (home() + "/file/home").c_str(), 1);
    EXPECT_EQ(Paths::applicationHomeProblem(),
              "Cannot create the folder " + home() + "/file/home: Not a directory");
    // A Documents entry that is a file leaves the home without its Documents folder.
    setenv("VARNELO_HOME", home().c_str(), 1);
    std::filesystem::remove(home() + "/Documents");
    writeFile(home() + "/Documents", "x");
    EXPECT_EQ(Paths::applicationHomeProblem(),
              "Cannot create the folder " + home() + "/Documents: Not a directory");
}
