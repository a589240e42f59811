#include <gtest/gtest.h>

#include <filesystem>

#include "Common/DBInterface.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/TempHome.h"

using namespace DBInterface;
namespace fs = std::filesystem;

namespace {
class PhotoFileTest : public TempHomeTest {
  protected:
    void SetUp() override {
        TempHomeTest::SetUp();
        setSystemLogSink([this](const std::string& line) { log.push_back(line); });
    }
    void TearDown() override {
        setSystemLogSink(nullptr);
        TempHomeTest::TearDown();
    }
    std::string read(const std::string& name) { return readFile(pathInDocuments(name)); }
    bool exists(const std::string& name) { return fs::exists(pathInDocuments(name)); }
    std::vector<std::string> log;
};
}  // namespace

TEST_F(PhotoFileTest, ReplaceMovesImageAndThumbnail) {
    writeFile(pathInDocuments("old.jpg"), "old");
    writeFile(pathInDocuments("thumbold.jpg"), "old thumb");
    writeFile(pathInDocuments("new.jpg"), "new");
    writeFile(pathInDocuments("thumbnew.jpg"), "new thumb");
    replaceImageAndThumbnailFiles("old.jpg", "new.jpg");
    EXPECT_EQ(read("old.jpg"), "new");
    EXPECT_EQ(read("thumbold.jpg"), "new thumb");
    EXPECT_FALSE(exists("new.jpg"));
    EXPECT_TRUE(log.empty());

    // A folder in the way is left alone and logged.
    fs::create_directory(pathInDocuments("dir.jpg"));
    writeFile(pathInDocuments("src.jpg"), "src");
    replaceImageAndThumbnailFiles("dir.jpg", "src.jpg");
    EXPECT_TRUE(fs::is_directory(pathInDocuments("dir.jpg")));
    EXPECT_EQ(read("src.jpg"), "src");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("destination was a directory"), std::string::npos);
}

TEST_F(PhotoFileTest, CopyAndDelete) {
    writeFile(Paths::temporaryFolder() + "/cam.jpg", "shot");
    writeFile(Paths::temporaryFolder() + "/thumbcam.jpg", "small");
    copyTmpImageAndThumbnailFiles("cam.jpg", "db1.jpg");
    EXPECT_EQ(read("db1.jpg"), "shot");
    EXPECT_EQ(read("thumbdb1.jpg"), "small");
    copyImageAndThumbnailFiles("db1.jpg", "db2.jpg");
    EXPECT_EQ(read("thumbdb2.jpg"), "small");
    fs::remove(Paths::temporaryFolder() + "/cam.jpg");
    fs::remove(Paths::temporaryFolder() + "/thumbcam.jpg");

    deleteImageAndThumbnailFiles("db1.jpg");
    EXPECT_FALSE(exists("db1.jpg"));
    EXPECT_FALSE(exists("thumbdb1.jpg"));
    EXPECT_EQ(deleteImageFilesFromSet({"db2.jpg", "notes.txt"}), 0);
    EXPECT_FALSE(exists("db2.jpg"));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "deleteImageFilesFromSet: Invalid image file: notes.txt");

    std::string name = stringForNewImageFileName(7);
    EXPECT_EQ(name.substr(0, 2), "db");
    EXPECT_EQ(name.substr(name.size() - 5), "7.jpg");
}

// Photo names come from the cells of whatever file is open: none may reach outside Documents.
TEST_F(PhotoFileTest, NamesLeadingOutOfDocumentsAreRefused) {
    const std::string outside = pathInHome("keep.jpg");
    writeFile(outside, "mine");
    writeFile(pathInHome("thumbkeep.jpg"), "mine too");
    writeFile(pathInDocuments("in.jpg"), "in");
    deleteImageAndThumbnailFiles("../keep.jpg");
    EXPECT_EQ(deleteImageFilesFromSet({"../keep.jpg"}), 0);
    copyImageAndThumbnailFiles("in.jpg", "../keep.jpg");
    copyImageAndThumbnailFiles("../keep.jpg", "stolen.jpg");
    replaceImageAndThumbnailFiles("../keep.jpg", "in.jpg");
    replaceImageAndThumbnailFiles("moved.jpg", "../keep.jpg");
    EXPECT_EQ(readFile(outside), "mine");
    EXPECT_TRUE(fs::exists(pathInHome("thumbkeep.jpg")));
    EXPECT_FALSE(exists("stolen.jpg"));
    EXPECT_FALSE(exists("moved.jpg"));
    EXPECT_EQ(read("in.jpg"), "in");
    EXPECT_FALSE(log.empty());
}

TEST_F(PhotoFileTest, NamesAndWords) {
    writeFile(pathInDocuments("a.db"), "");
    writeFile(pathInDocuments("a 2.db"), "");
    EXPECT_EQ(nonExistingDocumentFilePathFor("b.db"), pathInDocuments("b.db"));
    EXPECT_EQ(nonExistingDocumentFilePathFor("a.db"), pathInDocuments("a 3.db"));
    std::string select = "SeLeCt";
    std::string plain = "colour";
    EXPECT_TRUE(checkReservedWord(&select));
    EXPECT_FALSE(checkReservedWord(&plain));
    EXPECT_FALSE(checkReservedWord(nullptr));
    EXPECT_EQ(quotedAndEscapedField("say \"hi\"", true, ","), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(quotedAndEscapedField("a,b", true, ","), "\"a,b\"");
    EXPECT_EQ(quotedAndEscapedField("a,b", false, ","), "a,b");
    EXPECT_TRUE(useNumberKeyboardForDataType(kFieldTypeBarcode));
    EXPECT_FALSE(useNumberKeyboardForDataType(kFieldTypePhoto));
}
