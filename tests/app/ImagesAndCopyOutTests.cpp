// Thumbnails and the images window, and copying a database out by mail or into a folder.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/DatabaseCopyOut.h"
#include "app/DatabaseFiles.h"
#include "app/FileTableView.h"
#include "app/ImagesWindow.h"
#include "app/Thumbnail.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Workspace.h"
#include "tests/support/DirectQuery.h"
#include "tests/support/LargeImages.h"
#include "tests/support/ShellTest.h"

namespace fs = std::filesystem;

namespace {

std::string firstBytes(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    return bytes.substr(0, static_cast<size_t>(in.gcount()));
}

bool isRed(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

bool isWhite(QRgb pixel) {
    return qRed(pixel) > 235 && qGreen(pixel) > 235 && qBlue(pixel) > 235;
}

// One answer of an independent connection: the first column of the first row.
std::string scalar(const std::string& path, const std::string& sql) {
    std::vector<std::string> values = directQuery(path, sql);
    return values.empty() || values.front() == "<null>" ? "" : values.front();
}

}  // namespace

class ImagesAndCopyOutTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        // The staging folder of copies lives in the test's own home.
        const char* tmp = std::getenv("TMPDIR");
        previousTmp_ = tmp ? std::optional<std::string>(tmp) : std::nullopt;
        setenv("TMPDIR", home().c_str(), 1);
        Workspace::setTestRecorder([this](const QString& kind, const QString& argument) {
            requests.push_back(kind.toStdString() + " " + argument.toStdString());
            return true;
        });
    }
    void TearDown() override {
        Workspace::setTestRecorder({});
        if (previousTmp_) {
            setenv("TMPDIR", previousTmp_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        ShellTest::TearDown();
    }

    std::vector<std::string> requests;

  private:
    std::optional<std::string> previousTmp_;
};

TEST_F(ImagesAndCopyOutTest, ThumbnailsFitTheImageOnWhiteAsJpeg) {
    QImage wide(200, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    ASSERT_TRUE(wide.save(QString::fromStdString(pathInDocuments("wide.png"))));
    QImage tall(100, 200, QImage::Format_RGB32);
    tall.fill(Qt::red);
    ASSERT_TRUE(tall.save(QString::fromStdString(pathInDocuments("tall.jpg"))));
    EXPECT_EQ(thumbnailImageRect({200, 100}, 44), QRect(0, 11, 44, 22));
    EXPECT_EQ(thumbnailImageRect({100, 200}, 44), QRect(11, 0, 22, 44));

    ImagesWindow& window = app->imagesWindow();
    window.createThumbnail("wide.png");
    window.createThumbnail("tall.jpg");
    std::string thumb = pathInDocuments("thumbwide.png");
    EXPECT_EQ(firstBytes(thumb, 3), "\xFF\xD8\xFF");  // JPEG data under a .png name
    QImage made(QString::fromStdString(thumb));
    ASSERT_EQ(made.size(), QSize(44, 44));
    EXPECT_TRUE(isWhite(made.pixel(22, 5)));
    EXPECT_TRUE(isRed(made.pixel(22, 13)));
    EXPECT_TRUE(isRed(made.pixel(22, 30)));
    EXPECT_TRUE(isWhite(made.pixel(22, 38)));
    QImage madeTall(QString::fromStdString(pathInDocuments("thumbtall.jpg")));
    EXPECT_TRUE(isWhite(madeTall.pixel(5, 22)));
    EXPECT_TRUE(isRed(madeTall.pixel(22, 22)));
    EXPECT_TRUE(isWhite(madeTall.pixel(38, 22)));

    // Unreadable image: an alert, no thumbnail.
    writeFile(pathInDocuments("broken.jpg"), "no image");
    window.createThumbnail("broken.jpg");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Error|Could not create the thumbnail image");
    EXPECT_FALSE(fs::exists(pathInDocuments("thumbbroken.jpg")));

    // The window hides thumbnails, opens on the photo editor's file, and its selection reaches
    // the editor's name field.
    QWidget editor;
    auto* name = new QLineEdit(&editor);
    editor.show();
    window.showImagesWindowAndUpdateTextView(name, nullptr, "tall.jpg");
    ASSERT_EQ(window.filteredImageFilesArray().size(), 3u);
    std::vector<int> selected = window.tableView()->selectedRows();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(window.filteredImageFilesArray()[static_cast<size_t>(selected[0])].fileName,
              "tall.jpg");
    EXPECT_EQ(name->text(), "tall.jpg");
    std::set<std::string> names;
    for (const AppFileEntry& entry : window.filteredImageFilesArray()) names.insert(entry.fileName);
    EXPECT_EQ(names, (std::set<std::string>{"broken.jpg", "tall.jpg", "wide.png"}));
    window.reloadSelectingFileNames({"wide.png"});
    EXPECT_EQ(name->text(), "wide.png");
    window.close();
}

// Photos past Qt's allocation limit read whole (128 MB): a 45-megapixel JPEG, an 8000x6000 one,
// a 16-bit 5000x5000 PNG and a 100-megapixel PNG get a thumbnail, a preview and the photo
// editor's picture, each read at the size shown.
TEST_F(ImagesAndCopyOutTest, PhotosOfEveryCameraSizeGetAThumbnailAndAPreview) {
    struct Photo {
        std::string name;
        int width, height;
        int pngBits;  // 0 for a JPEG
    };
    const Photo photos[] = {{"45mp.jpg", 8256, 5504, 0},
                            {"48mp.jpg", 8000, 6000, 0},
                            {"25mp16.png", 5000, 5000, 16},
                            {"100mp.png", 10000, 10000, 8}};
    for (const Photo& photo : photos) {
        const std::string path = pathInDocuments(photo.name);
        ASSERT_TRUE(photo.pngBits ? writeLargePng(path, photo.width, photo.height, photo.pngBits)
                                  : writeLargeJpeg(path, photo.width, photo.height));
    }
    ImagesWindow& window = app->imagesWindow();
    QWidget editor;
    auto* name = new QLineEdit(&editor);
    auto* picture = new QLabel(&editor);
    picture->setFixedSize(300, 200);
    editor.show();
    window.showImagesWindowAndUpdateTextView(name, picture, {});
    for (const Photo& photo : photos) {
        SCOPED_TRACE(photo.name);
        const double before = currentMemoryMB();
        resetPeakMemory();
        window.createThumbnail(photo.name);
        window.reloadSelectingFileNames({photo.name});
        const double peak = peakMemoryMB() - before;
        ASSERT_TRUE(alerts.empty()) << alerts.front().both();
        const QImage thumb(QString::fromStdString(pathInDocuments("thumb" + photo.name)));
        ASSERT_EQ(thumb.size(), QSize(44, 44));
        // Red on the left, blue on the right, white above and below.
        EXPECT_TRUE(isRed(thumb.pixel(8, 22)));
        EXPECT_GT(qBlue(thumb.pixel(36, 22)), 200);
        if (photo.width > photo.height) {
            EXPECT_TRUE(isWhite(thumb.pixel(22, 1)));
        }
        const QPixmap preview = window.previewView()->pixmap();
        ASSERT_FALSE(preview.isNull());
        EXPECT_TRUE(isRed(preview.toImage().pixel(5, preview.height() / 2)));
        ASSERT_FALSE(picture->pixmap().isNull());
        EXPECT_LE(picture->pixmap().width(), 300);
        EXPECT_EQ(name->text().toStdString(), photo.name);
        // Read whole the photo takes 4 bytes a pixel (8 for 16 bits).
        const double whole =
            double(photo.width) * photo.height * (photo.pngBits == 16 ? 8 : 4) / (1024 * 1024);
        std::printf("%s %dx%d: peak %.1f MB above %.1f MB (%.0f MB read whole)\n",
                    photo.name.c_str(), photo.width, photo.height, peak, before, whole);
        EXPECT_LT(peak, whole / 2);
    }
    window.close();
}

TEST_F(ImagesAndCopyOutTest, DroppedFilesReachOnlyTheListThatShowsThem) {
    std::string outside = home() + "/outside";
    fs::create_directory(outside);
    makeDatabase(pathInDocuments("varnelo.db"), "mine");
    makeDatabase(outside + "/varnelo.db", "theirs");
    writeFile(outside + "/pic.jpeg", "jpeg bytes");
    writeFile(outside + "/notes.txt", "text");
    ImagesWindow& window = app->imagesWindow();
    window.imagesWindowMenuItemClicked();
    QWidget* target = window.tableView()->viewport();
    // A drop reaches the widget that took the drag's entry.
    auto drop = [&](const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
        QApplication::processEvents();  // the copy is queued on the main thread
        return event.isAccepted();
    };
    EXPECT_FALSE(drop({outside + "/notes.txt"}));
    EXPECT_TRUE(drop({outside + "/varnelo.db", outside + "/pic.jpeg"}));
    EXPECT_TRUE(alerts.empty());
    EXPECT_FALSE(fs::exists(pathInDocuments("notes.txt")));
    EXPECT_TRUE(DBInterface::doesTableExist("mine", pathInDocuments("varnelo.db")));
    EXPECT_TRUE(fs::exists(pathInDocuments("pic.jpeg")));
    ASSERT_EQ(window.filteredImageFilesArray().size(), 1u);
    EXPECT_EQ(window.tableView()->selectedRows(), std::vector<int>{0});
    window.close();
}

TEST_F(ImagesAndCopyOutTest, MailRouteFormsTheMessageAndRevealsTheFile) {
    EXPECT_EQ(DatabaseCopyOut::mailURLForDatabaseFileName("my shop & co.db"),
              "mailto:?SUBJECT=Your%20database%20my%20shop%20%26%20co.db%20is%20attached&BODY=");
    std::string path = makeDatabase(pathInDocuments("my shop.db"));
    makeKeyAndOrderFront(
        app->showDatabase(path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    app->databaseCopyOut().shareCurrentDatabaseUsingEmail();
    std::string url = "mailto:?SUBJECT=Your%20database%20my%20shop.db%20is%20attached&BODY=";
    EXPECT_EQ(DatabaseCopyOut::mailURLForDatabaseFileName("my shop.db"), url);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "url " + QUrl(QString::fromStdString(url)).toString().toStdString());
    EXPECT_EQ(requests[1].rfind("reveal ", 0), 0u);
}

TEST_F(ImagesAndCopyOutTest, CopyOutIsConsistentWhileAnotherConnectionWrites) {
    std::string path = pathInHome("busy.db");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &writer), SQLITE_OK);
    // Committed rows stay in the write-ahead log, beside the main file, until a checkpoint.
    ASSERT_EQ(sqlite3_exec(writer,
                           "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                           "CREATE TABLE t(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                           "SELECT i+1 FROM n WHERE i<500) INSERT INTO t SELECT randomblob(300) "
                           "FROM n; BEGIN; INSERT INTO t VALUES('uncommitted');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    makeKeyAndOrderFront(
        app->showDatabase(path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    std::string folder = pathInHome("copies");
    fs::create_directory(folder);
    app->databaseCopyOut().copyDatabaseIntoFolder(folder, false);
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_TRUE(alerts.empty());
    std::string copy = folder + "/busy.db";
    EXPECT_EQ(scalar(copy, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(scalar(copy, "SELECT count(*) FROM t"), "500");

    // A second copy asks before replacing; Cancel keeps the earlier copy as it was.
    std::string before = firstBytes(copy, 1 << 20);
    alertAnswer = 1;
    app->databaseCopyOut().copyDatabaseIntoFolder(folder, false);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Overwrite busy.db?|This cannot be undone!");
    EXPECT_EQ(firstBytes(copy, 1 << 20), before);
    alertAnswer = 0;
    app->databaseCopyOut().copyDatabaseIntoFolder(folder, true);
    EXPECT_EQ(alerts.back().messageText, "Overwrite database in Dropbox?");
    EXPECT_EQ(scalar(copy, "SELECT count(*) FROM t"), "501");

    // A database that vanished since it was shown fails at the copy and creates nothing.
    fs::remove(path);
    std::string other = pathInHome("other");
    fs::create_directory(other);
    alerts.clear();
    app->databaseCopyOut().copyDatabaseIntoFolder(other, false);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_TRUE(fs::is_empty(other));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ImagesAndCopyOutTest, AFailedCopyNamesTheEndThatFailed) {
    // A folder nobody may create files in, not even the superuser.
    const std::string unwritable = "/sys";
    if (!fs::is_directory(unwritable)) GTEST_SKIP() << "needs " << unwritable;
    std::string path = makeDatabase(pathInDocuments("shop.db"));
    makeKeyAndOrderFront(
        app->showDatabase(path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    panelAnswer = {QString::fromStdString(unwritable)};
    QAction* copy = app->databaseWindowForWindowIndex(0)->menuBar()->findChild<QAction*>(
        "copyDatabaseToFolder");
    ASSERT_NE(copy, nullptr);
    emit qobject_cast<QMenu*>(copy->parent())->aboutToShow();
    copy->trigger();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Error|Permission denied: " + unwritable + "/shop.db");

    // A source that cannot be read is the one named.
    std::string error;
    EXPECT_FALSE(
        DatabaseFiles::copyIntoPlace(pathInHome("gone.db"), pathInHome("to.db"), false, &error));
    EXPECT_EQ(error, "No such file or directory: " + pathInHome("gone.db"));
    writeFile(pathInHome("to.db"), "kept");
    EXPECT_FALSE(DatabaseFiles::copyIntoPlace(path, pathInHome("to.db"), false, &error));
    EXPECT_EQ(error, "File exists: " + pathInHome("to.db"));
}

TEST_F(ImagesAndCopyOutTest, ThePanelsOfImagesAndCopiesSayWhatTheyDo) {
    std::string path = makeDatabase(pathInDocuments("shop.db"));
    makeKeyAndOrderFront(
        app->showDatabase(path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    app->databaseCopyOut().copyDatabaseToFolder();
    app->databaseCopyOut().uploadToDropbox();
    app->imagesWindow().chooseImageFile();
    ASSERT_EQ(panelsShown.size(), 3u);
    auto texts = [](const FilePanel& panel) {
        return (panel.title + "|" + panel.prompt + "|" + panel.message).toStdString();
    };
    EXPECT_EQ(texts(panelsShown[0]),
              "Copy to Folder|Copy|Select a folder to copy the database in to");
    EXPECT_EQ(texts(panelsShown[1]),
              "Upload To Dropbox|Upload|To be found on your iPhone or iPad, upload to the Dropbox "
              "subfolder \"Apps/Varnelo DB\"");
    EXPECT_EQ(texts(panelsShown[2]),
              "Choose Image File|Choose|The image file will be copied into the app container and "
              "a thumbnail image will be created");
    EXPECT_EQ(panelsShown[2].allowedFileTypes, QStringList({"jpg", "JPG", "png", "PNG"}));
    // Nothing was chosen: nothing copied.
    EXPECT_TRUE(alerts.empty());
}
