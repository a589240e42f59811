// File bookmarks: they name a file by path and identity and notice a moved or replaced file.
#include <filesystem>

#include "platform/foundation/Bookmarks.h"
#include "tests/support/TempHome.h"

using BookmarksTest = TempHomeTest;

TEST_F(BookmarksTest, ResolvesToThePathAndNoticesMovedOrReplacedFiles) {
    std::string path = pathInHome("a file \"quoted\".db");
    writeFile(path, "one");
    std::string error;
    std::optional<std::string> data = Bookmarks::create(path, &error);
    ASSERT_TRUE(data) << error;
    auto resolved = Bookmarks::resolve(*data, &error);
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->path, path);
    EXPECT_FALSE(resolved->isStale);

    writeFile(path, "changed in place");  // same file, new contents: still current
    EXPECT_FALSE(Bookmarks::resolve(*data, &error)->isStale);

    std::filesystem::rename(path, pathInHome("moved.db"));
    EXPECT_TRUE(Bookmarks::resolve(*data, &error)->isStale);

    writeFile(pathInHome("keep-inode-busy"), "");
    writeFile(path, "a new file under the old name");
    resolved = Bookmarks::resolve(*data, &error);
    EXPECT_EQ(resolved->path, path);
    EXPECT_TRUE(resolved->isStale);
}

TEST_F(BookmarksTest, MissingFilesAndMalformedDataFailWithADescription) {
    std::string error;
    EXPECT_FALSE(Bookmarks::create(pathInHome("absent.db"), &error));
    EXPECT_NE(error.find("absent.db"), std::string::npos);
    EXPECT_FALSE(Bookmarks::create("", nullptr));
    for (const char* data :
         {"", "not json", "{\"path\":\"/x\"}", "[1,2]", "{\"path\":1,\"device\":1,\"inode\":1}"}) {
        error.clear();
        EXPECT_FALSE(Bookmarks::resolve(data, &error)) << data;
        EXPECT_FALSE(error.empty());
    }
}
